#include "dialplan/client_socket.h"
#include "dialplan/file_receiver.h"
#include "tests/dialplan/export_fixture.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace vocara;
using test::readText;
using test::writeText;

namespace {

// The real receiver on 127.0.0.1, taking one connection on its own thread.
class Server : public test::ExportFixture
{
protected:
    Server()
        : receiver({temp / "root", 4096, std::chrono::milliseconds(500)})
    {
        std::filesystem::create_directories(temp / "root");
        EXPECT_TRUE(receiver.listen("127.0.0.1", 0));
    }
    ~Server() override
    {
        receiver.stop();
        if (worker.joinable())
            worker.join();
    }

    void acceptOne()
    {
        worker = std::thread([this] { served = receiver.serveOne(transfer); });
    }
    FileReceiver::Transfer finish()
    {
        worker.join();
        EXPECT_TRUE(served);
        return transfer;
    }
    std::string port() const { return std::to_string(receiver.port()); }

    bool send(const std::string &remote, const std::string &content)
    {
        writeText(temp / "local.conf", content);
        return SaveToServer("127.0.0.1", port(), remote, (temp / "local.conf").string(), dialogs,
                            [](std::chrono::milliseconds) {});
    }

    FileReceiver receiver;
    std::thread worker;
    FileReceiver::Transfer transfer;
    bool served = false;
};

} // namespace

TEST(ServerPort, LeadingDigits)
{
    EXPECT_EQ(portFromText("5000abc"), 5000);
    EXPECT_EQ(portFromText("abc"), 0);
    EXPECT_EQ(portFromText(""), 0);
    EXPECT_EQ(portFromText("65535"), 65535);
    EXPECT_EQ(portFromText("65536"), -1);
    EXPECT_EQ(portFromText("99999999999999999999"), -1);
}

TEST_F(Server, FilesOfEveryChunkingArriveWhole)
{
    for (size_t size : {1024u, 1025u, 2048u, 1u}) {
        SCOPED_TRACE(size);
        std::string content(size, 'x');
        content.front() = 'a';
        content.back() = 'z';
        acceptOne();
        EXPECT_TRUE(send("/etc/asterisk/ivr.conf", content));
        const FileReceiver::Transfer got = finish();
        EXPECT_TRUE(got.stored);
        EXPECT_EQ(got.path, "/etc/asterisk/ivr.conf");
        EXPECT_EQ(got.bytes, size);
        EXPECT_EQ(readText(temp / "root/etc/asterisk/ivr.conf"), content);
        EXPECT_NE(got.peer.find("127.0.0.1:"), std::string::npos);
    }
    EXPECT_TRUE(dialogs.texts().empty());
}

TEST_F(Server, TheStreamOnTheWire)
{
    // A bare listener shows the exact bytes, pauses included.
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(fd, 1), 0);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length);
    std::string received;
    std::thread reader([&] {
        const int client = ::accept(fd, nullptr, nullptr);
        char buffer[4096];
        for (ssize_t n; (n = ::recv(client, buffer, sizeof buffer, 0)) > 0;)
            received.append(buffer, static_cast<size_t>(n));
        ::close(client);
    });
    writeText(temp / "local.conf", std::string("abc\0def", 7));
    std::vector<std::chrono::milliseconds> pauses;
    EXPECT_TRUE(SaveToServer("127.0.0.1", std::to_string(ntohs(address.sin_port)) + "abc", "",
                             (temp / "local.conf").string(), dialogs,
                             [&](std::chrono::milliseconds ms) { pauses.push_back(ms); }));
    reader.join();
    ::close(fd);
    // An empty path, and the text up to its first zero byte.
    EXPECT_EQ(received, "FILEWRITE:;BEGINabcFILEWRITE:;FINISH");
    EXPECT_EQ(pauses, (std::vector<std::chrono::milliseconds>(2, std::chrono::seconds(1))));
}

