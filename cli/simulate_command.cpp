#include "cli/command.h"

#include "document/flow_format.h"
#include "document/flow_trailer.h"
#include "document/messages.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/fax.h"
#include "platform/folders.h"
#include "platform/registry.h"
#include "simulator/civr_handler.h"
#include "simulator/civr_handler_thread.h"
#include "simulator/external_actions.h"
#include "simulator/headless_host.h"
#include "simulator/node_actions.h"
#include "simulator/play_wave_thread.h"
#include "simulator/simulator_log.h"
#include "simulator/simulator_session.h"
#include "simulator/simulator_settings.h"

#include <cstdlib>
#include <memory>
#include <ostream>
#include <thread>
#include <vector>

namespace vocara::cli {

namespace {

using namespace std::chrono_literals;

// Prints each trace label as its node runs (in blocks: the output is flushed whenever the
// interpreter waits) and each message box to standard error.
class PrintingHost : public HeadlessHost
{
public:
    PrintingHost(Clock &clock, SimulatorLog *log, std::ostream &out, std::ostream &err)
        : HeadlessHost(clock, log)
        , m_out(out)
        , m_err(err)
    {
        setTraced([&out](std::string_view label) { out << label << '\n'; });
    }
    void message(std::string_view text) override
    {
        m_out.flush();
        m_err << text << '\n' << std::flush;
    }
    void flush() { m_out.flush(); }

private:
    std::ostream &m_out;
    std::ostream &m_err;
};

// Waits until the interpreter has handled everything posted to it, or a recording runs
// (the caller may end it with a key).
void settle(SimulatorSession &session)
{
    while (!session.worker().isIdle() && !session.worker().channel().recording)
        std::this_thread::sleep_for(2ms);
}

// The scripted caller: each token answers the next wait for input. A key is pressed once the
// synchronous prompts before it have played (the window would drop it earlier) and always in
// time; the input timer runs out only where the script says "T".
class ScriptedCaller
{
public:
    ScriptedCaller(SimulatorSession &session, PrintingHost &host)
        : m_session(session)
        , m_host(host)
    {
        host.setTimerExpired([this] {
            if (m_timeOutAllowed)
                m_session.timerExpired();
            else
                m_timerMissed = true;
        });
    }
    ~ScriptedCaller() { m_host.setTimerExpired({}); }
    ScriptedCaller(const ScriptedCaller &) = delete;
    ScriptedCaller &operator=(const ScriptedCaller &) = delete;

    void call(const std::vector<std::string> &caller);

private:
    void waitForTimeOut();

