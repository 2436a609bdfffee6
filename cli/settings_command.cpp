#include "cli/command.h"

#include "document/messages.h"
#include "platform/folders.h"
#include "platform/registry.h"
#include "simulator/simulator_settings.h"

#include <algorithm>
#include <ostream>

namespace vocara::cli {

int runSettings(std::span<const std::string> args, std::ostream &out, std::ostream &err)
{
    const bool get = args.size() == 2 && args[0] == "get";
    const bool set = args.size() == 3 && args[0] == "set";
    const auto &names = SimulatorSettings::Names;
    if ((!get && !set) ||
        std::find(std::begin(names), std::end(names), args[1]) == std::end(names)) {
        err << "usage: vocara-cli settings get|set NAME [VALUE]\nnames:";
        for (std::string_view name : names)
            err << ' ' << name;
        err << '\n';
        return ExitCannotRun;
    }
    Registry registry(registryFolder());
    SimulatorSettings settings;
    if (!settings.load(registry)) {
        err << Msg::SettingsNotLoaded << '\n';
        return ExitFound;
    }
    if (get) {
        out << settings.get(args[1]) << '\n';
        return ExitOk;
    }
    settings.set(args[1], args[2]);
    if (!settings.save(registry)) {
        err << Msg::SettingsNotLoaded << '\n';
        return ExitFound;
    }
    return ExitOk;
}

} // namespace vocara::cli
