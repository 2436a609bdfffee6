// The main window's commands: menus, toolbars and what enables them.
#include "designer/designer_text.h"
#include "designer/document_adapter.h"
#include "designer/kind_icons.h"
#include "designer/main_frame.h"
#include "designer/qt_text.h"
#include "designer/vocara_view.h"
#include "document/ivr_settings.h"
#include "document/user_dialogs.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDockWidget>
#include <QFileInfo>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

namespace vocara {

namespace {

// Tools a mode cannot use.
bool toolAllowed(NodeKind kind, const CVocaraDoc &doc)
{
    if (doc.isAsteriskMode()) {
        return kind != Kind::TransferPBX && kind != Kind::SendSMS && kind != Kind::SendFax &&
               kind != Kind::SendMail && kind != Kind::REGEDIT;
    }
    return kind != Kind::MultiDTMF || !doc.isFlowMode();
}

// Insert > Nodes: each group's kinds, in the menu's order.
struct NodeGroup
{
    std::string_view title;
    std::vector<NodeKind> kinds;
};

const std::vector<NodeGroup> &nodeGroups()
{
    static const std::vector<NodeGroup> groups = {
        {Ui::SoundActions, {Kind::PlayWave, Kind::PlayValue, Kind::TTS}},
        {Ui::ServerActions, {Kind::Run, Kind::DbTransaction, Kind::Hang, Kind::CSConnection}},
        {Ui::CallActions,
         {Kind::UserInput, Kind::MultiDTMF, Kind::SendDTMF, Kind::Transfer, Kind::TransferPBX,
          Kind::Record}},
        {Ui::MathActions, {Kind::SetVar, Kind::Compare, Kind::Op}},
        {Ui::BroadcastActions, {Kind::SendSMS, Kind::SendFax, Kind::SendMail}},
        {Ui::DataAccessActions, {Kind::ACCESSFILES, Kind::REGEDIT}},
        {Ui::GeneralActions, {Kind::Wait}},
    };
    return groups;
}

} // namespace

void CMainFrame::createActions()
{
    m_tools = new QActionGroup(this);
    m_tools->setExclusive(true);
    auto *arrow = new QAction(QIcon(QStringLiteral(":/icons/arrow.svg")), qt(Ui::ToolArrow), this);
    arrow->setCheckable(true);
    arrow->setChecked(true);
    arrow->setStatusTip(qt(Ui::ArrowPrompt));
    m_tools->addAction(arrow);
    m_toolActions[Ui::ToolPointer] = arrow;
    m_commands.emplace(qt(Ui::ToolArrow), arrow);
    connect(arrow, &QAction::triggered, this, [this] { m_view->setTool(Ui::ToolPointer); });
    for (const Ui::NodeCommand &command : Ui::NodeCommands) {
        auto *tool = new QAction(kindIcon(command.kind), qt(command.menuText), this);
        tool->setCheckable(true);
        // Tooltip and status prompt: what the node does, then its name.
        tool->setStatusTip(qt(command.prompt));
        tool->setToolTip(qt(command.prompt) + QStringLiteral("\n") + qt(command.menuText));
        m_tools->addAction(tool);
        m_toolActions[command.kind] = tool;
        m_commands.emplace(qt(command.menuText), tool);
        connect(tool, &QAction::triggered, this,
                [this, kind = command.kind] { m_view->setTool(kind); });
    }
}

void CMainFrame::createMenus()
{
    QMenuBar *bar = menuBar();
    auto later = [](QAction *command) {
        // Carried out by a part of the designer still to come: shown, never a dead click.
        command->setEnabled(false);
        command->setProperty("later", true);
        return command;
    };

    m_fileMenu = bar->addMenu(qt(Ui::FileMenu));
    QAction *newFile = addCommand(m_fileMenu, Ui::New, QKeySequence::New, Ui::NewPrompt);
    newFile->setIcon(themedIcon("document-new", QStringLiteral(":/icons/new.svg")));
    connect(newFile, &QAction::triggered, this, &CMainFrame::fileNew);
    QAction *open = addCommand(m_fileMenu, Ui::Open, QKeySequence::Open, Ui::OpenPrompt);
    open->setIcon(themedIcon("document-open", QStringLiteral(":/icons/open.svg")));
    connect(open, &QAction::triggered, this, [this] { fileOpen(); });
    QAction *save = addCommand(m_fileMenu, Ui::Save, QKeySequence::Save, Ui::SavePrompt);
    save->setIcon(themedIcon("document-save", QStringLiteral(":/icons/save.svg")));
    connect(save, &QAction::triggered, this, &CMainFrame::fileSave);
    QAction *saveAs = addCommand(m_fileMenu, Ui::SaveAs, {}, Ui::SaveAsPrompt);
    connect(saveAs, &QAction::triggered, this, &CMainFrame::fileSaveAs);
    m_fileMenu->addSeparator();
    QAction *simulate = addCommand(m_fileMenu, Ui::SimulatorStart);
    connect(simulate, &QAction::triggered, this, &CMainFrame::startSimulation);
    simulate->setIcon(themedIcon("media-playback-start", QStringLiteral(":/icons/simulate.svg")));
    later(addCommand(m_fileMenu, Ui::Export));
    later(addCommand(m_fileMenu, Ui::Import));
    QAction *attach = addCommand(m_fileMenu, Ui::AttachFiles);
    connect(attach, &QAction::triggered, this, &CMainFrame::attachFiles);
    QAction *image = addCommand(m_fileMenu, Ui::ExportImage, {}, Ui::ExportImagePrompt);
    connect(image, &QAction::triggered, this, [this] {
        const QString path = chooseFile(FileChoice::ExportImage, QString(), qt(Ui::ImageFilter));
        QString error;
        if (!path.isEmpty() && !exportImage(path, &error) && m_context.dialogs)
            m_context.dialogs->error(utf8(error));
    });
    m_fileMenu->addSeparator();
    connect(addCommand(m_fileMenu, Ui::Print, QKeySequence::Print, Ui::PrintPrompt),
            &QAction::triggered, this, &CMainFrame::filePrint);
    connect(addCommand(m_fileMenu, Ui::PrintPreview, {}, Ui::PrintPreviewPrompt),
            &QAction::triggered, this, &CMainFrame::filePrintPreview);
    connect(addCommand(m_fileMenu, Ui::PrintSetup, {}, Ui::PrintSetupPrompt), &QAction::triggered,
            this, &CMainFrame::filePrintSetup);
    m_fileMenu->addSeparator();
    m_recentMenu = m_fileMenu->addMenu(qt(Ui::RecentFilesMenu));
    m_fileMenu->addSeparator();
    m_exitAction = addCommand(m_fileMenu, Ui::Exit, QKeySequence::Quit, Ui::ExitPrompt);
    connect(m_exitAction, &QAction::triggered, this, &QWidget::close);

    QMenu *edit = bar->addMenu(qt(Ui::EditMenu));
    // Undo and Redo name the edit they take back or do again.
    QAction *undo = m_adapter.undoStack()->createUndoAction(this, qt(Ui::Undo));
    undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    edit->addAction(undo);
    m_commands.emplace(qt(Ui::Undo), undo);
    QAction *redo = m_adapter.undoStack()->createRedoAction(this, qt(Ui::Redo));
    redo->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    edit->addAction(redo);
    m_commands.emplace(qt(Ui::Redo), redo);
    edit->addSeparator();
    QAction *remove = addCommand(edit, Ui::Delete);
    connect(remove, &QAction::triggered, this, &CMainFrame::deleteSelection);
    QAction *undoDelete =
        addCommand(edit, Ui::UndoDelete, QKeySequence(Qt::ALT | Qt::Key_Backspace));
    connect(undoDelete, &QAction::triggered, this, &CMainFrame::undoDelete);
    edit->addSeparator();
    QAction *copy = addCommand(edit, Ui::Copy);
    copy->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)});
    connect(copy, &QAction::triggered, this, [this] { copySelection(false); });
    QAction *cut = addCommand(edit, Ui::Cut);
    cut->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)});
    connect(cut, &QAction::triggered, this, [this] { copySelection(true); });
    QAction *paste = addCommand(edit, Ui::Paste);
    paste->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)});
    // From the menu and the keyboard: at the top-left visible cell.
    connect(paste, &QAction::triggered, this, [this] { pasteAt(m_view->firstVisibleCell()); });

    QMenu *view = bar->addMenu(qt(Ui::ViewMenu));
    QAction *toolbars = addCommand(view, Ui::Toolbar, {}, Ui::ToolbarPrompt);
    toolbars->setCheckable(true);
    toolbars->setChecked(true);
    connect(toolbars, &QAction::toggled, this, [this](bool on) {
        m_mainBar->setVisible(on);
        m_nodeBar->setVisible(on);
    });
    QAction *status = addCommand(view, Ui::StatusBar, {}, Ui::StatusBarPrompt);
    status->setCheckable(true);
    status->setChecked(true);
    connect(status, &QAction::toggled, statusBar(), &QStatusBar::setVisible);
    addCommand(view, Ui::Properties, {}, Ui::PropertiesPrompt);
    addCommand(view, Ui::Variables, {}, Ui::VariablesPrompt);
    view->addSeparator();
    QAction *validation =
        addCommand(view, Ui::Validation, QKeySequence(Qt::Key_F7), Ui::ValidationPrompt);
    connect(validation, &QAction::triggered, this, &CMainFrame::runValidation);

    // F6 and Shift+F6 walk the panes: the canvas, then the docks.
    auto *nextPane = new QAction(qt(Ui::NextPanePrompt), this);
    nextPane->setShortcut(QKeySequence(Qt::Key_F6));
    auto *previousPane = new QAction(qt(Ui::PreviousPanePrompt), this);
    previousPane->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6));
    addAction(nextPane);
    addAction(previousPane);
    connect(nextPane, &QAction::triggered, this, [this] { switchPane(1); });
    connect(previousPane, &QAction::triggered, this, [this] { switchPane(-1); });

    QMenu *insert = bar->addMenu(qt(Ui::InsertMenu));
    QMenu *nodes = insert->addMenu(qt(Ui::NodesMenu));
    for (const NodeGroup &group : nodeGroups()) {
        QMenu *menu = nodes->addMenu(qt(group.title));
        for (NodeKind kind : group.kinds)
            menu->addAction(m_toolActions.at(kind));
    }
    QMenu *samples = nodes->addMenu(qt(Ui::ReadyMade));
    auto sampleCommand = [&](QMenu *menu, const Ui::SampleCommand &sample) {
        QAction *command = menu->addAction(qt(sample.menuText));
        connect(command, &QAction::triggered, this,
                [this, name = std::string(sample.sample)] { chooseSample(name); });
    };
    sampleCommand(samples, Ui::HelloWorldSample);
    sampleCommand(samples, Ui::RecordSample);
    QMenu *extension = samples->addMenu(qt(Ui::ExtensionMenu));
    for (const Ui::SampleCommand &sample : Ui::ExtensionSamples)
        sampleCommand(extension, sample);
    QMenu *database = samples->addMenu(qt(Ui::DatabaseMenu));
    for (const Ui::SampleCommand &sample : Ui::DatabaseSamples)
        sampleCommand(database, sample);
    for (const Ui::SampleCommand &sample : Ui::OtherSamples)
        sampleCommand(samples, sample);
    QAction *browse = samples->addAction(qt(Ui::BrowseSamples));
    connect(browse, &QAction::triggered, this, [this] {
        const QString path = chooseFile(FileChoice::Script, m_lastFolder, qt(Ui::ScriptFilter));
        if (!path.isEmpty())
            chooseSample(utf8(path));
    });

    QMenu *settings = bar->addMenu(qt(Ui::SettingsMenu));
    QAction *simulatorSettings = addCommand(settings, Ui::SettingsSimulator);
    connect(simulatorSettings, &QAction::triggered, this, &CMainFrame::simulatorSettings);
    QAction *asterisk = addCommand(settings, Ui::SettingsAsterisk, {}, Ui::AsteriskPrompt);
    connect(asterisk, &QAction::triggered, this, &CMainFrame::asteriskSettings);
    QAction *customize = addCommand(settings, Ui::SettingsCustomize);
    connect(customize, &QAction::triggered, this, &CMainFrame::showOptions);

    QMenu *help = bar->addMenu(qt(Ui::HelpMenu));
    QAction *contains =
        addCommand(help, Ui::HelpContains, QKeySequence::HelpContents, Ui::HelpPrompt);
    connect(contains, &QAction::triggered, this, &CMainFrame::openHelp);
    QAction *keys = addCommand(help, Ui::KeyboardShortcuts);
    connect(keys, &QAction::triggered, this, &CMainFrame::showHotKeys);
    QAction *about = addCommand(help, Ui::About, {}, Ui::AboutPrompt);
    about->setMenuRole(QAction::AboutRole);
    connect(about, &QAction::triggered, this, &CMainFrame::showAbout);
}

