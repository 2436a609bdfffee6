#include "document/xml_reader.h"

#include <tinyxml2.h>

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

class Parser
{
public:
    Parser(std::string_view text, tinyxml2::XMLDocument &doc, int maxDepth)
        : m_text(text)
        , m_doc(doc)
        , m_maxDepth(maxDepth)
    {}

    bool run();
    const std::string &error() const { return m_error; }

private:
    bool fail(const char *what)
    {
        m_error = std::string(what) + " at offset " + std::to_string(m_pos);
        return false;
    }
    bool atEnd() const { return m_pos >= m_text.size(); }
    bool startsWith(std::string_view s) const { return m_text.substr(m_pos).starts_with(s); }
    void skipSpace()
    {
        while (!atEnd() && isSpace(m_text[m_pos]))
            ++m_pos;
    }
    bool readName(std::string &name);
    bool decode(std::string_view raw, std::string &out);
    bool readUntil(std::string_view end, std::string_view &content);
    bool openElement(std::vector<tinyxml2::XMLNode *> &stack);
    bool closeElement(std::vector<tinyxml2::XMLNode *> &stack);
    bool text(tinyxml2::XMLNode *parent);

    std::string_view m_text;
    tinyxml2::XMLDocument &m_doc;
    int m_maxDepth;
    size_t m_pos = 0;
    std::string m_error;
};

bool Parser::readName(std::string &name)
{
    const size_t start = m_pos;
    if (atEnd() || !isNameStart(static_cast<unsigned char>(m_text[m_pos])))
        return fail("expected a name");
    while (!atEnd() && isNameChar(static_cast<unsigned char>(m_text[m_pos])))
        ++m_pos;
    name.assign(m_text.substr(start, m_pos - start));
    return true;
}

bool Parser::decode(std::string_view raw, std::string &out)
{
    out.clear();
    out.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] != '&') {
            out += raw[i];
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
    const size_t found = m_text.find(end, m_pos);
    if (found == std::string_view::npos)
        return fail("unterminated markup");
    content = m_text.substr(m_pos, found - m_pos);
    m_pos = found + end.size();
    return true;
}

bool Parser::openElement(std::vector<tinyxml2::XMLNode *> &stack)
{
    ++m_pos; // '<'
    std::string name;
    if (!readName(name))
        return false;
    tinyxml2::XMLElement *element = m_doc.NewElement(name.c_str());
    stack.back()->InsertEndChild(element);
    std::string attribute;
    std::string value;
    for (;;) {
        const size_t before = m_pos;
        skipSpace();
        if (atEnd())
            return fail("unterminated element");
        if (m_text[m_pos] == '/') {
            if (!startsWith("/>"))
                return fail("expected '/>'");
            m_pos += 2;
            return true;
        }
        if (m_text[m_pos] == '>') {
            ++m_pos;
            if (static_cast<int>(stack.size()) > m_maxDepth)
                return fail("elements nested too deeply");
            stack.push_back(element);
            return true;
        }
        if (m_pos == before)
            return fail("expected a blank before an attribute");
        if (!readName(attribute))
            return false;
        skipSpace();
        if (atEnd() || m_text[m_pos] != '=')
            return fail("expected '='");
        ++m_pos;
        skipSpace();
        if (atEnd() || (m_text[m_pos] != '"' && m_text[m_pos] != '\''))
            return fail("expected a quoted value");
        const char quote[2] = {m_text[m_pos], '\0'};
        ++m_pos;
        std::string_view raw;
        if (!readUntil(quote, raw))
            return false;
        if (raw.find('<') != std::string_view::npos)
            return fail("'<' in an attribute value");
        if (element->FindAttribute(attribute.c_str()))
            return fail("attribute given twice");
        if (!decode(raw, value))
            return false;
        element->SetAttribute(attribute.c_str(), value.c_str());
    }
}

bool Parser::closeElement(std::vector<tinyxml2::XMLNode *> &stack)
{
    m_pos += 2; // "</"
    std::string name;
    if (!readName(name))
        return false;
    skipSpace();
    if (atEnd() || m_text[m_pos] != '>')
        return fail("expected '>'");
    ++m_pos;
    if (stack.size() < 2 || name != stack.back()->Value())
        return fail("mismatched end tag");
    stack.pop_back();
    return true;
}

bool Parser::text(tinyxml2::XMLNode *parent)
{
    const size_t end = m_text.find('<', m_pos);
    const std::string_view raw =
        m_text.substr(m_pos, end == std::string_view::npos ? std::string_view::npos : end - m_pos);
    m_pos += raw.size();
    bool blank = true;
    for (char c : raw)
        blank = blank && isSpace(c);
    if (blank)
        return true; // white space between elements means nothing here
    if (parent == &m_doc)
        return fail("text outside the root element");
    std::string decoded;
    if (!decode(raw, decoded))
        return false;
    parent->InsertEndChild(m_doc.NewText(decoded.c_str()));
    return true;
}

