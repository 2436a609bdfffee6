#include "designer/edit_commands.h"
#include "designer/recovery_dialog.h"
#include "designer/recovery_keeper.h"
#include "tests/designer/designer_fixture.h"

#include <QProcess>
#include <QPushButton>
#include <QTreeWidget>

#include <csignal>
#include <cstdlib>

using namespace vocara;
using namespace vocara::test;
using namespace std::chrono_literals;

namespace {

class Recovery : public DesignerFixture
{
protected:
    Recovery()
    {
        makeFrame();
        root = temp / "user" / std::string(RecoveryStore::FolderName);
    }

    // A designer session of its own that edits `flow` and waits to be killed.
    std::unique_ptr<QProcess> session(const std::string &flow, const std::string &expected,
                                      int edits)
    {
        auto process = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("VOCARA_USER_DIR", QString::fromStdString((temp / "user").string()));
        environment.insert("VOCARA_RECOVERY_INTERVAL_MS", "50");
        environment.insert("VOCARA_RECOVERY_QUIET_MS", "200");
        process->setProcessEnvironment(environment);
        process->start(VOCARA_RECOVERY_CHILD,
                       {QString::fromStdString(flow), QString::fromStdString(expected),
                        QString::number(edits)});
        EXPECT_TRUE(process->waitForReadyRead(60000)) << process->readAllStandardError().data();
        EXPECT_EQ(process->readAllStandardOutput().trimmed(), "ready");
        return process;
    }
    static void killHard(QProcess &process)
    {
        ::kill(pid_t(process.processId()), SIGKILL);
        process.waitForFinished(30000);
    }
    std::string file(const std::string &name) const { return (temp / name).string(); }

    std::filesystem::path root;
};

} // namespace

TEST_F(Recovery, AKilledSessionsWorkIsRestoredAndOthersAreLeftAlone)
{
    writeText(temp / "menu.qfl", MenuFlow);
    writeText(temp / "other.qfl", MenuFlow);
    const std::string before = readText(temp / "menu.qfl");
    auto first = session(file("menu.qfl"), file("expected-menu.qfl"), 3);
    auto second = session(file("other.qfl"), file("expected-other.qfl"), 1);

    // Two running sessions: each keeps its own, neither is offered.
    RecoveryKeeper keeper(*adapter, root, SnapshotSchedule(50ms, 200ms));
    ASSERT_TRUE(keeper.start());
    EXPECT_TRUE(keeper.store().peekLeftOvers().empty());
    EXPECT_EQ(readText(temp / "menu.qfl"), before); // the flow's own file is never touched

    // The first is killed: its work is offered, restored, and saved byte for byte as it was.
    killHard(*first);
    frame->setDialogRunner([&](QDialog &dialog) {
        auto &offer = dynamic_cast<RecoveryDialog &>(dialog);
        EXPECT_EQ(offer.windowTitle(), "Recover Unsaved Work");
        EXPECT_EQ(offer.list()->topLevelItemCount(), 1);
        EXPECT_EQ(offer.list()->topLevelItem(0)->text(0).toStdString(), file("menu.qfl"));
        EXPECT_EQ(offer.list()->topLevelItem(0)->text(2), "9"); // six nodes and three more
        if (const char *keep = std::getenv("VOCARA_KEEP_SCREENSHOTS"))
            offer.grab().save(QString::fromLocal8Bit(keep) + "/recovery.png");
        QTest::mouseClick(offer.restoreButton(), Qt::LeftButton);
        return offer.result();
    });
    ASSERT_TRUE(frame->offerRecovery(keeper));
    EXPECT_TRUE(doc().isModified());
    EXPECT_EQ(doc().path(), file("menu.qfl"));
    EXPECT_EQ(frame->windowTitle().contains("menu.qfl"), true);
    dialogs.clear();
    dialogs.queueAnswer(Answer::Yes); // the new nodes have errors: save all the same
    ASSERT_TRUE(frame->fileSave()) << (dialogs.texts().empty() ? "" : dialogs.texts().back());
    EXPECT_EQ(readText(temp / "menu.qfl"), readText(temp / "expected-menu.qfl"));
    // A clean save leaves no snapshot of this session.
    keeper.writeNow();
    EXPECT_FALSE(std::filesystem::exists(keeper.store().folder() / "snapshot.qfl"));

    // The second is killed: its work is listed by --recover, then discarded.
    killHard(*second);
    QProcess list;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("VOCARA_USER_DIR", QString::fromStdString((temp / "user").string()));
    environment.remove("QT_QPA_PLATFORM");
    list.setProcessEnvironment(environment);
    list.start(VOCARA_PROGRAM, {"--recover"});
    ASSERT_TRUE(list.waitForFinished(60000));
    EXPECT_EQ(list.exitCode(), 0);
    const QString listed = QString::fromUtf8(list.readAllStandardOutput());
    EXPECT_TRUE(listed.startsWith(QString::fromStdString(file("other.qfl")) + "\t"))
        << listed.toStdString();
    EXPECT_TRUE(listed.endsWith("\t7\n")) << listed.toStdString();

    frame->setDialogRunner([&](QDialog &dialog) {
        auto &offer = dynamic_cast<RecoveryDialog &>(dialog);
        EXPECT_EQ(offer.list()->topLevelItemCount(), 1);
        QTest::mouseClick(offer.discardButton(), Qt::LeftButton);
        return offer.result();
    });
    EXPECT_FALSE(frame->offerRecovery(keeper));
    EXPECT_TRUE(keeper.store().peekLeftOvers().empty());

    // A clean exit leaves nothing.
    keeper.finish();
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root), {}), 0);
}

