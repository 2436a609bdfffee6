#include "simulator/smtp_connection.h"

#include "document/messages.h"
#include "platform/atomic_file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <unistd.h>

namespace vocara {

namespace {

// The client's diagnostic texts.
namespace SmtpTrace {
constexpr std::string_view NoSocket = "Failed to create client socket, GetLastError returns: %d\n";
constexpr std::string_view NoConnection =
    "Could not connect to the SMTP server %s on port %d, GetLastError returns: %d\n";
constexpr std::string_view BadGreeting = "An unexpected SMTP login response was received\n";
constexpr std::string_view HeloSendFailed =
    "An unexpected error occurred while sending the HELO command\n";
constexpr std::string_view BadHelo = "An unexpected HELO response was received\n";
constexpr std::string_view BadAuthLogin = "An unexpected AUTH LOGIN response was received\n";
constexpr std::string_view BadUserName = "An unexpected User Name sending response was received\n";
constexpr std::string_view PasswordSendFailed =
    "An unexpected error occurred while sending the Password \n";
constexpr std::string_view BadAuthentication =
    "An unexpected Authentecation response was received\n";
constexpr std::string_view Reply = "Server :%s";
constexpr std::string_view BadMail = "An unexpected MAIL response was received\n";
constexpr std::string_view MailSendFailed =
    "Failed in call to send MAIL command, GetLastError returns: %d\n";
constexpr std::string_view BadRcpt = "An unexpected RCPT response was received\n";
constexpr std::string_view RcptSendFailed =
    "Failed in call to send RCPT command, GetLastError returns: %d\n";
constexpr std::string_view BadData = "An unexpected DATA response was received\n";
constexpr std::string_view HeaderSendFailed =
    "Failed in call to send the header, GetLastError returns: %d\n";
constexpr std::string_view BodyHeaderSendFailed =
    "Failed in call to send the body header, GetLastError returns: %d\n";
constexpr std::string_view AttachmentHeaderSendFailed =
    "Failed in call to send Mime attachment header, GetLastError returns: %d\n";
constexpr std::string_view AttachmentSendFailed =
    "Failed in call to send the attachment, GetLastError returns: %d\n";
constexpr std::string_view EndSendFailed =
    "Failed in call to send end of message indicator, GetLastError returns: %d\n";
constexpr std::string_view BadEnd = "An unexpected end of message response was received\n";
constexpr std::string_view QuitSendFailed =
    "Failed in call to send QUIT command, GetLastError returns: %d\n";
constexpr std::string_view BadQuit = "An unexpected QUIT response was received\n";
constexpr std::string_view AlreadyDisconnected =
    "Already disconnected from SMTP server, doing nothing\n";
constexpr std::string_view NoFileStatus =
    "Failed to get the status for file %s, probably does not exist\n";
constexpr std::string_view FileNotOpened = "Failed to open file to be attached\n";
constexpr std::string_view RefusedAddress =
    "Refused the address %s: it holds a line break or an angle bracket\n";
} // namespace SmtpTrace

constexpr std::string_view Boundary = "#BOUNDARY#";

std::string withError(std::string_view pattern)
{
    return Msg::fillIn(pattern, {std::to_string(errno)});
}

// Line breaks in a header value would start new header lines.
std::string headerSafe(std::string text)
{
    for (char &c : text)
        if (c == '\r' || c == '\n')
            c = ' ';
    return text;
}

bool addressSafe(std::string_view address)
{
    return address.find_first_of("\r\n<>") == std::string_view::npos;
}

// CR LF line ends, and a second dot before every line that starts with one.
std::string stuffed(std::string_view body)
{
    std::string out;
    bool lineStart = true;
    for (size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (lineStart && c == '.')
            out += '.';
        if (c == '\n' && (i == 0 || body[i - 1] != '\r'))
            out += '\r';
        out += c;
        lineStart = c == '\n';
    }
    return out;
}

std::string joined(const std::vector<CSMTPAddress> &list)
{
    std::string out;
    for (const CSMTPAddress &address : list)
        out += (out.empty() ? "" : ",") + address.text();
    return out;
}

std::string localHostName()
{
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || !*name)
        return "localhost";
    return name;
}

} // namespace

std::string CSMTPAddress::text() const
{
    return name.empty() ? address : name + " <" + address + ">";
}

