// Feeds arbitrary bytes as a clipboard block from another process: decoding never trusts it,
// and what it accepts encodes and decodes again to the same records, onto cells of the grid.
#include "document/clip_block.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace vocara;
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const KindCatalogue &catalogue = KindCatalogue::forMode(CatalogueMode::Flow);
    // Short inputs are padded to a whole block so that the records get read too.
    std::string block(bytes);
    if (block.size() < ClipBlock::Size)
        block.resize(ClipBlock::Size, '\0');
    const std::optional<std::vector<ClipRecord>> records = ClipBlock::decode(block, catalogue);
    if (!records)
        return 0;
    for (const Cell &cell : pasteCells(*records, {3, 3})) {
        if (cell.row < 0 || cell.column < 0 || cell == Cell{0, 0})
            std::abort();
    }
    // Re-encoded one record a group, names and values within their slots already.
    std::vector<std::vector<ClipRecord>> groups;
    for (const ClipRecord &record : *records)
        groups.push_back({record});
    const std::optional<std::vector<ClipRecord>> again =
        ClipBlock::decode(ClipBlock::encode(groups), catalogue);
    if (!again || again->size() != records->size())
        std::abort();
    for (size_t i = 0; i < again->size(); ++i) {
        if ((*again)[i].values != (*records)[i].values || (*again)[i].cell != (*records)[i].cell)
            std::abort();
    }
    return 0;
}
