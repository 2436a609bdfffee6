// The main window's dialogs: the options sheet, the validation window, the keyboard help,
// the attached files and the dialplan settings.
#include "designer/designer_dialogs.h"
#include "designer/designer_text.h"
#include "designer/dialog_text.h"
#include "designer/document_adapter.h"
#include "designer/main_frame.h"
#include "designer/options_sheet.h"
#include "designer/property_commands.h"
#include "designer/qt_text.h"
#include "designer/recovery_dialog.h"
#include "designer/recovery_keeper.h"
#include "designer/simulator_settings_dialog.h"
#include "designer/simulator_text.h"
#include "designer/simulator_window.h"
#include "designer/user_input_dialog.h"
#include "designer/vocara_view.h"
#include "dialplan/asterisk_settings_form.h"
#include "document/ivr_settings.h"
#include "document/messages.h"
#include "document/user_dialogs.h"
#include "platform/folders.h"

#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>

namespace vocara {

void CMainFrame::showOptions()
{
    if (!m_context.settings)
        return;
    OptionsSheet sheet(*m_context.settings, this);
    if (runDialog(sheet) != QDialog::Accepted)
        return;
    if (sheet.saveFailed() && m_context.dialogs)
        m_context.dialogs->warn(Msg::fillIn(
            Msg::SettingsNotSaved, {m_context.settings->file().string(), sheet.saveError()}));
    // New colours on the canvas, a new autosave period.
    m_view->viewport()->update();
    restartAutoSave();
}

ValidationWindow &CMainFrame::validationWindow()
{
    if (!m_validation) {
        m_validation = new ValidationWindow(this);
        connect(m_validation, &ValidationWindow::nodeChosen, this, [this](quint64 id) {
            // The node of the line, selected and in view, its properties shown.
            m_view->clearSelection();
            m_view->selectNode(id);
            m_view->scrollNodeIntoView(id);
        });
    }
    return *m_validation;
}

void CMainFrame::runValidation()
{
    m_adapter.validate();
    const CVocaraDoc &doc = m_adapter.doc();
    const size_t count = doc.errorLines().size();
    statusBar()->showMessage(count == 0
                                 ? qt(Msg::NoErrors)
                                 : qt(Msg::fillIn(Msg::ErrorsFound, {std::to_string(count)})));
    ValidationWindow &window = validationWindow();
    window.fill(doc.errorLines(), doc.errorNodes());
    // At the lower right of the canvas.
    const QWidget *canvas = m_view->viewport();
    const QPoint corner = canvas->mapToGlobal(QPoint(canvas->width(), canvas->height()));
    window.move(corner - QPoint(window.frameGeometry().width(), window.frameGeometry().height()));
    window.show();
    window.raise();
}

void CMainFrame::showHotKeys()
{
    HotKeysDialog dialog(this);
    runDialog(dialog);
}

void CMainFrame::attachFiles()
{
    AttachFilesDialog dialog(m_adapter.doc().attachedFiles(), this);
    if (runDialog(dialog) != QDialog::Accepted)
        return;
    const std::vector<std::string> files = dialog.files();
    if (files != m_adapter.doc().attachedFiles())
        m_adapter.undoStack()->push(
            new AttachedFilesCommand(m_adapter, qt(Ui::AttachTitle), files));
}

void CMainFrame::asteriskSettings()
{
    if (!m_adapter.doc().isAsteriskMode()) {
        if (m_context.dialogs)
            m_context.dialogs->inform(Ui::MustBeAsteriskMode);
        return;
    }
    const DialplanSettings settingsBefore = m_adapter.doc().dialplanSettings();
    const VariableList variablesBefore = m_adapter.doc().variables();
    // Opening fills empty paths with their defaults, in the flow too.
    AsteriskSettingsForm form(m_adapter.mutableDoc());
    AsteriskSettingsDialog dialog(form, this);
    if (runDialog(dialog) != QDialog::Accepted || !form.okEnabled())
        return;
    form.accept();
    m_adapter.undoStack()->push(new DialplanSettingsCommand(m_adapter, qt(Ui::AsteriskTitle),
                                                            settingsBefore, variablesBefore));
}

} // namespace vocara

