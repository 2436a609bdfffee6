#include "document/xml_reader.h"

#include <tinyxml2.h>

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace vocara {

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isNameStart(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
}

bool isNameChar(unsigned char c)
{
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}

void appendUtf8(std::string &out, unsigned long code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The text being read: a whole string, or a window onto a file that is read in blocks.
class Input
{
public:
    explicit Input(std::string_view text)
        : m_text(text)
        , m_eof(true)
    {}
    explicit Input(std::FILE *file)
        : m_file(file)
    {}

    std::string_view text() const
    {
        return m_file ? std::string_view(m_buffer.data(), m_size) : m_text;
    }
    bool eof() const { return m_eof; }
    bool readError() const { return m_readError; }
    // Where the window starts in the whole text.
    size_t offset() const { return m_dropped; }
    // Forgets the window before `from` and reads until `want` more bytes are there or the
    // file ends.
    void fill(size_t from, size_t want)
    {
        if (!m_file || m_eof)
            return;
        std::memmove(m_buffer.data(), m_buffer.data() + from, m_size - from);
        m_dropped += from;
        m_size -= from;
        if (m_buffer.size() < m_size + want)
            m_buffer.resize(m_size + want);
        while (m_size < m_buffer.size()) {
            const size_t read =
                std::fread(m_buffer.data() + m_size, 1, m_buffer.size() - m_size, m_file);
            m_size += read;
            if (read == 0) {
                m_readError = std::ferror(m_file) != 0;
                m_eof = true;
                break;
            }
        }
    }

private:
    std::string_view m_text;
    std::FILE *m_file = nullptr;
    std::string m_buffer;
    size_t m_size = 0;
    size_t m_dropped = 0;
    bool m_eof = false;
    bool m_readError = false;
};

class Parser
{
public:
    Parser(Input &input, XmlHandler &handler, int maxDepth, size_t blockBytes)
        : m_input(input)
        , m_text(input.text())
        , m_handler(handler)
        , m_maxDepth(maxDepth)
        , m_block(std::max<size_t>(blockBytes, 1))
        // Every markup starts with at least this much of it read (its longest opening is 9).
        , m_lowWater(std::max<size_t>(16, std::min<size_t>(64 * 1024, m_block)))
    {}

    bool run();
    const std::string &error() const { return m_error; }

private:
    bool fail(const char *what)
    {
        m_error = std::string(what) + " at offset " + std::to_string(m_input.offset() + m_pos);
        return false;
    }
    // At the end of the window; when the file goes on, the markup being read is read again
    // with more of it.
    bool exhausted()
    {
        if (m_pos < m_text.size())
            return false;
        m_starved = !m_input.eof();
        return true;
    }
    size_t find(std::string_view what, size_t from)
    {
        const size_t found = m_text.find(what, from);
        if (found == std::string_view::npos)
            m_starved = !m_input.eof();
        return found;
    }
    bool startsWith(std::string_view s) const { return m_text.substr(m_pos).starts_with(s); }
    void skipSpace()
    {
        while (m_pos < m_text.size() && isSpace(m_text[m_pos]))
            ++m_pos;
    }
    void refill(size_t want)
    {
        m_input.fill(m_pos, want);
        m_text = m_input.text();
        m_pos = 0;
    }
    bool readName(std::string_view &name);
    bool decode(std::string_view raw, std::string &out);
    bool readUntil(std::string_view end, std::string_view &content);
    bool item();
    bool openElement();
    bool closeElement();
    bool text();
    bool uniqueNames();

    Input &m_input;
    std::string_view m_text;
    XmlHandler &m_handler;
    int m_maxDepth;
    size_t m_block;
    size_t m_lowWater;
    size_t m_pos = 0;
    bool m_starved = false;
    bool m_rootSeen = false;
    std::vector<std::string> m_open; // the names of the open elements
    std::string m_error;
    std::string m_decodedText;
    struct RawAttribute
    {
        std::string_view name;
        std::string_view value;
        int decoded; // index into m_decoded, or -1 when the raw value has no entity
    };
    std::vector<RawAttribute> m_raw;
    std::vector<std::string> m_decoded;
    std::vector<XmlAttribute> m_attributes;
    std::vector<std::string_view> m_names;
};

bool Parser::readName(std::string_view &name)
{
    const size_t start = m_pos;
    if (exhausted() || !isNameStart(static_cast<unsigned char>(m_text[m_pos])))
        return fail("expected a name");
    while (!exhausted() && isNameChar(static_cast<unsigned char>(m_text[m_pos])))
        ++m_pos;
    name = m_text.substr(start, m_pos - start);
    return true;
}

bool Parser::decode(std::string_view raw, std::string &out)
{
    out.clear();
    out.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '&') {
            const size_t next = raw.find('&', i);
            const size_t end = next == std::string_view::npos ? raw.size() : next;
            out.append(raw.substr(i, end - i));
            i = end - 1;
            continue;
        }
        const size_t end = raw.find(';', i);
        if (end == std::string_view::npos || end - i > 12)
            return fail("unterminated entity");
        const std::string_view entity = raw.substr(i + 1, end - i - 1);
        if (entity == "amp") {
            out += '&';
        } else if (entity == "lt") {
            out += '<';
        } else if (entity == "gt") {
            out += '>';
        } else if (entity == "quot") {
            out += '"';
        } else if (entity == "apos") {
            out += '\'';
        } else if (entity.size() > 1 && entity[0] == '#') {
            const bool hex = entity[1] == 'x' || entity[1] == 'X';
            const std::string_view digits = entity.substr(hex ? 2 : 1);
            if (digits.empty())
                return fail("empty character reference");
            unsigned long code = 0;
            for (char c : digits) {
                int value;
                if (c >= '0' && c <= '9')
                    value = c - '0';
                else if (hex && c >= 'a' && c <= 'f')
                    value = c - 'a' + 10;
                else if (hex && c >= 'A' && c <= 'F')
                    value = c - 'A' + 10;
                else
                    return fail("bad character reference");
                code = code * (hex ? 16 : 10) + static_cast<unsigned long>(value);
                if (code > 0x10FFFF)
                    return fail("character reference out of range");
            }
            if (code == 0)
                return fail("character reference to NUL");
            appendUtf8(out, code);
        } else {
            return fail("unknown entity");
        }
        i = end;
    }
    return true;
}

