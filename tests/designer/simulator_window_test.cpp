#include "designer/keypad_button.h"
#include "designer/simulator_settings_dialog.h"
#include "designer/simulator_window.h"
#include "simulator/civr_handler.h"
#include "simulator/civr_handler_thread.h"
#include "simulator/play_wave_thread.h"
#include "simulator/simulator_session.h"
#include "tests/designer/designer_fixture.h"
#include "tests/support/pulse_daemon.h"

#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTreeWidget>

#include <chrono>
#include <cstdint>
#include <cstdlib>

using namespace vocara;
using namespace vocara::test;

namespace {

const std::filesystem::path Share = VOCARA_SHARE_DIR;

class Simulator : public DesignerFixture
{
protected:
    Simulator()
    {
        ::setenv("VOCARA_AUDIO", "null", 1);
        timeScale = 0.02;
        installFolder = QString::fromStdString(Share.string());
        makeFrame();
        // The sample menu with its prompts, copied so that the test owns it.
        std::filesystem::copy(Share / "Samples/Flows", temp / "flows",
                              std::filesystem::copy_options::recursive);
        const std::string flow = (temp / "flows/menu.qfl").string();
        EXPECT_TRUE(frame->fileOpen(QString::fromStdString(flow)));
        dialogs.clear();
    }
    ~Simulator() override { ::unsetenv("VOCARA_AUDIO"); }

    CIVRSimulatorDlg &window() const { return *frame->simulatorWindow(); }
    // Lets the workers' posted calls arrive until `done`, for at most ten seconds.
    template<typename F>
    bool until(F done)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            if (std::chrono::steady_clock::now() > end)
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }
    // The call waits for the caller: nothing left for the interpreter, the input timer runs.
    bool waitingForKeys()
    {
        return until([&] {
            return window().inputTimer().isActive() && window().session().worker().isIdle();
        });
    }
    bool ended()
    {
        return until([&] { return window().startButton()->isEnabled(); });
    }
    std::string variable(const std::string &name)
    {
        for (const auto &[key, value] :
             window().session().worker().handler().finalVariables().items())
            if (key == name)
                return value;
        return "(none)";
    }
};

} // namespace

TEST_F(Simulator, ACallWalksTheMenuWithKeypadClicks)
{
    frame->action("Simulator Start")->trigger();
    ASSERT_NE(frame->simulatorWindow(), nullptr);
    EXPECT_TRUE(window().isVisible());
    EXPECT_TRUE(doc().isSimulatorRunning());
    EXPECT_TRUE(window().startButton()->isEnabled());
    EXPECT_FALSE(window().stopButton()->isEnabled());
    EXPECT_EQ(window().startButton()->toolTip(), "Start Simulation");
    EXPECT_EQ(window().stopButton()->toolTip(), "Hang Up");

    QTest::mouseClick(window().startButton(), Qt::LeftButton);
    EXPECT_FALSE(window().startButton()->isEnabled());
    EXPECT_TRUE(window().stopButton()->isEnabled());
    ASSERT_TRUE(waitingForKeys());
    // The tree mirrors the flow; the waiting input is bold.
    EXPECT_GT(window().tree()->topLevelItemCount(), 0);
    bool bold = false;
    for (QTreeWidgetItemIterator it(window().tree()); *it; ++it)
        bold = bold || (*it)->font(0).bold();
    EXPECT_TRUE(bold);
    // The canvas shows the way so far, ending at the menu.
    const NodeId menu = doc().nodeAt({2, 0});
    ASSERT_FALSE(view().simulatorPath().empty());
    EXPECT_EQ(view().simulatorPath().back(), menu);

    // Key 1: the balance branch speaks the balance and hangs up.
    QTest::mouseClick(window().keyButton("1"), Qt::LeftButton);
    ASSERT_TRUE(ended());
    EXPECT_EQ(window().dialled(), "1");
    EXPECT_TRUE(window().status()->text().contains(QStringLiteral("Keys: 1")));
    EXPECT_EQ(variable("choice"), "1");
    EXPECT_EQ(variable("balance"), "42");
    EXPECT_EQ(view().simulatorPath().back(), doc().nodeAt({6, 0}));

    // The keyboard drives it too: Enter starts, a key on the keypad answers, Esc hangs up.
    QTest::keyClick(&window(), Qt::Key_Return);
    ASSERT_TRUE(waitingForKeys());
    EXPECT_EQ(window().dialled(), "");
    QTest::keyClick(&window(), Qt::Key_2, Qt::KeypadModifier);
    EXPECT_EQ(window().dialled(), "2");
    QTest::keyClick(&window(), Qt::Key_Escape);
    ASSERT_TRUE(ended());
    EXPECT_FALSE(window().stopButton()->isEnabled());
}

