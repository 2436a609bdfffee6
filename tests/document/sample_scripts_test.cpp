// The ReadyMade samples: each inserts into a flow of its mode and validates without errors.
#include "document/recording_dialogs.h"
#include "document/vocara_doc.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

using namespace vocara;

TEST(SampleScripts, EachInsertsAndValidatesInItsMode)
{
    const std::string assets = std::string(std::getenv("VOCARA_TEST_SOURCE_DIR")) + "/assets";
    const std::pair<const char *, DocumentMode> samples[] = {
        {"Helloworld", DocumentMode::Flow},     {"Bye", DocumentMode::Flow},
        {"DBSelect", DocumentMode::Flow},       {"DBInsert", DocumentMode::Flow},
        {"DBUpdate", DocumentMode::Flow},       {"DBDelete", DocumentMode::Flow},
        {"GetPassword", DocumentMode::Flow},    {"GetPasswordExtened", DocumentMode::Flow},
        {"Record", DocumentMode::Flow},         {"Support", DocumentMode::Flow},
        {"Extension(Qen)", DocumentMode::Flow}, {"Extension(Asterisk)", DocumentMode::Asterisk},
    };
    for (const auto &[name, mode] : samples) {
        SCOPED_TRACE(name);
        RecordingDialogs dialogs;
        CVocaraDoc doc(dialogs);
        doc.setInstallFolder(assets);
        doc.setMode(mode);
        doc.resetContent();
        // Clicked on cell (3, 2): the sample's top node lands there.
        ASSERT_TRUE(doc.insertScript(name, 2 * 50 + 10, 3 * 50 + 10));
        EXPECT_TRUE(dialogs.texts().empty());
        const NodeId top = doc.nodeAt({3, 2});
        ASSERT_NE(top, NoNode);
        EXPECT_GE(doc.nodeCount(), 3u);
        doc.linkUnchecked(doc.startNode(), top);
        doc.validateFlow(false);
        for (const std::string &line : doc.errorLines())
            ADD_FAILURE() << line;
    }
}
