#include "platform/atomic_file.h"

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
