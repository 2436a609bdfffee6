#pragma once

#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vocara {

class CVocaraDoc;
struct NodeData;

// The context file as the generator fills it: header, settings and globals, the main menu
// and one section per menu, kept in memory and put together once, so that the file on disk
// is replaced in a single write. Lines land exactly where inserting them into the file would
// put them: at the end of their section, before the next section's banner.
class ContextFileWriter
{
public:
    // `now` stands for the file's times: the file is written at once after it is built.
    ContextFileWriter(const CVocaraDoc &doc, std::filesystem::path file, std::time_t now);

    // One line from the generator: a section header to open, the file information block, or a
    // line for the current section (with the node's comment lines when `comment` is set).
    void writeLine(const NodeData *node, std::string_view text, bool openSection, bool fileInfo,
                   bool comment);

    void setCurrentHeader(std::string header) { m_currentHeader = std::move(header); }
    const std::string &currentHeader() const { return m_currentHeader; }
    void setTooltip(std::string tooltip) { m_tooltip = std::move(tooltip); }

    bool created() const { return m_created; }
    // Everything written so far, as the file would hold it.
    std::string text() const;

private:
    struct Section
    {
        std::string header;
        std::string opening; // banner and header lines
        std::string body;    // lines added while it was the last section
        std::string tail;    // lines added after a later section opened, after the blank line
    };

    void create(std::string_view firstLine);
    void insert(std::string_view text);
    void appendAtEnd(std::string_view text);
    Section *sectionFor(const std::string &header);

    const CVocaraDoc &m_doc;
    std::filesystem::path m_file;
    std::time_t m_now;
    bool m_created = false;
    std::string m_currentHeader;
    std::string m_tooltip;
    std::string m_prefix;            // header, creation block, settings, globals
    std::vector<Section> m_sections; // the main menu first
    std::unordered_map<std::string, size_t> m_sectionIndex; // first section of each header
    std::string m_end;                                      // the file information block
};

// "%H:%M:%S" and "%d/%m/%Y" of a time, in local time.
std::string localClock(std::time_t time);
std::string localDate(std::time_t time);

// The comment block a dialplan file opens with: who made it, the file's name and times.
std::string fileHeaderBlock(const std::filesystem::path &file, std::time_t now);
// The file information block that closes the dialplan of a file of `size` bytes so far.
std::string fileInformationBlock(size_t size, std::time_t now);

// The settings context header: "[context-setting]", or the destination in brackets.
std::string settingsHeader(std::string_view contextDest);

} // namespace vocara
