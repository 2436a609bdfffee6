#pragma once

#include "simulator/simulator_settings.h"

#include <QDialog>

#include <functional>
#include <map>
#include <string_view>

class QAbstractButton;
class QLineEdit;

namespace vocara {

class Registry;
class UserDialogs;

// "Simulator Settings": the mail account, the speech cache's data source and the simulator's
// speed. OK checks the required fields in order; closing (OK or Cancel) writes the settings
// as they then stand to the registry.
class SimulatorSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    SimulatorSettingsDialog(SimulatorSettings &settings, Registry &registry, UserDialogs &dialogs,
                            QWidget *parent = nullptr);

    // A field by its setting's name ("MailServerName", "DBDSN", "Sim_Speed", ...).
    QLineEdit *field(std::string_view name) const { return m_fields.at(name); }

    void accept() override;
    void done(int result) override;

    // Asks for the CA file (a file dialog; tests answer it themselves).
    using Picker = std::function<QString(const QString &current)>;
    void setCaFilePicker(Picker picker) { m_pickCaFile = std::move(picker); }
    QAbstractButton *caFileButton() const { return m_caFileButton; }

private:
    SimulatorSettings &m_settings;
    Registry &m_registry;
    UserDialogs &m_dialogs;
    std::map<std::string_view, QLineEdit *> m_fields;
    Picker m_pickCaFile;
    QAbstractButton *m_caFileButton = nullptr;
};

} // namespace vocara