TEST_F(Recovery, SnapshotsFollowTheEditsAndGoWithTheChanges)
{
    RecoveryKeeper keeper(*adapter, root, SnapshotSchedule(50ms, 200ms));
    ASSERT_TRUE(keeper.start());
    std::vector<bool> written;
    QObject::connect(&keeper, &RecoveryKeeper::snapshotWritten,
                     [&](bool ok) { written.push_back(ok); });
    const std::filesystem::path snapshot = keeper.store().folder() / "snapshot.qfl";

    // An untitled dialplan flow: its snapshot says so, and comes back in asterisk mode.
    adapter->mutableDoc().setMode(DocumentMode::Asterisk);
    adapter->undoStack()->push(new AddNodeCommand(*adapter, {3, 3}, Kind::SetVar));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !written.empty(); }, 10000));
    EXPECT_TRUE(written.back());
    ASSERT_TRUE(std::filesystem::exists(snapshot));
    const std::optional<RecoverySnapshot> about =
        RecoveryStore::readSidecar(keeper.store().folder());
    ASSERT_TRUE(about);
    EXPECT_EQ(about->mode, DocumentMode::Asterisk);
    EXPECT_EQ(about->originalPath, "");
    EXPECT_FALSE(doc().path().size());
    EXPECT_TRUE(doc().isModified()); // the snapshot changes nothing of the document
    EXPECT_TRUE(adapter->undoStack()->canUndo());

    // Undoing back to the saved state is no unsaved change: the snapshot goes.
    adapter->undoStack()->undo();
    adapter->mutableDoc().setModified(false);
    keeper.writeNow();
    EXPECT_FALSE(std::filesystem::exists(snapshot));

    // File New drops the changes with the user's No: no snapshot either.
    adapter->undoStack()->push(new AddNodeCommand(*adapter, {3, 3}, Kind::SetVar));
    keeper.writeNow();
    EXPECT_TRUE(std::filesystem::exists(snapshot));
    dialogs.queueAnswer(Answer::No);
    ASSERT_TRUE(frame->fileNew());
    keeper.writeNow();
    EXPECT_FALSE(std::filesystem::exists(snapshot));
    keeper.finish();
}
