#pragma once

#include "dialplan/line_values.h"
#include "document/node_data.h"

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace vocara {

class CVocaraDoc;
class ContextFileWriter;

// Turns a flow into dialplan lines: the start and every menu become contexts, every action
// node one or more "exten => " lines in the context of the menu above it.
class AsteriskConfig
{
public:
    AsteriskConfig(const CVocaraDoc &doc, ContextFileWriter &writer);

    void Export();

    // "$name$" becomes "${name}", "${name}" stays; a value without "$" gives "".
    static std::string ConvertReferences(std::string_view value);
    std::string ContextOf(NodeId node) const;
    std::string JumpTo(NodeId from, NodeId target);

private:
    struct Cursor
    {
        std::string extension = "s";
        std::string priority = "1";
    };

    void Translate(NodeId node);
    void translateBranch(const NodeData &node);
    void writeKindLines(const NodeData &node);
    void writeMenuOpening(const NodeData &node);
    void writeSuccessFailure(const NodeData &node, const std::string &skeletonText);

    // Lines.
    void write(std::string_view text, bool comment);
    std::string skeleton(const NodeData &node);
    bool applyBranch(NodeKind kind, Cursor &cursor) const;
    void restoreBookmark();
    void saveBookmark();
    void enterContextOf(NodeId node);

    // Values.
    std::string value(const NodeData &node, std::string_view key) const;
    std::string converted(const NodeData &node, std::string_view key) const;
    std::string convertedWithoutQuotes(const NodeData &node, std::string_view key) const;
    std::string bare(const NodeData &node, std::string_view key) const;
    std::string label(NodeId node) const;
    NodeId upward(NodeId node) const;
    NodeId firstChild(NodeId node) const;
    NodeId firstParent(NodeId node) const;
    NodeId contextNode(NodeId node) const;
    std::string replayExtension(NodeId context, NodeId target) const;

    const CVocaraDoc &m_doc;
    LineValues m_values;
    ContextFileWriter &m_writer;
    Cursor m_cursor;
    bool m_firstLine = true;
    bool m_database = false;
    bool m_tracking = false;
    NodeId m_current = NoNode;
    std::unordered_map<std::string, std::string> m_bookmarks; // context header -> extension
    std::unordered_set<NodeId> m_translated;
    mutable std::unordered_map<NodeId, NodeId> m_contexts; // node -> the node of its context
};

} // namespace vocara
