#include "platform/zip_archive.h"
#include "platform/atomic_file.h"
#include "platform/folders.h"

#include <zip.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <limits>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace vocara {

namespace {

std::string zipError(zip_t *archive)
{
    return zip_strerror(archive);
}

// A name that stays inside the folder it is unpacked into.
bool confined(const std::string &name)
{
    if (name.empty() || name.front() == '/' || name.find('\\') != std::string::npos)
        return false;
    const std::filesystem::path normal = std::filesystem::path(name).lexically_normal();
    return !normal.empty() && normal.is_relative() && *normal.begin() != "..";
}

} // namespace

bool writeZip(const std::filesystem::path &target, const std::vector<std::filesystem::path> &files,
              std::string &error)
{
    std::set<std::string> names;
    for (const std::filesystem::path &file : files) {
        if (!names.insert(file.filename().string()).second) {
            error = "Two files are named " + file.filename().string();
            return false;
        }
    }
    std::string temporary =
        (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    ::close(fd);
    int code = 0;
    zip_t *archive = zip_open(temporary.c_str(), ZIP_TRUNCATE, &code);
    if (!archive) {
        zip_error_t reason;
        zip_error_init_with_code(&reason, code);
        error = zip_error_strerror(&reason);
        zip_error_fini(&reason);
        std::filesystem::remove(temporary);
        return false;
    }
    bool ok = true;
    for (const std::filesystem::path &file : files) {
        std::error_code status;
        if (!std::filesystem::is_regular_file(file, status)) {
            error = file.string() + ": " + (status ? status.message() : "No such file");
            ok = false;
            break;
        }
        zip_source_t *source = zip_source_file(archive, file.c_str(), 0, -1);
        if (!source ||
            zip_file_add(archive, file.filename().c_str(), source, ZIP_FL_OVERWRITE) < 0) {
            error = file.string() + ": " + zipError(archive);
            if (source)
                zip_source_free(source);
            ok = false;
            break;
        }
    }
    if (!ok) {
        zip_discard(archive);
        std::filesystem::remove(temporary);
        return false;
    }
    if (zip_close(archive) != 0) {
        error = zipError(archive);
        zip_discard(archive);
        std::filesystem::remove(temporary);
        return false;
    }
    std::error_code renamed;
    std::filesystem::rename(temporary, target, renamed);
    if (renamed) {
        error = renamed.message();
        std::filesystem::remove(temporary);
        return false;
    }
    removeStaleTemporaries(target);
    return true;
}

namespace {

struct Entry
{
    zip_uint64_t index;
    std::string name;
    bool folder;
};

// Looks at every entry before anything is written: names, kinds and sizes.
bool surveyEntries(zip_t *zip, const ZipLimits &limits, std::uint64_t room,
                   std::vector<Entry> &entries, std::string &error)
{
    const zip_int64_t count = zip_get_num_entries(zip, 0);
    if (count < 0) {
        error = zipError(zip);
        return false;
    }
    if (static_cast<std::uint64_t>(count) > limits.entries) {
        error = "The archive holds " + std::to_string(count) + " entries, more than the " +
                std::to_string(limits.entries) + " taken";
        return false;
    }
    std::uint64_t total = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        zip_stat_t info;
        zip_stat_init(&info);
        if (zip_stat_index(zip, index, 0, &info) != 0) {
            error = zipError(zip);
            return false;
        }
        const std::string name = info.name ? info.name : "";
        zip_uint8_t system = 0;
        zip_uint32_t attributes = 0;
        zip_file_get_external_attributes(zip, index, 0, &system, &attributes);
        // Unix tools that record only the permissions leave the file-type bits empty.
        const mode_t type =
            system == ZIP_OPSYS_UNIX ? static_cast<mode_t>(attributes >> 16) & S_IFMT : 0;
        const bool folder = !name.empty() && name.back() == '/';
        const char *refusal = !confined(name)   ? "its name leads out of the folder"
                              : type == S_IFLNK ? "it is a symbolic link"
                              : type != 0 && type != S_IFREG && type != S_IFDIR
                                  ? "it is not a regular file"
                                  : nullptr;
        if (refusal) {
            error = "The archive entry " + name + " is refused: " + refusal;
            return false;
        }
        if (!folder) {
            const std::uint64_t size = (info.valid & ZIP_STAT_SIZE) ? info.size : 0;
            // Deflate packs at most about 1,032:1; an entry that claims more is damaged or a bomb.
            const bool implausible = (info.valid & ZIP_STAT_SIZE) &&
                                     (info.valid & ZIP_STAT_COMP_SIZE) &&
                                     info.size > info.comp_size * 1100 + 65536;
            if (size > limits.largestEntry || implausible) {
                error = "The archive entry " + name + " is too large";
                return false;
            }
            total += size;
            if (total > limits.totalBytes) {
                error = "The archive unpacks to more than " +
                        std::to_string(limits.totalBytes >> 20) + " MiB";
                return false;
            }
        }
        entries.push_back({index, name, folder});
    }
    if (total > room) {
        error =
            "The archive unpacks to " + std::to_string(total) + " bytes; there is no room for them";
        return false;
    }
    return true;
}

} // namespace

