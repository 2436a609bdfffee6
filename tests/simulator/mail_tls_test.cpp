#include "platform/clock.h"
#include "simulator/mail_send_thread.h"
#include "simulator/simulator_settings.h"
#include "simulator/smtp_connection.h"
#include "tests/support/canned_peer.h"
#include "tests/support/smtp_server.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace vocara;

namespace {

// A private certificate authority made with the openssl program for this test run.
class TestAuthority
{
public:
    TestAuthority()
    {
        const std::string script =
            std::string(std::getenv("VOCARA_TEST_SOURCE_DIR")) + "/tests/support/make_test_ca.sh";
        m_made = std::system(("'" + script + "' '" + m_folder.path().string() + "'").c_str()) == 0;
    }
    bool made() const { return m_made; }
    std::string file(const std::string &name) const { return (m_folder / name).string(); }
    // A server that offers STARTTLS and requires it, showing the named certificate.
    std::unique_ptr<test::SmtpServer> server(const std::string &mode,
                                             const std::string &certificate = "server") const
    {
        return std::make_unique<test::SmtpServer>(
            "ESMTP Vocara test", mode, file(certificate + ".pem"), file(certificate + ".key"));
    }

private:
    test::TempFolder m_folder;
    bool m_made = false;
};

struct Trace
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

CSMTPMessage message(const std::string &subject, const std::string &body)
{
    CSMTPMessage made;
    made.from.address = test::SmtpServer::User;
    made.to.push_back({"", "caller@example.com"});
    made.subject = subject;
    made.body = body;
    return made;
}

} // namespace

TEST(MailServerSetting, SchemesPortsAndAddresses)
{
    struct Case
    {
        std::string_view setting;
        std::string host;
        int port;
        MailTls tls;
    };
    const Case cases[] = {
        {"mail.example.com", "mail.example.com", 25, MailTls::WhenOffered},
        {"mail.example.com:2525", "mail.example.com", 2525, MailTls::WhenOffered},
        {"mail.example.com:465", "mail.example.com", 465, MailTls::Implicit},
        {"mail.example.com:587", "mail.example.com", 587, MailTls::Required},
        {"smtps://mail.example.com", "mail.example.com", 465, MailTls::Implicit},
        {"SMTPS://mail.example.com:4650/", "mail.example.com", 4650, MailTls::Implicit},
        {"smtp+starttls://mail.example.com", "mail.example.com", 587, MailTls::Required},
        {"smtp+starttls://mail.example.com:25", "mail.example.com", 25, MailTls::Required},
        {"smtp://mail.example.com:587", "mail.example.com", 587, MailTls::WhenOffered},
        {"[::1]:465", "::1", 465, MailTls::Implicit},
        {"[::1]", "::1", 25, MailTls::WhenOffered},
        {"::1", "::1", 25, MailTls::WhenOffered},           // an address without a port
        {"mail:abc", "mail:abc", 25, MailTls::WhenOffered}, // no port in it: taken whole
    };
    for (const Case &expected : cases) {
        const MailServer server = mailServerOf(expected.setting);
        EXPECT_EQ(server.host, expected.host) << expected.setting;
        EXPECT_EQ(server.port, expected.port) << expected.setting;
        EXPECT_EQ(server.tls, expected.tls) << expected.setting;
    }
}

TEST(MailTls, StartTlsAndImplicitTlsDeliverIntactMail)
{
    TestAuthority authority;
    ASSERT_TRUE(authority.made());
    std::string attachment(50 * 1024, '\0');
    for (size_t i = 0; i < attachment.size(); ++i)
        attachment[i] = static_cast<char>(i * 13 % 256);
    test::TempFolder temp;
    test::writeText(temp / "prompt.bin", attachment);

    // STARTTLS, by host name: the server refuses everything but STARTTLS before it.
    {
        const auto server = authority.server("starttls");
        ASSERT_TRUE(server->ready());
        Trace trace;
        CSMTPConnection connection(trace.sink());
        ASSERT_TRUE(connection.Connect(MailServer{"localhost", server->port()}, server->User,
                                       server->Password, authority.file("ca.pem")))
            << trace.text;
        EXPECT_TRUE(trace.has("TLS started with localhost: TLS"));
        CSMTPMessage mail = message("Secure", ".\nline one\r\nline two\n");
        ASSERT_TRUE(mail.attach((temp / "prompt.bin").string(), trace.sink()));
        ASSERT_TRUE(connection.SendMessage(mail)) << trace.text;
        ASSERT_EQ(server->messages().size(), 1u);
        EXPECT_NE(server->messages()[0].find("\n\n.\nline one\nline two\n"), std::string::npos);
        EXPECT_EQ(test::readText(server->attachment("prompt.bin")), attachment);
        EXPECT_EQ(server->logins(), "tls\n");
    }
    // TLS from the first byte, by address, through the mail worker and the settings' CA file.
    {
        const auto server = authority.server("implicit");
        ASSERT_TRUE(server->ready());
        Clock clock(0);
        std::vector<std::string> logged;
        Trace trace;
        CMailSendThread worker(
            clock, [&](std::string_view line) { logged.emplace_back(line); }, trace.sink());
        SimulatorSettings settings;
        settings.set("MailServerName", "smtps://127.0.0.1:" + std::to_string(server->port()));
        settings.set("MailUserName", server->User);
        settings.set("MailPassword", server->Password);
        settings.set("MailFromAccountName", server->User);
        settings.set("MailCAFile", authority.file("ca.pem"));
        worker.setAccount(mailAccountOf(settings));
        worker.post({"Implicit", "over TLS", "x@example.com", (temp / "prompt.bin").string()});
        worker.waitUntilIdle();
        EXPECT_EQ(logged,
                  std::vector<std::string>{"CMailSendThread>> Mail Server Cannection Succeded"})
            << trace.text;
        EXPECT_TRUE(trace.has("TLS started with 127.0.0.1: TLS"));
        ASSERT_EQ(server->messages().size(), 1u);
        EXPECT_EQ(test::readText(server->attachment("prompt.bin")), attachment);
        EXPECT_EQ(server->logins(), "tls\n");
    }
}

