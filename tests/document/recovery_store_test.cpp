#include "document/recording_dialogs.h"
#include "document/recovery_store.h"
#include "document/vocara_doc.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace vocara;
using namespace std::chrono_literals;

namespace {

RecoverySnapshot about(std::string path, DocumentMode mode = DocumentMode::Flow,
                       std::time_t time = 1000)
{
    RecoverySnapshot snapshot;
    snapshot.originalPath = std::move(path);
    snapshot.mode = mode;
    snapshot.time = time;
    snapshot.nodes = 7;
    return snapshot;
}

} // namespace

TEST(RecoveryStore, SnapshotsOfLiveInstancesAreTheirsAndOfEndedOnesAreOffered)
{
    test::TempFolder temp;
    const std::filesystem::path root = temp / "recovery";
    auto first = std::make_unique<RecoveryStore>(root);
    RecoveryStore second(root);
    ASSERT_TRUE(first->claim());
    ASSERT_TRUE(second.claim());
    EXPECT_EQ(std::filesystem::status(root).permissions(), std::filesystem::perms::owner_all);
    EXPECT_NE(first->folder(), second.folder());

    // A name with every character a line-based sidecar could trip on.
    const std::string odd = "/home/me/menus/a\\b\nc=d.conf";
    ASSERT_TRUE(first->write("<flow one/>", about(odd, DocumentMode::Asterisk, 2000)));
    ASSERT_TRUE(second.write("<flow two/>", about("", DocumentMode::Flow, 3000)));
    // Both instances live: neither is offered the other's.
    EXPECT_TRUE(second.peekLeftOvers().empty());
    EXPECT_TRUE(first->peekLeftOvers().empty());

    // The first ends without cleaning up (a crash): its snapshot is offered, as written.
    first.reset();
    std::vector<RecoverySnapshot> offered = second.takeLeftOvers();
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(offered[0].originalPath, odd);
    EXPECT_EQ(offered[0].mode, DocumentMode::Asterisk);
    EXPECT_EQ(offered[0].time, 2000);
    EXPECT_EQ(offered[0].nodes, 7u);
    EXPECT_EQ(offered[0].pid, ::getpid());
    EXPECT_EQ(test::readText(offered[0].flowFile), "<flow one/>");
    // Taken, it is nobody else's to offer; left for later, it is offered again.
    RecoveryStore third(root);
    ASSERT_TRUE(third.claim());
    EXPECT_TRUE(third.peekLeftOvers().empty());
    second.leaveForLater();
    const std::vector<RecoverySnapshot> again = third.takeLeftOvers();
    ASSERT_EQ(again.size(), 1u);
    third.discard(again[0]);
    EXPECT_FALSE(std::filesystem::exists(offered[0].folder));

    // Discarding one's own snapshot leaves nothing to offer; a clean exit leaves no folder.
    second.discardOwn();
    const std::filesystem::path secondFolder = second.folder();
    second.release();
    EXPECT_FALSE(std::filesystem::exists(secondFolder));
    third.release();
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root), {}), 0);
}

TEST(RecoveryStore, AKilledProcessLeavesItsSnapshotAndBrokenFoldersAreCleared)
{
    test::TempFolder temp;
    const std::filesystem::path root = temp / "recovery";
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        RecoveryStore store(root);
        const bool ok = store.claim() && store.write("<killed/>", about("/tmp/killed.qfl"));
        const char answer = ok ? 'y' : 'n';
        [[maybe_unused]] const ssize_t sent = ::write(ready[1], &answer, 1);
        ::pause();
        ::_exit(0);
    }
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    ASSERT_EQ(answer, 'y');
    RecoveryStore store(root);
    ASSERT_TRUE(store.claim());
    EXPECT_TRUE(store.peekLeftOvers().empty()); // alive: its lock is held
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    std::vector<RecoverySnapshot> offered = store.peekLeftOvers();
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(offered[0].pid, child);
    EXPECT_EQ(offered[0].originalPath, "/tmp/killed.qfl");

    // A folder whose sidecar is missing or says nothing sensible is not offered, and goes.
    std::filesystem::create_directory(root / "broken");
    test::writeText(root / "broken" / "snapshot.qfl", "<x/>");
    test::writeText(root / "broken" / "snapshot.info", "mode=sideways\n");
    EXPECT_EQ(store.takeLeftOvers().size(), 1u);
    EXPECT_FALSE(std::filesystem::exists(root / "broken"));
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST(RecoveryStore, RefusesAFolderThatIsNotPrivate)
{
    test::TempFolder temp;
    std::filesystem::create_directory(temp / "elsewhere");
    std::filesystem::create_directory_symlink(temp / "elsewhere", temp / "recovery");
    RecoveryStore store(temp / "recovery");
    std::string error;
    EXPECT_FALSE(store.claim(&error));
    EXPECT_NE(error.find("not a folder of its own"), std::string::npos);

    // A folder of ours made with looser rights is narrowed to the owner.
    std::filesystem::create_directory(temp / "loose");
    ::chmod((temp / "loose").c_str(), 0755);
    RecoveryStore loose(temp / "loose");
    EXPECT_TRUE(loose.claim());
    EXPECT_EQ(std::filesystem::status(temp / "loose").permissions(),
              std::filesystem::perms::owner_all);
}

