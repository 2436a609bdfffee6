#pragma once

#include "document/node_data.h"

#include <string>
#include <string_view>
#include <vector>

namespace vocara {

class CVocaraDoc;
class VariableList;

// Error lines in the order found, each with the node it concerns.
struct ValidationReport
{
    std::vector<std::string> lines;
    std::vector<NodeId> nodes;
};

// Checks every node of the flow in grid order: name, children, each property against its
// kind's check rule, and whether it has a parent.
ValidationReport validateNodes(const CVocaraDoc &doc);

// The message of one property's check rule for a node; empty when the value passes.
std::string_view checkProperty(const CVocaraDoc &doc, const NodeData &node, int index);

// "A @B:C", the form of every error line.
std::string errorLine(std::string_view a, std::string_view b, std::string_view c);

// A value with its "$" marks taken off; a reference to a variable gives the variable's default.
std::string resolveReference(std::string_view text, const VariableList &variables);

} // namespace vocara
