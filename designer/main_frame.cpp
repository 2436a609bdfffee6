#include "designer/main_frame.h"

#include "designer/properties_bar.h"
#include "designer/variables_bar.h"

#include "designer/canvas_export.h"
#include "designer/designer_dialogs.h"
#include "designer/designer_text.h"
#include "designer/dialog_text.h"
#include "designer/document_adapter.h"
#include "designer/edit_commands.h"
#include "designer/kind_icons.h"
#include "designer/qt_text.h"
#include "designer/user_input_dialog.h"
#include "designer/vocara_view.h"
#include "document/ivr_settings.h"
#include "document/messages.h"
#include "document/user_dialogs.h"
#include "platform/registry.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDockWidget>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QPrinter>
#include <QStatusBar>
#include <QToolBar>
#include <QUrl>

namespace vocara {

namespace {

constexpr std::string_view UserHive = "HKEY_CURRENT_USER";
constexpr int PropertiesBarId = 1;
constexpr int VariableBarId = 2;
constexpr QSize BarMinimum(120, 80);

Qt::ToolBarArea areaForSide(long long side)
{
    switch (side) {
    case 4096:
        return Qt::LeftToolBarArea;
    case 16384:
        return Qt::RightToolBarArea;
    case 32768:
        return Qt::BottomToolBarArea;
    default:
        return Qt::TopToolBarArea; // 8192, absent or 0
    }
}

int sideForArea(Qt::ToolBarArea area)
{
    switch (area) {
    case Qt::LeftToolBarArea:
        return 4096;
    case Qt::RightToolBarArea:
        return 16384;
    case Qt::BottomToolBarArea:
        return 32768;
    default:
        return 8192;
    }
}

std::string barSection(const QDockWidget *dock, int id)
{
    return std::string(Ui::ProfileKey) + "\\" +
           Msg::fillIn(Ui::BarSection, {utf8(dock->objectName()), std::to_string(id)});
}

} // namespace

CMainFrame::CMainFrame(DocumentAdapter &adapter, const FrameContext &context, QWidget *parent)
    : QMainWindow(parent)
    , m_adapter(adapter)
    , m_context(context)
    , m_recent(context.registry)
{
    setWindowIcon(applicationIcon());
    m_view = new CVocaraView(adapter, context.settings, this);
    setCentralWidget(m_view);
    statusBar()->showMessage(qt(Ui::Ready));

    createActions();
    createMenus();
    createToolBars();
    createDocks();

    connect(m_view, &CVocaraView::fileDropped, this, &CMainFrame::openDropped);
    connect(m_view, &CVocaraView::placeRequested, this, &CMainFrame::placeNode);
    connectEditing();
    connect(m_view, &CVocaraView::statusMessage, this,
            [this](const QString &text) { statusBar()->showMessage(text); });
    connect(m_view, &CVocaraView::toolChanged, this, [this](int tool) {
        auto it = m_toolActions.find(tool);
        if (it != m_toolActions.end())
            it->second->setChecked(true);
    });
    connect(m_view, &CVocaraView::selectionChanged, this, &CMainFrame::updateCommands);
    // The properties bar shows the selected node (refilled only when another node is chosen).
    connect(m_view, &CVocaraView::selectionChanged, this, [this](quint64 id) {
        if (id != m_propertiesBar->shownNode())
            m_propertiesBar->showNode(id);
    });
    connect(&adapter, &DocumentAdapter::titleChanged, this, &CMainFrame::updateTitle);
    connect(&adapter, &DocumentAdapter::modifiedChanged, this, &CMainFrame::updateTitle);
    connect(&adapter, &DocumentAdapter::modeChanged, this, &CMainFrame::updateCommands);
    connect(&adapter, &DocumentAdapter::documentReset, this, &CMainFrame::updateCommands);
    connect(&m_autoSave, &QTimer::timeout, this, [this] {
        if (m_context.settings && m_context.dialogs)
            m_autoSaveLogic.tick(m_adapter.doc().isModified(), *m_context.settings,
                                 *m_context.dialogs, [this] { fileSave(); });
    });
    restartAutoSave();
    updateTitle();
    updateCommands();
    updateRecentMenu();
}

CMainFrame::~CMainFrame()
{
    writeBackLayout();
}

QAction *CMainFrame::action(const QString &text) const
{
    auto it = m_commands.find(text);
    return it == m_commands.end() ? nullptr : it->second;
}

QAction *CMainFrame::addCommand(QMenu *menu, std::string_view text, const QKeySequence &shortcut,
                                std::string_view prompt)
{
    auto *command = new QAction(qt(text), this);
    if (!shortcut.isEmpty())
        command->setShortcut(shortcut);
    if (!prompt.empty())
        command->setStatusTip(qt(prompt));
    if (menu)
        menu->addAction(command);
    m_commands.emplace(qt(text), command);
    return command;
}

void CMainFrame::createDocks()
{
    auto makeDock = [this](std::string_view title, std::string_view name, int id, QWidget *contents,
                           const QRect &rect) {
        auto *dock = new QDockWidget(qt(title), this);
        dock->setObjectName(qt(name));
        dock->setAllowedAreas(Qt::AllDockWidgetAreas);
        contents->setParent(dock);
        contents->setFocusPolicy(Qt::StrongFocus); // F6 comes here
        contents->setMinimumSize(BarMinimum);
        dock->setWidget(contents);
        addDockWidget(Qt::LeftDockWidgetArea, dock);
        QSize size = rect.size();
        if (m_context.registry) {
            // The sizes the bar had when the designer last closed, never below its minimum.
            const std::string section = barSection(dock, id);
            auto stored = [&](std::string_view value, int fallback) {
                const std::optional<std::string> text =
                    m_context.registry->value(UserHive, section, value);
                return text ? std::atoi(text->c_str()) : fallback;
            };
            size =
                QSize(std::max(stored(Ui::BarSizeValues[2], size.width()), BarMinimum.width()),
                      std::max(stored(Ui::BarSizeValues[3], size.height()), BarMinimum.height()));
        }
        dock->resize(size);
        return std::pair{dock, size};
    };
    const QStringList plugins = m_context.propertyGridPlugins.isEmpty()
                                    ? CFieldora::pluginFiles()
                                    : m_context.propertyGridPlugins;
    m_propertiesBar = new PropertiesBar(m_adapter, plugins);
    m_variablesBar = new VariablesBar(m_adapter);
    auto [properties, propertiesSize] = makeDock(Ui::PropertiesBar, "Properties", PropertiesBarId,
                                                 m_propertiesBar, {10, 10, 290, 490});
    auto [variables, variablesSize] =
        makeDock(Ui::VariableBar, "Variable", VariableBarId, m_variablesBar, {10, 520, 290, 260});
    m_propertiesDock = properties;
    m_variableDock = variables;
    splitDockWidget(m_propertiesDock, m_variableDock, Qt::Vertical);
    resizeDocks({m_propertiesDock}, {propertiesSize.width()}, Qt::Horizontal);
    resizeDocks({m_propertiesDock, m_variableDock},
                {propertiesSize.height(), variablesSize.height()}, Qt::Vertical);

    auto bindToggle = [this](QDockWidget *dock, std::string_view text) {
        QAction *toggle = action(qt(text));
        toggle->setCheckable(true);
        toggle->setChecked(true);
        connect(toggle, &QAction::toggled, dock, &QDockWidget::setVisible);
        connect(dock, &QDockWidget::visibilityChanged, toggle,
                [toggle, dock] { toggle->setChecked(!dock->isHidden()); });
    };
    bindToggle(m_propertiesDock, Ui::Properties);
    bindToggle(m_variableDock, Ui::Variables);
}

void CMainFrame::placeToolBar(QToolBar *bar, int settingId)
{
    const long long side = m_context.settings ? m_context.settings->number(settingId) : 0;
    addToolBar(areaForSide(side), bar);
}

void CMainFrame::writeBackLayout()
{
    if (m_layoutWritten)
        return;
    m_layoutWritten = true;
    if (IvrSettings *settings = m_context.settings) {
        settings->setNumber(Setting::ToolbarMainPosition, sideForArea(toolBarArea(m_mainBar)));
        settings->setNumber(Setting::ToolbarTruePosition, sideForArea(toolBarArea(m_nodeBar)));
        settings->setNumber(Setting::ViewLeftSize, 0);
        settings->setNumber(Setting::ViewRightSize, 0);
        settings->save();
    }
    if (Registry *registry = m_context.registry) {
        const std::pair<QDockWidget *, int> bars[] = {{m_propertiesDock, PropertiesBarId},
                                                      {m_variableDock, VariableBarId}};
        for (const auto &[dock, id] : bars) {
            const std::string section = barSection(dock, id);
            const QSize size = dock->size();
            const bool horizontal = dockWidgetArea(dock) == Qt::TopDockWidgetArea ||
                                    dockWidgetArea(dock) == Qt::BottomDockWidgetArea;
            const int at = dock->isFloating() ? 4 : horizontal ? 0 : 2;
            registry->setValue(UserHive, section, Ui::BarSizeValues[at],
                               std::to_string(size.width()));
            registry->setValue(UserHive, section, Ui::BarSizeValues[at + 1],
                               std::to_string(size.height()));
        }
    }
}

void CMainFrame::updateTitle()
{
    setWindowTitle(QStringLiteral("%1%2 - %3")
                       .arg(m_adapter.displayName(),
                            m_adapter.doc().isModified() ? QStringLiteral("*") : QString(),
                            qt(Ui::AppName)));
}

void CMainFrame::restartAutoSave()
{
    m_autoSave.stop();
    if (!m_context.settings)
        return;
    const bool wasOn = m_context.settings->number(Setting::AutoSave) != 0;
    const int period = m_autoSaveLogic.setUp(*m_context.settings);
    if (wasOn && period == 0)
        m_context.settings->save(); // "AutoSave" was written back as "0"
    if (period > 0)
        m_autoSave.start(period);
}

QString CMainFrame::chooseFile(FileChoice choice, const QString &suggested, const QString &filter)
{
    if (m_chooser)
        return m_chooser(choice, suggested, filter);
    switch (choice) {
    case FileChoice::Open:
    case FileChoice::Script:
        return QFileDialog::getOpenFileName(this, QString(), suggested, filter);
    case FileChoice::SaveAs:
    case FileChoice::ExportImage:
        return QFileDialog::getSaveFileName(this, QString(), suggested, filter);
    }
    return {};
}

bool CMainFrame::saveModified()
{
    if (!m_adapter.doc().isModified() || !m_context.dialogs)
        return true;
    const Answer answer = m_context.dialogs->ask(
        Msg::fillIn(Ui::SaveChangesQuestion, {utf8(m_adapter.displayName())}),
        Question::YesNoCancel);
    if (answer == Answer::Cancel)
        return false;
    return answer == Answer::No || fileSave();
}

bool CMainFrame::fileNew()
{
    if (m_adapter.doc().refuseWhileSimulating() || !saveModified())
        return false;
    return m_adapter.newDocument();
}

bool CMainFrame::fileOpen(const QString &given)
{
    QString path = given;
    if (path.isEmpty()) {
        path = chooseFile(FileChoice::Open, m_lastFolder, qt(Ui::OpenFilter));
        if (path.isEmpty())
            return false;
    }
    if (m_adapter.doc().refuseWhileSimulating() || !saveModified())
        return false;
    m_lastFolder = QFileInfo(path).absolutePath();
    if (!m_adapter.open(QFileInfo(path).absoluteFilePath())) {
        return false;
    }
    m_recent.add(QFileInfo(path).absoluteFilePath());
    updateRecentMenu();
    return true;
}

void CMainFrame::openDropped(const QString &path)
{
    // A drop replaces the flow: the same question as File Open first.
    fileOpen(path);
}

bool CMainFrame::fileSave()
{
    if (m_adapter.doc().path().empty())
        return fileSaveAs();
    return m_adapter.save(qt(m_adapter.doc().path()));
}

bool CMainFrame::fileSaveAs()
{
    const CVocaraDoc &doc = m_adapter.doc();
    if (doc.mode() == DocumentMode::None)
        return false;
    const bool flow = doc.isFlowMode();
    const QString extension = flow ? QStringLiteral(".qfl") : QStringLiteral(".conf");
    const QString suggested =
        (m_lastFolder.isEmpty() ? QString() : m_lastFolder + QLatin1Char('/')) + qt(Ui::Untitled) +
        extension;
    QString path =
        chooseFile(FileChoice::SaveAs, suggested, qt(flow ? Ui::FlowFilter : Ui::AsteriskFilter));
    if (path.isEmpty())
        return false;
    if (!path.contains(extension))
        path += extension;
    m_lastFolder = QFileInfo(path).absolutePath();
    if (!m_adapter.save(path))
        return false;
    m_recent.add(qt(m_adapter.doc().path()));
    updateRecentMenu();
    return true;
}

void CMainFrame::placeNode(int tool, int row, int column)
{
    if (tool == Ui::ToolSample) {
        if (!m_sample.empty())
            m_adapter.undoStack()->push(
                new InsertSampleCommand(m_adapter, m_sample, {row, column}));
        return;
    }
    if (tool < 0 || tool > Kind::LastAction)
        return;
    UserInputChoice keys;
    if (tool == Kind::UserInput) {
        // What the new node listens for decides its branches.
        UserInputDialog dialog(this);
        runDialog(dialog);
        keys = dialog.choice();
    }
    auto *command = new AddNodeCommand(m_adapter, {row, column}, tool, keys);
    m_adapter.undoStack()->push(command);
    // A new action node is the selected one.
    if (command->node() != NoNode)
        m_view->selectNode(command->node());
}

int CMainFrame::runDialog(QDialog &dialog)
{
    return m_dialogRunner ? m_dialogRunner(dialog) : dialog.exec();
}

bool CMainFrame::exportImage(const QString &path, QString *error)
{
    return exportCanvasImage(m_adapter.doc(), path, error);
}

void CMainFrame::openHelp()
{
    const QFileInfo guide(m_context.installFolder + QLatin1Char('/') + qt(Ui::HelpFile));
    std::string_view problem;
    if (!QFileInfo(guide.absolutePath()).isDir())
        problem = Ui::HelpPathNotFound;
    else if (!guide.exists())
        problem = Ui::HelpFileNotFound;
    else if (!guide.isReadable())
        problem = Ui::HelpAccessDenied;
    if (!problem.empty()) {
        if (m_context.dialogs)
            m_context.dialogs->error(problem);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(guide.absoluteFilePath()));
}

void CMainFrame::showAbout()
{
    AboutDialog about(qt(Ui::About).remove(QLatin1Char('&')),
                      QStringLiteral("<h3>%1 %2</h3><p>%3</p><p><a href=\"guide\">%4</a></p>"
                                     "<p>Qt %5</p>")
                          .arg(qt(Ui::AppName), qt(programVersion()), qt(Ui::AboutLine),
                               qt(Ui::AboutGuide), QString::fromLatin1(qVersion())),
                      this);
    connect(&about, &AboutDialog::guideRequested, this, &CMainFrame::openHelp);
    runDialog(about);
}

void CMainFrame::closeEvent(QCloseEvent *event)
{
    if (!saveModified()) {
        event->ignore();
        return;
    }
    // The flow is kept as autosave.qfl (or .conf) in the default save folder.
    m_adapter.writeExitAutosave();
    writeBackLayout();
    event->accept();
}

} // namespace vocara