bool extractZip(const std::filesystem::path &archive, const std::filesystem::path &destination,
                std::vector<std::filesystem::path> &placed, std::string &error,
                const ZipLimits &limits)
{
    placed.clear();
    int code = 0;
    zip_t *zip = zip_open(archive.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (!zip) {
        zip_error_t reason;
        zip_error_init_with_code(&reason, code);
        error = archive.string() + ": " + zip_error_strerror(&reason);
        zip_error_fini(&reason);
        return false;
    }
    std::error_code made;
    std::filesystem::create_directories(destination, made);
    const std::filesystem::space_info space = std::filesystem::space(destination, made);
    const std::uint64_t room = made ? std::numeric_limits<std::uint64_t>::max() : space.available;
    std::vector<Entry> entries;
    if (!surveyEntries(zip, limits, room, entries, error)) {
        zip_discard(zip);
        return false;
    }
    TemporaryFolder unpacked(destination, ".vocara-import-");
    if (unpacked.path().empty()) {
        zip_discard(zip);
        error = destination.string() + ": " + std::strerror(errno);
        return false;
    }
    std::vector<std::filesystem::path> files;
    std::uint64_t written = 0;
    bool ok = true;
    for (const Entry &item : entries) {
        if (item.folder)
            continue;
        const std::string &name = item.name;
        const std::filesystem::path relative = std::filesystem::path(name).lexically_normal();
        const std::filesystem::path out = unpacked.path() / relative;
        std::filesystem::create_directories(out.parent_path(), made);
        zip_file_t *entry = zip_fopen_index(zip, item.index, 0);
        std::ofstream write(out, std::ios::binary | std::ios::trunc);
        if (!entry || !write) {
            error = name + ": " + zipError(zip);
            if (entry)
                zip_fclose(entry);
            ok = false;
            break;
        }
        char buffer[65536];
        std::uint64_t total = 0;
        for (zip_int64_t got; (got = zip_fread(entry, buffer, sizeof buffer)) != 0;) {
            if (got < 0) {
                error = name + ": " + zip_file_strerror(entry);
                ok = false;
                break;
            }
            total += static_cast<std::uint64_t>(got);
            written += static_cast<std::uint64_t>(got);
            // The sizes were announced; the bytes are what counts.
            if (total > limits.largestEntry || written > limits.totalBytes) {
                error = "The archive entry " + name + " is too large";
                ok = false;
                break;
            }
            write.write(buffer, got);
        }
        zip_fclose(entry);
        write.close();
        if (ok && !write) {
            error = name + ": the file could not be written";
            ok = false;
        }
        if (!ok)
            break;
        files.push_back(relative);
    }
    zip_discard(zip);
    if (!ok)
        return false;
    // Everything unpacked: now the files move into the destination.
    for (const std::filesystem::path &relative : files) {
        const std::filesystem::path target = destination / relative;
        std::filesystem::create_directories(target.parent_path(), made);
        std::error_code moved;
        std::filesystem::rename(unpacked.path() / relative, target, moved);
        if (moved) {
            error = target.string() + ": " + moved.message();
            return false;
        }
        placed.push_back(relative);
    }
    return true;
}

} // namespace vocara