bool Parser::readUntil(std::string_view end, std::string_view &content)
{
    const size_t found = find(end, m_pos);
    if (found == std::string_view::npos)
        return fail("unterminated markup");
    content = m_text.substr(m_pos, found - m_pos);
    m_pos = found + end.size();
    return true;
}

bool Parser::uniqueNames()
{
    if (m_raw.size() <= 16) {
        for (size_t i = 1; i < m_raw.size(); ++i) {
            for (size_t j = 0; j < i; ++j) {
                if (m_raw[i].name == m_raw[j].name)
                    return false;
            }
        }
        return true;
    }
    m_names.clear();
    for (const RawAttribute &raw : m_raw)
        m_names.push_back(raw.name);
    std::sort(m_names.begin(), m_names.end());
    return std::adjacent_find(m_names.begin(), m_names.end()) == m_names.end();
}

bool Parser::openElement()
{
    if (m_open.empty()) {
        if (m_rootSeen)
            return fail("a second root element");
    }
    ++m_pos; // '<'
    std::string_view name;
    if (!readName(name))
        return false;
    m_raw.clear();
    size_t decodedCount = 0;
    for (;;) {
        const size_t before = m_pos;
        skipSpace();
        if (exhausted())
            return fail("unterminated element");
        const bool empty = m_text[m_pos] == '/';
        if (empty || m_text[m_pos] == '>') {
            if (empty) {
                if (m_pos + 1 >= m_text.size() && !m_input.eof()) {
                    m_starved = true;
                    return fail("unterminated element");
                }
                if (!startsWith("/>"))
                    return fail("expected '/>'");
                m_pos += 2;
            } else {
                ++m_pos;
                if (static_cast<int>(m_open.size()) >= m_maxDepth)
                    return fail("elements nested too deeply");
            }
            if (!uniqueNames())
                return fail("attribute given twice");
            m_attributes.clear();
            for (const RawAttribute &raw : m_raw)
                m_attributes.push_back(
                    {raw.name, raw.decoded < 0 ? raw.value
                                               : std::string_view(
                                                     m_decoded[static_cast<size_t>(raw.decoded)])});
            m_rootSeen = true;
            m_handler.startElement(name, m_attributes);
            if (empty)
                m_handler.endElement();
            else
                m_open.emplace_back(name);
            return true;
        }
        if (m_pos == before)
            return fail("expected a blank before an attribute");
        std::string_view attribute;
        if (!readName(attribute))
            return false;
        skipSpace();
        if (exhausted() || m_text[m_pos] != '=')
            return fail("expected '='");
        ++m_pos;
        skipSpace();
        if (exhausted() || (m_text[m_pos] != '"' && m_text[m_pos] != '\''))
            return fail("expected a quoted value");
        const char quote = m_text[m_pos];
        ++m_pos;
        std::string_view raw;
        if (!readUntil(std::string_view(&quote, 1), raw))
            return false;
        if (raw.find('<') != std::string_view::npos)
            return fail("'<' in an attribute value");
        int decoded = -1;
        if (raw.find('&') != std::string_view::npos) {
            if (m_decoded.size() <= decodedCount)
                m_decoded.resize(decodedCount + 1);
            if (!decode(raw, m_decoded[decodedCount]))
                return false;
            decoded = static_cast<int>(decodedCount++);
        }
        m_raw.push_back({attribute, raw, decoded});
    }
}