bool Parser::run()
{
    if (startsWith("\xEF\xBB\xBF"))
        m_pos += 3;
    std::vector<tinyxml2::XMLNode *> stack{&m_doc};
    bool rootSeen = false;
    while (!atEnd()) {
        if (m_text[m_pos] != '<') {
            if (!text(stack.back()))
                return false;
            continue;
        }
        std::string_view content;
        if (startsWith("<?")) {
            m_pos += 2;
            if (!readUntil("?>", content))
                return false;
            const std::string body(content);
            tinyxml2::XMLNode *node = nullptr;
            if (body.starts_with("xml"))
                node = m_doc.NewDeclaration(body.c_str());
            else
                node = m_doc.NewUnknown(body.c_str());
            stack.back()->InsertEndChild(node);
        } else if (startsWith("<!--")) {
            m_pos += 4;
            if (!readUntil("-->", content))
                return false;
            stack.back()->InsertEndChild(m_doc.NewComment(std::string(content).c_str()));
        } else if (startsWith("<![CDATA[")) {
            m_pos += 9;
            if (!readUntil("]]>", content))
                return false;
            if (stack.size() < 2)
                return fail("character data outside the root element");
            tinyxml2::XMLText *data = m_doc.NewText(std::string(content).c_str());
            data->SetCData(true);
            stack.back()->InsertEndChild(data);
        } else if (startsWith("<!")) {
            m_pos += 2;
            if (!readUntil(">", content))
                return false;
            stack.back()->InsertEndChild(m_doc.NewUnknown(std::string(content).c_str()));
        } else if (startsWith("</")) {
            if (!closeElement(stack))
                return false;
        } else {
            if (stack.size() == 1) {
                if (rootSeen)
                    return fail("a second root element");
                rootSeen = true;
            }
            if (!openElement(stack))
                return false;
        }
    }
    if (stack.size() != 1)
        return fail("unclosed element");
    return true;
}

} // namespace

void releaseXml(tinyxml2::XMLNode &node)
{
    tinyxml2::XMLNode *current = &node;
    while (true) {
        // Down to a leaf, then free it and go on from its parent.
        while (current->LastChild())
            current = current->LastChild();
        if (current == &node)
            return;
        tinyxml2::XMLNode *parent = current->Parent();
        parent->DeleteChild(current);
        current = parent;
    }
}

void printXml(const tinyxml2::XMLDocument &doc, tinyxml2::XMLPrinter &printer)
{
    // The visits of XMLPrinter, in the order XMLDocument::Print makes them.
    printer.VisitEnter(doc);
    const tinyxml2::XMLNode *node = doc.FirstChild();
    while (node) {
        const tinyxml2::XMLElement *element = node->ToElement();
        if (element) {
            printer.VisitEnter(*element, element->FirstAttribute());
            if (element->FirstChild()) {
                node = element->FirstChild();
                continue;
            }
            printer.VisitExit(*element);
        } else if (const tinyxml2::XMLText *text = node->ToText()) {
            printer.Visit(*text);
        } else if (const tinyxml2::XMLComment *comment = node->ToComment()) {
            printer.Visit(*comment);
        } else if (const tinyxml2::XMLDeclaration *declaration = node->ToDeclaration()) {
            printer.Visit(*declaration);
        } else if (const tinyxml2::XMLUnknown *unknown = node->ToUnknown()) {
            printer.Visit(*unknown);
        }
        // On to the next sibling, closing every element whose last child this was.
        while (node && !node->NextSibling()) {
            node = node->Parent();
            if (node == &doc)
                node = nullptr;
            else if (node)
                printer.VisitExit(*node->ToElement());
        }
        if (node)
            node = node->NextSibling();
    }
    printer.VisitExit(doc);
}

void XmlDocumentDeleter::operator()(tinyxml2::XMLDocument *doc) const
{
    if (!doc)
        return;
    releaseXml(*doc);
    delete doc;
}

XmlImage newXmlImage()
{
    return XmlImage(new tinyxml2::XMLDocument);
}

bool parseXml(std::string_view text, tinyxml2::XMLDocument &doc, std::string *error, int maxDepth)
{
    releaseXml(doc);
    doc.Clear();
    Parser parser(text, doc, maxDepth);
    if (parser.run())
        return true;
    releaseXml(doc);
    doc.Clear();
    if (error)
        *error = parser.error();
    return false;
}

} // namespace vocara
