#include "document/flow_validator.h"

#include "document/messages.h"
#include "document/user_dialogs.h"
#include "document/vocara_doc.h"

#include <algorithm>
#include <cctype>

namespace vocara {

namespace {

// The fields whose value a dialplan line uses as a variable's name.
bool namesVariable(NodeKind kind, std::string_view key)
{
    if (key == "retVar")
        return kind == Kind::DbTransaction || kind == Kind::MultiDTMF;
    if (key == "var")
        return kind == Kind::TTS || kind == Kind::SetVar || kind == Kind::Op;
    return key == "db" && kind == Kind::DbTransaction;
}

bool contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A substring that clamps like the string class of old, where "not found" is -1: a negative
// start counts from the beginning, a negative count gives nothing, and a count running past the
// end stops there.
std::string_view clampedSubstring(std::string_view text, size_t start, size_t count)
{
    if (start == std::string_view::npos)
        start = 0;
    if (count == std::string_view::npos || start > text.size())
        return {};
    return text.substr(start, count);
}

// What one rule needs to know about the node it checks.
class RuleContext
{
public:
    RuleContext(const CVocaraDoc &doc, const NodeData &node, int index)
        : m_doc(doc)
        , m_node(node)
        , m_property(*doc.catalogue().property(node.kind, index))
        , m_value(node.values[static_cast<size_t>(index)])
    {}

