#include "platform/registry.h"

#include "platform/atomic_file.h"

#include <array>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <sys/file.h>
#include <unistd.h>

namespace vocara {

namespace {

constexpr std::array<std::string_view, 5> Hives = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER",
                                                   "HKEY_CLASSES_ROOT", "HKEY_CURRENT_CONFIG",
                                                   "HKEY_USERS"};

std::string lower(std::string_view text)
{
    std::string out(text);
    for (char &c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

// "\a\\b\" -> "a\b": no empty parts, no leading or trailing separator.
std::string normalised(std::string_view path)
{
    std::string out;
    for (size_t i = 0; i < path.size();) {
        const size_t end = std::min(path.find('\\', i), path.size());
        if (end > i) {
            if (!out.empty())
                out += '\\';
            out.append(path.substr(i, end - i));
        }
        i = end + 1;
    }
    return out;
}

std::string escaped(std::string_view text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '=':
            out += "\\=";
            break;
        case '[':
            out += "\\[";
            break;
        case ']':
            out += "\\]";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Reads an escaped text up to an unescaped `stop` (or the end); `at` moves past it.
std::string unescaped(std::string_view line, size_t &at, char stop)
{
    std::string out;
    for (; at < line.size() && line[at] != stop; ++at) {
        if (line[at] == '\\' && at + 1 < line.size()) {
            const char next = line[++at];
            out += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
        } else {
            out += line[at];
        }
    }
    ++at;
    return out;
}

struct Key
{
    std::string path;                                                  // as first written
    std::map<std::string, std::pair<std::string, std::string>> values; // lower name -> name, value
};

// One hive in memory, keyed by the lower-case path.
using Hive = std::map<std::string, Key>;

Hive parse(const std::string &text)
{
    Hive hive;
    Key *current = nullptr;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        size_t at = 0;
        if (line[0] == '[') {
            at = 1;
            const std::string path = unescaped(line, at, ']');
            Key &key = hive[lower(path)];
            key.path = path;
            current = &key;
        } else if (current) {
            const std::string name = unescaped(line, at, '=');
            const std::string value = unescaped(line, at, '\0');
            current->values[lower(name)] = {name, value};
        }
    }
    return hive;
}

std::string print(const Hive &hive)
{
    std::string out = "# Vocara registry hive: [key path], then name=value lines\n";
    for (const auto &[lowerPath, key] : hive) {
        out += "[" + escaped(key.path) + "]\n";
        for (const auto &[lowerName, entry] : key.values)
            out += escaped(entry.first) + "=" + escaped(entry.second) + "\n";
    }
    return out;
}

bool hasSubkeys(const Hive &hive, const std::string &lowerPath)
{
    const std::string below = lowerPath + "\\";
    const auto next = hive.lower_bound(below);
    return next != hive.end() && next->first.starts_with(below);
}

std::mutex &processLock()
{
    static std::mutex lock;
    return lock;
}

// The hive file under a lock shared by threads (a mutex) and processes (flock on a lock file).
class LockedHive
{
public:
    LockedHive(const std::filesystem::path &folder, std::string_view name)
        : m_guard(processLock())
        , m_file(folder / (std::string(name) + ".reg"))
    {
        std::error_code ignored;
        std::filesystem::create_directories(folder, ignored);
        m_lock = ::open((folder / (std::string(name) + ".lock")).c_str(),
                        O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_lock >= 0)
            ::flock(m_lock, LOCK_EX);
        std::ifstream in(m_file, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        hive = parse(text.str());
    }
    ~LockedHive()
    {
        if (m_lock >= 0)
            ::close(m_lock); // releases the flock
    }
    LockedHive(const LockedHive &) = delete;
    LockedHive &operator=(const LockedHive &) = delete;

    bool save()
    {
        // Settings may hold a password: the files are the owner's only.
        const bool fresh = !std::filesystem::exists(m_file);
        if (!writeFileAtomically(m_file, print(hive)))
            return false;
        if (fresh)
            std::filesystem::permissions(m_file, std::filesystem::perms::owner_read |
                                                     std::filesystem::perms::owner_write);
        return true;
    }

    Hive hive;

private:
    std::lock_guard<std::mutex> m_guard;
    std::filesystem::path m_file;
    int m_lock = -1;
};

// Makes the key and its parents.
Key &ensure(Hive &hive, const std::string &path)
{
    for (size_t at = path.find('\\'); at != std::string::npos; at = path.find('\\', at + 1)) {
        const std::string parent = path.substr(0, at);
        Key &key = hive[lower(parent)];
        if (key.path.empty())
            key.path = parent;
    }
    Key &key = hive[lower(path)];
    if (key.path.empty())
        key.path = path;
    return key;
}

} // namespace

bool Registry::isHive(std::string_view hive)
{
    for (std::string_view known : Hives)
        if (hive == known)
            return true;
    return false;
}

Registry::Registry(std::filesystem::path folder)
    : m_folder(std::move(folder))
{}

bool Registry::createKey(std::string_view hive, std::string_view keyPath)
{
    const std::string path = normalised(keyPath);
    if (!isHive(hive) || path.empty())
        return false;
    LockedHive locked(m_folder, hive);
    if (locked.hive.count(lower(path)))
        return true;
    ensure(locked.hive, path);
    return locked.save();
}

bool Registry::keyExists(std::string_view hive, std::string_view keyPath) const
{
    const std::string path = normalised(keyPath);
    if (!isHive(hive) || path.empty())
        return false;
    LockedHive locked(m_folder, hive);
    return locked.hive.count(lower(path)) > 0;
}

bool Registry::setValue(std::string_view hive, std::string_view keyPath, std::string_view name,
                        std::string_view value)
{
    const std::string path = normalised(keyPath);
    if (!isHive(hive) || path.empty())
        return false;
    LockedHive locked(m_folder, hive);
    Key &key = ensure(locked.hive, path);
    auto &entry = key.values[lower(name)];
    if (entry.first.empty())
        entry.first = std::string(name);
    entry.second = std::string(value);
    return locked.save();
}

std::optional<std::string> Registry::value(std::string_view hive, std::string_view keyPath,
                                           std::string_view name) const
{
    const std::string path = normalised(keyPath);
    if (!isHive(hive) || path.empty())
        return std::nullopt;
    LockedHive locked(m_folder, hive);
    const auto key = locked.hive.find(lower(path));
    if (key == locked.hive.end())
        return std::nullopt;
    const auto entry = key->second.values.find(lower(name));
    if (entry == key->second.values.end())
        return std::nullopt;
    return entry->second.second;
}

bool Registry::deleteValue(std::string_view hive, std::string_view keyPath, std::string_view name)
{
    const std::string path = normalised(keyPath);
    if (!isHive(hive) || path.empty())
        return false;
    LockedHive locked(m_folder, hive);
    const auto key = locked.hive.find(lower(path));
    if (key == locked.hive.end() || key->second.values.erase(lower(name)) == 0)
        return false;
    return locked.save();
}

bool Registry::deleteKey(std::string_view hive, std::string_view keyPath)
{
    const std::string path = normalised(keyPath);
    if (!isHive(hive) || path.empty())
        return false;
    LockedHive locked(m_folder, hive);
    const std::string lowerPath = lower(path);
    if (!locked.hive.count(lowerPath) || hasSubkeys(locked.hive, lowerPath))
        return false;
    locked.hive.erase(lowerPath);
    return locked.save();
}

} // namespace vocara
