#include "platform/clock.h"
#include "platform/registry.h"
#include "simulator/mail_send_thread.h"
#include "simulator/simulator_settings.h"
#include "simulator/smtp_connection.h"
#include "tests/support/canned_peer.h"
#include "tests/support/smtp_server.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace vocara;

namespace {

struct TraceLog
{
    std::string text;
    CSMTPConnection::Trace sink()
    {
        return [this](std::string_view line) {
            text += line;
        };
    }
    bool has(std::string_view part) const { return text.find(part) != std::string::npos; }
};

CSMTPMessage messageTo(const std::string &to, const std::string &subject, const std::string &body)
{
    CSMTPMessage message;
    message.from.address = test::SmtpServer::User;
    message.to.push_back({"", to});
    message.subject = subject;
    message.body = body;
    return message;
}

} // namespace

TEST(SmtpPieces, Base64DatesAndServers)
{
    EXPECT_EQ(base64("abcd"), "YWJjZA==\r\n");
    EXPECT_EQ(base64("abcde"), "YWJjZGU=\r\n");
    const std::string long57(60, 'x');
    EXPECT_EQ(base64(long57).find("\r\n"), 76u); // a line break after 76 characters
    EXPECT_EQ(base64(long57, false).find('\r'), std::string::npos); // credentials: one line

    std::tm when{};
    when.tm_year = 2026 - 1900;
    when.tm_mon = 11;
    when.tm_mday = 9;
    when.tm_wday = 3;
    when.tm_hour = 7;
    when.tm_min = 5;
    when.tm_sec = 9;
    EXPECT_EQ(dateHeader(when, 5 * 3600 + 1800), "Wed, 09 Dec 2026 07:05:09 +0530");
    EXPECT_EQ(dateHeader(when, -3 * 3600), "Wed, 09 Dec 2026 07:05:09 -0300");
    EXPECT_EQ(dateHeader(when, 0), "Wed, 09 Dec 2026 07:05:09 +0000");

    EXPECT_EQ(mailServerOf("mail.example.com").port, 25);
    const MailServer withPort = mailServerOf("127.0.0.1:2525");
    EXPECT_EQ(withPort.host, "127.0.0.1");
    EXPECT_EQ(withPort.port, 2525);
}

TEST(Smtp, PlainAndMultipartMessagesArrive)
{
    test::SmtpServer server;
    ASSERT_TRUE(server.ready());
    TraceLog trace;
    CSMTPConnection connection(trace.sink());
    ASSERT_TRUE(connection.Connect("127.0.0.1", server.User, server.Password, server.port()))
        << trace.text;
    EXPECT_TRUE(trace.has("Server :250-")); // the EHLO reply spans lines and is read whole
    // A body that starts with a dot, and a later line that does too.
    ASSERT_TRUE(connection.SendMessage(
        messageTo("caller@example.com", "Balance", ".\nYour balance is 42\n.hidden line\nbye")))
        << trace.text;
    EXPECT_FALSE(connection.isConnected()); // QUIT after every message

    test::TempFolder temp;
    test::writeText(temp / "tiny.bin", "abcd");
    std::string big(100 * 1024, '\0');
    for (size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7 % 251);
    test::writeText(temp / "big.bin", big);
    CSMTPMessage withFiles = messageTo("caller@example.com", "Files", "two files");
    ASSERT_TRUE(withFiles.attach((temp / "tiny.bin").string(), trace.sink()));
    ASSERT_TRUE(withFiles.attach((temp / "big.bin").string(), trace.sink()));
    EXPECT_EQ(withFiles.attachments[0].encoded, "YWJjZA==\r\n");
    EXPECT_FALSE(withFiles.attach((temp / "none.bin").string(), trace.sink()));
    EXPECT_TRUE(trace.has("Failed to get the status for file"));
    ASSERT_TRUE(connection.Connect("127.0.0.1", server.User, server.Password, server.port()));
    ASSERT_TRUE(connection.SendMessage(withFiles)) << trace.text;

    const std::vector<std::string> messages = server.messages();
    ASSERT_EQ(messages.size(), 2u);
    const std::string &plain =
        messages[0].find("Subject: Balance") != std::string::npos ? messages[0] : messages[1];
    EXPECT_NE(plain.find("X-Mailer: CSMTPConnection v1.3"), std::string::npos);
    EXPECT_NE(plain.find("Date: "), std::string::npos);
    const size_t body = plain.find("\n\n");
    ASSERT_NE(body, std::string::npos);
    EXPECT_EQ(plain.substr(body + 2, 2), ".\n"); // stored with one dot, as written
    EXPECT_NE(plain.find("\n.hidden line\n"), std::string::npos);
    EXPECT_EQ(test::readText(server.attachment("tiny.bin")), "abcd");
    EXPECT_EQ(test::readText(server.attachment("big.bin")), big);
}