TEST_F(Simulator, TheCanvasRefusesEditsWhileTheWindowIsOpen)
{
    frame->action("Simulator Start")->trigger();
    click(cellCentre({1, 0}));
    QTest::keyClick(&view(), Qt::Key_Delete);
    EXPECT_EQ(dialogs.texts().back(), "Can not Delete any node while simulator running");
    EXPECT_NE(doc().nodeAt({1, 0}), NoNode);
    // Close only hides the window; the simulation goes on until the window itself closes.
    QTest::mouseClick(window().closeButton(), Qt::LeftButton);
    EXPECT_FALSE(window().isVisible());
    EXPECT_TRUE(doc().isSimulatorRunning());
    frame->action("Simulator Start")->trigger();
    EXPECT_TRUE(window().isVisible());
    window().close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(frame->simulatorWindow(), nullptr);
    EXPECT_FALSE(doc().isSimulatorRunning());
    EXPECT_TRUE(view().simulatorPath().empty());
}

TEST_F(Simulator, AFlowNeverSavedOrChangedIsSavedFirst)
{
    adapter->mutableDoc().setModified(true);
    dialogs.queueAnswer(Answer::Yes);
    frame->action("Simulator Start")->trigger();
    EXPECT_EQ(dialogs.texts().front(), "The File had Changed (Do You Want Save It)");
    EXPECT_FALSE(doc().isModified());
    window().close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // A new flow must be saved first; cancelling the save starts nothing.
    ASSERT_TRUE(frame->fileNew());
    dialogs.clear();
    frame->setFileChooser(
        [](CMainFrame::FileChoice, const QString &, const QString &) { return QString(); });
    frame->action("Simulator Start")->trigger();
    EXPECT_EQ(dialogs.texts().front(), "The File Must be Saved");
    EXPECT_EQ(frame->simulatorWindow(), nullptr);
    EXPECT_FALSE(doc().isSimulatorRunning());
}

