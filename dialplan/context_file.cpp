#include "dialplan/context_file.h"

#include "dialplan/messages.h"
#include "document/text_util.h"
#include "document/vocara_doc.h"

namespace vocara {

namespace {

constexpr std::string_view CRLF = "\r\n";

std::string formatted(std::time_t time, const char *format)
{
    std::tm local{};
    localtime_r(&time, &local);
    char buffer[32];
    const size_t length = std::strftime(buffer, sizeof buffer, format, &local);
    return std::string(buffer, length);
}

std::string line(std::string_view text)
{
    std::string result(text);
    result += CRLF;
    return result;
}

} // namespace

std::string localClock(std::time_t time)
{
    return formatted(time, "%H:%M:%S");
}

std::string localDate(std::time_t time)
{
    return formatted(time, "%d/%m/%Y");
}

std::string fileHeaderBlock(const std::filesystem::path &file, std::time_t now)
{
    using namespace DialplanText;
    std::string p;
    for (std::string_view header : HeaderLines)
        p += line(header);
    p += CRLF;
    p += line(std::string(FileNameLabel) + file.filename().string());
    p += line(std::string(FilePathLabel) + file.string());
    p += line(std::string(FileTitleLabel) + file.stem().string());
    p += line(std::string(CreationTimeLabel) + localClock(now));
    p += line(std::string(CreationDateLabel) + localDate(now));
    p += "\r\n\r\n\r\n";
    return p;
}

std::string fileInformationBlock(size_t size, std::time_t now)
{
    using namespace DialplanText;
    std::string p(CRLF);
    p += line(FileInformationBanner);
    p += line(std::string(ModifyTimeLabel) + localClock(now));
    p += line(std::string(ModifyDateLabel) + localDate(now));
    p += line(std::string(AccessTimeLabel) + localClock(now));
    p += line(std::string(AccessDateLabel) + localDate(now));
    p += line(std::string(FileSizeLabel) + std::to_string(size) + std::string(FileSizeUnit));
    return p;
}

std::string settingsHeader(std::string_view contextDest)
{
    if (contextDest.empty())
        return std::string(DialplanText::DefaultSettingsHeader);
    std::string name;
    for (char c : contextDest) {
        if (c != '[' && c != ']')
            name += c;
    }
    return "[" + oneLine(name) + "]";
}

ContextFileWriter::ContextFileWriter(const CVocaraDoc &doc, std::filesystem::path file,
                                     std::time_t now)
    : m_doc(doc)
    , m_file(std::filesystem::absolute(file))
    , m_now(now)
    , m_currentHeader(DialplanText::MainMenuHeader)
{}

void ContextFileWriter::create(std::string_view firstLine)
{
    using namespace DialplanText;
    m_created = true;
    m_currentHeader = MainMenuHeader;
    std::string &p = m_prefix;
    p = fileHeaderBlock(m_file, m_now);

    const DialplanSettings &settings = m_doc.dialplanSettings();
    p += line(SettingsBanner);
    p += line(settingsHeader(settings.ContextDest));
    for (std::string_view body : SettingsBody)
        p += line(body);
    if (settings.AllowIVRMonitor)
        p += line(MonitorLine);
    p += line(SettingsGoto);

    p += line(GlobalsBanner);
    p += line(GlobalsHeader);
    bool first = true;
    for (const Variable &variable : m_doc.variables().items()) {
        if (variable.name == "nCallerId" || variable.name == "strTime" ||
            variable.name == "strDate")
            continue;
        // The first line written takes priority 1, whatever the variable's place in the list,
        // so that the jump into this context always lands.
        p += line("exten => s," + std::string(first ? "1" : "n") + ",Set(" +
                  oneLine(variable.name) + "=" + oneLine(variable.defaultValue) + ")");
        first = false;
    }
    p += line(GlobalsGoto);
    p += CRLF;

    const std::string header(MainMenuHeader);
    Section main;
    main.header = header;
    main.opening =
        line(std::string(34, ';') + header.substr(1, header.size() - 2) + std::string(28, ';')) +
        line(header);
    main.body = line(firstLine);
    m_sectionIndex.emplace(header, 0);
    m_sections.push_back(std::move(main));
}

ContextFileWriter::Section *ContextFileWriter::sectionFor(const std::string &header)
{
    auto it = m_sectionIndex.find(header);
    return it == m_sectionIndex.end() ? nullptr : &m_sections[it->second];
}

void ContextFileWriter::appendAtEnd(std::string_view text)
{
    if (!m_end.empty())
        m_end += line(text);
    else
        m_sections.back().body += line(text);
}

void ContextFileWriter::insert(std::string_view text)
{
    // A header without a section of its own (a menu whose section never opened) gets the
    // main menu rather than the top of the file.
    Section *section = sectionFor(m_currentHeader);
    if (!section)
        section = &m_sections.front();
    if (section != &m_sections.back())
        section->tail += line(text);
    else
        section->body += line(text);
}

void ContextFileWriter::writeLine(const NodeData *node, std::string_view text, bool openSection,
                                  bool fileInfo, bool comment)
{
    using namespace DialplanText;
    if (!m_created) {
        create(text);
        return;
    }
    if (openSection) {
        if (text != m_currentHeader)
            return;
        const std::string header(text);
        // "[context-" and "]" come off for the banner.
        const std::string name = header.substr(9, header.size() - 10);
        Section section;
        section.header = header;
        m_sectionIndex.emplace(header, m_sections.size()); // a repeated header keeps the first
        section.opening = std::string(37, ';') + name + " Context" + std::string(32, ';') +
                          "\r\n\r\n" + header + "\r\n\r\n";
        m_sections.push_back(std::move(section));
        return;
    }
    if (fileInfo) {
        m_end += fileInformationBlock(this->text().size(), m_now);
        return;
    }
    if (!node || node->parents.empty()) {
        appendAtEnd(text);
        return;
    }
    if (comment) {
        const NodeData *parent = m_doc.node(node->parents.front());
        if (parent && isBranchKind(parent->kind)) {
            const NodeData *above =
                parent->parents.empty() ? nullptr : m_doc.node(parent->parents.front());
            insert("\r\n" + std::string(BranchComment) + std::string(elementName(parent->kind)) +
                   std::string(BranchCommentFrom) + (above ? oneLine(above->name) : std::string()));
        }
        if (!m_tooltip.empty()) {
            insert("\r\n" + std::string(TooltipComment) + oneLine(m_tooltip) + "\r\n" +
                   std::string(text));
            return;
        }
    }
    insert(text);
}

std::string ContextFileWriter::text() const
{
    std::string result = m_prefix;
    for (size_t i = 0; i < m_sections.size(); ++i) {
        const Section &section = m_sections[i];
        result += section.opening;
        result += section.body;
        // The blank line before the next banner; lines inserted later go after it.
        if (i + 1 < m_sections.size())
            result += CRLF;
        result += section.tail;
    }
    result += m_end;
    return result;
}

} // namespace vocara
