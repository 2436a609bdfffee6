#include "simulator/mail_send_thread.h"

#include "platform/clock.h"
#include "simulator/simulator_settings.h"

namespace vocara {

MailAccount mailAccountOf(const SimulatorSettings &settings)
{
    return {settings.mailServerName, settings.mailUserName, settings.mailPassword,
            settings.mailFromAccountName, settings.mailCaFile};
}

CMailSendThread::CMailSendThread(Clock &clock, Log log, CSMTPConnection::Trace trace)
    : m_clock(clock)
    , m_log(std::move(log))
    , m_trace(std::move(trace))
{
    m_thread = std::thread([this] { run(); });
}

CMailSendThread::~CMailSendThread()
{
    close();
}

void CMailSendThread::setAccount(MailAccount account)
{
    std::lock_guard lock(m_mutex);
    m_account = std::move(account);
}

void CMailSendThread::post(MailRequest request)
{
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(request));
    }
    m_wake.notify_one();
}

void CMailSendThread::waitUntilIdle()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_exit || (m_queue.empty() && !m_busy); });
}

void CMailSendThread::close()
{
    {
        std::lock_guard lock(m_mutex);
        m_exit = true;
    }
    m_wake.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void CMailSendThread::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_exit || !m_queue.empty(); });
        if (m_exit)
            break;
        const MailRequest request = std::move(m_queue.front());
        m_queue.pop_front();
        const MailAccount account = m_account;
        m_busy = true;
        lock.unlock();
        send(request, account);
        lock.lock();
        m_busy = false;
        m_idle.notify_all();
    }
    m_idle.notify_all();
}

void CMailSendThread::send(const MailRequest &request, const MailAccount &account)
{
    m_clock.sleepFor(std::chrono::milliseconds(2000));
    if (account.server.empty() || account.user.empty() || account.password.empty() ||
        account.from.empty())
        return;
    CSMTPConnection connection(m_trace);
    const MailServer server = mailServerOf(account.server);
    if (!connection.Connect(server, account.user, account.password, account.caFile)) {
        m_log("CMailSendThread>> Mail Server Cannection Failed");
        return;
    }
    m_log("CMailSendThread>> Mail Server Cannection Succeded");
    CSMTPMessage message;
    message.to.push_back({"", request.recipient});
    message.from.address = account.from;
    message.subject = request.subject;
    message.body = request.body;
    if (!request.attachment.empty())
        message.attach(request.attachment, [&](std::string_view text) {
            if (m_trace)
                m_trace(text);
        });
    connection.SendMessage(message);
    if (connection.isConnected())
        connection.Disconnect();
}

} // namespace vocara
