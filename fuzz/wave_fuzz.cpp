// Feeds arbitrary bytes to the wave reader, and joins and writes what it accepts.
#include "simulator/wave_image.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    if (const auto wave = vocara::parseWave(bytes)) {
        const std::string again = vocara::serializeWave(*wave);
        const auto back = vocara::parseWave(again);
        if (!back || back->data != wave->data)
            __builtin_trap();
        vocara::JoinWaves(*wave, *back);
    }
    return 0;
}
