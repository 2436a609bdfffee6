#include "designer/simulator_settings_dialog.h"

#include "designer/qt_text.h"
#include "designer/simulator_text.h"
#include "document/messages.h"
#include "document/user_dialogs.h"
#include "platform/registry.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <unistd.h>

namespace vocara {

SimulatorSettingsDialog::SimulatorSettingsDialog(SimulatorSettings &settings, Registry &registry,
                                                 UserDialogs &dialogs, QWidget *parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_registry(registry)
    , m_dialogs(dialogs)
{
    setWindowTitle(qt(Ui::SimulatorSettingsTitle));
    auto *layout = new QVBoxLayout(this);
    auto *form = new QFormLayout;
    auto add = [&](std::string_view label, std::string_view name, QWidget *row = nullptr) {
        auto *edit = new QLineEdit(qt(settings.get(name)), this);
        m_fields[name] = edit;
        form->addRow(qt(label), row ? row : edit);
        return edit;
    };
    add(Ui::TtsDsnConnection, "DBDSN");
    auto *speedRow = new QWidget(this);
    auto *speedLayout = new QHBoxLayout(speedRow);
    speedLayout->setContentsMargins(0, 0, 0, 0);
    QLineEdit *speed = add(Ui::SimulatorSpeed, "Sim_Speed", speedRow);
    speed->setParent(speedRow);
    speed->setValidator(new QIntValidator(0, SimulatorSettings::LongestSpeed, speed));
    speedLayout->addWidget(speed);
    speedLayout->addWidget(new QLabel(qt(Ui::MilliSeconds), speedRow));
    add(Ui::MailServerNameLabel, "MailServerName");
    add(Ui::MailUserNameLabel, "MailUserName");
    add(Ui::MailPasswordLabel, "MailPassword")->setEchoMode(QLineEdit::Password);
    add(Ui::MailFromLabel, "MailFromAccountName");
    m_fields.at("MailServerName")->setToolTip(qt(Ui::MailServerHint));
    auto *caRow = new QWidget(this);
    auto *caLayout = new QHBoxLayout(caRow);
    caLayout->setContentsMargins(0, 0, 0, 0);
    QLineEdit *caFile = add(Ui::MailCaFileLabel, "MailCAFile", caRow);
    caFile->setParent(caRow);
    caFile->setToolTip(qt(Ui::MailCaFileHint));
    caLayout->addWidget(caFile, 1);
    auto *browse = new QPushButton(qt(Ui::MailCaFileBrowse), caRow);
    m_caFileButton = browse;
    caLayout->addWidget(browse);
    m_pickCaFile = [this](const QString &current) {
        return QFileDialog::getOpenFileName(this, QString(), current, qt(Ui::MailCaFileFilter));
    };
    connect(browse, &QPushButton::clicked, this, [this, caFile] {
        const QString chosen = m_pickCaFile(caFile->text());
        if (!chosen.isEmpty())
            caFile->setText(chosen);
    });
    layout->addLayout(form);
    layout->addWidget(new QLabel(qt(Ui::RequiredFields), this));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &SimulatorSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    setMinimumWidth(380);
}

void SimulatorSettingsDialog::done(int result)
{
    // After OK or Cancel alike: the settings as they stand go back to the registry, and a
    // store that cannot be written is said, not passed over.
    if (!m_settings.save(m_registry))
        m_dialogs.warn(Msg::fillIn(Msg::SettingsNotSaved,
                                   {m_registry.folder().string(), Ui::SettingsStoreNotWritten}));
    QDialog::done(result);
}

void SimulatorSettingsDialog::accept()
{
    auto text = [this](std::string_view name) {
        return utf8(m_fields.at(name)->text());
    };
    std::string server = text("MailServerName");
    std::string user = text("MailUserName");
    std::string password = text("MailPassword");
    std::string sender = text("MailFromAccountName");
    std::string dsn = text("DBDSN");
    std::string speed = text("Sim_Speed");
    const std::string caFile = text("MailCAFile");
    if (const std::optional<SettingsProblem> problem =
            checkSettingsDialog(server, user, password, sender, dsn, speed)) {
        m_dialogs.inform(problem->message);
        m_fields.at(problem->field)->setFocus(Qt::OtherFocusReason);
        return;
    }
    // A CA file named but unreadable would only show up as a failed mail much later.
    if (!caFile.empty() && ::access(caFile.c_str(), R_OK) != 0) {
        m_dialogs.inform(Msg::fillIn(Ui::MailCaFileUnreadable, {caFile}));
        m_fields.at("MailCAFile")->setFocus(Qt::OtherFocusReason);
        return;
    }
    m_settings.set("MailServerName", server);
    m_settings.set("MailUserName", user);
    m_settings.set("MailPassword", password);
    m_settings.set("MailFromAccountName", sender);
    m_settings.set("DBDSN", dsn);
    m_settings.set("Sim_Speed", speed);
    m_settings.set("MailCAFile", caFile);
    QDialog::accept();
}

} // namespace vocara