bool Parser::closeElement()
{
    m_pos += 2; // "</"
    std::string_view name;
    if (!readName(name))
        return false;
    skipSpace();
    if (exhausted() || m_text[m_pos] != '>')
        return fail("expected '>'");
    ++m_pos;
    if (m_open.empty() || name != m_open.back())
        return fail("mismatched end tag");
    m_open.pop_back();
    m_handler.endElement();
    return true;
}

bool Parser::text()
{
    size_t end = find("<", m_pos);
    if (end == std::string_view::npos) {
        if (m_starved)
            return fail("unterminated text");
        end = m_text.size();
    }
    const std::string_view raw = m_text.substr(m_pos, end - m_pos);
    m_pos = end;
    bool blank = true;
    for (char c : raw)
        blank = blank && isSpace(c);
    if (blank)
        return true; // white space between elements means nothing here
    if (m_open.empty())
        return fail("text outside the root element");
    if (!decode(raw, m_decodedText))
        return false;
    m_handler.text(m_decodedText, false);
    return true;
}

bool Parser::item()
{
    if (m_text[m_pos] != '<')
        return text();
    std::string_view content;
    if (startsWith("<?")) {
        m_pos += 2;
        if (!readUntil("?>", content))
            return false;
        if (content.starts_with("xml"))
            m_handler.declaration(content);
        else
            m_handler.unknown(content);
    } else if (startsWith("<!--")) {
        m_pos += 4;
        if (!readUntil("-->", content))
            return false;
        m_handler.comment(content);
    } else if (startsWith("<![CDATA[")) {
        m_pos += 9;
        if (!readUntil("]]>", content))
            return false;
        if (m_open.empty())
            return fail("character data outside the root element");
        m_handler.text(content, true);
    } else if (startsWith("<!")) {
        m_pos += 2;
        if (!readUntil(">", content))
            return false;
        m_handler.unknown(content);
    } else if (startsWith("</")) {
        return closeElement();
    } else {
        return openElement();
    }
    return true;
}

bool Parser::run()
{
    auto readAhead = [this] {
        while (m_text.size() - m_pos < m_lowWater && !m_input.eof())
            refill(std::max(m_block, m_lowWater));
    };
    readAhead();
    if (startsWith("\xEF\xBB\xBF"))
        m_pos += 3;
    for (;;) {
        readAhead();
        if (m_pos >= m_text.size())
            break;
        const size_t start = m_pos;
        m_starved = false;
        if (item())
            continue;
        if (!m_starved)
            return false;
        // The markup runs past what has been read: read more and take it again.
        if (m_text.size() - start >= ReadLimits::MaxMarkupBytes)
            return fail("markup too long");
        m_pos = start;
        refill(std::max(m_block, m_text.size() - start));
        m_error.clear();
    }
    if (m_input.readError())
        return fail("the file could not be read");
    if (!m_open.empty())
        return fail("unclosed element");
    return true;
}

} // namespace

bool parseXml(std::string_view text, XmlHandler &handler, std::string *error, int maxDepth)
{
    Input input(text);
    Parser parser(input, handler, maxDepth, text.size());
    if (parser.run())
        return true;
    if (error)
        *error = parser.error();
    return false;
}

bool parseXmlFile(const std::filesystem::path &path, XmlHandler &handler, std::string *error,
                  int maxDepth, size_t blockBytes)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE *)> file(std::fopen(path.c_str(), "rb"),
                                                          &std::fclose);
    if (!file) {
        if (error)
            *error = std::strerror(errno);
        return false;
    }
    return parseXmlFile(file.get(), handler, error, maxDepth, blockBytes);
}

bool parseXmlFile(std::FILE *file, XmlHandler &handler, std::string *error, int maxDepth,
                  size_t blockBytes)
{
    struct stat status
    {};
    if (::fstat(::fileno(file), &status) == 0 &&
        static_cast<std::uintmax_t>(status.st_size) > ReadLimits::MaxFileBytes) {
        if (error)
            *error = "the file is too large";
        return false;
    }
    Input input(file);
    Parser parser(input, handler, maxDepth, blockBytes);
    if (parser.run())
        return true;
    if (error)
        *error = parser.error();
    return false;
}

} // namespace vocara