TEST_F(Server, RefusedPathsOversizedStreamsAndDroppedConnections)
{
    for (const char *path : {"../outside.conf", "/a/../../outside.conf", "", "/"}) {
        SCOPED_TRACE(path);
        acceptOne();
        EXPECT_TRUE(send(path, "data"));
        EXPECT_FALSE(finish().stored);
    }
    EXPECT_FALSE(std::filesystem::exists(temp / "outside.conf"));

    // A link inside the root that points out of it.
    std::filesystem::create_directory_symlink(temp.path(), temp / "root/escape");
    acceptOne();
    EXPECT_TRUE(send("escape/x.conf", "data"));
    EXPECT_FALSE(finish().stored);
    EXPECT_FALSE(std::filesystem::exists(temp / "x.conf"));

    acceptOne();
    EXPECT_TRUE(send("big.conf", std::string(5000, 'b'))); // the limit here is 4096
    EXPECT_FALSE(finish().stored);
    EXPECT_FALSE(std::filesystem::exists(temp / "root/big.conf"));

    // The begin message and half a file, then the connection goes away.
    acceptOne();
    {
        ClientSocket socket;
        ASSERT_TRUE(socket.connect("127.0.0.1", receiver.port()));
        EXPECT_TRUE(socket.sendAll("FILEWRITE:half.conf;BEGINsome bytes"));
    }
    EXPECT_FALSE(finish().stored);
    EXPECT_FALSE(std::filesystem::exists(temp / "root/half.conf"));

    // A client that says nothing is let go after the idle time.
    acceptOne();
    ClientSocket silent;
    ASSERT_TRUE(silent.connect("127.0.0.1", receiver.port()));
    EXPECT_FALSE(finish().stored);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp / "root"), {}), 1); // escape
}

TEST_F(Server, SaveToServerAfterAnAsteriskSave)
{
    exporter.setPause([](std::chrono::milliseconds) {});
    place(doc.startNode(), Kind::Hang, {1, 0}, "Bye");
    DialplanSettings settings = doc.dialplanSettings();
    settings.CheckServerSave = true;
    settings.ServerIP = "127.0.0.1";
    settings.ServerPort = port();
    settings.ServerPath = "ivr/menu.conf";
    doc.setDialplanSettings(settings);
    acceptOne();
    dialogs.clear();
    const std::string local = exported();
    const FileReceiver::Transfer got = finish();
    EXPECT_TRUE(got.stored);
    EXPECT_EQ(readText(temp / "root/ivr/menu.conf"), local);
    EXPECT_EQ(dialogs.texts().back(), "Save in Server  SUCCESS");

    // Autosaves stay local.
    dialogs.clear();
    EXPECT_TRUE(doc.save((temp / "autosave.conf").string(), true));
    EXPECT_EQ(std::find(dialogs.texts().begin(), dialogs.texts().end(), "Save in Server  SUCCESS"),
              dialogs.texts().end());

    // Nobody listening: both messages, and the local file is still saved.
    receiver.stop();
    settings.ServerPort = "1";
    doc.setDialplanSettings(settings);
    dialogs.clear();
    exported("second.conf");
    const std::vector<std::string> texts = dialogs.texts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[texts.size() - 2], "Can Not Connect to The Server");
    EXPECT_EQ(texts.back(), "ERROR:Can't save in Server");
    EXPECT_TRUE(std::filesystem::exists(temp / "second.conf"));

    // Switched off: no attempt, no message.
    settings.CheckServerSave = false;
    doc.setDialplanSettings(settings);
    dialogs.clear();
    exported("third.conf");
    for (const std::string &text : dialogs.texts())
        EXPECT_EQ(text.find("Server"), std::string::npos) << text;
}

TEST_F(Server, UnreadableLocalFilesAreNotSent)
{
    EXPECT_FALSE(
        SaveToServer("127.0.0.1", port(), "x.conf", (temp / "missing.conf").string(), dialogs));
    EXPECT_FALSE(SaveToServer("127.0.0.1", port(), "x.conf", "a", dialogs));
    EXPECT_TRUE(dialogs.texts().empty()); // nothing was attempted
}
