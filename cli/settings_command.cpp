#include "cli/command.h"

#include "document/messages.h"
#include "platform/folders.h"
#include "platform/registry.h"
#include "simulator/simulator_settings.h"

#include <algorithm>
#include <ostream>

namespace vocara::cli {

int runSettings(const Arguments &args, std::ostream &out, std::ostream &err)
{
    const bool get = args.size() == 2 && args[0] == "get";
    const bool set = args.size() == 3 && args[0] == "set";
    const auto &names = SimulatorSettings::Names;
    if (!get && !set)
        return args.usageError(err, "expected get NAME or set NAME VALUE");
    if (std::find(std::begin(names), std::end(names), args[1]) == std::end(names)) {
        std::string known;
        for (std::string_view name : names)
            known += (known.empty() ? "" : ", ") + std::string(name);
        return args.usageError(err, "unknown setting '" + args[1] + "' (names: " + known + ")");
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
