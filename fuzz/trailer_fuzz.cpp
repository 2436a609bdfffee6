// Feeds arbitrary bytes as a dialplan to the trailer extractor: it finds the flow after the
// marker (its comment marks taken off when it is commented), or says there is none, and
// the flow check takes anything.
#include "document/flow_trailer.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const std::optional<std::string> flow = vocara::extractFlowText(bytes);
    const size_t marker = bytes.find(vocara::TrailerMarker);
    if (flow) {
        // The flow is what follows the first marker: as it stands, or with each line's first
        // ";" taken off when the marker line is a comment.
        const std::string_view after = bytes.substr(marker + vocara::TrailerMarker.size());
        if (flow->size() > after.size())
            std::abort();
        const bool commented =
            marker > 0 && bytes[marker - 1] == ';' && (marker == 1 || bytes[marker - 2] == '\n');
        if (!commented && *flow != after)
            std::abort();
        vocara::isFlowText(*flow);
    } else if (marker != std::string_view::npos) {
        std::abort();
    }
    vocara::isFlowText(bytes);
    return 0;
}