TEST(MailTls, NoPasswordLeavesWithoutAVerifiedServer)
{
    TestAuthority authority;
    ASSERT_TRUE(authority.made());
    auto refused = [](test::SmtpServer &server, const MailServer &where,
                      const std::string &caFile) {
        Trace trace;
        CSMTPConnection connection(trace.sink());
        EXPECT_FALSE(connection.Connect(where, server.User, server.Password, caFile));
        EXPECT_FALSE(connection.isConnected());
        EXPECT_FALSE(trace.has("Server :334")) << trace.text; // AUTH LOGIN never answered
        EXPECT_EQ(server.logins(), "");
        return trace;
    };
    // A certificate for another name, by address and by name.
    {
        const auto server = authority.server("starttls", "other");
        ASSERT_TRUE(server->ready());
        const Trace byAddress =
            refused(*server, {"127.0.0.1", server->port()}, authority.file("ca.pem"));
        EXPECT_TRUE(byAddress.has("The certificate of 127.0.0.1 was not accepted (IP address "
                                  "mismatch): the connection is closed"))
            << byAddress.text;
        const Trace byName =
            refused(*server, {"localhost", server->port()}, authority.file("ca.pem"));
        EXPECT_TRUE(byName.has("was not accepted (hostname mismatch)")) << byName.text;
    }
    // A private authority the system does not trust, and a CA file that is not there.
    {
        const auto server = authority.server("implicit");
        ASSERT_TRUE(server->ready());
        const MailServer where =
            mailServerOf("smtps://127.0.0.1:" + std::to_string(server->port()));
        const Trace untrusted = refused(*server, where, "");
        EXPECT_TRUE(untrusted.has("(unable to get local issuer certificate)")) << untrusted.text;
        const Trace missing = refused(*server, where, authority.file("none.pem"));
        EXPECT_TRUE(missing.has("Could not read the CA file " + authority.file("none.pem") +
                                ": No such file or directory\n"))
            << missing.text;
        const Trace notACertificate = refused(*server, where, authority.file("server.ext"));
        EXPECT_TRUE(notACertificate.has("Could not read the CA file")) << notACertificate.text;
    }
    // An account that requires STARTTLS, and a server in clear that does not offer it.
    {
        test::SmtpServer server;
        ASSERT_TRUE(server.ready());
        const Trace trace = refused(
            server, mailServerOf("smtp+starttls://127.0.0.1:" + std::to_string(server.port())), "");
        EXPECT_TRUE(trace.has("The server does not offer STARTTLS and the account asks for TLS"));
    }
}

TEST(MailTls, AHandshakeThatBreaksOffIsTracedAndNothingHangs)
{
    // STARTTLS announced and agreed to, then the peer hangs up in the handshake.
    test::CannedPeer peer({"220 peer ESMTP\r\n", "250-peer\r\n250-SIZE 1000\r\n250 starttls\r\n",
                           "220 go ahead\r\n"});
    Trace trace;
    CSMTPConnection connection(trace.sink());
    connection.setReplyTimeout(std::chrono::seconds(5));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(connection.Connect(MailServer{"127.0.0.1", peer.port()}, "u", "p"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(4));
    EXPECT_TRUE(trace.has("The TLS handshake with 127.0.0.1 failed: ")) << trace.text;
    EXPECT_FALSE(connection.isConnected());

    // A peer that speaks clear text where TLS should begin.
    test::CannedPeer plain({"220 peer ESMTP\r\n"});
    Trace second;
    CSMTPConnection implicit(second.sink());
    implicit.setReplyTimeout(std::chrono::seconds(5));
    EXPECT_FALSE(
        implicit.Connect(MailServer{"127.0.0.1", plain.port(), MailTls::Implicit}, "u", "p"));
    EXPECT_TRUE(second.has("The TLS handshake with 127.0.0.1 failed: ")) << second.text;
}
