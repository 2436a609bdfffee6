#include "dialplan/line_values.h"

#include "document/dialplan_settings.h"
#include "document/flow_format.h"
#include "document/text_util.h"
#include "document/vocara_doc.h"

#include <cctype>
#include <cstdint>

namespace vocara {

namespace {

constexpr char DQ = '"';

// Casts the selected column so that the database returns it whole; a statement without
// "from" after "select" is left as it is.
std::string castSelectedColumn(const std::string &query)
{
    const std::string lowered = lowerCase(query);
    const size_t select = lowered.find("select");
    const size_t from = lowered.find("from");
    if (select == std::string::npos || from == std::string::npos || from <= select ||
        select + 7 > query.size())
        return query;
    std::string result = query;
    result.insert(select + 7, " cast(");
    if (from + 5 > result.size())
        return query;
    result.insert(from + 5, " as binary(6000))");
    return result;
}

} // namespace

NodeId exportParent(const CVocaraDoc &doc, NodeId id)
{
    const NodeData *node = doc.node(id);
    if (!node || node->parents.empty())
        return NoNode;
    if (node->parents.size() == 1)
        return node->parents.front();
    const int primary = node->primaryParent;
    return primary >= 0 && primary < static_cast<int>(node->parents.size())
               ? node->parents[static_cast<size_t>(primary)]
               : NoNode;
}

std::vector<NodeId> exportOrder(const CVocaraDoc &doc, const NodeData &node)
{
    if (node.kind != Kind::UserInput)
        return node.children;
    std::vector<NodeId> digits;
    std::vector<NodeId> keys;
    std::vector<NodeId> others;
    for (int digit = 0; digit <= 9; ++digit) {
        for (NodeId child : node.children) {
            if (doc.node(child)->kind == Kind::BranchIf0 + digit)
                digits.push_back(child);
        }
    }
    for (NodeId child : node.children) {
        const NodeKind kind = doc.node(child)->kind;
        if (kind >= Kind::BranchIf0 && kind <= Kind::BranchIf0 + 9)
            continue;
        const bool key = kind == Kind::BranchIfStar || kind == Kind::BranchIfHash ||
                         kind == Kind::BranchIfError || kind == Kind::BranchIfEndKeys ||
                         kind == Kind::BranchIfTimeOut;
        (key ? keys : others).push_back(child);
    }
    digits.insert(digits.end(), keys.begin(), keys.end());
    digits.insert(digits.end(), others.begin(), others.end());
    return digits;
}

std::string convertReferences(std::string_view value)
{
    if (value.find('$') == std::string_view::npos)
        return {};
    std::string out;
    size_t i = 0;
    while (i < value.size()) {
        if (value[i] != '$') {
            out += value[i++];
            continue;
        }
        if (i + 1 < value.size() && value[i + 1] == '{') {
            const size_t close = value.find('}', i + 2);
            const size_t end = close == std::string_view::npos ? value.size() : close + 1;
            out.append(value.substr(i, end - i));
            i = end;
            continue;
        }
        const size_t close = value.find('$', i + 1);
        if (close == std::string_view::npos) {
            out.append(value.substr(i));
            break;
        }
        out += "${";
        out.append(value.substr(i + 1, close - i - 1));
        out += "}";
        i = close + 1;
    }
    return out;
}

std::int64_t leadingNumber(std::string_view text)
{
    std::int64_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || number > INT64_MAX / 100)
            break;
        number = number * 10 + (c - '0');
    }
    return number;
}

