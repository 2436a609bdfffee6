// Feeds arbitrary bytes as a clipboard block from another process: decoding never trusts it,
// and what it accepts encodes and decodes again to the same records (texts cut to their
// slots), onto cells of the grid.
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
        ClipBlock::decode(ClipBlock::encode(groups, catalogue), catalogue);
    if (!again || again->size() != records->size())
        std::abort();
    // A slot read whole (no zero byte) comes back one byte shorter, or at a character's start.
    auto prefix = [](const std::string &part, const std::string &whole, size_t slot) {
        return part.size() < slot && whole.compare(0, part.size(), part) == 0;
    };
    for (size_t i = 0; i < again->size(); ++i) {
        const ClipRecord &a = (*again)[i];
        const ClipRecord &r = (*records)[i];
        if (a.cell != r.cell || a.kind != r.kind || a.values.size() != r.values.size() ||
            !prefix(a.name, r.name, ClipBlock::NameSize))
            std::abort();
        for (size_t v = 0; v < a.values.size(); ++v) {
            if (!prefix(a.values[v], r.values[v], ClipBlock::ValueSize))
                std::abort();
        }
    }
    return 0;
}
