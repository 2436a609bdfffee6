#pragma once

#include "document/node_data.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vocara {

class CVocaraDoc;
struct DialplanSettings;

// What both dialects share: how a flow is walked and how typed values reach a line.

// The parent a node's lines are written under: its only parent, or its primary one.
NodeId exportParent(const CVocaraDoc &doc, NodeId node);
// The order a node's children are written in: a menu's digits first, then its other keys.
std::vector<NodeId> exportOrder(const CVocaraDoc &doc, const NodeData &node);

// A node's typed values as a dialplan line takes them: on one line, and empty when a bracket
// is left open (validation says so). A ";" stays as typed: the line escapes it as a whole.
class LineValues
{
public:
    // With `safeNames`, a field that names a variable gives a name Asterisk takes, and no
    // value holds the two control characters the modern writer marks its jumps with.
    explicit LineValues(const CVocaraDoc &doc, bool safeNames = false)
        : m_doc(doc)
        , m_safeNames(safeNames)
    {}

    // " " when the kind has no such property.
    std::string value(const NodeData &node, std::string_view key) const;
    // With "$name$" references written "${name}".
    std::string converted(const NodeData &node, std::string_view key) const;
    // Converted, and without single quotes when there was a reference.
    std::string withoutQuotes(const NodeData &node, std::string_view key) const;
    // The variable a field names: without "$", or with safe names only letters, digits and
    // "_" (validation reports a name that had others).
    std::string bare(const NodeData &node, std::string_view key) const;

    // The text the server-side script receives for these kinds, after the script's name.
    std::string databaseArguments(const NodeData &node) const;
    std::string connectionArguments(const NodeData &node) const;
    std::string fileAccessArguments(const NodeData &node) const;
    std::string speechArguments(const NodeData &node) const;
    // The sound a Play Wave node plays: its file under the sound folder unless it has a path.
    std::string playbackPath(const NodeData &node, const DialplanSettings &settings) const;
    // Where the speech a TTS node made is played from.
    static std::string speechFolder(const DialplanSettings &settings);

private:
    const CVocaraDoc &m_doc;
    bool m_safeNames;
};

// "$name$" becomes "${name}", "${name}" stays; a value without "$" gives "".
std::string convertReferences(std::string_view value);

// The leading decimal digits of a value, 0 for none.
std::int64_t leadingNumber(std::string_view text);

// Every ";" of a dialplan line escaped, so that none comments out the rest of the line.
std::string escapeSemicolons(std::string_view line);

} // namespace vocara
