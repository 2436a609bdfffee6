#pragma once

#include "platform/spawn.h"
#include "tests/support/temp_folder.h"

#include <chrono>
#include <csignal>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char **environ;

namespace vocara::test {

// A PulseAudio server of the test's own: a null sink "ivr_null" (its monitor is the source
// "ivr_null.monitor") on a private socket, which PULSE_SERVER points at while it lives. A
// quiet stream keeps the sink awake, so sound plays in real time from the first block.
class PulseDaemon
{
public:
    static constexpr const char *Monitor = "ivr_null.monitor";

    PulseDaemon()
    {
        const std::string socket = (m_folder / "native").string();
        m_daemon =
            spawn({"pulseaudio", "--daemonize=no", "-n", "--exit-idle-time=-1", "--disallow-exit",
                   "--use-pid-file=no", "--log-target=file:" + (m_folder / "pulse.log").string(),
                   "--load=module-null-sink sink_name=ivr_null",
                   "--load=module-native-protocol-unix socket=" + socket + " auth-anonymous=1"});
        if (m_daemon <= 0) {
            m_error = "pulseaudio could not be started";
            return;
        }
        ::setenv("PULSE_SERVER", ("unix:" + socket).c_str(), 1);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!runAndWait({"pactl", "info"}).succeeded()) {
            if (std::chrono::steady_clock::now() > deadline) {
                m_error = "pulseaudio did not answer; see " + (m_folder / "pulse.log").string();
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        m_keepAwake = spawn({"pacat", "--playback", "--latency-msec=20", "--raw", "--rate=8000",
                             "--channels=1", "--format=s16le", "-d", "ivr_null", "/dev/zero"});
        std::this_thread::sleep_for(std::chrono::milliseconds(2200));
        m_ready = m_keepAwake > 0;
        if (!m_ready)
            m_error = "pacat could not be started";
    }
    ~PulseDaemon()
    {
        stop(m_keepAwake);
        stop(m_daemon);
        ::unsetenv("PULSE_SERVER");
    }
    PulseDaemon(const PulseDaemon &) = delete;
    PulseDaemon &operator=(const PulseDaemon &) = delete;

    bool ready() const { return m_ready; }
    const std::string &error() const { return m_error; }

private:
    static pid_t spawn(const std::vector<std::string> &arguments)
    {
        std::vector<char *> argv;
        for (const std::string &argument : arguments)
            argv.push_back(const_cast<char *>(argument.c_str()));
        argv.push_back(nullptr);
        pid_t pid = 0;
        return ::posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0 ? pid
                                                                                          : -1;
    }
    static void stop(pid_t pid)
    {
        if (pid <= 0)
            return;
        ::kill(pid, SIGTERM);
        int status = 0;
        ::waitpid(pid, &status, 0);
    }

    TempFolder m_folder;
    pid_t m_daemon = -1;
    pid_t m_keepAwake = -1;
    bool m_ready = false;
    std::string m_error;
};

} // namespace vocara::test