std::string escapeSemicolons(std::string_view line)
{
    std::string escaped;
    escaped.reserve(line.size());
    for (char c : line) {
        if (c == ';')
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

std::string LineValues::value(const NodeData &node, std::string_view key) const
{
    const int index = m_doc.catalogue().propertyIndex(node.kind, key);
    if (index < 0 || index >= static_cast<int>(node.values.size()))
        return " ";
    const std::string &typed = node.values[static_cast<size_t>(index)];
    if (!bracketsBalanced(typed))
        return {};
    // Today's dialplan marks its jumps with these two characters while it is written.
    return m_safeNames ? removeChars(oneLine(typed), "\x01\x02") : oneLine(typed);
}

std::string LineValues::converted(const NodeData &node, std::string_view key) const
{
    const std::string raw = value(node, key);
    const std::string result = convertReferences(raw);
    return result.empty() ? raw : result;
}

std::string LineValues::withoutQuotes(const NodeData &node, std::string_view key) const
{
    const std::string raw = value(node, key);
    const std::string result = removeChars(convertReferences(raw), "'");
    return result.empty() ? raw : result;
}

std::string LineValues::bare(const NodeData &node, std::string_view key) const
{
    if (!m_safeNames)
        return removeChars(value(node, key), "$");
    const std::string typed = value(node, key);
    std::string name;
    for (char c : namedVariable(typed)) {
        const auto u = static_cast<unsigned char>(c);
        name += u < 0x80 && (std::isalnum(u) || c == '_') ? c : '_';
    }
    if (name.empty())
        return "unnamed";
    // A leading "_" asks Asterisk to hand the variable on to other channels.
    return name.front() == '_' ? "v" + name : name;
}

std::string LineValues::databaseArguments(const NodeData &node) const
{
    const std::string type = value(node, "rettype");
    const std::string language = value(node, "retlang");
    std::string l;
    if (type == "Digits" || language == "English")
        l = "E";
    else if (language == "Arabic")
        l = "A";
    std::string query = converted(node, "query");
    if (type != "Digits")
        query = castSelectedColumn(query);
    const std::string password = scramblePassword(node.values[PasswordSlot]);
    return "DB " + l + " ${" + bare(node, "db") + "} " + converted(node, "username") + " " +
           password + " " + DQ + query + DQ + " " + bare(node, "retVar");
}

std::string LineValues::connectionArguments(const NodeData &node) const
{
    const std::string p = withoutQuotes(node, "Port");
    const std::string i = withoutQuotes(node, "IPAddress");
    std::string f = value(node, "File");
    std::string m = value(node, "Message");
    if (f.empty())
        f = "1";
    if (m.empty())
        m = "1";
    const std::string o = value(node, "OpenFile");
    const std::string b = value(node, "MessageBody");
    std::string arguments = "CS ";
    if (f == "0" && m == "1")
        arguments += p + " " + i + " " + f + " " + m + " " + DQ + b + DQ;
    else if (f == "1" && m == "0")
        arguments += p + " " + i + " " + f + " " + o;
    else
        arguments += p + " " + i + " " + f + " " + o + " " + m + " " + DQ + b + DQ;
    return arguments;
}

std::string LineValues::fileAccessArguments(const NodeData &node) const
{
    const std::string access = value(node, "AccessType");
    const std::string operation = removeAll(value(node, "OperationType"), " File");
    std::string arguments = "ACC " + value(node, "FilePath") + " " + operation + " " + access + " ";
    if (lowerCase(access) == "read")
        arguments += removeChars(converted(node, "TextVar"), "${}");
    else
        arguments += DQ + withoutQuotes(node, "TextVar") + DQ;
    return arguments;
}

std::string LineValues::speechArguments(const NodeData &node) const
{
    return "TTS '${" + bare(node, "var") + "}' qenfilename";
}

std::string LineValues::playbackPath(const NodeData &node, const DialplanSettings &settings) const
{
    const std::string f = removeAll(converted(node, "file"), ".wav");
    if (f.find("RecordPath") != std::string::npos || f.find("TTSPath") != std::string::npos ||
        f.find('/') != std::string::npos)
        return f;
    if (settings.SoundFilePath.empty())
        return "var/lib/asterisk/sounds/" + f;
    return settings.SoundFilePath + f;
}

std::string LineValues::speechFolder(const DialplanSettings &settings)
{
    return settings.TTSFilesPath.empty() ? "/home/TTSFiles/" : settings.TTSFilesPath;
}

} // namespace vocara