TEST(Smtp, FailuresAreTracedAndNothingIsInjected)
{
    test::SmtpServer server;
    ASSERT_TRUE(server.ready());
    TraceLog trace;
    CSMTPConnection connection(trace.sink());
    EXPECT_FALSE(connection.Connect("127.0.0.1", server.User, "wrong", server.port()));
    EXPECT_TRUE(trace.has("An unexpected Authentecation response was received\n"));

    ASSERT_TRUE(connection.Connect("127.0.0.1", server.User, server.Password, server.port()));
    EXPECT_FALSE(connection.SendMessage(messageTo("refused@example.com", "x", "y")));
    EXPECT_TRUE(trace.has("An unexpected RCPT response was received\n"));

    // A line break in a recipient would add commands: refused before anything is sent.
    ASSERT_TRUE(connection.Connect("127.0.0.1", server.User, server.Password, server.port()));
    EXPECT_FALSE(
        connection.SendMessage(messageTo("a@example.com>\r\nRCPT TO:<evil@example.com", "x", "y")));
    EXPECT_TRUE(trace.has("Refused the address"));
    // In a subject it would add headers: it becomes a blank.
    ASSERT_TRUE(connection.Connect("127.0.0.1", server.User, server.Password, server.port()));
    EXPECT_TRUE(
        connection.SendMessage(messageTo("b@example.com", "Hi\r\nBcc: evil@example.com", "body")));
    const std::vector<std::string> messages = server.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("Subject: Hi  Bcc: evil@example.com\n"), std::string::npos);
    EXPECT_EQ(messages[0].find("\nBcc:"), std::string::npos);
    EXPECT_EQ(messages[0].find("evil@example.com>"), std::string::npos);
}

TEST(Smtp, OldServersHangUpsAndSilence)
{
    // A greeting without "ESMTP": HELO, and AUTH LOGIN all the same.
    {
        test::SmtpServer server("Vocara plain SMTP");
        ASSERT_TRUE(server.ready());
        TraceLog trace;
        CSMTPConnection connection(trace.sink());
        connection.Connect("127.0.0.1", server.User, server.Password, server.port());
        EXPECT_FALSE(trace.has("Server :250-")); // HELO has a one-line reply
        const size_t auth = trace.text.find("Server :", trace.text.find("Server :250 "));
        EXPECT_NE(auth, std::string::npos); // the server answered AUTH LOGIN
    }
    // A server that hangs up in the middle of DATA.
    {
        test::CannedPeer peer({"220 peer ESMTP\r\n", "250 hello\r\n", "334 VXNlcm5hbWU6\r\n",
                               "334 UGFzc3dvcmQ6\r\n", "235 ok\r\n", "250 from ok\r\n",
                               "250 to ok\r\n", "354 go on\r\n"});
        TraceLog trace;
        CSMTPConnection connection(trace.sink());
        ASSERT_TRUE(connection.Connect("127.0.0.1", "u", "p", peer.port())) << trace.text;
        EXPECT_FALSE(
            connection.SendMessage(messageTo("c@example.com", "s", std::string(1 << 20, 'a'))));
        EXPECT_FALSE(connection.isConnected());
    }
    // A server that never answers: the reply limit ends the wait.
    {
        test::CannedPeer silent({});
        TraceLog trace;
        CSMTPConnection connection(trace.sink());
        connection.setReplyTimeout(std::chrono::milliseconds(300));
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(connection.Connect("127.0.0.1", "u", "p", silent.port()));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
        EXPECT_TRUE(trace.has("An unexpected SMTP login response was received\n"));
    }
}

