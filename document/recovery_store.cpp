#include "document/recovery_store.h"

#include "platform/atomic_file.h"
#include "platform/folders.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vocara {

namespace {

// A path on one line: backslashes and line breaks escaped.
std::string escaped(std::string_view text)
{
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

std::string unescaped(std::string_view text)
{
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char next = text[++i];
        out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    }
    return out;
}

// Opens a folder's lock file and takes the lock without waiting: the descriptor, or -1 when
// another instance holds it (or it cannot be opened).
int takeLock(const std::filesystem::path &folder)
{
    const int fd = ::open((folder / RecoveryStore::LockName).c_str(),
                          O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

} // namespace

RecoveryStore::RecoveryStore(std::filesystem::path root)
    : m_root(std::move(root))
{}

RecoveryStore::~RecoveryStore()
{
    leaveForLater();
    if (m_lock >= 0)
        ::close(m_lock); // the folder stays: only a clean exit (release) removes it
}

bool RecoveryStore::claim(std::string *error)
{
    if (m_lock >= 0)
        return true;
    std::error_code parentMade;
    std::filesystem::create_directories(m_root.parent_path(), parentMade);
    if (!makePrivateFolder(m_root, error))
        return false;
    // Made under a hidden name and locked before it gets its own: another instance never sees
    // it without its lock and takes it for a dead run's.
    std::string pattern = (m_root / ("." + std::to_string(::getpid()) + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) {
        if (error)
            *error = m_root.string() + ": " + std::strerror(errno);
        return false;
    }
    const std::filesystem::path hidden = pattern;
    m_lock = takeLock(hidden);
    m_folder = m_root / hidden.filename().string().substr(1);
    std::error_code ec;
    if (m_lock >= 0)
        std::filesystem::rename(hidden, m_folder, ec);
    if (m_lock < 0 || ec) {
        if (error)
            *error = hidden.string() + ": " + (ec ? ec.message() : std::strerror(errno));
        std::error_code ignored;
        std::filesystem::remove_all(hidden, ignored);
        if (m_lock >= 0)
            ::close(m_lock);
        m_lock = -1;
        m_folder.clear();
        return false;
    }
    const std::string pid = std::to_string(::getpid()) + "\n";
    [[maybe_unused]] const ssize_t written = ::write(m_lock, pid.data(), pid.size());
    return true;
}

bool RecoveryStore::write(std::string_view flowText, const RecoverySnapshot &about,
                          std::string *error)
{
    if (m_lock < 0) {
        if (error)
            *error = "no recovery folder";
        return false;
    }
    std::string sidecar =
        "mode=" + std::string(about.mode == DocumentMode::Asterisk ? "asterisk" : "flow") +
        "\ntime=" + std::to_string(about.time) + "\nnodes=" + std::to_string(about.nodes) +
        "\npid=" + std::to_string(::getpid()) + "\npath=" + escaped(about.originalPath) + "\n";
    return writeFileAtomically(m_folder / FlowName, flowText, error) &&
           writeFileAtomically(m_folder / SidecarName, sidecar, error);
}

void RecoveryStore::discardOwn()
{
    if (m_folder.empty())
        return;
    std::error_code ignored;
    // The sidecar first: a flow without one is never offered.
    std::filesystem::remove(m_folder / SidecarName, ignored);
    std::filesystem::remove(m_folder / FlowName, ignored);
}

void RecoveryStore::release()
{
    if (m_lock < 0)
        return;
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
    ::close(m_lock);
    m_lock = -1;
    m_folder.clear();
}

std::optional<RecoverySnapshot> RecoveryStore::readSidecar(const std::filesystem::path &folder)
{
    const std::optional<std::string> text = readWholeFile(folder / SidecarName);
    std::error_code ec;
    if (!text || !std::filesystem::is_regular_file(folder / FlowName, ec))
        return std::nullopt;
    RecoverySnapshot snapshot;
    snapshot.folder = folder;
    snapshot.flowFile = folder / FlowName;
    bool hasMode = false;
    for (size_t start = 0; start < text->size();) {
        size_t end = text->find('\n', start);
        if (end == std::string::npos)
            end = text->size();
        const std::string_view line(text->data() + start, end - start);
        start = end + 1;
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view key = line.substr(0, equals);
        const std::string value(line.substr(equals + 1));
        if (key == "mode") {
            hasMode = value == "flow" || value == "asterisk";
            snapshot.mode = value == "asterisk" ? DocumentMode::Asterisk : DocumentMode::Flow;
        } else if (key == "time") {
            snapshot.time = static_cast<std::time_t>(std::strtoll(value.c_str(), nullptr, 10));
        } else if (key == "nodes") {
            snapshot.nodes = static_cast<size_t>(std::strtoull(value.c_str(), nullptr, 10));
        } else if (key == "pid") {
            snapshot.pid = std::strtol(value.c_str(), nullptr, 10);
        } else if (key == "path") {
            snapshot.originalPath = unescaped(value);
        }
    }
    if (!hasMode)
        return std::nullopt;
    return snapshot;
}

std::vector<RecoverySnapshot> RecoveryStore::leftOvers(bool take)
{
    std::vector<RecoverySnapshot> found;
    std::error_code ec;
    // Stepped with an error code: a folder that changes meanwhile ends the walk, not the program.
    for (std::filesystem::directory_iterator at(m_root, ec), end; !ec && at != end;
         at.increment(ec)) {
        const std::filesystem::directory_entry &entry = *at;
        const std::filesystem::path folder = entry.path();
        std::error_code ignored;
        if (folder == m_folder || folder.filename().string().starts_with('.') ||
            !entry.is_directory(ignored) || entry.is_symlink(ignored))
            continue;
        bool alreadyTaken = false;
        for (const auto &held : m_taken)
            alreadyTaken = alreadyTaken || held.first == folder;
        if (alreadyTaken)
            continue;
        const int lock = takeLock(folder);
        if (lock < 0)
            continue; // a running instance's
        std::optional<RecoverySnapshot> snapshot = readSidecar(folder);
        if (!snapshot) {
            // An instance that ended without a snapshot to offer: nothing worth keeping.
            if (take)
                std::filesystem::remove_all(folder, ignored);
            ::close(lock);
            continue;
        }
        found.push_back(*snapshot);
        if (take)
            m_taken.emplace_back(folder, lock);
        else
            ::close(lock);
    }
    std::sort(found.begin(), found.end(),
              [](const RecoverySnapshot &a, const RecoverySnapshot &b) { return a.time > b.time; });
    return found;
}

std::vector<RecoverySnapshot> RecoveryStore::takeLeftOvers()
{
    return leftOvers(true);
}

std::vector<RecoverySnapshot> RecoveryStore::peekLeftOvers()
{
    return leftOvers(false);
}

void RecoveryStore::discard(const RecoverySnapshot &snapshot)
{
    for (auto held = m_taken.begin(); held != m_taken.end(); ++held) {
        if (held->first != snapshot.folder)
            continue;
        std::error_code ignored;
        std::filesystem::remove_all(held->first, ignored);
        ::close(held->second);
        m_taken.erase(held);
        return;
    }
}

void RecoveryStore::leaveForLater()
{
    for (const auto &held : m_taken)
        ::close(held.second);
    m_taken.clear();
}

SnapshotSchedule::SnapshotSchedule(Duration interval, Duration quiet)
    : m_interval(interval)
    , m_quiet(quiet)
{}

std::optional<SnapshotSchedule::Duration> SnapshotSchedule::edited(Clock::time_point now)
{
    const bool afterQuiet = !m_lastEdit || now - *m_lastEdit >= m_quiet;
    m_lastEdit = now;
    if (m_due && !afterQuiet)
        return std::nullopt;
    m_due = true;
    if (afterQuiet || !m_lastWrite)
        return Duration(0);
    const auto wait = std::chrono::duration_cast<Duration>(*m_lastWrite + m_interval - now);
    return std::clamp(wait, Duration(0), m_interval);
}

void SnapshotSchedule::written(Clock::time_point now)
{
    m_lastWrite = now;
    m_due = false;
}

void SnapshotSchedule::clear()
{
    m_due = false;
}

SnapshotWriter::SnapshotWriter(RecoveryStore &store)
    : m_store(store)
{
    m_thread = std::thread([this] { run(); });
}

SnapshotWriter::~SnapshotWriter()
{
    flush();
    {
        std::lock_guard lock(m_mutex);
        m_exit = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void SnapshotWriter::setWritten(std::function<void(bool, const std::string &)> written)
{
    std::lock_guard lock(m_mutex);
    m_written = std::move(written);
}

void SnapshotWriter::write(std::string flowText, RecoverySnapshot about)
{
    {
        std::lock_guard lock(m_mutex);
        // Only the newest text matters: one not yet begun is replaced.
        if (!m_jobs.empty() && !m_jobs.back().discard)
            m_jobs.pop_back();
        m_jobs.push_back({false, std::move(flowText), std::move(about)});
    }
    m_wake.notify_one();
}

void SnapshotWriter::discard()
{
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back({true, {}, {}});
    }
    m_wake.notify_one();
}

void SnapshotWriter::flush()
{
    std::unique_lock lock(m_mutex);
    m_idle.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
}

void SnapshotWriter::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_exit || !m_jobs.empty(); });
        if (m_jobs.empty() && m_exit)
            return;
        Job job = std::move(m_jobs.front());
        m_jobs.pop_front();
        m_busy = true;
        const auto written = m_written;
        lock.unlock();
        if (job.discard) {
            m_store.discardOwn();
        } else {
            std::string error;
            const bool ok = m_store.write(job.text, job.about, &error);
            if (written)
                written(ok, error);
        }
        lock.lock();
        m_busy = false;
        m_idle.notify_all();
    }
}

} // namespace vocara
