#include "simulator/simulator_settings.h"

#include "platform/registry.h"

#include <algorithm>
#include <cstdlib>

namespace vocara {

namespace {

int speedOf(std::string_view text)
{
    const long value = std::strtol(std::string(text).c_str(), nullptr, 10);
    // A negative or huge pause would hold the interpreter for ever.
    return static_cast<int>(std::clamp<long>(value, 0, SimulatorSettings::LongestSpeed));
}

} // namespace

std::string SimulatorSettings::get(std::string_view name) const
{
    if (name == "MailServerName")
        return mailServerName;
    if (name == "MailUserName")
        return mailUserName;
    if (name == "MailPassword")
        return mailPassword;
    if (name == "MailFromAccountName")
        return mailFromAccountName;
    if (name == "DBDSN")
        return dbDsn;
    if (name == "Sim_Speed")
        return std::to_string(simSpeed);
    if (name == "MailCAFile")
        return mailCaFile;
    return {};
}

bool SimulatorSettings::set(std::string_view name, std::string_view value)
{
    if (name == "MailServerName")
        mailServerName = value;
    else if (name == "MailUserName")
        mailUserName = value;
    else if (name == "MailPassword")
        mailPassword = value;
    else if (name == "MailFromAccountName")
        mailFromAccountName = value;
    else if (name == "DBDSN")
        dbDsn = value;
    else if (name == "Sim_Speed")
        simSpeed = speedOf(value);
    else if (name == "MailCAFile")
        mailCaFile = value;
    else
        return false;
    return true;
}

bool SimulatorSettings::load(Registry &registry)
{
    if (!registry.keyExists(Hive, Key)) {
        const SimulatorSettings defaults;
        *this = defaults;
        return defaults.save(registry);
    }
    for (std::string_view name : Names)
        if (const std::optional<std::string> value = registry.value(Hive, Key, name))
            set(name, *value);
    return true;
}

bool SimulatorSettings::save(Registry &registry) const
{
    if (!registry.createKey(Hive, Key))
        return false;
    for (std::string_view name : Names)
        if (!registry.setValue(Hive, Key, name, get(name)))
            return false;
    return true;
}

std::optional<SettingsProblem> checkSettingsDialog(std::string &mailServer, std::string &user,
                                                   std::string &password, std::string &sender,
                                                   std::string &dsn, std::string &speed)
{
    if (mailServer.empty())
        return SettingsProblem{"Please enter your mail server", "MailServerName"};
    if (user.empty())
        return SettingsProblem{"Please enter your e-mail address", "MailUserName"};
    if (password.empty())
        return SettingsProblem{"Please enter your e-mail password", "MailPassword"};
    if (dsn.empty())
        return SettingsProblem{"Please enter the Connection DSN Name", "DBDSN"};
    if (sender.empty())
        sender = user;
    if (speed.empty())
        speed = std::to_string(SimulatorSettings::DefaultSpeed);
    return std::nullopt;
}

} // namespace vocara