std::string base64(std::string_view bytes, bool lines)
{
    static constexpr char Alphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve(bytes.size() * 4 / 3 + bytes.size() / 38 + 8);
    size_t column = 0;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const size_t left = bytes.size() - i;
        const unsigned value = static_cast<unsigned char>(bytes[i]) << 16 |
                               (left > 1 ? static_cast<unsigned char>(bytes[i + 1]) << 8 : 0) |
                               (left > 2 ? static_cast<unsigned char>(bytes[i + 2]) : 0);
        out += Alphabet[value >> 18 & 63];
        out += Alphabet[value >> 12 & 63];
        out += left > 1 ? Alphabet[value >> 6 & 63] : '=';
        out += left > 2 ? Alphabet[value & 63] : '=';
        column += 4;
        if (lines && column == 76 && i + 3 < bytes.size()) {
            out += "\r\n";
            column = 0;
        }
    }
    if (lines)
        out += "\r\n";
    return out;
}

std::string dateHeader(const std::tm &local, long secondsEastOfUtc)
{
    static constexpr const char *Days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char *Months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                             "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const long bias = -secondsEastOfUtc / 60;
    char text[64];
    std::snprintf(text, sizeof text, "%s, %02d %s %04d %02d:%02d:%02d %+.2ld%.2ld",
                  Days[local.tm_wday % 7], local.tm_mday, Months[local.tm_mon % 12],
                  local.tm_year + 1900, local.tm_hour, local.tm_min, local.tm_sec, -bias / 60,
                  std::labs(bias % 60));
    return text;
}

bool CSMTPMessage::attach(const std::string &path,
                          const std::function<void(std::string_view)> &trace)
{
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        trace(Msg::fillIn(SmtpTrace::NoFileStatus, {path}));
        return false;
    }
    // Read whole, up to the cap every loader of ours keeps.
    const std::optional<std::string> content = readWholeFile(path);
    if (!content) {
        trace(SmtpTrace::FileNotOpened);
        return false;
    }
    attachments.push_back(
        {headerSafe(std::filesystem::path(path).filename().string()), base64(*content)});
    return true;
}

CSMTPConnection::CSMTPConnection(Trace trace)
    : m_trace(trace ? std::move(trace) : [](std::string_view text) { std::cerr << text; })
{}

CSMTPConnection::~CSMTPConnection()
{
    if (m_connected)
        Disconnect();
}

bool CSMTPConnection::send(std::string_view text)
{
    return m_socket.sendAll(text);
}

bool CSMTPConnection::fail(std::string_view trace)
{
    m_trace(trace);
    if (m_connected)
        Disconnect();
    return false;
}

bool CSMTPConnection::ReadResponse(int expected)
{
    // A reply may span several lines ("250-..."); it ends with the line whose code is followed
    // by a blank (or nothing).
    const auto deadline = std::chrono::steady_clock::now() + m_replyTimeout;
    std::string &buffer = m_pending;
    for (;;) {
        size_t start = 0;
        for (size_t end; (end = buffer.find("\r\n", start)) != std::string::npos; start = end + 2) {
            const std::string_view line(buffer.data() + start, end - start);
            if (line.size() >= 3 && (line.size() == 3 || line[3] != '-')) {
                m_replyCode = std::atoi(std::string(line.substr(0, 3)).c_str());
                m_lastReply = buffer.substr(0, end + 2);
                buffer.erase(0, end + 2);
                m_trace(Msg::fillIn(SmtpTrace::Reply, {m_lastReply}));
                return m_replyCode == expected;
            }
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || m_socket.receive(buffer, left) <= 0) {
            m_replyCode = 0;
            return false;
        }
    }
}

bool CSMTPConnection::Connect(const std::string &server, const std::string &user,
                              const std::string &password, int port)
{
    m_pending.clear();
    if (!m_socket.connect(server, port)) {
        m_trace(Msg::fillIn(SmtpTrace::NoConnection,
                            {server, std::to_string(port), std::to_string(errno)}));
        return false;
    }
    m_connected = true;
    if (!ReadResponse(220))
        return fail(SmtpTrace::BadGreeting);
    m_esmtp = m_lastReply.find("ESMTP") != std::string::npos;
    if (!send((m_esmtp ? "EHLO " : "HELO ") + localHostName() + "\r\n"))
        return fail(SmtpTrace::HeloSendFailed);
    if (!ReadResponse(250))
        return fail(SmtpTrace::BadHelo);
    // AUTH LOGIN whatever the server announced.
    if (!send("AUTH LOGIN\r\n"))
        return fail(SmtpTrace::HeloSendFailed);
    if (!ReadResponse(334))
        return fail(SmtpTrace::BadAuthLogin);
    if (!send(base64(user, false) + "\r\n"))
        return fail(SmtpTrace::HeloSendFailed);
    if (!ReadResponse(334))
        return fail(SmtpTrace::BadUserName);
    if (!send(base64(password, false) + "\r\n"))
        return fail(SmtpTrace::PasswordSendFailed);
    if (!ReadResponse(235))
        return fail(SmtpTrace::BadAuthentication);
    return true;
}

