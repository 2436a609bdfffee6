#pragma once

#include "simulator/smtp_connection.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

namespace vocara {

class Clock;

struct MailRequest
{
    std::string subject;
    std::string body;
    std::string recipient;
    std::string attachment;
};

// The mail account the worker sends with.
struct MailAccount
{
    std::string server; // as mailServerOf reads it
    std::string user;
    std::string password;
    std::string from;
    std::string caFile; // an extra CA file, for a private server's certificate
};
struct SimulatorSettings;
MailAccount mailAccountOf(const SimulatorSettings &settings);

// Sends the flow's mail on a thread of its own, one connection per message, so that the flow
// never waits for the network. Closing stops it after the message in hand and joins it.
class CMailSendThread
{
public:
    static constexpr int WM_SEND_MAIL = 3624;
    using Log = std::function<void(std::string_view)>;

    // `log` takes the two connection lines; `trace` the SMTP dialogue (standard error without).
    CMailSendThread(Clock &clock, Log log, CSMTPConnection::Trace trace = {});
    ~CMailSendThread();
    CMailSendThread(const CMailSendThread &) = delete;
    CMailSendThread &operator=(const CMailSendThread &) = delete;

    void setAccount(MailAccount account);
    void post(MailRequest request);
    // Blocks until every posted message has been handled (tests and the command line).
    void waitUntilIdle();
    void close();

private:
    void run();
    void send(const MailRequest &request, const MailAccount &account);

    Clock &m_clock;
    Log m_log;
    CSMTPConnection::Trace m_trace;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<MailRequest> m_queue;
    MailAccount m_account;
    bool m_busy = false;
    bool m_exit = false;
    std::thread m_thread;
};

} // namespace vocara
