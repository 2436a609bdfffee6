// Feeds arbitrary bytes as the designer's settings file: whatever is read, a save must write a
// file that the next start reads to the same values.
#include "document/ivr_settings.h"
#include "document/recording_dialogs.h"
#include "fuzz/fuzz_folder.h"
#include "platform/atomic_file.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::filesystem::path file = fuzzFolder() / "IvrSet.xml";
    std::filesystem::remove(fuzzFolder() / "IvrSet.xml.bad");
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    vocara::writeFileAtomically(file, bytes);

    vocara::RecordingDialogs dialogs(vocara::Answer::Yes);
    vocara::IvrSettings first(file, fuzzFolder().string());
    first.load(dialogs);
    // A value of the input's own, set the way the options pages set them.
    first.setText(vocara::Setting::DefaultTreePath, bytes.substr(0, 64));
    if (!first.save())
        std::abort();
    vocara::IvrSettings second(file, fuzzFolder().string());
    if (!second.load(dialogs))
        std::abort(); // what was saved is refused
    for (int id = 0; id <= vocara::Setting::DefaultTreePath + 1; ++id)
        if (first.get(id) != second.get(id))
            std::abort();
    return 0;
}
