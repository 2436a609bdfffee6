#pragma once

#include "document/recovery_store.h"

#include <QObject>
#include <QTimer>

#include <memory>

namespace vocara {

class DocumentAdapter;

// Keeps a recovery snapshot of the flow while it has unsaved changes: prepared on this thread
// from the document as a save would write it, written by a worker, never touching the flow's
// own file or the undo stack. A clean save, a new or opened flow and changes dropped on
// closing remove it; a clean exit leaves nothing.
class RecoveryKeeper : public QObject
{
    Q_OBJECT

public:
    RecoveryKeeper(DocumentAdapter &adapter, std::filesystem::path root,
                   SnapshotSchedule schedule = SnapshotSchedule(), QObject *parent = nullptr);
    ~RecoveryKeeper() override;

    // Takes this instance's recovery folder and starts listening; false (said on standard
    // error) when there is none to be had.
    bool start();
    RecoveryStore &store() { return m_store; }
    // Writes a snapshot now when there are unsaved changes, and waits for it (tests, restore).
    void writeNow();
    // A clean exit: whatever is pending is dropped and the instance's folder goes.
    void finish();

    // Restores a snapshot taken from the store into the document; the snapshot is replaced
    // by this instance's own before it goes. False (the snapshot kept) when it cannot be read.
    bool restore(const RecoverySnapshot &snapshot);

    // The time intervals, from VOCARA_RECOVERY_INTERVAL_MS and VOCARA_RECOVERY_QUIET_MS when
    // set (tests shorten them), else 30 s and a minute.
    static SnapshotSchedule scheduleFromEnvironment();

signals:
    void snapshotWritten(bool ok);

private:
    void edited();
    void dropChanges();
    void writeSnapshot();

    DocumentAdapter &m_adapter;
    RecoveryStore m_store;
    SnapshotSchedule m_schedule;
    std::unique_ptr<SnapshotWriter> m_writer;
    QTimer m_timer;
};

} // namespace vocara
