// The receiver against hostile and unlucky peers: broken first segments, finish lines inside
// the file, silent and trickling clients beside many honest ones.
#include "dialplan/file_receiver.h"
#include "dialplan/transfer_stream.h"
#include "platform/client_socket.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace vocara;
using test::readText;

namespace {

std::string framed(const std::string &path, const std::string &content)
{
    return "FILEWRITE:" + path + ";BEGIN" + content + "FILEWRITE:" + path + ";FINISH";
}

// What a stream makes of `bytes`, fed whole and then one byte at a time: both must agree.
struct Fed
{
    bool refused;
    bool complete;
    std::string path;
    std::string content;
};

Fed feed(const std::string &bytes, std::uintmax_t limit = 100)
{
    TransferStream whole(limit);
    whole.append(bytes);
    TransferStream single(limit);
    for (char c : bytes)
        single.append(std::string_view(&c, 1));
    EXPECT_EQ(whole.refused(), single.refused()) << bytes;
    EXPECT_EQ(whole.complete(), single.complete()) << bytes;
    EXPECT_EQ(whole.content(), single.content()) << bytes;
    return {whole.refused(), whole.complete(), std::string(whole.path()),
            std::string(whole.content())};
}

// The receiver's end of a socket pair, handled on its own thread; the test is the peer.
class Connection
{
public:
    explicit Connection(FileReceiver &receiver)
    {
        int fds[2];
        EXPECT_EQ(::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds), 0);
        m_server = fds[0];
        m_peer = fds[1];
        m_worker =
            std::thread([this, &receiver] { m_transfer = receiver.handle(m_server, "pair"); });
    }
    ~Connection()
    {
        if (m_worker.joinable())
            m_worker.join();
        ::close(m_peer);
    }

    void send(std::string_view bytes)
    {
        ASSERT_EQ(::send(m_peer, bytes.data(), bytes.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(bytes.size()));
    }
    // False once the receiver has closed.
    bool sendQuietly(std::string_view bytes)
    {
        return ::send(m_peer, bytes.data(), bytes.size(), MSG_NOSIGNAL) > 0;
    }
    // Returns once the receiver has read everything sent so far.
    void waitUntilRead() const
    {
        for (int unread = 1; unread > 0;) {
            if (::ioctl(m_server, FIONREAD, &unread) != 0)
                break;
            std::this_thread::yield();
        }
    }
    void closeSending() { ::shutdown(m_peer, SHUT_WR); }
    // The answer and the transfer, once the receiver is done.
    std::string finish(FileReceiver::Transfer &transfer)
    {
        std::string answer;
        char buffer[64];
        for (ssize_t n; (n = ::recv(m_peer, buffer, sizeof buffer, 0)) > 0;)
            answer.append(buffer, static_cast<size_t>(n));
        m_worker.join();
        transfer = m_transfer;
        return answer;
    }

private:
    int m_server = -1;
    int m_peer = -1;
    std::thread m_worker;
    FileReceiver::Transfer m_transfer;
};

class Receiver : public ::testing::Test
{
protected:
    Receiver() { std::filesystem::create_directories(temp / "root"); }

    FileReceiver::Options options(std::chrono::milliseconds idle = std::chrono::seconds(5))
    {
        FileReceiver::Options o;
        o.root = temp / "root";
        o.maxBytes = 1 << 20;
        o.idleTimeout = idle;
        return o;
    }

    test::TempFolder temp;
};

} // namespace

