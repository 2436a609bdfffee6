#pragma once

#include "platform/clock.h"
#include "platform/fax.h"
#include "simulator/simulator_host.h"
#include "simulator/simulator_log.h"
#include "simulator/simulator_settings.h"
#include "simulator/trace_tree.h"

#include <QDialog>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>

class QLabel;
class QPushButton;
class QTemporaryFile;
class QTreeWidget;
class QTreeWidgetItem;

namespace vocara {

class AudioDevice;
class CVocaraView;
class DocumentAdapter;
class KeypadButton;
class Registry;
class SimulatorActions;
class SimulatorSession;
class UserDialogs;

// What the simulator window needs from the program around it.
struct SimulatorServices
{
    Registry *registry = nullptr;
    UserDialogs *dialogs = nullptr;
    std::filesystem::path installFolder; // signalling sounds, sample prompts
    std::filesystem::path userFolder;    // the log file
    double timeScale = 1.0;              // below 1: pauses and the input timer run faster
};

// The simulated call: a telephone keypad, Start and Hang Up, the tracing tree mirrored from
// the interpreter, the simulator settings, and the running node shown on the canvas. Every
// call from the interpreter's and the wave player's threads is posted to this window's thread;
// no widget is touched from a worker.
class CIVRSimulatorDlg : public QDialog, public SimulatorHost
{
    Q_OBJECT

public:
    CIVRSimulatorDlg(DocumentAdapter &adapter, CVocaraView &view, SimulatorServices services,
                     QWidget *parent = nullptr);
    ~CIVRSimulatorDlg() override;

    void start();
    void stop();
    // A keypad key: its tone plays with the key shown pressed, then the key rules decide.
    void pressKey(const QString &key);
    void showSettings();
    void toggleTree();
    // Runs the settings dialog; tests answer instead.
    void setDialogRunner(std::function<int(QDialog &)> runner) { m_runner = std::move(runner); }

    KeypadButton *keyButton(const QString &key) const { return m_keys.at(key); }
    QPushButton *startButton() const { return m_start; }
    QPushButton *stopButton() const { return m_stop; }
    QPushButton *settingsButton() const { return m_settingsButton; }
    QPushButton *closeButton() const { return m_close; }
    QPushButton *treeButton() const { return m_treeButton; }
    QTreeWidget *tree() const { return m_tree; }
    QLabel *status() const { return m_status; }
    const QTimer &inputTimer() const { return m_inputTimer; }
    SimulatorSession &session() { return *m_session; }
    const SimulatorSettings &settings() const { return m_settings; }
    // The keys of this call that reached the interpreter.
    const QString &dialled() const { return m_dialled; }

    // SimulatorHost, called from any thread.
    void traceChanged(const TraceTree &tree, int item) override;
    void nodeReported(int row, int column) override;
    void nodeTraced(std::string_view label) override;
    void message(std::string_view text) override;
    void runEnded() override;
    void log(std::string_view line) override;
    void startInputTimer(int seconds) override;
    void stopInputTimer() override;
    void promptShown(int item, bool playing) override;

signals:
    // The window itself was closed: the simulation is over.
    void closed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    // Runs `work` on this window's thread: now when called there, else queued.
    void onWindowThread(std::function<void()> work);
    void buildKeypad(QWidget *parent);
    void mirror(const std::vector<TraceTree::Item> &items);
    void mirrorItem(int index, const TraceTree::Item &item);
    void showBold(int index);
    void setRunning(bool running);
    void updateStatus();
    void applySettings();

    DocumentAdapter &m_adapter;
    CVocaraView &m_view;
    SimulatorServices m_services;
    Clock m_clock;
    SimulatorLog m_log;
    FaxService m_fax;
    SimulatorSettings m_settings;
    std::unique_ptr<AudioDevice> m_audio;
    std::unique_ptr<SimulatorActions> m_actions;
    std::unique_ptr<SimulatorSession> m_session;
    std::unique_ptr<QTemporaryFile> m_extracted;
    std::filesystem::file_time_type m_opened;
    QTimer m_inputTimer;
    std::atomic<size_t> m_mirrored{0}; // trace items the window has (the workers' view)
    std::map<QString, KeypadButton *> m_keys;
    std::vector<QTreeWidgetItem *> m_items;
    std::vector<bool> m_bold;    // per item: running or waiting
    std::vector<bool> m_playing; // per item: its prompt plays
    QPushButton *m_start = nullptr;
    QPushButton *m_stop = nullptr;
    QPushButton *m_settingsButton = nullptr;
    QPushButton *m_close = nullptr;
    QPushButton *m_treeButton = nullptr;
    QWidget *m_treeArea = nullptr;
    QTreeWidget *m_tree = nullptr;
    QLabel *m_status = nullptr;
    QString m_current;
    QString m_dialled;
    std::function<int(QDialog &)> m_runner;
};

} // namespace vocara
