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

// Writes a flow as a dialplan that Asterisk 18 and later load without a warning: arguments
// in parentheses separated by commas, every jump to a label or priority that exists, every
// label unique in its context, and a call that reaches the end of a path hangs up instead of
// running on into the next one.
//
// The start node and every menu become contexts. Lines go into the extension they run in:
// "s" for the path from the context's top, one extension per key of a menu. Every node's
// first line carries its label, so that forks and cross links jump to it by name.
class ModernDialplan
{
public:
    explicit ModernDialplan(const CVocaraDoc &doc);

    // The settings, globals and flow contexts, with CR LF line ends.
    std::string text();

    // A label or context name Asterisk takes as it is: letters, digits, "_" and "-".
    static std::string safeName(std::string_view name);
    // `text` as one application argument: commas, quotes and backslashes outside "${...}"
    // and "$[...]" escaped, so that the application receives the text as typed.
    static std::string argument(std::string_view text);

private:
    struct Line
    {
        std::string label;
        std::string app; // may hold jump marks, resolved when written
        std::string comment;
    };
    struct Extension
    {
        std::string name;
        std::vector<Line> lines;
    };
    struct Context
    {
        std::string name;
        std::vector<Extension> extensions;
        std::unordered_set<std::string> labels;
        std::unordered_map<std::string, int> suffixes; // the next number to try for a name
    };
    struct Place
    {
        size_t context = 0;
        size_t extension = 0;
    };
    struct Target
    {
        size_t context = 0;
        size_t extension = 0;
        std::string label;
    };

    struct Visit
    {
        NodeId node;
        NodeId parent;
        Place place;
    };

    void walk();
    void visitBranch(const NodeData &node, const Visit &visit, std::vector<Visit> &next);
    void visitMenu(const NodeData &node, const Visit &visit, std::vector<Visit> &next);
    void visitAction(const NodeData &node, const Visit &visit, std::vector<Visit> &next);
    enum class After { GoesOn, Forks, Ends };
    // The lines that do what the node does, and how the call goes on after them.
    After writeOwnLines(const NodeData &node, Place place);
    // The jump of a node with a success and a failure (or true and false) branch.
    void writeFork(const NodeData &node, Place place, const std::string &condition);
    std::string settingsAndGlobals() const;
    std::string settingsContext() const;

    void add(Place place, std::string app, const NodeData *labelled = nullptr);
    void endPath(Place place);
    bool ended(Place place) const;
    size_t newContext(std::string name);
    size_t extensionIn(size_t context, const std::string &name);
    std::string uniqueLabel(size_t context, std::string_view name);
    std::string jumpMark(NodeId target) const;
    std::string resolved(const std::string &app) const;
    std::string render() const;

    std::string condition(const NodeData &node) const;
    std::string tracking(const NodeData &node) const;

    const CVocaraDoc &m_doc;
    LineValues m_values;
    bool m_tracking = false;
    std::vector<Context> m_contexts;
    std::unordered_map<NodeId, Target> m_targets;
    std::unordered_set<NodeId> m_written;
    std::unordered_set<std::string> m_contextNames;
    std::unordered_map<std::string, int> m_contextSuffixes;
};

} // namespace vocara