TEST(TransferStream, HeadersFilesAndFinishLinesInAnyPieces)
{
    // Short first segments that name ";BEGIN" before the prefix is whole once stopped the
    // receiver; now they are simply not transfers.
    for (const char *hostile : {";BEGIN", "F;BEGIN", "FILE;BEGIN", "FILEWRIT;BEGIN", "x"}) {
        SCOPED_TRACE(hostile);
        const Fed fed = feed(hostile);
        EXPECT_TRUE(fed.refused);
        EXPECT_FALSE(fed.complete);
    }
    for (const char *partial : {"", "FILE", "FILEWRITE:", "FILEWRITE:a.conf;BEG",
                                "FILEWRITE:a.conf;BEGINabc", "FILEWRITE:a.conf;BEGINFILEWRITE:"}) {
        SCOPED_TRACE(partial);
        const Fed fed = feed(partial);
        EXPECT_FALSE(fed.refused);
        EXPECT_FALSE(fed.complete);
    }

    Fed fed = feed(framed("/etc/a.conf", "abc"));
    EXPECT_TRUE(fed.complete);
    EXPECT_EQ(fed.path, "/etc/a.conf");
    EXPECT_EQ(fed.content, "abc");
    fed = feed(framed("", ""));
    EXPECT_TRUE(fed.complete);
    EXPECT_EQ(fed.content, "");
    // The first ";BEGIN" ends the path; later ones are the file's.
    fed = feed(framed("a", ";BEGIN;BEGIN"));
    EXPECT_EQ(fed.path, "a");
    EXPECT_EQ(fed.content, ";BEGIN;BEGIN");
    // Another path's finish line is content.
    EXPECT_FALSE(feed(framed("a", "x") + "FILEWRITE:b;FINISH").complete);

    // A finish line inside the file is complete for a moment, then not, then complete again.
    TransferStream stream(100);
    stream.append("FILEWRITE:a;BEGIN[one]FILEWRITE:a;FINISH");
    EXPECT_TRUE(stream.complete());
    stream.append("[two]");
    EXPECT_FALSE(stream.complete());
    stream.append("FILEWRITE:a;FINISH");
    EXPECT_EQ(stream.content(), "[one]FILEWRITE:a;FINISH[two]");

    // Limits: the file's size and the announced path's length.
    EXPECT_FALSE(feed(framed("a", std::string(100, 'x'))).refused);
    EXPECT_TRUE(feed(framed("a", std::string(101, 'x'))).refused);
    EXPECT_TRUE(
        feed("FILEWRITE:" + std::string(TransferStream::MaxAnnouncedPath + 1, 'p') + ";BEGIN")
            .refused);
    EXPECT_TRUE(
        feed("FILEWRITE:" + std::string(TransferStream::MaxAnnouncedPath + 20, 'p')).refused);
}

TEST_F(Receiver, BrokenFirstSegmentsEndOnlyTheirConnection)
{
    FileReceiver receiver(options());
    using namespace std::string_view_literals;
    for (std::string_view hostile :
         {";BEGIN"sv, "FI;BEGIN"sv, "FILEWRITE:;BEGIN"sv, "\0\0;BEGIN"sv}) {
        SCOPED_TRACE(hostile);
        Connection peer(receiver);
        peer.send(hostile);
        peer.closeSending();
        FileReceiver::Transfer transfer;
        EXPECT_EQ(peer.finish(transfer), "fail");
        EXPECT_FALSE(transfer.stored);
        EXPECT_TRUE(transfer.failure.empty()) << transfer.failure;
    }
    // The receiver still serves the next peer.
    Connection peer(receiver);
    peer.send(framed("ok.conf", "fine"));
    peer.closeSending();
    FileReceiver::Transfer transfer;
    EXPECT_EQ(peer.finish(transfer), "success");
    EXPECT_EQ(readText(temp / "root/ok.conf"), "fine");
}

TEST_F(Receiver, AFinishLineInsideTheFileNeverCutsIt)
{
    FileReceiver receiver(options());
    const std::string content = "exten => s,1,NoOp\r\nFILEWRITE:menu.conf;FINISH\r\nlast line\r\n";
    const size_t cut = content.find("FINISH") + 6;
    Connection peer(receiver);
    peer.send("FILEWRITE:menu.conf;BEGIN" + content.substr(0, cut));
    peer.waitUntilRead(); // the read ends exactly after the inner finish line
    peer.send(content.substr(cut));
    peer.send("FILEWRITE:menu.conf;FINISH");
    // This peer waits for the answer without closing: its silence ends the transfer.
    FileReceiver::Transfer transfer;
    EXPECT_EQ(peer.finish(transfer), "success");
    EXPECT_EQ(transfer.bytes, content.size());
    EXPECT_EQ(readText(temp / "root/menu.conf"), content);
}

