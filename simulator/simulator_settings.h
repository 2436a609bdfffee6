#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vocara {

class Registry;

// What the simulator keeps between runs: the mail account, the speech cache's data source and
// the pause for which each node is shown before it runs.
struct SimulatorSettings
{
    static constexpr std::string_view Hive = "HKEY_CURRENT_USER";
    static constexpr std::string_view Key = "software\\Orvanta\\QenIvrSimulator";
    static constexpr int DefaultSpeed = 200;
    static constexpr int LongestSpeed = 60000;

    std::string mailServerName;
    std::string mailUserName;
    std::string mailPassword;
    std::string mailFromAccountName;
    std::string dbDsn;
    int simSpeed = DefaultSpeed;
    std::string mailCaFile; // an extra CA certificate file for a private mail server

    // The value names in the store, in order.
    static constexpr std::string_view Names[] = {
        "MailServerName", "MailUserName", "MailPassword", "MailFromAccountName",
        "DBDSN",          "Sim_Speed",    "MailCAFile"};
    std::string get(std::string_view name) const;
    // False for an unknown name.
    bool set(std::string_view name, std::string_view value);

    // Reads the settings, creating the key with the defaults when it is absent. False (the
    // in-memory values stay) when the key cannot be created.
    bool load(Registry &registry);
    bool save(Registry &registry) const;
};

// The settings dialog's OK: the first missing required field, as the message to show and
// the field's name; none when all are there. Fills the sender and the speed when empty.
struct SettingsProblem
{
    std::string_view message;
    std::string_view field;
};
std::optional<SettingsProblem> checkSettingsDialog(std::string &mailServer, std::string &user,
                                                   std::string &password, std::string &sender,
                                                   std::string &dsn, std::string &speed);

} // namespace vocara
