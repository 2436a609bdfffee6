#pragma once

#include "cli/arguments.h"
#include "platform/folders.h"

#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>

namespace vocara::cli {

// A private folder in the temporary folder for standard input or output; false (said on
// `err`) when it cannot be made.
bool makeScratch(std::optional<TemporaryFolder> &scratch, std::ostream &err);

// The flow a command reads: a file, or "-" for standard input, which is copied into a scratch
// folder under a name that says how to read it (a dialplan when it carries a flow after the
// trailer marker, else a flow file).
class InputFile
{
public:
    // False (said on `err`) when standard input cannot be copied; a named file that cannot be
    // opened is said too ("cannot open FILE: why"), but left for the reader to refuse.
    bool open(const Arguments &args, const std::string &name, std::ostream &err);
    const std::string &path() const { return m_path; }
    bool isStandardInput() const { return m_standardInput; }
    // The name to derive output names from: the file's, or "flow" for standard input.
    std::filesystem::path nameForOutput() const;

private:
    std::optional<TemporaryFolder> m_scratch;
    std::string m_path;
    bool m_standardInput = false;
};

// Where a command writes: a file, or "-" for standard output, written first to a scratch file
// named `scratchName` (so that a dialplan's header names it) and copied out by finish().
class OutputFile
{
public:
    bool open(const std::string &name, const std::filesystem::path &scratchName, std::ostream &err);
    const std::string &path() const { return m_path; }
    bool isStandardOutput() const { return m_standardOutput; }
    // Copies the written scratch file to `out`; nothing to do for a named file.
    bool finish(std::ostream &out, std::ostream &err);

private:
    std::optional<TemporaryFolder> m_scratch;
    std::string m_path;
    bool m_standardOutput = false;
};

} // namespace vocara::cli