void CMainFrame::createToolBars()
{
    m_mainBar = new QToolBar(qt(Ui::MainToolbarTitle), this);
    m_mainBar->setObjectName(QStringLiteral("MainToolBar"));
    m_mainBar->setIconSize(QSize(24, 24));
    m_mainBar->addAction(action(qt(Ui::New)));
    m_mainBar->addAction(action(qt(Ui::Open)));
    m_mainBar->addAction(action(qt(Ui::Save)));
    m_mainBar->addSeparator();
    m_mainBar->addAction(action(qt(Ui::ToolArrow)));
    QAction *remove = action(qt(Ui::Delete));
    remove->setIcon(themedIcon("edit-delete", QStringLiteral(":/icons/delete.svg")));
    m_mainBar->addAction(remove);
    m_mainBar->addSeparator();
    QAction *simulate = action(qt(Ui::SimulatorStart));
    simulate->setIconText(qt(Ui::ToolStartSimulation));
    simulate->setToolTip(qt(Ui::ToolStartSimulation));
    m_mainBar->addAction(simulate);
    placeToolBar(m_mainBar, Setting::ToolbarMainPosition);

    m_nodeBar = new QToolBar(qt(Ui::NodeToolbarTitle), this);
    m_nodeBar->setObjectName(QStringLiteral("NodeToolBar"));
    m_nodeBar->setIconSize(QSize(24, 24));
    for (const Ui::NodeCommand &command : Ui::NodeCommands) {
        m_nodeBar->addAction(m_toolActions.at(command.kind));
        if (std::find(std::begin(Ui::NodeGroupEnds), std::end(Ui::NodeGroupEnds), command.kind) !=
            std::end(Ui::NodeGroupEnds))
            m_nodeBar->addSeparator();
    }
    placeToolBar(m_nodeBar, Setting::ToolbarTruePosition);
}