TEST_F(Simulator, SettingsCheckTheRequiredFieldsAndAreWrittenBackOnClose)
{
    frame->action("Simulator Start")->trigger();
    test::TempFolder folder;
    const std::string caFile = (folder / "ca.pem").string();
    test::writeText(caFile, "a certificate");
    window().setDialogRunner([&](QDialog &dialog) {
        auto &form = dynamic_cast<SimulatorSettingsDialog &>(dialog);
        EXPECT_EQ(form.field("MailPassword")->echoMode(), QLineEdit::Password);
        form.accept(); // everything empty: the first check speaks
        EXPECT_EQ(dialogs.texts().back(), "Please enter your mail server");
        form.field("MailServerName")->setText("mail.example.org:587");
        form.field("MailUserName")->setText("ivr@example.org");
        form.field("MailPassword")->setText("secret");
        form.accept();
        EXPECT_EQ(dialogs.texts().back(), "Please enter the Connection DSN Name");
        form.field("DBDSN")->setText("speech");
        form.field("Sim_Speed")->clear();
        // The extra CA file is chosen with a file dialog, and must be readable.
        form.setCaFilePicker([](const QString &) { return QStringLiteral("/no/such/ca.pem"); });
        QTest::mouseClick(form.caFileButton(), Qt::LeftButton);
        EXPECT_EQ(form.field("MailCAFile")->text(), "/no/such/ca.pem");
        form.accept();
        EXPECT_EQ(dialogs.texts().back(), "The mail CA file cannot be read: /no/such/ca.pem");
        EXPECT_NE(form.result(), QDialog::Accepted);
        form.setCaFilePicker([&](const QString &) { return QString::fromStdString(caFile); });
        QTest::mouseClick(form.caFileButton(), Qt::LeftButton);
        if (const char *keep = std::getenv("VOCARA_KEEP_SCREENSHOTS"))
            form.grab().save(QString::fromLocal8Bit(keep) + "/simulator-settings.png");
        form.accept();
        return dialog.result();
    });
    QTest::mouseClick(window().settingsButton(), Qt::LeftButton);
    // An empty sender takes the user name; an empty speed the default.
    EXPECT_EQ(window().settings().mailFromAccountName, "ivr@example.org");
    EXPECT_EQ(window().settings().simSpeed, 200);
    SimulatorSettings stored;
    ASSERT_TRUE(stored.load(registry));
    EXPECT_EQ(stored.mailServerName, "mail.example.org:587");
    EXPECT_EQ(stored.dbDsn, "speech");
    EXPECT_EQ(stored.mailCaFile, caFile);

    // Cancel writes the same values again.
    window().setDialogRunner([](QDialog &dialog) {
        dynamic_cast<SimulatorSettingsDialog &>(dialog).field("DBDSN")->setText("other");
        dialog.reject();
        return dialog.result();
    });
    frame->action("Simulator")->trigger();
    ASSERT_TRUE(stored.load(registry));
    EXPECT_EQ(stored.dbDsn, "speech");
    EXPECT_EQ(stored.mailPassword, "secret");
}

TEST_F(Simulator, TheTreeToggleNarrowsAndWidensTheWindow)
{
    frame->action("Simulator Start")->trigger();
    window().resize(700, 420);
    QCoreApplication::processEvents();
    const int wide = window().width();
    QTest::mouseClick(window().treeButton(), Qt::LeftButton);
    EXPECT_EQ(window().treeButton()->text(), ">>");
    EXPECT_LT(window().width(), wide);
    EXPECT_FALSE(window().tree()->isVisible());
    QTest::mouseClick(window().treeButton(), Qt::LeftButton);
    EXPECT_EQ(window().treeButton()->text(), "<<");
    EXPECT_TRUE(window().tree()->isVisible());
    EXPECT_EQ(window().treeButton()->toolTip(), "Show/Hide Tracing Tree");
}

TEST_F(Simulator, PromptsAndKeyTonesPlayThroughPulseAudio)
{
    test::PulseDaemon daemon;
    ASSERT_TRUE(daemon.ready()) << daemon.error();
    // The window (and the tones its threads may still be playing) goes before the daemon does,
    // however the test ends: a sound server that vanishes under a starting stream leaves
    // libpulse spinning.
    struct CloseBeforeTheDaemon
    {
        std::unique_ptr<CMainFrame> &frame;
        ~CloseBeforeTheDaemon() { frame.reset(); }
    } closeFirst{frame};
    ::setenv("VOCARA_AUDIO", "pulse", 1);
    frame.reset();
    timeScale = 1.0;
    makeFrame();
    ASSERT_TRUE(frame->fileOpen(QString::fromStdString((temp / "flows/menu.qfl").string())));
    // What reaches the sink is recorded from its monitor.
    QProcess listener;
    listener.setStandardOutputFile(QString::fromStdString((temp / "heard.raw").string()));
    listener.start(QStringLiteral("parec"),
                   {QStringLiteral("-d"), QString::fromLatin1(test::PulseDaemon::Monitor),
                    QStringLiteral("--raw"), QStringLiteral("--rate=8000"),
                    QStringLiteral("--channels=1"), QStringLiteral("--format=s16le")});
    ASSERT_TRUE(listener.waitForStarted());
    frame->action("Simulator Start")->trigger();
    const auto started = std::chrono::steady_clock::now();
    window().start();
    // The menu waits for a key while its own prompt still plays.
    ASSERT_TRUE(until([&] {
        return window().session().worker().handler().waitingNode() != nullptr &&
               window().session().worker().isIdle();
    }));
    // The synchronous welcome held the flow for as long as it speaks.
    EXPECT_GT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(700));
    const auto pressed = std::chrono::steady_clock::now();
    window().pressKey("3"); // cuts the menu prompt: the operator, a transfer, the end
    // The key's tone played (synchronously, on this thread) before the key went on.
    EXPECT_GE(std::chrono::steady_clock::now() - pressed, std::chrono::milliseconds(140));
    ASSERT_TRUE(ended());
    listener.terminate();
    ASSERT_TRUE(listener.waitForFinished());
    const std::string heard = readText(temp / "heard.raw");
    int loudest = 0;
    for (size_t i = 0; i + 1 < heard.size(); i += 2) {
        const int sample = static_cast<std::int16_t>(
            static_cast<unsigned char>(heard[i]) | (static_cast<unsigned char>(heard[i + 1]) << 8));
        loudest = std::max(loudest, std::abs(sample));
    }
    EXPECT_GT(loudest, 1000) << heard.size() << " bytes heard";
    ::setenv("VOCARA_AUDIO", "null", 1);
}

