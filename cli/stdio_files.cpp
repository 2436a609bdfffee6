#include "cli/stdio_files.h"

#include "document/flow_trailer.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <istream>
#include <ostream>

namespace vocara::cli {

bool makeScratch(std::optional<TemporaryFolder> &scratch, std::ostream &err)
{
    std::error_code error;
    const std::filesystem::path temp = std::filesystem::temp_directory_path(error);
    errno = 0;
    if (!error)
        scratch.emplace(temp, "vocara-cli-");
    if (error || scratch->path().empty()) {
        err << "vocara-cli: cannot make a temporary folder: "
            << (error ? error.message() : std::strerror(errno)) << '\n';
        return false;
    }
    return true;
}

bool InputFile::open(const Arguments &args, const std::string &name, std::ostream &err)
{
    m_standardInput = name == "-";
    if (!m_standardInput) {
        m_path = name;
        if (std::FILE *file = std::fopen(name.c_str(), "rb"))
            std::fclose(file);
        else
            err << "cannot open " << name << ": " << std::strerror(errno) << '\n';
        return true;
    }
    if (!makeScratch(m_scratch, err))
        return false;
    // Copied in blocks, watching for the trailer marker across block ends.
    const std::filesystem::path part = m_scratch->path() / "standard-input";
    std::ofstream copy(part, std::ios::binary);
    std::istream &in = args.input();
    std::string block(1 << 16, '\0');
    std::string seam;
    bool dialplan = false;
    while (copy && in) {
        in.read(block.data(), static_cast<std::streamsize>(block.size()));
        const std::string_view got(block.data(), static_cast<size_t>(in.gcount()));
        copy.write(got.data(), static_cast<std::streamsize>(got.size()));
        seam += got.substr(0, TrailerMarker.size());
        dialplan = dialplan || seam.find(TrailerMarker) != std::string::npos ||
                   got.find(TrailerMarker) != std::string_view::npos;
        seam = std::string(got.substr(got.size() - std::min(got.size(), TrailerMarker.size())));
    }
    copy.close();
    if (in.bad() || !copy) {
        err << "vocara-cli: cannot read standard input\n";
        return false;
    }
    m_path = (m_scratch->path() / (dialplan ? "flow.conf" : "flow.qfl")).string();
    std::error_code error;
    std::filesystem::rename(part, m_path, error);
    if (error) {
        err << "vocara-cli: cannot keep standard input: " << error.message() << '\n';
        return false;
    }
    return true;
}

std::filesystem::path InputFile::nameForOutput() const
{
    return m_standardInput ? std::filesystem::path("flow") : std::filesystem::path(m_path);
}

bool OutputFile::open(const std::string &name, const std::filesystem::path &scratchName,
                      std::ostream &err)
{
    m_standardOutput = name == "-";
    if (!m_standardOutput) {
        m_path = name;
        return true;
    }
    if (!makeScratch(m_scratch, err))
        return false;
    m_path = (m_scratch->path() / scratchName.filename()).string();
    return true;
}

bool OutputFile::finish(std::ostream &out, std::ostream &err)
{
    if (!m_standardOutput)
        return true;
    std::ifstream written(m_path, std::ios::binary);
    // Streaming an empty file would count as a failed write.
    const bool empty = written.peek() == std::ifstream::traits_type::eof();
    if (!written || (!empty && !(out << written.rdbuf())) || !out.flush()) {
        err << "vocara-cli: cannot write standard output\n";
        return false;
    }
    return true;
}

} // namespace vocara::cli