TEST(MailWorker, SendsWithTheAccountAndOnlyWithAWholeOne)
{
    test::SmtpServer server;
    ASSERT_TRUE(server.ready());
    Clock clock(0);
    std::vector<std::string> logged;
    std::mutex mutex;
    CMailSendThread worker(
        clock,
        [&](std::string_view line) {
            std::lock_guard lock(mutex);
            logged.emplace_back(line);
        },
        [](std::string_view) {});
    // An empty password: no connection is tried.
    worker.setAccount(
        {"127.0.0.1:" + std::to_string(server.port()), server.User, "", server.User, ""});
    worker.post({"s", "b", "x@example.com", ""});
    worker.waitUntilIdle();
    EXPECT_TRUE(logged.empty());
    worker.setAccount({"127.0.0.1:" + std::to_string(server.port()), server.User, server.Password,
                       server.User, ""});
    worker.post({"Hello", "from the flow", "x@example.com", ""});
    worker.waitUntilIdle();
    EXPECT_EQ(logged,
              std::vector<std::string>{"CMailSendThread>> Mail Server Cannection Succeded"});
    EXPECT_EQ(server.messages().size(), 1u);
}

TEST(SimulatorSettingsStore, DefaultsChecksAndOwnerOnlyFiles)
{
    test::TempFolder temp;
    Registry registry(temp.path());
    SimulatorSettings settings;
    settings.mailServerName = "in memory";
    ASSERT_TRUE(settings.load(registry)); // absent key: created with the defaults
    EXPECT_EQ(settings.mailServerName, "");
    EXPECT_EQ(
        registry.value("HKEY_CURRENT_USER", "software\\Orvanta\\QenIvrSimulator", "Sim_Speed"),
        "200");
    settings.set("MailPassword", "secret");
    settings.set("Sim_Speed", "-5");
    EXPECT_EQ(settings.simSpeed, 0); // clamped
    settings.set("Sim_Speed", "9999999");
    EXPECT_EQ(settings.simSpeed, SimulatorSettings::LongestSpeed);
    EXPECT_FALSE(settings.set("Unknown", "x"));
    ASSERT_TRUE(settings.save(registry));
    SimulatorSettings again;
    ASSERT_TRUE(again.load(registry));
    EXPECT_EQ(again.mailPassword, "secret");
    EXPECT_EQ(std::filesystem::status(temp / "HKEY_CURRENT_USER.reg").permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);

    std::string server, user = "me@example.com", password = "p", sender, dsn = "tts", speed;
    auto problem = checkSettingsDialog(server, user, password, sender, dsn, speed);
    ASSERT_TRUE(problem);
    EXPECT_EQ(problem->message, "Please enter your mail server");
    server = "mail";
    password.clear();
    EXPECT_EQ(checkSettingsDialog(server, user, password, sender, dsn, speed)->message,
              "Please enter your e-mail password");
    password = "p";
    dsn.clear();
    EXPECT_EQ(checkSettingsDialog(server, user, password, sender, dsn, speed)->field, "DBDSN");
    dsn = "tts";
    EXPECT_FALSE(checkSettingsDialog(server, user, password, sender, dsn, speed));
    EXPECT_EQ(sender, "me@example.com"); // the user name is the sender
    EXPECT_EQ(speed, "200");
}
