#pragma once

#include <QApplication>

#include <memory>

namespace vocara {

class CMainFrame;
class DocumentAdapter;
class IvrSettings;
class QtUserDialogs;
class Registry;
class AsteriskExporter;
class RecoveryKeeper;

// The designer program: start-up in order (install folder, settings, recent files, the
// command line, the splash), the main window, and the command-line modes that make a picture
// of a flow or of the window without showing anything.
class CVocaraApp : public QApplication
{
    Q_OBJECT

public:
    CVocaraApp(int &argc, char **argv);
    ~CVocaraApp() override;

    // Runs the program for the command line it was given; the exit code.
    int run();

    CMainFrame *mainFrame() const { return m_frame.get(); }

private:
    int exportImage(const QString &output, const QString &flow);
    // `session`: a user's session, which keeps recovery snapshots and offers left-over ones
    // (not a screenshot).
    bool startDesigner(const QString &file, bool splash, bool session);
    int listRecovery();
    void showSplash();

    std::unique_ptr<Registry> m_registry;
    std::unique_ptr<IvrSettings> m_settings;
    std::unique_ptr<QtUserDialogs> m_dialogs;
    std::unique_ptr<AsteriskExporter> m_exporter;
    std::unique_ptr<DocumentAdapter> m_adapter;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<RecoveryKeeper> m_recovery;
};

} // namespace vocara
