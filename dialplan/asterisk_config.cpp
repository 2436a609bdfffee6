#include "dialplan/asterisk_config.h"

#include "dialplan/context_file.h"
#include "dialplan/messages.h"
#include "document/text_util.h"
#include "document/vocara_doc.h"

#include <algorithm>
#include <unordered_set>

namespace vocara {

namespace {

bool isMenu(NodeKind kind)
{
    return kind == Kind::UserInput || kind == Kind::MultiDTMF;
}

} // namespace

AsteriskConfig::AsteriskConfig(const CVocaraDoc &doc, ContextFileWriter &writer)
    : m_doc(doc)
    , m_values(doc)
    , m_writer(writer)
    , m_tracking(doc.dialplanSettings().AllowIVRCallTracking)
{}

std::string AsteriskConfig::ConvertReferences(std::string_view value)
{
    return convertReferences(value);
}

// Values.

std::string AsteriskConfig::value(const NodeData &node, std::string_view key) const
{
    return m_values.value(node, key);
}

std::string AsteriskConfig::converted(const NodeData &node, std::string_view key) const
{
    return m_values.converted(node, key);
}

std::string AsteriskConfig::convertedWithoutQuotes(const NodeData &node, std::string_view key) const
{
    return m_values.withoutQuotes(node, key);
}

std::string AsteriskConfig::bare(const NodeData &node, std::string_view key) const
{
    return m_values.bare(node, key);
}

std::string AsteriskConfig::label(NodeId id) const
{
    const NodeData *node = m_doc.node(id);
    if (!node)
        return {};
    return oneLine(removeChars(node->name, "();"));
}

NodeId AsteriskConfig::firstChild(NodeId id) const
{
    const NodeData *node = m_doc.node(id);
    return node && !node->children.empty() ? node->children.front() : NoNode;
}

NodeId AsteriskConfig::firstParent(NodeId id) const
{
    const NodeData *node = m_doc.node(id);
    return node && !node->parents.empty() ? node->parents.front() : NoNode;
}

NodeId AsteriskConfig::upward(NodeId id) const
{
    return exportParent(m_doc, id);
}

// The start node or menu whose context a node's lines belong to; the start node when the
// walk up runs out of parents or goes round in a loop.
NodeId AsteriskConfig::contextNode(NodeId id) const
{
    // Every node on the way up has the answer of the node it started from: they are kept, so
    // that a long chain is walked once, not once per node.
    std::vector<NodeId> path;
    std::unordered_set<NodeId> seen;
    NodeId found = m_doc.startNode();
    for (NodeId current = id; current != NoNode && seen.insert(current).second;
         current = upward(current)) {
        const auto known = m_contexts.find(current);
        if (known != m_contexts.end()) {
            found = known->second;
            break;
        }
        const NodeData *node = m_doc.node(current);
        if (node->kind == Kind::Start || isMenu(node->kind)) {
            found = current;
            break;
        }
        path.push_back(current);
    }
    for (NodeId on : path)
        m_contexts.emplace(on, found);
    return found;
}

std::string AsteriskConfig::ContextOf(NodeId id) const
{
    const NodeId context = contextNode(id);
    if (context == m_doc.startNode())
        return std::string(DialplanText::MainMenuHeader);
    return "[context-" + label(context) + "]";
}

// Lines and the cursor.

void AsteriskConfig::write(std::string_view text, bool comment)
{
    m_writer.writeLine(m_doc.node(m_current), escapeSemicolons(text), false, false, comment);
}

bool AsteriskConfig::applyBranch(NodeKind kind, Cursor &cursor) const
{
    const std::string keyed = m_tracking ? "n" : "1";
    if (kind >= Kind::BranchIf0 && kind <= Kind::BranchIf0 + 9) {
        cursor = {std::string(1, static_cast<char>('0' + kind - Kind::BranchIf0)), keyed};
    } else if (kind == Kind::BranchIfStar) {
        cursor = {"*", keyed};
    } else if (kind == Kind::BranchIfHash) {
        cursor = {"#", keyed};
    } else if (kind == Kind::BranchIfError) {
        cursor = {"i", keyed};
    } else if (kind == Kind::BranchIfEndKeys) {
        cursor = {"e", keyed};
    } else if (kind == Kind::BranchIfTimeOut) {
        cursor = {"t", keyed};
    } else if (kind == Kind::BranchIfTimeOutRead) {
        cursor = {"t", "2"};
    } else if (kind == Kind::BranchIfTrue || kind == Kind::BranchIfFalse ||
               kind == Kind::BranchIfFail || kind == Kind::BranchIfSuccess) {
        cursor.priority = "n";
    } else {
        return false;
    }
    return true;
}

std::string AsteriskConfig::skeleton(const NodeData &node)
{
    const NodeData *parent = m_doc.node(firstParent(node.id));
    if (parent && isBranchKind(parent->kind))
        applyBranch(parent->kind, m_cursor);
    else
        m_cursor.priority = "n";
    if (m_firstLine) {
        m_cursor.priority = "1";
        m_firstLine = false;
    }
    return "exten => " + m_cursor.extension + "," + m_cursor.priority + "(" + label(node.id) + "),";
}

void AsteriskConfig::restoreBookmark()
{
    auto it = m_bookmarks.find(m_writer.currentHeader());
    if (it != m_bookmarks.end())
        m_cursor.extension = it->second;
}

void AsteriskConfig::saveBookmark()
{
    m_bookmarks[m_writer.currentHeader()] = m_cursor.extension;
}

void AsteriskConfig::enterContextOf(NodeId id)
{
    m_writer.setCurrentHeader(removeChars(ContextOf(id), "()"));
    restoreBookmark();
}

// The extension under which the target's own line is written, found by walking the path
// from its context down to it as the generator did.
std::string AsteriskConfig::replayExtension(NodeId context, NodeId target) const
{
    std::vector<NodeId> path;
    std::unordered_set<NodeId> seen;
    for (NodeId current = target;
         current != NoNode && current != context && seen.insert(current).second;
         current = upward(current))
        path.push_back(current);
    Cursor replay;
    for (auto it = path.rbegin(); it != path.rend(); ++it) {
        const NodeData *node = m_doc.node(*it);
        if (isBranchKind(node->kind))
            applyBranch(node->kind, replay);
    }
    return replay.extension;
}

std::string AsteriskConfig::JumpTo(NodeId from, NodeId target)
{
    const NodeId context = contextNode(target);
    const std::string targetContext =
        context == m_doc.startNode() ? "context-MainMenu" : "context-" + label(context);
    const NodeData *source = m_doc.node(from);

    std::string head;
    if (isBranchKind(source->kind)) {
        Cursor cursor = m_cursor;
        applyBranch(source->kind, cursor);
        head = "exten => " + cursor.extension + "," + cursor.priority + "(" + label(from) + "),";
    } else {
        head = "exten => " + m_cursor.extension + ",n,";
    }

    const NodeData *menu = m_doc.node(firstChild(from));
    if (menu && isMenu(menu->kind) && !m_database)
        return head + "Goto(context-" + label(menu->id) + ",s,1)";
    const NodeData *targetNode = m_doc.node(target);
    // A branch's own line has no label, only the next priority.
    const std::string where = isBranchKind(targetNode->kind) ? "n" : label(target);
    return head + "Goto(" + targetContext + "," + replayExtension(context, target) + "," + where +
           ")";
}

// Traversal.

void AsteriskConfig::Export()
{
    const NodeId first = firstChild(m_doc.startNode());
    if (first == NoNode)
        return;
    struct Visit
    {
        NodeId node;
        NodeId parent;
    };
    // Depth first, without recursion: flows nest deeply.
    std::vector<Visit> stack{{first, m_doc.startNode()}};
    while (!stack.empty()) {
        const Visit visit = stack.back();
        stack.pop_back();
        const NodeData &node = *m_doc.node(visit.node);
        const NodeId primary = node.parents.size() < 2 ? NoNode : upward(node.id);
        const bool here = node.parents.size() < 2 || primary == NoNode || primary == visit.parent;
        if (!here || m_translated.count(node.id)) {
            // Reached again through a cross link: jump to where it was written.
            const NodeData &parent = *m_doc.node(visit.parent);
            const bool verdict =
                parent.kind == Kind::BranchIfTrue || parent.kind == Kind::BranchIfFalse ||
                parent.kind == Kind::BranchIfFail || parent.kind == Kind::BranchIfSuccess;
            if (!verdict && !parent.children.empty()) {
                m_current = visit.parent;
                m_writer.setTooltip({});
                write(JumpTo(visit.parent, node.id), false);
            }
            continue;
        }
        m_translated.insert(node.id);
        Translate(node.id);
        const std::vector<NodeId> children = exportOrder(m_doc, node);
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            stack.push_back({*it, node.id});
    }
}

void AsteriskConfig::Translate(NodeId id)
{
    const NodeData &node = *m_doc.node(id);
    m_database = false;
    m_current = id;
    m_writer.setTooltip({});
    if (isMenu(node.kind) && firstParent(id) == m_doc.startNode())
        write("exten => s,1,Goto(context-" + label(id) + ",s,1)", true);
    const std::string tooltip = value(node, "Tooltip");
    m_writer.setTooltip(tooltip == " " ? std::string() : escapeSemicolons(tooltip));

    if (isBranchKind(node.kind)) {
        translateBranch(node);
        return;
    }
    enterContextOf(id);
    writeKindLines(node);
    if (m_firstLine)
        m_firstLine = false; // a menu at the top takes the first line's place
    if (m_tracking && node.kind != Kind::UserInput)
        write("exten => " + m_cursor.extension + ",n,UserEvent(BranchToIVRNode|Node: " +
                  std::to_string(node.cell.column) + "," + std::to_string(node.cell.row) + ")",
              false);
    const NodeData *menu = m_doc.node(firstChild(id));
    if (menu && isMenu(menu->kind))
        write("exten => " + m_cursor.extension + ",n(" + label(menu->id) + "),Goto(context-" +
                  label(menu->id) + ",s,1)",
              false);
    saveBookmark();
}

void AsteriskConfig::translateBranch(const NodeData &node)
{
    enterContextOf(node.id);
    applyBranch(node.kind, m_cursor);
    if (m_tracking) {
        std::string key;
        if (node.kind >= Kind::BranchIf0 && node.kind <= Kind::BranchIf0 + 9)
            key = std::string(1, static_cast<char>('0' + node.kind - Kind::BranchIf0));
        else if (node.kind == Kind::BranchIfStar)
            key = "*";
        else if (node.kind == Kind::BranchIfHash)
            key = "#";
        else if (node.kind == Kind::BranchIfError)
            key = "i";
        else if (node.kind == Kind::BranchIfEndKeys)
            key = "e";
        else if (node.kind == Kind::BranchIfTimeOut || node.kind == Kind::BranchIfTimeOutRead)
            key = "t";
        if (!key.empty())
            write("exten => " + m_cursor.extension + ",1,UserEvent(DTMF|Key: " + key + ")", true);
    }
    const NodeData *menu = m_doc.node(firstChild(node.id));
    if (menu && isMenu(menu->kind))
        write("exten => " + m_cursor.extension + "," + m_cursor.priority + "(" + label(menu->id) +
                  "),Goto(context-" + label(menu->id) + ",s,1)",
              true);
}

} // namespace vocara
