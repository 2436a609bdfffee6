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

// When the connection to the mail server is encrypted.
enum class MailTls {
    WhenOffered, // STARTTLS when the server announces it, else in clear
    Required,    // STARTTLS or nothing: no password is sent in clear
    Implicit,    // TLS from the first byte (port 465, "smtps://")
};

// The server setting: "host", "host:port", "[v6 address]:port", "smtps://host[:port]" (TLS
// from the start, port 465 by default) or "smtp+starttls://host[:port]" (STARTTLS required,
// port 587 by default). Without a scheme, port 465 means TLS from the start and port 587 that
// STARTTLS is required; any other port, 25 when none is named, uses it when offered.
struct MailServer
{
    std::string host;
    int port = 25;
    MailTls tls = MailTls::WhenOffered;
};
MailServer mailServerOf(std::string_view setting);

// Base64 in the standard alphabet; with `lines`, a CR LF after every 76 characters and at the
// end (attachments), else one unbroken line (credentials).
std::string base64(std::string_view bytes, bool lines = true);
// The Date header's value in English names, with the zone "+hhmm" from the offset to UTC.
std::string dateHeader(const std::tm &local, long secondsEastOfUtc);

// An SMTP client that speaks one message per connection: greeting, EHLO or HELO, STARTTLS and
// EHLO again when the server offers it, AUTH LOGIN, the envelope, the MIME message, QUIT. Every
// step is written to the diagnostic trace. Certificates are checked against the system's trust
// store, plus `caFile` when given, and the server's name; nothing is sent after a failed check.
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
    bool Connect(const MailServer &server, const std::string &user, const std::string &password,
                 const std::string &caFile = {});
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
    bool startTls(const std::string &host, const std::string &caFile);
    bool hello();

    Trace m_trace;
    ClientSocket m_socket;
    bool m_connected = false;
    bool m_esmtp = false;
    bool m_offersStartTls = false;
    int m_replyCode = 0;
    std::chrono::milliseconds m_replyTimeout{60000};
    std::string m_pending; // bytes after the last reply, kept for the next
    std::string m_lastReply;
};

} // namespace vocara