TEST(SnapshotSchedule, WritesSoonAfterAnEditButNotMoreOftenThanTheInterval)
{
    SnapshotSchedule schedule(30s, 60s);
    const auto t0 = SnapshotSchedule::Clock::time_point() + 1h;
    EXPECT_EQ(schedule.edited(t0), 0ms);               // the first edit: at once
    EXPECT_EQ(schedule.edited(t0 + 1s), std::nullopt); // already due
    schedule.written(t0 + 1s);
    EXPECT_EQ(schedule.edited(t0 + 5s), 26s); // 30 s after the last write
    EXPECT_EQ(schedule.edited(t0 + 6s), std::nullopt);
    schedule.written(t0 + 31s);
    EXPECT_EQ(schedule.edited(t0 + 75s), 0ms); // a write long enough ago
    schedule.written(t0 + 75s);
    // A quiet minute, then an edit: at once, even though a write was due meanwhile.
    EXPECT_EQ(schedule.edited(t0 + 80s), 25s);
    EXPECT_EQ(schedule.edited(t0 + 141s), 0ms);
    schedule.clear();
    EXPECT_FALSE(schedule.isDue());
}

TEST(SnapshotWriter, WritesInOrderKeepsOnlyTheNewestAndDiscardsAfterWrites)
{
    test::TempFolder temp;
    RecoveryStore store(temp / "recovery");
    ASSERT_TRUE(store.claim());
    std::atomic<int> writes{0};
    {
        SnapshotWriter writer(store);
        writer.setWritten([&](bool ok, const std::string &) { writes += ok ? 1 : 100; });
        writer.write("<one/>", about("/a.qfl"));
        writer.write("<two/>", about("/a.qfl"));
        writer.flush();
        EXPECT_EQ(test::readText(store.folder() / "snapshot.qfl"), "<two/>");
        EXPECT_GE(writes, 1);
        EXPECT_LE(writes, 2);
        writer.write("<three/>", about("/a.qfl"));
        writer.discard(); // asked after the write: done after it
        writer.flush();
        EXPECT_FALSE(std::filesystem::exists(store.folder() / "snapshot.qfl"));
        EXPECT_FALSE(std::filesystem::exists(store.folder() / "snapshot.info"));
        writer.write("<four/>", about("/a.qfl"));
    } // the writer finishes what it was asked before it goes
    EXPECT_EQ(test::readText(store.folder() / "snapshot.qfl"), "<four/>");
}

TEST(RecoveryStore, ARestoredFlowIsUnsavedWorkNamedAfterItsFile)
{
    test::TempFolder temp;
    RecordingDialogs dialogs(Answer::Yes);
    CVocaraDoc doc(dialogs);
    doc.setUserFolder(temp.path());
    doc.newDocument();
    doc.setMode(DocumentMode::Asterisk);
    doc.resetContent();
    doc.createNode({0, 1}, Kind::Hang, "Bye");
    const std::string text = doc.preparedFlowText();
    test::writeText(temp / "snapshot.qfl", text);

    CVocaraDoc restored(dialogs);
    restored.setUserFolder(temp.path());
    restored.newDocument();
    ASSERT_TRUE(restored.restore((temp / "snapshot.qfl").string(), DocumentMode::Asterisk,
                                 "/srv/menus/pin.conf"));
    EXPECT_EQ(restored.mode(), DocumentMode::Asterisk);
    EXPECT_EQ(restored.path(), "/srv/menus/pin.conf");
    EXPECT_EQ(restored.title(), "pin.conf");
    EXPECT_TRUE(restored.isModified());
    EXPECT_EQ(restored.preparedFlowText(), text);

    ASSERT_TRUE(restored.restore((temp / "snapshot.qfl").string(), DocumentMode::Flow, ""));
    EXPECT_EQ(restored.path(), "");
    EXPECT_EQ(restored.title(), "");
    EXPECT_FALSE(restored.restore((temp / "missing.qfl").string(), DocumentMode::Flow, "x"));
}