void CMainFrame::chooseSample(const std::string &sample)
{
    m_sample = sample;
    m_view->setTool(Ui::ToolSample);
}

void CMainFrame::switchPane(int step)
{
    QList<QWidget *> panes{m_view};
    for (QDockWidget *dock : {m_propertiesDock, m_variableDock}) {
        if (dock->isVisible())
            panes.append(dock->widget());
    }
    int at = 0;
    for (int i = 0; i < panes.size(); ++i) {
        if (panes[i]->isAncestorOf(focusWidget()) || panes[i] == focusWidget())
            at = i;
    }
    QWidget *next = panes[(at + step + panes.size()) % panes.size()];
    next->setFocus(Qt::OtherFocusReason);
}

void CMainFrame::updateCommands()
{
    const CVocaraDoc &doc = m_adapter.doc();
    for (const auto &[kind, tool] : m_toolActions) {
        if (kind <= Kind::LastAction)
            tool->setEnabled(toolAllowed(kind, doc));
    }
    // Delete: a non-start node, a group or a link to take away.
    const NodeId selected = m_view->selectedNode();
    const bool nodes =
        (selected != NoNode && selected != doc.startNode()) || m_view->multiSelection().size() >= 2;
    action(qt(Ui::Delete))->setEnabled(nodes || m_view->selectedLink().parent != NoNode);
    action(qt(Ui::Copy))->setEnabled(nodes);
    action(qt(Ui::UndoDelete))->setEnabled(!doc.undoList().empty());
    action(qt(Ui::Cut))->setEnabled(nodes);
    action(qt(Ui::SaveAs))->setEnabled(doc.mode() != DocumentMode::None);
}

void CMainFrame::updateRecentMenu()
{
    m_recentMenu->clear();
    const QStringList &files = m_recent.files();
    for (int i = 0; i < files.size(); ++i) {
        QAction *entry = m_recentMenu->addAction(
            QStringLiteral("&%1 %2").arg(i + 1).arg(QFileInfo(files[i]).fileName()));
        entry->setStatusTip(files[i]);
        connect(entry, &QAction::triggered, this, [this, path = files[i]] {
            if (!fileOpen(path) && !QFileInfo::exists(path)) {
                m_recent.remove(path);
                updateRecentMenu();
            }
        });
    }
    m_recentMenu->setEnabled(!files.isEmpty());
}

} // namespace vocara
