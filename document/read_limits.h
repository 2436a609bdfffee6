#pragma once

#include <climits>
#include <cstddef>
#include <cstdint>

namespace vocara {

// What reading a flow may cost, and nothing else. A flow nests each next node in the one
// before, so a file is as deep as its longest path: nesting is not limited. Files are read
// in blocks and straight into the model, so memory follows the nodes, never the file.
struct ReadLimits
{
    // A flow of a million nodes is about 320 MB.
    static constexpr std::uintmax_t MaxFileBytes = 4ull * 1024 * 1024 * 1024;
    // Nodes in one flow: the grid's million rows, five times over.
    static constexpr std::size_t MaxNodes = 5'000'000;
    // One start tag with its attributes, one run of text, one comment.
    static constexpr std::size_t MaxMarkupBytes = 16u * 1024 * 1024;
    // Elements nested in one another.
    static constexpr int MaxDepth = INT_MAX;
};

} // namespace vocara
