#pragma once

#include "platform/client_socket.h"

#include <chrono>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vocara {

struct CSMTPAddress
{
    std::string name; // friendly name, may be empty
    std::string address;
    // "address", or "name <address>".
    std::string text() const;
};

struct CSMTPAttachment
{
    std::string fileName; // name and extension, without the folder
    std::string encoded;  // the content in base64
};

struct CSMTPMessage
{
    CSMTPAddress from;
    std::vector<CSMTPAddress> to, cc, bcc;
    CSMTPAddress replyTo;
    std::string subject;
    std::string body;
    std::string xMailer = "CSMTPConnection v1.3";
    std::vector<CSMTPAttachment> attachments;

    // Loads a file as an attachment; false (with a trace) when it cannot be read.
    bool attach(const std::string &path, const std::function<void(std::string_view)> &trace);
};

// Base64 in the standard alphabet; with `lines`, a CR LF after every 76 characters and at the
// end (attachments), else one unbroken line (credentials).
std::string base64(std::string_view bytes, bool lines = true);
// The Date header's value in English names, with the zone "+hhmm" from the offset to UTC.
std::string dateHeader(const std::tm &local, long secondsEastOfUtc);

// An SMTP client that speaks one message per connection: greeting, EHLO or HELO, AUTH LOGIN,
// the envelope, the MIME message, QUIT. Every step is written to the diagnostic trace.
class CSMTPConnection
{
public:
    using Trace = std::function<void(std::string_view)>;

    // Without a trace the texts go to standard error.
    explicit CSMTPConnection(Trace trace = {});
    ~CSMTPConnection();
    CSMTPConnection(const CSMTPConnection &) = delete;
    CSMTPConnection &operator=(const CSMTPConnection &) = delete;

    bool Connect(const std::string &server, const std::string &user, const std::string &password,
                 int port = 25);
    bool SendMessage(const CSMTPMessage &message);
    bool Disconnect();
    bool isConnected() const { return m_connected; }
    int lastReplyCode() const { return m_replyCode; }
    void setReplyTimeout(std::chrono::milliseconds timeout) { m_replyTimeout = timeout; }

    // Reads one reply, every line of it, and compares its code.
    bool ReadResponse(int expected);

private:
    bool send(std::string_view text);
    bool fail(std::string_view trace);

    Trace m_trace;
    ClientSocket m_socket;
    bool m_connected = false;
    bool m_esmtp = false;
    int m_replyCode = 0;
    std::chrono::milliseconds m_replyTimeout{60000};
    std::string m_pending; // bytes after the last reply, kept for the next
    std::string m_lastReply;
};

} // namespace vocara
