#include "platform/atomic_file.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vocara {

namespace {

bool fail(std::string *error, const std::string &what, int code)
{
    if (error)
        *error = what + ": " + std::strerror(code);
    return false;
}

mode_t modeForNewFile()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Six letters or digits, as mkstemp fills "XXXXXX".
bool isTemporarySuffix(std::string_view text)
{
    if (text.size() != 7 || text.front() != '.')
        return false;
    for (char c : text.substr(1)) {
        if (!std::isalnum(static_cast<unsigned char>(c)))
            return false;
    }
    return true;
}

} // namespace

int removeStaleTemporaries(const std::filesystem::path &target, std::chrono::seconds age)
{
    const std::string prefix = "." + target.filename().string();
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec);
    if (ec)
        return 0;
    const auto now = std::chrono::system_clock::now();
    int removed = 0;
    for (const std::filesystem::directory_entry &entry : it) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(prefix))
            continue;
        const std::string_view rest = std::string_view(name).substr(prefix.size());
        if (!isTemporarySuffix(rest) &&
            !(rest.size() == 14 && isTemporarySuffix(rest.substr(0, 7)) &&
              isTemporarySuffix(rest.substr(7))))
            continue;
        struct stat info
        {};
        if (::lstat(entry.path().c_str(), &info) != 0 || !S_ISREG(info.st_mode) ||
            info.st_uid != ::geteuid())
            continue;
        const auto modified = std::chrono::system_clock::from_time_t(info.st_mtime);
        if (now - modified < age)
            continue;
        if (::unlink(entry.path().c_str()) == 0)
            ++removed;
    }
    return removed;
}

bool writeFileAtomically(const std::filesystem::path &requested, std::string_view bytes,
                         std::string *error)
{
    // Saving through a symbolic link replaces the file it points to, not the link.
    std::error_code ec;
    const std::filesystem::path target = std::filesystem::is_symlink(requested, ec)
                                             ? std::filesystem::weakly_canonical(requested, ec)
                                             : requested;
    const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : ".";
    std::string pattern = (folder / ("." + target.filename().string() + ".XXXXXX")).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');

    const int fd = ::mkstemp(name.data());
    if (fd < 0)
        return fail(error, target.string(), errno);

    auto discard = [&](int code) {
        ::close(fd);
        ::unlink(name.data());
        return fail(error, target.string(), code);
    };

    struct stat existing
    {};
    const mode_t mode =
        ::stat(target.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : modeForNewFile();
    if (::fchmod(fd, mode) != 0)
        return discard(errno);

    const char *data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        const ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return discard(errno);
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
    if (::fsync(fd) != 0)
        return discard(errno);
    if (::close(fd) != 0) {
        const int code = errno;
        ::unlink(name.data());
        return fail(error, target.string(), code);
    }
    if (::rename(name.data(), target.c_str()) != 0) {
        const int code = errno;
        ::unlink(name.data());
        return fail(error, target.string(), code);
    }
    removeStaleTemporaries(target);
    return true;
}

std::optional<std::string> readWholeFile(const std::filesystem::path &path, std::string *error)
{
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) {
        if (error)
            *error = ec.message();
        return std::nullopt;
    }
    if (size > MaxWholeFileSize) {
        if (error)
            *error = "the file is too large";
        return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        if (error)
            *error = std::strerror(errno);
        return std::nullopt;
    }
    std::string text(static_cast<size_t>(size), '\0');
    in.read(text.data(), static_cast<std::streamsize>(size));
    text.resize(static_cast<size_t>(in.gcount()));
    return text;
}

} // namespace vocara