TEST_F(Simulator, KeysFollowTheRulesOfThePlayingPrompt)
{
    frame.reset();
    timeScale = 1.0; // the prompts play for as long as they speak
    makeFrame();
    ASSERT_TRUE(frame->fileOpen(QString::fromStdString((temp / "flows/menu.qfl").string())));
    frame->action("Simulator Start")->trigger();
    window().start();
    auto waves = [&]() -> CPlayWaveThread & {
        return window().session().worker().handler().waves();
    };
    // # while the synchronous welcome plays: nothing.
    ASSERT_TRUE(until([&] { return waves().IsPlaying(); }));
    window().pressKey("#");
    EXPECT_EQ(window().dialled(), "");
    // The menu's own prompt plays while it waits: 7 is not an allowed key and is dropped;
    // 1 cuts the prompt short and is delivered.
    ASSERT_TRUE(until([&] {
        return window().session().worker().handler().waitingNode() != nullptr &&
               waves().IsPlaying();
    }));
    window().pressKey("7");
    EXPECT_EQ(window().dialled(), "");
    EXPECT_TRUE(waves().IsPlaying());
    window().pressKey("1");
    EXPECT_EQ(window().dialled(), "1");
    ASSERT_TRUE(ended());
    EXPECT_EQ(variable("choice"), "1");
}

TEST_F(Simulator, ADialplansFlowRunsFromAPrivateCopy)
{
    // The sample menu as a dialplan beside its prompts.
    adapter->mutableDoc().setMode(DocumentMode::Asterisk);
    dialogs.setFallback(Answer::Yes); // saved even with the dialplan's own errors
    const std::filesystem::path conf = temp / "flows/menu.conf";
    ASSERT_TRUE(adapter->mutableDoc().save((temp / "flows/menu.qfl").string()));
    ASSERT_TRUE(std::filesystem::exists(conf));
    ASSERT_TRUE(frame->fileOpen(QString::fromStdString(conf.string())));
    const auto before = std::distance(std::filesystem::directory_iterator(temp / "flows"),
                                      std::filesystem::directory_iterator());
    frame->action("Simulator Start")->trigger();
    window().start();
    ASSERT_TRUE(waitingForKeys());
    EXPECT_GT(window().tree()->topLevelItemCount(), 0);
    // Nothing was written beside the user's files.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp / "flows"),
                            std::filesystem::directory_iterator()),
              before);
    QTest::mouseClick(window().stopButton(), Qt::LeftButton);
    ASSERT_TRUE(ended());
    EXPECT_TRUE(view().simulatorPath().empty()); // Stop clears the way shown
}
