// Feeds arbitrary bytes to the flow reader: as a flow file, as a dialplan's trailer, and as a
// script, then saves what was read.
#include "document/flow_trailer.h"
#include "document/recording_dialogs.h"
#include "document/vocara_doc.h"
#include "document/xml_reader.h"
#include "fuzz/fuzz_folder.h"
#include "platform/atomic_file.h"

#include <tinyxml2.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    vocara::extractFlowText(bytes);

    const std::filesystem::path flow = fuzzFolder() / "input.qfl";
    const std::filesystem::path conf = fuzzFolder() / "input.conf";
    vocara::writeFileAtomically(flow, bytes);
    vocara::writeFileAtomically(conf, std::string("[Qfl Structure]") + std::string(bytes));

    // Read in small blocks from the file, the text gives what it gives read whole.
    {
        tinyxml2::XMLDocument whole;
        const bool wholeRead = vocara::parseXml(bytes, whole);
        tinyxml2::XMLDocument blocks;
        vocara::XmlDomBuilder builder(blocks);
        const bool blocksRead =
            vocara::parseXmlFile(flow, builder, nullptr, vocara::MaxXmlDepth, 1 + size % 23);
        if (wholeRead != blocksRead)
            std::abort();
        if (wholeRead) {
            tinyxml2::XMLPrinter a(nullptr, true);
            tinyxml2::XMLPrinter b(nullptr, true);
            vocara::printXml(whole, a);
            vocara::printXml(blocks, b);
            if (std::string_view(a.CStr()) != std::string_view(b.CStr()))
                std::abort();
        }
        vocara::releaseXml(whole);
        vocara::releaseXml(blocks);
    }

    vocara::RecordingDialogs dialogs(vocara::Answer::Yes);
    vocara::CVocaraDoc doc(dialogs);
    doc.setUserFolder(fuzzFolder());
    doc.setDefaultSaveFolder(fuzzFolder().string());
    if (doc.open(flow.string())) {
        doc.validateFlow(false);
        doc.save((fuzzFolder() / "output.qfl").string());
        doc.insertScript(flow.string() + ".qsc", 120, 80);
    }
    doc.open(conf.string());
    return 0;
}
