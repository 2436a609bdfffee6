#include "cli/command.h"

#include "document/flow_format.h"
#include "document/flow_trailer.h"
#include "platform/clock.h"
#include "platform/folders.h"
#include "simulator/civr_handler.h"
#include "simulator/node_actions.h"
#include "simulator/simulator_host.h"

#include <cstdlib>
#include <fstream>
#include <ostream>
#include <vector>

namespace vocara::cli {

namespace {

// Prints each trace label as its node runs, and keeps the log.
class PrintingHost : public SimulatorHost
{
public:
    PrintingHost(std::ostream &out, std::ofstream *log)
        : m_out(out)
        , m_log(log)
    {}
    void nodeTraced(std::string_view label) override { m_out << label << '\n'; }
    void log(std::string_view line) override
    {
        if (m_log)
            *m_log << line << '\n' << std::flush;
    }

private:
    std::ostream &m_out;
    std::ofstream *m_log;
};

} // namespace

int runSimulate(std::span<const std::string> args, std::ostream &out, std::ostream &err)
{
    std::string file;
    std::string logPath;
    std::vector<std::string> caller;
    int speed = 0;
    double scale = 1.0;
    auto usage = [&err] {
        err << "usage: vocara-cli simulate FILE [--caller SCRIPT] [--speed MS] [--time-scale F] "
               "[--log FILE]\n";
        return ExitCannotRun;
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        char *end = nullptr;
        if (args[i] == "--caller" && hasValue) {
            std::string script = args[++i];
            for (size_t start = 0; start <= script.size();) {
                const size_t comma = std::min(script.find(',', start), script.size());
                const std::string token = script.substr(start, comma - start);
                if (token != "T" &&
                    !(token.size() == 1 &&
                      std::string_view("0123456789*#").find(token[0]) != std::string::npos))
                    return usage();
                caller.push_back(token);
                start = comma + 1;
            }
        } else if (args[i] == "--speed" && hasValue) {
            speed = static_cast<int>(std::strtol(args[++i].c_str(), &end, 10));
            if (*end || speed < 0)
                return usage();
        } else if (args[i] == "--time-scale" && hasValue) {
            scale = std::strtod(args[++i].c_str(), &end);
            if (*end || !(scale >= 0))
                return usage();
        } else if (args[i] == "--log" && hasValue) {
            logPath = args[++i];
        } else if (file.empty() && !args[i].starts_with("-")) {
            file = args[i];
        } else {
            return usage();
        }
    }
    if (file.empty())
        return usage();

    std::string flowPath = file;
    std::filesystem::path extracted;
    if (modeForPath(file) == DocumentMode::Asterisk) {
        extracted = userFolder() / FlowFiles::ExtractedFlow;
        if (!ExtractFlow(file, extracted)) {
            err << "This File not include QFL structure\n";
            return ExitFound;
        }
        flowPath = extracted.string();
    }
    std::ofstream log;
    if (!logPath.empty())
        log.open(logPath, std::ios::app);
    PrintingHost host(out, logPath.empty() ? nullptr : &log);
    UnavailableActions actions([&host](std::string_view line) { host.log(line); });
    Clock clock(scale);
    std::atomic<bool> active{true};
    CIVRHandler handler(host, actions, clock, active);
    handler.setSpeed(speed);
    const std::filesystem::path folder = std::filesystem::path(file).parent_path();
    const bool loaded = handler.StartIVR(flowPath, folder.string() + "/");
    if (!extracted.empty())
        std::filesystem::remove(extracted);
    if (!loaded) {
        err << "Invalid QEN IVR File\n";
        return ExitFound;
    }
    // The caller answers each wait with the next key of the script, or lets it time out; when
    // the script runs out the caller hangs up.
    for (const std::string &token : caller) {
        if (!handler.isRunning())
            break;
        if (token == "T")
            handler.OnDTMFTimerExpired();
        else
            handler.OnDTMFDetected(token);
    }
    if (handler.isRunning())
        handler.EndIVR();
    for (const auto &[name, value] : handler.finalVariables().items())
        out << name << '=' << value << '\n';
    return ExitOk;
}

} // namespace vocara::cli
