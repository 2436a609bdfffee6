#pragma once

#include "designer/recent_files.h"
#include "document/autosave_timer.h"
#include "document/node_data.h"

#include <QMainWindow>
#include <QTimer>

#include <functional>
#include <map>
#include <memory>

class QAction;
class QActionGroup;
class QDockWidget;
class QLabel;
class QDialog;
class QMenu;
class QPrinter;
class QToolBar;

namespace vocara {

class RecoveryKeeper;

class CVocaraView;
class DocumentAdapter;
class CIVRSimulatorDlg;
class PropertiesBar;
class ValidationWindow;
class VariablesBar;
class IvrSettings;
class Registry;
class UserDialogs;

// What the main window needs from the program around it.
struct FrameContext
{
    IvrSettings *settings = nullptr;
    Registry *registry = nullptr;
    UserDialogs *dialogs = nullptr;
    QString installFolder;
    // How fast simulated time runs (tests: faster).
    double simulatorTimeScale = 1.0;
    // Where the property grid's plugin is looked for; empty: the usual places.
    QStringList propertyGridPlugins;
};

// The designer's main window: menus, the main and node toolbars, the status bar, the
// "Properties" and "Variable" docks, the canvas, recent files and the autosave timer.
class CMainFrame : public QMainWindow
{
    Q_OBJECT

public:
    enum class FileChoice { Open, SaveAs, Script, ExportImage };
    // Asks the user for a file; tests answer instead of a file dialog.
    using FileChooser =
        std::function<QString(FileChoice, const QString &suggested, const QString &filter)>;

    CMainFrame(DocumentAdapter &adapter, const FrameContext &context, QWidget *parent = nullptr);
    ~CMainFrame() override;

    CVocaraView *view() const { return m_view; }
    DocumentAdapter &adapter() const { return m_adapter; }
    void setFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }

    // Looks up a command by its menu or toolbar text ("&Open...", "Arrow", "Play Wave").
    QAction *action(const QString &text) const;
    QToolBar *mainToolBar() const { return m_mainBar; }
    QToolBar *nodeToolBar() const { return m_nodeBar; }
    QDockWidget *propertiesDock() const { return m_propertiesDock; }
    QDockWidget *variableDock() const { return m_variableDock; }
    PropertiesBar *propertiesBar() const { return m_propertiesBar; }
    VariablesBar *variablesBar() const { return m_variablesBar; }
    const QTimer &autoSaveTimer() const { return m_autoSave; }
    const RecentFiles &recentFiles() const { return m_recent; }

    // File commands, as the menus run them.
    bool fileNew();
    bool fileOpen(const QString &path = {});
    bool fileSave();
    bool fileSaveAs();
    // The framework's question before the flow is replaced or the window closes: false when
    // the user cancelled (or a save the user asked for failed).
    bool saveModified();
    // Opens a dropped file after the usual question.
    void openDropped(const QString &path);
    // (Re)starts the autosave timer from the settings.
    void restartAutoSave();
    // A link the user asked for, with the linking rules and their messages.
    void linkNodes(quint64 source, quint64 target);
    // Delete: the selected link, else the selected node or the multi-selection.
    void deleteSelection();
    // Copy and Cut of the selection; Paste at a cell, from the copy list or, when it is empty,
    // from another designer's block on the clipboard ("Not Correct Format" without one).
    void copySelection(bool cut);
    void pasteAt(Cell at);
    // The deleted nodes' own way back (Edit > Undo Delete, Alt+Backspace).
    void undoDelete();
    // Runs the canvas's right-click menu; tests replace the menu's event loop.
    void showCanvasMenu(quint64 underPointer, const QPoint &globalPos);
    void setMenuRunner(std::function<void(QMenu &)> runner) { m_menuRunner = std::move(runner); }
    // Runs a modal dialog of the canvas (User Input, Select Node Name); tests answer instead.
    void setDialogRunner(std::function<int(QDialog &)> runner)
    {
        m_dialogRunner = std::move(runner);
    }

    // ReadyMade: the next click inserts this sample (a name or a script's path).
    void chooseSample(const std::string &sample);
    // A click with a node tool: the node is placed through the undo stack and selected.
    void placeNode(int tool, int row, int column);
    // Runs validation: the count in the status bar, the lines in the validation window.
    void runValidation();
    ValidationWindow &validationWindow();
    // Settings > Customize, Help > Keyboard Shortcuts, File > Attach Files, Settings > Asterisk.
    void showOptions();
    void showHotKeys();
    void attachFiles();
    void asteriskSettings();
    // Simulator Start: the flow saved (or its changes, if the user wants), the simulator marked
    // running and its window shown. Settings > Simulator: the simulator's settings.
    void startSimulation();
    void simulatorSettings();
    CIVRSimulatorDlg *simulatorWindow() const { return m_simulator; }
    // For pictures of the program (the user guide, the README): shows a dialog by name
    // (options, colors, validation, hotkeys, attach, asterisk, userinput, simulator, recovery)
    // without waiting.
    QWidget *openForPicture(const QString &name);
    // On start: offers the unsaved work of runs that did not end cleanly ("Recover Unsaved
    // Work"); true when a flow was restored.
    bool offerRecovery(RecoveryKeeper &keeper);
    // Printing: the dialogs around the printout of CanvasPrint.
    void filePrint();
    void filePrintPreview();
    void filePrintSetup();
    QPrinter &printer();

    // The canvas as a picture: PNG, SVG or PDF by the name's extension.
    bool exportImage(const QString &path, QString *error = nullptr);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void createActions();
    void createMenus();
    void createToolBars();
    void createDocks();
    void placeToolBar(QToolBar *bar, int settingId);
    void updateTitle();
    void updateCommands();
    void updateRecentMenu();
    int runDialog(QDialog &dialog);
    void connectEditing();
    // F6 and Shift+F6: the next or previous of the canvas and the visible docks.
    void switchPane(int step);
    void openHelp();
    void showAbout();
    void writeBackLayout();
    QString chooseFile(FileChoice choice, const QString &suggested, const QString &filter);
    QAction *addCommand(QMenu *menu, std::string_view text, const QKeySequence &shortcut = {},
                        std::string_view prompt = {});

    DocumentAdapter &m_adapter;
    FrameContext m_context;
    CVocaraView *m_view = nullptr;
    QToolBar *m_mainBar = nullptr;
    QToolBar *m_nodeBar = nullptr;
    QDockWidget *m_propertiesDock = nullptr;
    QDockWidget *m_variableDock = nullptr;
    PropertiesBar *m_propertiesBar = nullptr;
    VariablesBar *m_variablesBar = nullptr;
    ValidationWindow *m_validation = nullptr;
    CIVRSimulatorDlg *m_simulator = nullptr;
    QActionGroup *m_tools = nullptr;
    std::map<int, QAction *> m_toolActions; // by tool code
    QMenu *m_fileMenu = nullptr;
    QMenu *m_recentMenu = nullptr;
    std::string m_sample; // the ReadyMade sample (or script file) of the sample tool
    QList<QAction *> m_recentActions;
    QAction *m_exitAction = nullptr;
    std::map<QString, QAction *> m_commands;
    QTimer m_autoSave;
    AutoSaveTimer m_autoSaveLogic;
    RecentFiles m_recent;
    FileChooser m_chooser;
    QString m_lastFolder;
    bool m_layoutWritten = false;
    std::unique_ptr<QPrinter> m_printer;
    std::function<void(QMenu &)> m_menuRunner;
    std::function<int(QDialog &)> m_dialogRunner;
};

} // namespace vocara
