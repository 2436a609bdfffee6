// Feeds arbitrary bytes as a dialplan to the trailer extractor: it finds the flow after the
// marker, or says there is none, and the flow check takes anything.
#include "document/flow_trailer.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const std::optional<std::string_view> flow = vocara::extractFlowText(bytes);
    if (flow) {
        // The flow is the very end of the file, right after the first marker.
        if (flow->data() + flow->size() != bytes.data() + bytes.size())
            std::abort();
        if (bytes.find(vocara::TrailerMarker) + vocara::TrailerMarker.size() !=
            static_cast<size_t>(flow->data() - bytes.data()))
            std::abort();
        vocara::isFlowText(*flow);
    } else if (bytes.find(vocara::TrailerMarker) != std::string_view::npos) {
        std::abort();
    }
    vocara::isFlowText(bytes);
    return 0;
}