TEST_F(Receiver, ATransferHasADeadlineAsAWhole)
{
    FileReceiver::Options o = options(std::chrono::seconds(5));
    o.transferTimeout = std::chrono::milliseconds(300);
    FileReceiver receiver(o);
    Connection peer(receiver);
    peer.send("FILEWRITE:slow.conf;BEGIN");
    // Never idle for long, but never done either.
    std::atomic<bool> done{false};
    std::thread trickle([&] {
        while (!done && peer.sendQuietly("x"))
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    });
    const auto started = std::chrono::steady_clock::now();
    FileReceiver::Transfer transfer;
    EXPECT_EQ(peer.finish(transfer), "fail");
    done = true;
    trickle.join();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(2));
    EXPECT_FALSE(std::filesystem::exists(temp / "root/slow.conf"));
}

TEST_F(Receiver, ManyPeersAtOnceBesideSilentAndTricklingOnes)
{
    FileReceiver::Options o = options(std::chrono::seconds(30));
    FileReceiver receiver(o);
    ASSERT_TRUE(receiver.listen("127.0.0.1", 0));
    std::mutex mutex;
    std::vector<FileReceiver::Transfer> reported;
    std::thread server([&] {
        receiver.serve([&](const FileReceiver::Transfer &t) {
            std::lock_guard lock(mutex);
            reported.push_back(t);
        });
    });

    // Five peers that connect and say nothing, one that sends a byte a second.
    std::vector<ClientSocket> silent(5);
    for (ClientSocket &socket : silent)
        ASSERT_TRUE(socket.connect("127.0.0.1", receiver.port()));
    ClientSocket trickler;
    ASSERT_TRUE(trickler.connect("127.0.0.1", receiver.port()));
    std::atomic<bool> trickling{true};
    std::thread trickle([&] {
        const std::string header = "FILEWRITE:trickle.conf;BEGIN";
        for (size_t i = 0; trickling && i < header.size() + 60; ++i) {
            trickler.sendAll(i < header.size() ? header.substr(i, 1) : "t");
            for (int tick = 0; trickling && tick < 10; ++tick)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });

    constexpr int Clients = 50;
    std::vector<std::chrono::steady_clock::duration> took(Clients);
    std::vector<std::string> answers(Clients);
    std::vector<std::thread> clients;
    for (int i = 0; i < Clients; ++i) {
        clients.emplace_back([&, i] {
            const auto started = std::chrono::steady_clock::now();
            ClientSocket socket;
            if (!socket.connect("127.0.0.1", receiver.port()))
                return;
            const std::string name = "client" + std::to_string(i) + ".conf";
            socket.sendAll(framed(name, std::string(20000 + i, static_cast<char>('a' + i % 26))));
            // Most close their side as the designer does; some wait for the answer.
            if (i % 5 != 0)
                socket.shutdownSending();
            std::string &answer = answers[static_cast<size_t>(i)];
            while (socket.receive(answer, std::chrono::seconds(5)) > 0) {
            }
            took[static_cast<size_t>(i)] = std::chrono::steady_clock::now() - started;
        });
    }
    for (std::thread &client : clients)
        client.join();
    trickling = false;
    trickle.join();
    receiver.stop();
    server.join();

    for (int i = 0; i < Clients; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(answers[static_cast<size_t>(i)], "success");
        EXPECT_LT(took[static_cast<size_t>(i)], std::chrono::seconds(2));
        EXPECT_EQ(readText(temp / "root" / ("client" + std::to_string(i) + ".conf")),
                  std::string(20000 + i, static_cast<char>('a' + i % 26)));
    }
    EXPECT_FALSE(std::filesystem::exists(temp / "root/trickle.conf"));
    std::lock_guard lock(mutex);
    EXPECT_EQ(reported.size(), Clients + 6u); // the hostile six end as failures on stop
}
