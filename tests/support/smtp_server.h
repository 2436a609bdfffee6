#pragma once

#include "tests/support/temp_folder.h"

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace vocara::test {

// The aiosmtpd server of tests/support/smtp_server.py, run with Debian's own Python (which
// sees python3-aiosmtpd) and stopped by its PID.
class SmtpServer
{
public:
    static constexpr const char *User = "ivr@example.com";
    static constexpr const char *Password = "secret";

    // `ident` follows "220 127.0.0.1" in the greeting. `mode` is "plain", "starttls" (required
    // before anything else) or "implicit" (TLS from the first byte), with the certificate chain
    // and key the server shows.
    explicit SmtpServer(const std::string &ident = "ESMTP Vocara test",
                        const std::string &mode = "plain", const std::string &certificate = {},
                        const std::string &key = {})
    {
        const std::string script =
            std::string(std::getenv("VOCARA_TEST_SOURCE_DIR")) + "/tests/support/smtp_server.py";
        int out[2];
        if (::pipe(out) != 0)
            return;
        posix_spawn_file_actions_t files;
        posix_spawn_file_actions_init(&files);
        posix_spawn_file_actions_adddup2(&files, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_addclose(&files, out[0]);
        std::vector<std::string> arguments = {
            "/usr/bin/python3", script, (m_folder / "Maildir").string(), User, Password, ident};
        if (mode != "plain")
            arguments.insert(arguments.end(), {mode, certificate, key});
        std::vector<char *> argv;
        for (std::string &argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        if (::posix_spawn(&m_pid, argv[0], &files, nullptr, argv.data(), environ) != 0)
            m_pid = -1;
        posix_spawn_file_actions_destroy(&files);
        ::close(out[1]);
        std::string line;
        char c;
        while (m_pid > 0 && ::read(out[0], &c, 1) == 1 && c != '\n')
            line += c;
        ::close(out[0]);
        m_port = std::atoi(line.c_str());
    }
    ~SmtpServer()
    {
        if (m_pid > 0) {
            ::kill(m_pid, SIGTERM);
            int status = 0;
            ::waitpid(m_pid, &status, 0);
        }
    }
    SmtpServer(const SmtpServer &) = delete;
    SmtpServer &operator=(const SmtpServer &) = delete;

    bool ready() const { return m_port > 0; }
    int port() const { return m_port; }
    // Every message received, as stored.
    std::vector<std::string> messages() const
    {
        std::vector<std::string> found;
        std::error_code error;
        for (const auto &entry :
             std::filesystem::directory_iterator(m_folder / "Maildir/new", error))
            found.push_back(readText(entry.path()));
        return found;
    }
    // One line for every login tried: "tls" or "clear".
    std::string logins() const { return readText(m_folder / "Maildir/logins"); }
    std::filesystem::path attachment(const std::string &name) const
    {
        return m_folder / "Maildir/attachments" / name;
    }

private:
    TempFolder m_folder;
    pid_t m_pid = -1;
    int m_port = 0;
};

} // namespace vocara::test