bool CSMTPConnection::SendMessage(const CSMTPMessage &message)
{
    if (!m_connected)
        return false;
    // Addresses go into commands: a line break or bracket in one would add commands.
    for (const auto *list : {&message.to, &message.cc, &message.bcc})
        for (const CSMTPAddress &address : *list)
            if (!addressSafe(address.address) || !addressSafe(address.name))
                return fail(Msg::fillIn(SmtpTrace::RefusedAddress, {address.address}));
    if (!addressSafe(message.from.address) || !addressSafe(message.replyTo.address))
        return fail(Msg::fillIn(SmtpTrace::RefusedAddress, {message.from.address}));

    if (!send("MAIL FROM:<" + message.from.address + ">\r\n"))
        return fail(withError(SmtpTrace::MailSendFailed));
    if (!ReadResponse(250))
        return fail(SmtpTrace::BadMail);
    for (const auto *list : {&message.to, &message.cc, &message.bcc}) {
        for (const CSMTPAddress &address : *list) {
            if (!send("RCPT TO:<" + address.address + ">\r\n"))
                return fail(withError(SmtpTrace::RcptSendFailed));
            if (!ReadResponse(250))
                return fail(SmtpTrace::BadRcpt);
        }
    }
    if (!send("DATA\r\n"))
        return fail(withError(SmtpTrace::BadData));
    if (!ReadResponse(354))
        return fail(SmtpTrace::BadData);

    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const bool multipart = !message.attachments.empty();
    std::string header = "From: " + headerSafe(message.from.text()) +
                         "\r\nTo: " + headerSafe(joined(message.to)) + "\r\n";
    if (!message.cc.empty())
        header += "Cc: " + headerSafe(joined(message.cc)) + "\r\n";
    header += "Subject: " + headerSafe(message.subject) +
              "\r\nDate: " + dateHeader(local, local.tm_gmtoff) +
              "\r\nX-Mailer: " + message.xMailer + "\r\n";
    if (!message.replyTo.address.empty())
        header += "Reply-To: " + headerSafe(message.replyTo.text()) + "\r\n";
    header += multipart ? "MIME-Version: 1.0\r\nContent-type: multipart/mixed; "
                          "boundary=\"#BOUNDARY#\"\r\n"
                        : "MIME-Version: 1.0\r\nContent-type: text/plain; charset=US-ASCII\r\n";
    header += "\r\n";
    if (!send(header))
        return fail(withError(SmtpTrace::HeaderSendFailed));
    if (multipart && !send("\r\n--" + std::string(Boundary) +
                           "\r\nContent-Type: text/plain; charset=us-ascii\r\n"
                           "Content-Transfer-Encoding: quoted-printable\r\n\r\n"))
        return fail(withError(SmtpTrace::BodyHeaderSendFailed));
    if (!send(stuffed(message.body)))
        return fail(withError(SmtpTrace::BodyHeaderSendFailed));
    for (const CSMTPAttachment &attachment : message.attachments) {
        if (!send("\r\n\r\n--" + std::string(Boundary) +
                  "\r\nContent-Type: application/octet-stream; name=" + attachment.fileName +
                  "\r\nContent-Transfer-Encoding: base64\r\nContent-Disposition: attachment; "
                  "filename=" +
                  attachment.fileName + "\r\n\r\n"))
            return fail(withError(SmtpTrace::AttachmentHeaderSendFailed));
        if (!send(attachment.encoded))
            return fail(withError(SmtpTrace::AttachmentSendFailed));
    }
    if (multipart && !send("\r\n--" + std::string(Boundary) + "--"))
        return fail(withError(SmtpTrace::AttachmentSendFailed));
    if (!send("\r\n.\r\n"))
        return fail(withError(SmtpTrace::EndSendFailed));
    const bool accepted = ReadResponse(250);
    if (!accepted)
        m_trace(SmtpTrace::BadEnd);
    Disconnect();
    return accepted;
}

bool CSMTPConnection::Disconnect()
{
    if (!m_connected) {
        m_trace(SmtpTrace::AlreadyDisconnected);
        return false;
    }
    bool ok = true;
    if (!send("QUIT\r\n")) {
        m_trace(withError(SmtpTrace::QuitSendFailed));
        ok = false;
    } else if (!ReadResponse(221)) {
        m_trace(SmtpTrace::BadQuit);
        ok = false;
    }
    m_connected = false;
    m_socket.close();
    return ok;
}

} // namespace vocara