namespace vocara {

bool CMainFrame::offerRecovery(RecoveryKeeper &keeper)
{
    std::vector<RecoverySnapshot> left = keeper.store().takeLeftOvers();
    if (left.empty())
        return false;
    RecoveryDialog dialog(
        std::move(left), [&keeper](const RecoverySnapshot &gone) { keeper.store().discard(gone); },
        this);
    const bool restored = runDialog(dialog) == QDialog::Accepted && dialog.chosen() &&
                          keeper.restore(*dialog.chosen());
    // What is neither restored nor discarded is offered again next time.
    keeper.store().leaveForLater();
    return restored;
}

QWidget *CMainFrame::openForPicture(const QString &name)
{
    QDialog *dialog = nullptr;
    if (name == QLatin1String("options") || name == QLatin1String("colors")) {
        if (!m_context.settings)
            return nullptr;
        auto *sheet = new OptionsSheet(*m_context.settings, this);
        sheet->pages()->setCurrentIndex(name == QLatin1String("colors") ? 1 : 0);
        dialog = sheet;
    } else if (name == QLatin1String("validation")) {
        runValidation();
        return m_validation;
    } else if (name == QLatin1String("hotkeys")) {
        dialog = new HotKeysDialog(this);
    } else if (name == QLatin1String("attach")) {
        dialog = new AttachFilesDialog(m_adapter.doc().attachedFiles(), this);
    } else if (name == QLatin1String("asterisk") && m_adapter.doc().isAsteriskMode()) {
        auto *form = new AsteriskSettingsForm(m_adapter.mutableDoc());
        dialog = new AsteriskSettingsDialog(*form, this);
        connect(dialog, &QObject::destroyed, this, [form] { delete form; });
    } else if (name == QLatin1String("userinput")) {
        dialog = new UserInputDialog(this);
    } else if (name == QLatin1String("recovery")) {
        RecoverySnapshot sample;
        sample.originalPath = m_adapter.doc().path();
        sample.time = std::time(nullptr);
        sample.nodes = m_adapter.doc().nodeCount();
        RecoverySnapshot untitled = sample;
        untitled.originalPath.clear();
        untitled.time -= 3600;
        untitled.nodes = 3;
        dialog = new RecoveryDialog(
            {sample, untitled}, [](const RecoverySnapshot &) {}, this);
    } else if (name == QLatin1String("simulator")) {
        startSimulation();
        return m_simulator;
    } else {
        return nullptr;
    }
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->show();
    return dialog;
}

} // namespace vocara

namespace vocara {

void CMainFrame::startSimulation()
{
    if (m_simulator && m_adapter.doc().isSimulatorRunning()) {
        m_simulator->show();
        m_simulator->raise();
        return;
    }
    const CVocaraDoc &doc = m_adapter.doc();
    if (doc.path().empty()) {
        if (m_context.dialogs)
            m_context.dialogs->inform(Ui::FileMustBeSaved);
        if (!fileSaveAs())
            return;
    } else if (doc.isModified() && m_context.dialogs &&
               m_context.dialogs->ask(Ui::FileChangedSave, Question::YesNo) == Answer::Yes) {
        fileSave();
    }
    if (!m_context.registry)
        return;
    m_adapter.setSimulatorRunning(true);
    SimulatorServices services;
    services.registry = m_context.registry;
    services.dialogs = m_context.dialogs;
    services.installFolder = utf8(m_context.installFolder);
    services.userFolder = userFolder();
    services.timeScale = m_context.simulatorTimeScale;
    m_simulator = new CIVRSimulatorDlg(m_adapter, *m_view, services, this);
    connect(m_simulator, &CIVRSimulatorDlg::closed, this, [this] {
        // The window itself was closed: the call is over and the flow can be edited again.
        m_simulator->deleteLater();
        m_simulator = nullptr;
        m_adapter.setSimulatorRunning(false);
        m_view->clearSimulatorPath();
        updateCommands();
    });
    m_simulator->show();
    updateCommands();
}

void CMainFrame::simulatorSettings()
{
    if (m_simulator) {
        m_simulator->showSettings();
        return;
    }
    if (!m_context.registry || !m_context.dialogs)
        return;
    SimulatorSettings settings;
    if (!settings.load(*m_context.registry))
        m_context.dialogs->error(Msg::SettingsNotLoaded);
    SimulatorSettingsDialog dialog(settings, *m_context.registry, *m_context.dialogs, this);
    runDialog(dialog);
}

} // namespace vocara
