#include "simulator/smtp_connection.h"

#include "document/messages.h"
#include "platform/atomic_file.h"

#include <algorithm>
#include <cctype>
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
constexpr std::string_view StartTlsSendFailed =
    "An unexpected error occurred while sending the STARTTLS command\n";
constexpr std::string_view BadStartTls = "An unexpected STARTTLS response was received\n";
constexpr std::string_view NoStartTls = "The server does not offer STARTTLS and the account asks "
                                        "for TLS: nothing more was sent\n";
constexpr std::string_view TlsStarted = "TLS started with %s: %s\n";
constexpr std::string_view CaFileUnreadable = "Could not read the CA file %s: %s\n";
constexpr std::string_view NotVerified = "The certificate of %s was not accepted (%s): the "
                                         "connection is closed and nothing more was sent\n";
constexpr std::string_view TlsFailed = "The TLS handshake with %s failed: %s\n";
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

// Whether an EHLO reply lists the STARTTLS extension on one of its lines.
bool announcesStartTls(std::string_view reply)
{
    for (size_t start = 0; start < reply.size();) {
        size_t end = reply.find("\r\n", start);
        if (end == std::string_view::npos)
            end = reply.size();
        std::string_view keyword = reply.substr(start, end - start);
        keyword.remove_prefix(std::min<size_t>(4, keyword.size()));
        while (!keyword.empty() && keyword.back() == ' ')
            keyword.remove_suffix(1);
        if (keyword.size() == 8 &&
            std::equal(keyword.begin(), keyword.end(), "STARTTLS", [](char a, char b) {
                return std::toupper(static_cast<unsigned char>(a)) == b;
            }))
            return true;
        start = end + 2;
    }
    return false;
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

bool CSMTPConnection::startTls(const std::string &host, const std::string &caFile)
{
    std::string detail;
    switch (m_socket.startTls(host, caFile, m_replyTimeout, detail)) {
    case TlsOutcome::Started:
        m_trace(Msg::fillIn(SmtpTrace::TlsStarted, {host, m_socket.tlsDescription()}));
        return true;
    case TlsOutcome::CaFileUnreadable:
        m_trace(Msg::fillIn(SmtpTrace::CaFileUnreadable, {caFile, detail}));
        break;
    case TlsOutcome::NotVerified:
        m_trace(Msg::fillIn(SmtpTrace::NotVerified, {host, detail}));
        break;
    case TlsOutcome::Failed:
        m_trace(Msg::fillIn(SmtpTrace::TlsFailed, {host, detail}));
        break;
    }
    // The socket is closed: there is no one left to say QUIT to.
    m_connected = false;
    return false;
}

bool CSMTPConnection::hello()
{
    if (!send((m_esmtp ? "EHLO " : "HELO ") + localHostName() + "\r\n"))
        return fail(SmtpTrace::HeloSendFailed);
    if (!ReadResponse(250))
        return fail(SmtpTrace::BadHelo);
    m_offersStartTls = m_esmtp && announcesStartTls(m_lastReply);
    return true;
}

bool CSMTPConnection::Connect(const std::string &server, const std::string &user,
                              const std::string &password, int port)
{
    return Connect(MailServer{server, port, MailTls::WhenOffered}, user, password);
}

bool CSMTPConnection::Connect(const MailServer &server, const std::string &user,
                              const std::string &password, const std::string &caFile)
{
    m_pending.clear();
    if (!m_socket.connect(server.host, server.port)) {
        m_trace(Msg::fillIn(SmtpTrace::NoConnection,
                            {server.host, std::to_string(server.port), std::to_string(errno)}));
        return false;
    }
    m_connected = true;
    if (server.tls == MailTls::Implicit && !startTls(server.host, caFile))
        return false;
    if (!ReadResponse(220))
        return fail(SmtpTrace::BadGreeting);
    // STARTTLS is an extension: an account that requires it greets with EHLO whatever the
    // greeting says.
    m_esmtp = m_lastReply.find("ESMTP") != std::string::npos || server.tls == MailTls::Required;
    if (!hello())
        return false;
    if (!m_socket.isEncrypted() && m_offersStartTls) {
        if (!send("STARTTLS\r\n"))
            return fail(SmtpTrace::StartTlsSendFailed);
        if (!ReadResponse(220))
            return fail(SmtpTrace::BadStartTls);
        // Whatever came in clear after the go-ahead is not the encrypted server's word.
        m_pending.clear();
        if (!startTls(server.host, caFile) || !hello())
            return false;
    } else if (!m_socket.isEncrypted() && server.tls == MailTls::Required) {
        return fail(SmtpTrace::NoStartTls);
    }
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

MailServer mailServerOf(std::string_view setting)
{
    MailServer server;
    std::string_view rest = setting;
    auto scheme = [&rest](std::string_view prefix) {
        const bool named =
            rest.size() >= prefix.size() &&
            std::equal(prefix.begin(), prefix.end(), rest.begin(), [](char a, char b) {
                return a == std::tolower(static_cast<unsigned char>(b));
            });
        if (named)
            rest.remove_prefix(prefix.size());
        return named;
    };
    if (scheme("smtps://"))
        server = {{}, 465, MailTls::Implicit};
    else if (scheme("smtp+starttls://"))
        server = {{}, 587, MailTls::Required};
    else if (scheme("smtp://"))
        server = {{}, 25, MailTls::WhenOffered};
    if (rest.ends_with('/'))
        rest.remove_suffix(1);
    const bool schemeNamed = rest.size() != setting.size();
    std::string_view host = rest;
    int port = 0;
    const size_t colon = rest.rfind(':');
    if (rest.starts_with('[')) {
        // "[v6 address]" or "[v6 address]:port"
        const size_t close = rest.find(']');
        if (close != std::string_view::npos) {
            host = rest.substr(1, close - 1);
            if (rest.substr(close + 1).starts_with(':'))
                port = portFromText(rest.substr(close + 2));
        }
    } else if (colon != std::string_view::npos && rest.find(':') == colon) {
        // One colon: host and port; more would be an IPv6 address without a port.
        port = portFromText(rest.substr(colon + 1));
        if (port > 0)
            host = rest.substr(0, colon);
    }
    server.host = std::string(host);
    if (port > 0) {
        server.port = port;
        if (!schemeNamed && port == 465)
            server.tls = MailTls::Implicit;
        else if (!schemeNamed && port == 587)
            server.tls = MailTls::Required;
    }
    return server;
}

} // namespace vocara
