#include "platform/tls_channel.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <poll.h>
#include <sys/socket.h>

namespace vocara {

namespace {

int fdOf(BIO *bio)
{
    return static_cast<int>(reinterpret_cast<std::intptr_t>(BIO_get_data(bio)));
}

int socketWrite(BIO *bio, const char *data, int size)
{
    BIO_clear_retry_flags(bio);
    for (;;) {
        // MSG_NOSIGNAL: a peer that hung up must not kill the program.
        const ssize_t sent = ::send(fdOf(bio), data, static_cast<size_t>(size), MSG_NOSIGNAL);
        if (sent >= 0)
            return static_cast<int>(sent);
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            BIO_set_retry_write(bio);
        return -1;
    }
}

int socketRead(BIO *bio, char *data, int size)
{
    BIO_clear_retry_flags(bio);
    for (;;) {
        const ssize_t got = ::recv(fdOf(bio), data, static_cast<size_t>(size), 0);
        if (got >= 0)
            return static_cast<int>(got);
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            BIO_set_retry_read(bio);
        return -1;
    }
}

long socketControl(BIO *, int command, long, void *)
{
    return command == BIO_CTRL_FLUSH ? 1 : 0;
}

int socketCreate(BIO *bio)
{
    BIO_set_init(bio, 1);
    return 1;
}

// OpenSSL's own socket BIO writes with write(), which raises SIGPIPE on a closed connection.
BIO_METHOD *socketMethod()
{
    static BIO_METHOD *const method = [] {
        BIO_METHOD *made =
            BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "vocara socket");
        BIO_meth_set_write(made, socketWrite);
        BIO_meth_set_read(made, socketRead);
        BIO_meth_set_ctrl(made, socketControl);
        BIO_meth_set_create(made, socketCreate);
        return made;
    }();
    return method;
}

bool isAddress(const std::string &host)
{
    unsigned char bytes[sizeof(in6_addr)];
    return ::inet_pton(AF_INET, host.c_str(), bytes) == 1 ||
           ::inet_pton(AF_INET6, host.c_str(), bytes) == 1;
}

// The library's reason for the last failure, or the system's, or `fallback`.
std::string lastError(std::string_view fallback)
{
    if (const unsigned long code = ERR_get_error()) {
        char text[256];
        ERR_error_string_n(code, text, sizeof text);
        ERR_clear_error();
        return text;
    }
    if (errno != 0 && errno != EAGAIN)
        return std::strerror(errno);
    return std::string(fallback);
}

// Waits as the library asked after `result`; false on an error or when time is up.
bool waitAsAsked(SSL *ssl, int result, int fd, std::chrono::steady_clock::time_point deadline)
{
    switch (SSL_get_error(ssl, result)) {
    case SSL_ERROR_WANT_READ:
        return waitForSocket(fd, POLLIN, deadline);
    case SSL_ERROR_WANT_WRITE:
        return waitForSocket(fd, POLLOUT, deadline);
    default:
        return false;
    }
}

} // namespace

struct TlsChannel::Handles
{
    SSL_CTX *context = nullptr;
    SSL *ssl = nullptr;
    bool shutDown = false;
    ~Handles()
    {
        SSL_free(ssl);
        SSL_CTX_free(context);
    }
};

TlsChannel::TlsChannel(std::unique_ptr<Handles> handles, int fd)
    : m_handles(std::move(handles))
    , m_fd(fd)
{}

TlsChannel::~TlsChannel() = default;