    SimulatorSession &m_session;
    PrintingHost &m_host;
    std::atomic<bool> m_timeOutAllowed{false};
    std::atomic<bool> m_timerMissed{false};
};

void ScriptedCaller::waitForTimeOut()
{
    SimulatorSession &session = m_session;
    CIVRHandlerThread &worker = session.worker();
    CPlayWaveThread &waves = worker.handler().waves();
    const unsigned before = session.timerEvents();
    m_timeOutAllowed = true;
    // A wait whose timer never starts (speech input) times out as soon as it is quiet.
    int quiet = 0;
    while (session.timerEvents() == before && session.runFlag()) {
        if (m_timerMissed.exchange(false))
            session.timerExpired();
        quiet = waves.IsBusy() || m_host.timerArmed() || worker.channel().recording ? 0 : quiet + 1;
        if (quiet > 100)
            session.timerExpired();
        std::this_thread::sleep_for(2ms);
    }
    m_timeOutAllowed = false;
}

void ScriptedCaller::call(const std::vector<std::string> &caller)
{
    SimulatorSession &session = m_session;
    CIVRHandlerThread &worker = session.worker();
    CPlayWaveThread &waves = worker.handler().waves();
    for (const std::string &token : caller) {
        settle(session);
        m_host.flush(); // the caller hears what ran up to this wait
        if (!worker.channel().recording && !worker.handler().isRunning())
            return;
        if (token == "T") {
            waitForTimeOut();
            continue;
        }
        m_timerMissed = false;
        while (waves.SynchronousPending() && session.runFlag())
            std::this_thread::sleep_for(2ms);
        if (session.pressKey(token) == KeypadOutcome::StopRecording) {
            while (worker.channel().recording)
                std::this_thread::sleep_for(2ms);
        }
    }
    settle(session);
}

} // namespace

int runSimulate(const Arguments &args, std::ostream &out, std::ostream &err)
{
    const std::string &file = args[0];
    const std::string logPath = args.value("--log", "");
    std::vector<std::string> caller;
    int speed = 0;
    double scale = 1.0;
    // An empty script is a caller who hangs up at the first wait.
    const std::string script = args.value("--caller", "");
    for (size_t start = 0; !script.empty() && start <= script.size();) {
        const size_t comma = std::min(script.find(',', start), script.size());
        const std::string token = script.substr(start, comma - start);
        if (token != "T" && !(token.size() == 1 &&
                              std::string_view("0123456789*#").find(token[0]) != std::string::npos))
            return args.usageError(err, "bad caller key '" + token + "' (0-9, *, # or T)");
        caller.push_back(token);
        start = comma + 1;
    }
    char *end = nullptr;
    if (const std::optional<std::string> text = args.value("--speed")) {
        const long value = std::strtol(text->c_str(), &end, 10);
        if (text->empty() || *end || value < 0 || value > SimulatorSettings::LongestSpeed)
            return args.usageError(err, "bad value for --speed");
        speed = static_cast<int>(value);
    }
    if (const std::optional<std::string> text = args.value("--time-scale")) {
        scale = std::strtod(text->c_str(), &end);
        if (text->empty() || *end || !(scale >= 0) || scale > 1e6)
            return args.usageError(err, "bad value for --time-scale");
    }
    if (const std::optional<std::string> ini = args.value("--odbcini")) {
        // unixODBC reads the data sources (and drivers beside them) from there.
        const std::filesystem::path path = std::filesystem::absolute(*ini);
        ::setenv("ODBCINI", path.c_str(), 1);
        ::setenv("ODBCSYSINI", path.parent_path().c_str(), 1);
    }

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
    std::unique_ptr<SimulatorLog> log;
    if (!logPath.empty())
        log = std::make_unique<SimulatorLog>(logPath);
    Clock clock(scale);
    PrintingHost host(clock, log.get(), out, err);
    std::unique_ptr<AudioDevice> audio =
        openAudioDevice(clock, [&host](std::string_view line) { host.log(line); });
    Registry registry(registryFolder());
    FaxService fax;
    SimulatorActions actions(host, registry, fax, clock);
    SimulatorSettings settings;
    if (!settings.load(registry))
        err << Msg::SettingsNotLoaded << '\n';
    actions.setSpeechCache(settings.dbDsn);
    actions.setMailAccount(mailAccountOf(settings));
    SimulatorSession session(host, actions, clock, *audio, installFolder());
    ScriptedCaller scripted(session, host);
    CIVRHandler &handler = session.worker().handler();
    handler.setSpeed(speed);
    const std::filesystem::path folder = std::filesystem::absolute(file).parent_path();
    session.start(flowPath, folder.string() + "/");
    settle(session);
    const bool loaded = handler.isRunning() || host.runEndedOnce();
    if (!loaded) {
        if (!extracted.empty())
            std::filesystem::remove(extracted);
        err << "Invalid QEN IVR File\n";
        return ExitFound;
    }
    scripted.call(caller);
    // When the script runs out the caller hangs up.
    if (handler.isRunning()) {
        session.stop();
        settle(session);
    }
    actions.waitForMail(); // what the caller's flow sent still goes out
    for (const auto &[name, value] : handler.finalVariables().items())
        out << name << '=' << value << '\n';
    session.close();
    if (!extracted.empty())
        std::filesystem::remove(extracted);
    return ExitOk;
}

} // namespace vocara::cli
