#pragma once

#include "document/document_observer.h"

#include <chrono>
#include <condition_variable>
#include <ctime>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vocara {

// A snapshot of unsaved work, as the sidecar beside it describes it.
struct RecoverySnapshot
{
    std::filesystem::path folder;   // the instance folder it lies in
    std::filesystem::path flowFile; // the flow text, as a save writes it
    std::string originalPath;       // the flow's own file; empty for an untitled flow
    DocumentMode mode = DocumentMode::Flow;
    std::time_t time = 0;
    size_t nodes = 0;
    long pid = 0; // the process that wrote it
};

// Recovery snapshots: while the designer has unsaved changes it keeps a copy of the flow in a
// private folder (mode 0700), one folder per running instance, each held by a lock on its
// "lock" file for as long as the instance lives. A folder whose lock nobody holds was left by a
// run that did not end cleanly: its snapshot is offered on the next start. The flow's own file
// is never touched.
class RecoveryStore
{
public:
    static constexpr std::string_view FolderName = "recovery"; // in the user folder
    static constexpr std::string_view FlowName = "snapshot.qfl";
    static constexpr std::string_view SidecarName = "snapshot.info";
    static constexpr std::string_view LockName = "lock";

    explicit RecoveryStore(std::filesystem::path root);
    ~RecoveryStore();
    RecoveryStore(const RecoveryStore &) = delete;
    RecoveryStore &operator=(const RecoveryStore &) = delete;

    const std::filesystem::path &root() const { return m_root; }
    // Makes this instance's folder and takes its lock; false (with the reason) when the
    // private folder cannot be made or is not the user's own.
    bool claim(std::string *error = nullptr);
    bool isClaimed() const { return m_lock >= 0; }
    const std::filesystem::path &folder() const { return m_folder; }

    // Writes this instance's snapshot: the flow text first, then the sidecar, each atomically.
    bool write(std::string_view flowText, const RecoverySnapshot &about,
               std::string *error = nullptr);
    // Removes this instance's snapshot (a clean save, a new or opened flow, changes dropped).
    void discardOwn();
    // A clean exit: the instance's folder goes, and its lock with it.
    void release();

    // The snapshots of runs that ended without cleaning up, newest first; their locks are
    // taken, so that no other instance offers them meanwhile, until adopt, discard or
    // leaveForLater. Folders without a readable snapshot are cleared away.
    std::vector<RecoverySnapshot> takeLeftOvers();
    // What takeLeftOvers would offer, without taking anything (for listing only).
    std::vector<RecoverySnapshot> peekLeftOvers();
    // Removes a taken snapshot, after it was restored or when the user discards it.
    void discard(const RecoverySnapshot &snapshot);
    // Lets go of every taken snapshot still held: they are offered again next time.
    void leaveForLater();

    static std::optional<RecoverySnapshot> readSidecar(const std::filesystem::path &folder);

private:
    std::vector<RecoverySnapshot> leftOvers(bool take);

    std::filesystem::path m_root;
    std::filesystem::path m_folder;
    int m_lock = -1;
    std::vector<std::pair<std::filesystem::path, int>> m_taken; // folder, lock descriptor
};

// When to write the next snapshot: within `interval` of an edit, never more often than every
// `interval`, and at once on the edit that follows `quiet` without any.
class SnapshotSchedule
{
public:
    using Clock = std::chrono::steady_clock;
    using Duration = std::chrono::milliseconds;

    explicit SnapshotSchedule(Duration interval = std::chrono::seconds(30),
                              Duration quiet = std::chrono::seconds(60));

    // An edit at `now`: how long from now to write, or nothing when a write is already due.
    std::optional<Duration> edited(Clock::time_point now);
    void written(Clock::time_point now);
    // The changes are gone (saved, dropped): nothing is due.
    void clear();
    bool isDue() const { return m_due; }

private:
    Duration m_interval;
    Duration m_quiet;
    std::optional<Clock::time_point> m_lastEdit;
    std::optional<Clock::time_point> m_lastWrite;
    bool m_due = false;
};

// Writes snapshots on a thread of its own, in the order asked: the flow text is prepared by
// the caller, the disk is this thread's. A discard asked after a write comes after it.
class SnapshotWriter
{
public:
    explicit SnapshotWriter(RecoveryStore &store);
    ~SnapshotWriter();
    SnapshotWriter(const SnapshotWriter &) = delete;
    SnapshotWriter &operator=(const SnapshotWriter &) = delete;

    // Called on the writer's thread after each write, with its outcome.
    void setWritten(std::function<void(bool ok, const std::string &error)> written);
    void write(std::string flowText, RecoverySnapshot about);
    void discard();
    // Blocks until everything asked so far is done.
    void flush();

private:
    struct Job
    {
        bool discard = false;
        std::string text;
        RecoverySnapshot about;
    };
    void run();

    RecoveryStore &m_store;
    std::function<void(bool, const std::string &)> m_written;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Job> m_jobs;
    bool m_busy = false;
    bool m_exit = false;
    std::thread m_thread;
};

} // namespace vocara