    NodeKind kind() const { return m_node.kind; }
    std::string_view key() const { return m_property.key; }
    const std::string &value() const { return m_value; }
    std::string resolved() const { return resolveReference(m_value, m_doc.variables()); }
    // Another property of the same node, found by key in the node's own layout.
    std::string_view other(std::string_view key) const
    {
        const int index = m_doc.catalogue().propertyIndex(m_node.kind, key);
        if (index < 0 || index >= static_cast<int>(m_node.values.size()))
            return {};
        return m_node.values[static_cast<size_t>(index)];
    }

private:
    const CVocaraDoc &m_doc;
    const NodeData &m_node;
    const PropertyDescriptor &m_property;
    const std::string &m_value;
};

std::string_view nodeLevelRule(const RuleContext &c)
{
    std::string_view message;
    if (c.kind() == Kind::UserInput && c.other("dtmf") == "0" && c.other("asr") == "0")
        message = Msg::NoDtmfNorAsr;
    if (c.kind() != Kind::CSConnection)
        return message;
    const std::string_view file = c.other("File");
    const std::string_view text = c.other("Message");
    const std::string_view openFile = c.other("OpenFile");
    const std::string_view body = c.other("MessageBody");
    if (file == "0" && text == "0")
        message = Msg::NeitherFileNorMessageSelected;
    if (!openFile.empty() && file == "0" && body.empty())
        return Msg::MustCheckFile;
    if (!body.empty() && text == "0" && openFile.empty())
        message = Msg::MustCheckMessage;
    return message;
}

std::string_view selectionRule(const RuleContext &c)
{
    if (c.kind() == Kind::ACCESSFILES && c.key() == "AccessType" &&
        c.other("OperationType") == "Delete File" && c.value().empty())
        return {};
    return c.value().empty() ? Msg::NothingSelected : std::string_view();
}

std::string_view sqlRule(const RuleContext &c)
{
    const std::string sql = lowerCase(c.resolved());
    if (sql.empty())
        return Msg::EmptyValue;
    if (!contains(sql, "select") && !contains(sql, "update") && !contains(sql, "insert") &&
        !contains(sql, "delete"))
        return Msg::SqlWithoutKeyword;
    const size_t select = sql.find("select");
    if (select == std::string::npos)
        return {};
    std::string_view message;
    if (contains(sql, "*"))
        message = Msg::SqlMoreThanOneColumn;
    if (sql.find("from", select) == std::string::npos)
        message = Msg::SqlWithoutFrom;
    const size_t from = sql.find("from");
    if (clampedSubstring(sql, select, from).size() <= 6)
        message = Msg::SqlWithoutField;
    if (std::string_view(sql).substr(from == std::string::npos ? 0 : from).size() <= 4)
        message = Msg::SqlWithoutTable;
    return message;
}

bool exemptFromRequiredRule(const RuleContext &c)
{
    switch (c.kind()) {
    case Kind::SendFax: {
        const std::string_view type = c.other("DateType");
        if (type == "File" && !c.other("FaxFile").empty())
            return true;
        if (type == "Data" && !c.other("Body").empty() && !c.other("Subject").empty())
            return true;
        return c.key() == "CoverFile" && c.value().empty() && type == "Data";
    }
    case Kind::REGEDIT: {
        const std::string_view operation = c.other("DataType");
        const bool noName = c.other("ValueName").empty();
        const bool noData = c.other("ValueData").empty();
        if ((operation == "Delete Key" || operation == "Create Key") && (noName || noData))
            return true;
        return operation == "Delete Value" && !noName && noData;
    }
    case Kind::ACCESSFILES:
        return c.key() == "TextVar" && c.other("OperationType") == "Delete File" &&
               c.value().empty();
    case Kind::UserInput:
        return (c.key() == "file" && c.other("asr") == "0") ||
               (c.key() == "numKeys" && c.other("dtmf") == "0");
    default:
        return false;
    }
}

bool holdsVariable(std::string_view value)
{
    const size_t first = value.find('$');
    return first != std::string_view::npos && value.find('$', first + 1) != std::string_view::npos;
}

std::string_view requiredRule(const RuleContext &c)
{
    if (exemptFromRequiredRule(c))
        return {};
    std::string_view message;
    const bool returnsIntoVariable =
        (c.kind() == Kind::REGEDIT && c.key() == "ValueData" &&
         c.other("DataType") == "Get Value") ||
        (c.kind() == Kind::ACCESSFILES && c.key() == "TextVar" && c.other("AccessType") == "Read");
    if (returnsIntoVariable && !holdsVariable(c.value()))
        message = Msg::NoReturnVariable;
    if (c.value().empty() || c.value() == GridText::EmptyFileChooser)
        message = Msg::EmptyValue;
    return message;
}

std::string_view returnVariableRule(const RuleContext &c)
{
    if (c.kind() == Kind::DbTransaction && contains(lowerCase(c.other("query")), "select") &&
        c.value().empty())
        return Msg::EmptyValue;
    return {};
}

std::string_view numberRule(const RuleContext &c)
{
    if (c.value().empty())
        return Msg::EmptyValue;
    const std::string resolved = c.resolved();
    const char first = resolved.empty() ? '0' : resolved.front();
    return isDigit(first) ? std::string_view() : Msg::NotNumeric;
}

std::string_view timeRule(const RuleContext &c)
{
    if (c.kind() != Kind::Record && c.kind() != Kind::UserInput)
        return {};
    if (c.kind() == Kind::UserInput && c.other("asr") == "0")
        return {};
    const std::string resolved = c.resolved();
    if (resolved.empty())
        return Msg::EmptyValue;
    return isDigit(resolved.front()) ? std::string_view() : Msg::NotNumeric;
}

std::string_view keySetRule(const RuleContext &c)
{
    const std::string resolved = c.resolved();
    if (resolved.empty())
        return Msg::EmptyValue;
    for (char key : resolved) {
        if (!isDigit(key) && key != '#' && key != '*' && !(key >= 'A' && key <= 'F'))
            return Msg::InvalidKeys;
    }
    return {};
}

std::string_view singleKeyRule(const RuleContext &c)
{
    if (c.resolved().size() > 1)
        return Msg::NotOneKey;
    if (c.kind() == Kind::Record && c.other("key").empty())
        return Msg::EmptyValue;
    return {};
}

std::string_view mailRule(const RuleContext &c)
{
    // Addresses are checked as written: a variable reference has no "@".
    const std::string &value = c.value();
    if (value.empty())
        return Msg::EmptyValue;
    const size_t at = value.find('@');
    if (at == std::string::npos)
        return Msg::MailWithoutAt;
    return value.find('.', at) == std::string::npos ? Msg::MailWithoutServer : std::string_view();
}

std::string_view ipAddressRule(const RuleContext &c)
{
    if (c.value().empty())
        return Msg::EmptyValue;
    for (char ch : c.resolved()) {
        if (!isDigit(ch) && ch != '.')
            return Msg::InvalidServerIp;
    }
    return {};
}

std::string_view payloadRule(const RuleContext &c)
{
    if (c.other("OpenFile").empty() && c.other("MessageBody").empty())
        return Msg::NoFileNorMessage;
    return {};
}

std::string_view waveRule(const RuleContext &c)
{
    return contains(lowerCase(c.value()), ".wav") ? std::string_view() : Msg::NotAWave;
}

void validateNode(const CVocaraDoc &doc, const NodeData &node, ValidationReport &report)
{
    auto add = [&](std::string_view a, std::string_view b, std::string_view c) {
        report.lines.push_back(errorLine(a, b, c));
        report.nodes.push_back(node.id);
    };
    const std::string_view element = elementName(node.kind);
    if (node.name.empty())
        add(element, Msg::EmptyNameLabel, Msg::EmptyName);
    else if (doc.nameUseCount(node) > 1)
        add(element, node.name, Msg::DuplicateName);

    if (node.kind == Kind::BranchIfTimeOutRead && !node.children.empty())
        add(element, node.name, Msg::MustHaveNoChildren);

    const int count =
        std::min(doc.catalogue().propertyCount(node.kind), static_cast<int>(node.values.size()));
    for (int index = 0; index < count; ++index) {
        const PropertyDescriptor *property = doc.catalogue().property(node.kind, index);
        std::string_view message = checkProperty(doc, node, index);
        // A value with an unclosed bracket would break its dialplan line; it is not written.
        if (message.empty() && doc.isAsteriskMode() && property->key != TooltipKey &&
            !bracketsBalanced(node.values[static_cast<size_t>(index)]))
            message = Msg::UnbalancedBrackets;
        if (message.empty() && doc.isAsteriskMode() && namesVariable(node.kind, property->key) &&
            !isVariableName(node.values[static_cast<size_t>(index)]))
            message = Msg::NotAVariableName;
        if (!message.empty())
            add(node.name, property->label, message);
    }

    if (node.id != doc.startNode() && node.parents.empty())
        add(node.name, Msg::OrphanLabel, Msg::Orphan);
}

} // namespace

std::string errorLine(std::string_view a, std::string_view b, std::string_view c)
{
    std::string line;
    line.reserve(a.size() + b.size() + c.size() + 3);
    line.append(a).append(" @").append(b).append(":").append(c);
    return line;
}

std::string resolveReference(std::string_view text, const VariableList &variables)
{
    std::string result(text);
    const size_t first = result.find('$');
    if (first == std::string::npos)
        return result;
    result.erase(first, 1);
    const size_t last = result.rfind('$');
    if (last == std::string::npos)
        return result;
    result.erase(last, 1);
    for (const Variable &variable : variables.items()) {
        if (variable.name == result)
            return variable.defaultValue;
    }
    return result;
}

std::string_view checkProperty(const CVocaraDoc &doc, const NodeData &node, int index)
{
    const PropertyDescriptor *property = doc.catalogue().property(node.kind, index);
    if (!property || index >= static_cast<int>(node.values.size()))
        return {};
    const RuleContext context(doc, node, index);
    switch (property->checkRule) {
    case 0:
        return nodeLevelRule(context);
    case 1:
        return selectionRule(context);
    case 2:
        return sqlRule(context);
    case 3:
        return requiredRule(context);
    case 4:
        return returnVariableRule(context);
    case 5:
        return numberRule(context);
    case 6:
        return timeRule(context);
    case 7:
        return keySetRule(context);
    case 8:
        return singleKeyRule(context);
    case 9:
        return mailRule(context);
    case 10:
        return ipAddressRule(context);
    case 11:
        return payloadRule(context);
    case 13:
        return waveRule(context);
    default:
        return {};
    }
}

ValidationReport validateNodes(const CVocaraDoc &doc)
{
    ValidationReport report;
    const std::vector<NodeId> order = doc.nodesInGridOrder();
    // A large flow is far bigger than the processor's caches, and the grid order jumps about
    // in memory: each node is asked for a while before it is checked, and what it points to
    // a little later, so that checking does not wait for memory.
    constexpr size_t NodeAhead = 16;
    constexpr size_t PartsAhead = 8;
    for (size_t i = 0; i < order.size(); ++i) {
        if (i + NodeAhead < order.size())
            __builtin_prefetch(doc.node(order[i + NodeAhead]));
        if (i + PartsAhead < order.size()) {
            const NodeData *ahead = doc.node(order[i + PartsAhead]);
            __builtin_prefetch(ahead->values.data());
            __builtin_prefetch(ahead->nameUses);
            __builtin_prefetch(ahead->name.data());
        }
        validateNode(doc, *doc.node(order[i]), report);
    }
    return report;
}

bool CVocaraDoc::validateFlow(bool askToForce)
{
    // Checking a large flow takes a while: a save right after a check does not check again.
    if (m_validatedRevision != m_revision) {
        ValidationReport report = validateNodes(*this);
        m_errorLines = std::move(report.lines);
        m_errorNodes = std::move(report.nodes);
        m_validatedRevision = m_revision;
    }
    notify([](DocumentObserver &o) { o.validated(); });
    if (m_errorLines.empty() || !askToForce)
        return true;
    return m_dialogs.ask(Msg::ForceSaveQuestion, Question::YesNo) != Answer::No;
}

} // namespace vocara