TlsOutcome TlsChannel::start(int fd, const std::string &host, const std::string &caFile,
                             std::chrono::milliseconds timeout,
                             std::unique_ptr<TlsChannel> &channel, std::string &detail)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    channel.reset();
    ERR_clear_error();
    auto handles = std::make_unique<Handles>();
    handles->context = SSL_CTX_new(TLS_client_method());
    if (!handles->context) {
        detail = lastError("no TLS context");
        return TlsOutcome::Failed;
    }
    SSL_CTX *context = handles->context;
    SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
    SSL_CTX_set_default_verify_paths(context);
    if (!caFile.empty()) {
        // Said with the system's words when the file cannot even be opened.
        errno = 0;
        if (!std::ifstream(caFile)) {
            detail = std::strerror(errno != 0 ? errno : ENOENT);
            return TlsOutcome::CaFileUnreadable;
        }
        if (SSL_CTX_load_verify_locations(context, caFile.c_str(), nullptr) != 1) {
            detail = lastError("no certificate in it");
            return TlsOutcome::CaFileUnreadable;
        }
    }
    handles->ssl = SSL_new(context);
    BIO *bio = handles->ssl ? BIO_new(socketMethod()) : nullptr;
    if (!bio) {
        detail = lastError("no TLS session");
        return TlsOutcome::Failed;
    }
    SSL *ssl = handles->ssl;
    BIO_set_data(bio, reinterpret_cast<void *>(static_cast<std::intptr_t>(fd)));
    SSL_set_bio(ssl, bio, bio);
    SSL_set_mode(ssl, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    if (isAddress(host)) {
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), host.c_str());
    } else {
        // The name the server should present a certificate for (SSL_set_tlsext_host_name).
        SSL_ctrl(ssl, SSL_CTRL_SET_TLSEXT_HOSTNAME, TLSEXT_NAMETYPE_host_name,
                 const_cast<char *>(host.c_str()));
        SSL_set1_host(ssl, host.c_str());
    }
    for (;;) {
        errno = 0;
        const int result = SSL_connect(ssl);
        if (result == 1)
            break;
        const int error = SSL_get_error(ssl, result);
        if (const long verified = SSL_get_verify_result(ssl); verified != X509_V_OK) {
            detail = X509_verify_cert_error_string(verified);
            ERR_clear_error();
            return TlsOutcome::NotVerified;
        }
        if (error != SSL_ERROR_WANT_READ && error != SSL_ERROR_WANT_WRITE) {
            detail = lastError("the server closed the connection");
            return TlsOutcome::Failed;
        }
        if (!waitAsAsked(ssl, result, fd, deadline)) {
            detail = "no answer in time";
            return TlsOutcome::Failed;
        }
    }
    channel.reset(new TlsChannel(std::move(handles), fd));
    return TlsOutcome::Started;
}

bool TlsChannel::sendAll(std::string_view bytes, std::chrono::steady_clock::time_point deadline)
{
    SSL *ssl = m_handles->ssl;
    while (!bytes.empty()) {
        ERR_clear_error();
        const int result =
            SSL_write(ssl, bytes.data(), static_cast<int>(std::min<size_t>(bytes.size(), 1 << 30)));
        if (result > 0)
            bytes.remove_prefix(static_cast<size_t>(result));
        else if (!waitAsAsked(ssl, result, m_fd, deadline))
            return false;
    }
    return true;
}

long TlsChannel::receive(std::string &into, std::chrono::steady_clock::time_point deadline)
{
    SSL *ssl = m_handles->ssl;
    char buffer[4096];
    for (;;) {
        ERR_clear_error();
        errno = 0;
        const int result = SSL_read(ssl, buffer, sizeof buffer);
        if (result > 0) {
            into.append(buffer, static_cast<size_t>(result));
            return result;
        }
        const int error = SSL_get_error(ssl, result);
        // A closing alert, or a peer that hung up without one: the connection is over.
        if (error == SSL_ERROR_ZERO_RETURN || (error == SSL_ERROR_SYSCALL && errno == 0) ||
            (error == SSL_ERROR_SSL &&
             ERR_GET_REASON(ERR_peek_error()) == SSL_R_UNEXPECTED_EOF_WHILE_READING))
            return 0;
        if (!waitAsAsked(ssl, result, m_fd, deadline))
            return -1;
    }
}

std::string TlsChannel::description() const
{
    return std::string(SSL_get_version(m_handles->ssl)) + ' ' +
           SSL_CIPHER_get_name(SSL_get_current_cipher(m_handles->ssl));
}

void TlsChannel::shutdown()
{
    if (!m_handles->shutDown) {
        m_handles->shutDown = true;
        ERR_clear_error();
        SSL_shutdown(m_handles->ssl);
        ERR_clear_error();
    }
}

} // namespace vocara
