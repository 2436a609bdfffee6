// Writes random flows as dialplans for today's Asterisk, for the checks that hand them to the
// dialplan linter and to a real Asterisk.
// Usage: random_dialplans FOLDER COUNT
#include "dialplan/dialplan_export.h"
#include "document/recording_dialogs.h"
#include "tests/dialplan/random_flow.h"

#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char **argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: random_dialplans FOLDER COUNT\n");
        return 2;
    }
    const std::filesystem::path folder = argv[1];
    const int count = std::stoi(argv[2]);
    vocara::AsteriskExporter exporter;
    exporter.setClock([] { return std::time_t(1700000000); });
    for (int seed = 1; seed <= count; ++seed) {
        vocara::RecordingDialogs dialogs(vocara::Answer::Yes);
        vocara::CVocaraDoc doc(dialogs);
        doc.setUserFolder(folder);
        doc.setDefaultSaveFolder(folder.string());
        doc.setSecondSource([] { return 0; });
        doc.setExporter(&exporter);
        doc.newDocument();
        doc.newDocument();
        vocara::test::buildRandomFlow(doc, static_cast<std::uint32_t>(seed));
        const std::filesystem::path file = folder / ("random" + std::to_string(seed) + ".conf");
        if (!doc.save(file.string())) {
            std::fprintf(stderr, "random_dialplans: %s was not written\n", file.c_str());
            return 1;
        }
    }
    return 0;
}
