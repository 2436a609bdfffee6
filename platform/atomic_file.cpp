#include "platform/atomic_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

} // namespace

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
    return true;
}

} // namespace vocara
