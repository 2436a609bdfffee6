#include "designer/recovery_keeper.h"

#include "designer/dialog_text.h"
#include "designer/document_adapter.h"
#include "document/messages.h"

#include <QMetaObject>

#include <cstdio>
#include <cstdlib>

namespace vocara {

namespace {

std::chrono::milliseconds fromEnvironment(const char *name, std::chrono::milliseconds otherwise)
{
    const char *text = std::getenv(name);
    const long long value = text ? std::atoll(text) : 0;
    return value > 0 ? std::chrono::milliseconds(value) : otherwise;
}

} // namespace

SnapshotSchedule RecoveryKeeper::scheduleFromEnvironment()
{
    return SnapshotSchedule(
        fromEnvironment("VOCARA_RECOVERY_INTERVAL_MS", std::chrono::seconds(30)),
        fromEnvironment("VOCARA_RECOVERY_QUIET_MS", std::chrono::seconds(60)));
}

RecoveryKeeper::RecoveryKeeper(DocumentAdapter &adapter, std::filesystem::path root,
                               SnapshotSchedule schedule, QObject *parent)
    : QObject(parent)
    , m_adapter(adapter)
    , m_store(std::move(root))
    , m_schedule(schedule)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &RecoveryKeeper::writeSnapshot);
}

RecoveryKeeper::~RecoveryKeeper()
{
    // Not a clean exit by itself: what was written stays to be offered (finish() is the clean
    // one). The writer completes what it was asked first.
    m_writer.reset();
}

bool RecoveryKeeper::start()
{
    std::string error;
    if (!m_store.claim(&error)) {
        std::fprintf(stderr, "%s\n", Msg::fillIn(Ui::RecoveryUnavailable, {error}).c_str());
        return false;
    }
    m_writer = std::make_unique<SnapshotWriter>(m_store);
    m_writer->setWritten([this](bool ok, const std::string &) {
        QMetaObject::invokeMethod(
            this, [this, ok] { emit snapshotWritten(ok); }, Qt::QueuedConnection);
    });
    const DocumentAdapter *adapter = &m_adapter;
    for (auto signal : {&DocumentAdapter::variablesChanged, &DocumentAdapter::settingsChanged,
                        &DocumentAdapter::modeChanged})
        connect(adapter, signal, this, &RecoveryKeeper::edited);
    for (auto signal : {&DocumentAdapter::nodeAdded, &DocumentAdapter::nodeRemoved,
                        &DocumentAdapter::nodeChanged, &DocumentAdapter::nodeMoved})
        connect(adapter, signal, this, &RecoveryKeeper::edited);
    for (auto signal : {&DocumentAdapter::linkAdded, &DocumentAdapter::linkRemoved})
        connect(adapter, signal, this, &RecoveryKeeper::edited);
    connect(adapter, &DocumentAdapter::modifiedChanged, this, [this](bool modified) {
        if (modified)
            edited();
        else
            dropChanges();
    });
    return true;
}

void RecoveryKeeper::edited()
{
    if (!m_writer || !m_adapter.doc().isModified())
        return;
    if (const auto wait = m_schedule.edited(SnapshotSchedule::Clock::now()))
        m_timer.start(*wait);
}

void RecoveryKeeper::dropChanges()
{
    if (!m_writer)
        return;
    m_timer.stop();
    m_schedule.clear();
    m_writer->discard();
}

void RecoveryKeeper::writeSnapshot()
{
    CVocaraDoc &doc = m_adapter.mutableDoc();
    if (!m_writer || !doc.isModified())
        return;
    RecoverySnapshot about;
    about.originalPath = doc.path();
    about.mode = doc.mode() == DocumentMode::Asterisk ? DocumentMode::Asterisk : DocumentMode::Flow;
    about.time = std::time(nullptr);
    about.nodes = doc.nodeCount();
    m_writer->write(doc.preparedFlowText(), std::move(about));
    m_schedule.written(SnapshotSchedule::Clock::now());
}

void RecoveryKeeper::writeNow()
{
    m_timer.stop();
    writeSnapshot();
    if (m_writer)
        m_writer->flush();
}

void RecoveryKeeper::finish()
{
    m_timer.stop();
    if (m_writer) {
        m_writer->discard();
        m_writer.reset();
    }
    m_store.release();
}

bool RecoveryKeeper::restore(const RecoverySnapshot &snapshot)
{
    if (!m_adapter.restore(snapshot))
        return false;
    // Ours before theirs goes: at no moment is the work only in memory.
    writeNow();
    m_store.discard(snapshot);
    return true;
}

} // namespace vocara
