#pragma once

#include "simulator/mail_send_thread.h"
#include "simulator/node_actions.h"

#include <filesystem>
#include <string>
#include <vector>

namespace vocara {

class Clock;
class FaxService;
class Registry;
class SimulatorHost;

// The action nodes carried out for real: ODBC databases, espeak-ng speech, the registry store,
// files, TCP peers, programs and the fax service.
class SimulatorActions : public NodeActions
{
public:
    // `mailTrace` receives the SMTP dialogue (standard error without one).
    SimulatorActions(SimulatorHost &host, Registry &registry, FaxService &fax, Clock &clock,
                     CSMTPConnection::Trace mailTrace = {});
    ~SimulatorActions() override;
    SimulatorActions(const SimulatorActions &) = delete;
    SimulatorActions &operator=(const SimulatorActions &) = delete;

    // The data source of the speech cache; empty: no cache.
    void setSpeechCache(std::string dataSource) { m_speechCache = std::move(dataSource); }
    void setMailAccount(MailAccount account) { m_mail.setAccount(std::move(account)); }
    // Until the mail posted so far has gone (or failed).
    void waitForMail() { m_mail.waitUntilIdle(); }

    std::optional<std::string> speak(std::string_view text, std::string_view engine) override;
    bool runProgram(std::string_view command, std::string_view parameters) override;
    bool queryDatabase(std::string_view source, std::string_view query,
                       std::optional<std::string> &read) override;
    bool sendMail(std::string_view to, std::string_view subject, std::string_view body,
                  std::string_view attachment) override;
    bool sendFax(const FaxNode &fax) override;
    bool editRegistry(std::string_view hive, std::string_view keyPath, std::string_view operation,
                      std::string_view valueName, std::string_view valueData,
                      std::optional<std::string> &read) override;
    bool accessFile(std::string_view path, std::string_view operation, bool write,
                    std::string_view text, std::optional<std::string> &read) override;
    bool connect(std::string_view address, std::string_view port, bool sendFile,
                 std::string_view file, bool sendMessage, std::string_view message) override;

private:
    std::optional<std::string> cachedSpeech(std::string_view text);
    std::optional<std::string> synthesise(std::string_view text);

    SimulatorHost &m_host;
    Registry &m_registry;
    FaxService &m_fax;
    Clock &m_clock;
    std::string m_speechCache;
    std::vector<std::filesystem::path> m_madeFiles;
    CMailSendThread m_mail;
};

} // namespace vocara
