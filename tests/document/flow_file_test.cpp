#include "document/dialplan_exporter.h"
#include "document/flow_format.h"
#include "document/flow_trailer.h"
#include "document/flow_writer.h"
#include "document/messages.h"
#include "document/recording_dialogs.h"
#include "document/vocara_doc.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vocara;
using test::readText;
using test::writeText;

namespace {

class FlowFile : public ::testing::Test
{
protected:
    FlowFile()
    {
        prepare(doc);
        doc.newDocument();
        doc.setMode(DocumentMode::Flow);
        doc.resetContent();
    }

    void prepare(CVocaraDoc &d)
    {
        d.setUserFolder(temp.path());
        d.setDefaultSaveFolder(temp.path().string());
        d.setInstallFolder(temp.path().string());
        d.setSecondSource([] { return 7; });
    }

    std::string file(const std::string &name) const { return (temp / name).string(); }

    // Writes a flow text as a file and opens it in a fresh document.
    std::unique_ptr<CVocaraDoc> load(const std::string &name, const std::string &text)
    {
        writeText(temp / name, text);
        auto loaded = std::make_unique<CVocaraDoc>(dialogs);
        prepare(*loaded);
        EXPECT_TRUE(loaded->open(file(name)));
        return loaded;
    }

    NodeId child(const CVocaraDoc &d, NodeId id, size_t index = 0) const
    {
        const NodeData *node = d.node(id);
        return node && index < node->children.size() ? node->children[index] : NoNode;
    }

    test::TempFolder temp;
    RecordingDialogs dialogs{Answer::Yes};
    CVocaraDoc doc{dialogs};
};

// Stands in for the dialplan export: a one-line dialplan, then the flow.
struct TrailerExporter : DialplanExporter
{
    bool buildContextFile(const CVocaraDoc &, const std::filesystem::path &,
                          std::string_view flowText, std::string &fileText) override
    {
        fileText = "; dialplan\r\n" + std::string(TrailerMarker) + std::string(flowText);
        return true;
    }
    void writeFailed(const CVocaraDoc &, const std::filesystem::path &,
                     const std::string &) override
    {
        ++failures;
    }
    void afterSave(const CVocaraDoc &, const std::filesystem::path &, bool autosave) override
    {
        ++saves;
        lastWasAutosave = autosave;
    }
    int saves = 0;
    int failures = 0;
    bool lastWasAutosave = false;
};

const std::string Header = R"(<?xml standalone="no" ?><QenIvr><Start version="3">)";
const std::string Footer = R"(</Start><Orphans/><Variables/><Settings/><Files/></QenIvr>)";

} // namespace

TEST(FlowFormat, ValueEncodingsByKeyAndByLabel)
{
    EXPECT_EQ(encodeValue("type", "0"), "async");
    EXPECT_EQ(encodeValue("type", "1"), "sync");
    EXPECT_EQ(encodeValue("type", ""), "sync");
    for (const char *key : {"digits", "DeleteFile", "File", "Message", "DeleteAccesFile"}) {
        EXPECT_EQ(encodeValue(key, "0"), "false") << key;
        EXPECT_EQ(encodeValue(key, "1"), "true") << key;
    }
    EXPECT_EQ(encodeValue("dtmf", "0"), "0");
    EXPECT_EQ(encodeValue("flash", "1"), "1");

    EXPECT_EQ(decodeValue("Sync", "sync"), "1");
    EXPECT_EQ(decodeValue("Sync", "SYNC"), "0");
    EXPECT_EQ(decodeValue("Sync", "true"), "1");
    EXPECT_EQ(decodeValue("Delete File", "true"), "1");
    EXPECT_EQ(decodeValue("Digits", "true"), "1");
    EXPECT_EQ(decodeValue("Digits", "sync"), "0");
    EXPECT_EQ(decodeValue("File Enabled", "1"), "0");
    EXPECT_EQ(decodeValue("Message Enabled", "true"), "1");
    EXPECT_EQ(decodeValue("File Path", "a.wav"), "a.wav");
}

TEST(FlowFormat, PasswordScramblingStaysPrintableAndReversible)
{
    const std::string password = "s3cr3t pass|,#~";
    const std::string stored = scramblePassword(password);
    EXPECT_NE(stored, password);
    EXPECT_EQ(scramblePassword(stored), password);
    for (int c = 0x20; c < 0x7F; ++c) {
        for (size_t position = 0; position < 4; ++position) {
            std::string text(position + 1, 'a');
            text[position] = static_cast<char>(c);
            const unsigned char out = static_cast<unsigned char>(scramblePassword(text)[position]);
            // Never NUL and never a control character XML forbids (DEL is allowed).
            EXPECT_TRUE(out >= 0x20 && out <= 0x7F) << c << " at " << position;
        }
    }
    EXPECT_EQ(scramblePassword(""), "");
}

TEST(FlowFormat, PathRules)
{
    EXPECT_EQ(modeForPath("/f/A.CONF"), DocumentMode::Asterisk);
    EXPECT_EQ(modeForPath("x.Qfl"), DocumentMode::Flow);
    EXPECT_EQ(modeForPath("x.qsc"), DocumentMode::Flow);
    EXPECT_EQ(modeForPath("x.xml"), DocumentMode::None);
    EXPECT_EQ(modeForPath("conf"), DocumentMode::None);
    EXPECT_EQ(titleForPath("/home/u/flows/menu.qfl"), "menu.qfl");
    EXPECT_EQ(titleForPath("menu.qfl"), "menu.qfl");
    EXPECT_EQ(contextFilePath("/a.qfl/x.asterisk.qfl"), "/a.qfl/x.asterisk.conf");
    EXPECT_EQ(contextFilePath("/a/x.conf"), "/a/x.conf");
    EXPECT_EQ(contextFilePath("/a/x"), "/a/x");
    EXPECT_EQ(withSaveExtension("menu", DocumentMode::Flow), "menu.qfl");
    EXPECT_EQ(withSaveExtension("menu.qfl", DocumentMode::Flow), "menu.qfl");
    EXPECT_EQ(withSaveExtension("menu", DocumentMode::Asterisk), "menu.conf");
    EXPECT_EQ(withSaveExtension("", DocumentMode::Asterisk), "");
    EXPECT_EQ(saveAsDefaults(DocumentMode::Flow)->fileName, "Untitled.qfl");
    EXPECT_EQ(saveAsDefaults(DocumentMode::Asterisk)->filter, "Asterisk Files (*.conf)|*.conf|");
    EXPECT_FALSE(saveAsDefaults(DocumentMode::None).has_value());
    EXPECT_EQ(scriptFilePath("Greeting", "/opt/vocara"),
              "/opt/vocara/Samples/Scripts/Greeting.qsc");
    EXPECT_EQ(scriptFilePath("/x/Greeting.QSC", "/opt/vocara"), "/x/Greeting.QSC");
}

TEST_F(FlowFile, EverythingSurvivesSaveOpenSave)
{
    doc.setMode(DocumentMode::Asterisk);
    doc.resetContent();
    // Every kind that can be placed, with its branches.
    NodeId previous = doc.startNode();
    int row = 1;
    std::vector<NodeId> actions;
    for (NodeKind kind = 0; kind <= Kind::LastAction; ++kind) {
        const NodeId id = doc.addNode({row, 0}, kind, {true, true, true, {1, 11}, true});
        doc.setNodeValue(id, "Tooltip", "kind " + std::to_string(kind) + " & <more>");
        if (!doc.node(previous)->children.empty() || hasBuiltInChildren(doc.node(previous)->kind))
            previous = child(doc, previous) ? child(doc, previous) : previous;
        doc.linkUnchecked(previous, id);
        actions.push_back(id);
        previous = id;
        row += 2;
    }
    const NodeId db = actions[Kind::DbTransaction];
    doc.setNodeValue(db, PasswordSlot, "pa55w");
    doc.setNodeValue(db, "password", "*****");
    doc.setNodeValue(db, "query", "select a from t");
    // A cross link back to the first node, an orphan with a subtree, and a loop nothing
    // leads into.
    doc.linkUnchecked(actions.back(), actions.front());
    const NodeId orphan = doc.createNode({3, 8}, Kind::PlayWave);
    doc.linkUnchecked(orphan, doc.createNode({4, 8}, Kind::Hang));
    const NodeId a = doc.createNode({6, 9}, Kind::Wait);
    const NodeId b = doc.createNode({7, 9}, Kind::Wait);
    doc.linkUnchecked(a, b);
    doc.linkUnchecked(b, a);
    doc.addOrUpdateVariable("caller", "0", "who \"calls\"");
    DialplanSettings settings;
    settings.SoundFilePath = "/var/lib/asterisk/sounds/";
    settings.ContextDest = "[ivr]";
    settings.AllowIVRMonitor = true;
    settings.ServerIP = "127.0.0.1";
    settings.ServerPort = "7070";
    doc.setDialplanSettings(settings);
    doc.setAttachedFiles({"prompts/a.wav", "b b.wav"});

    TrailerExporter exporter;
    doc.setExporter(&exporter);
    ASSERT_TRUE(doc.save(file("first.qfl")));
    EXPECT_EQ(doc.path(), file("first.conf"));
    EXPECT_FALSE(doc.isModified());
    const std::string first = readText(temp / "first.conf");
    ASSERT_TRUE(first.starts_with("; dialplan\r\n[Qfl Structure]"));

    CVocaraDoc reopened(dialogs);
    prepare(reopened);
    reopened.setExporter(&exporter);
    ASSERT_TRUE(reopened.open(file("first.conf")));
    EXPECT_TRUE(reopened.isAsteriskMode());
    EXPECT_EQ(reopened.nodeCount(), doc.nodeCount());
    EXPECT_FALSE(std::filesystem::exists(temp / "temp.qfl"));
    ASSERT_TRUE(reopened.save(file("second.conf")));
    EXPECT_EQ(readText(temp / "second.conf"), first);

    // What came back is what went in.
    const NodeId db2 = reopened.nodeAt(doc.node(db)->cell);
    EXPECT_EQ(reopened.node(db2)->values[PasswordSlot], "pa55w");
    EXPECT_EQ(reopened.nodeValue(db2, "password"), "*****");
    EXPECT_EQ(reopened.nodeValue(db2, "rettype"), "Words");
    EXPECT_EQ(reopened.node(reopened.nodeAt(doc.node(actions.front())->cell))->parents.size(), 2u);
    EXPECT_EQ(reopened.node(reopened.nodeAt({6, 9}))->parents.size(), 1u);
    EXPECT_EQ(reopened.node(reopened.nodeAt({7, 9}))->parents.size(), 1u);
    EXPECT_EQ(reopened.dialplanSettings(), settings);
    EXPECT_EQ(reopened.attachedFiles(), doc.attachedFiles());
    EXPECT_EQ(reopened.variables().items(), doc.variables().items());
    EXPECT_EQ(reopened.nodeValue(reopened.nodeAt(doc.node(actions.front())->cell), "Tooltip"),
              "kind 0 & <more>");
    for (const std::string &text : dialogs.texts())
        EXPECT_EQ(text, Msg::ForceSaveQuestion); // nothing but the question about errors
}

TEST_F(FlowFile, CrossLinksWrittenOnceAndRestored)
{
    const NodeId menu = doc.addNode({1, 0}, Kind::UserInput, {true, true, true, {1, 2}, false});
    doc.linkUnchecked(doc.startNode(), menu);
    const NodeId one = child(doc, menu, 0);
    const NodeId two = child(doc, menu, 1);
    const NodeId shared = doc.createNode({3, 0}, Kind::PlayWave);
    doc.linkUnchecked(one, shared);
    doc.linkUnchecked(two, shared);
    ASSERT_TRUE(doc.save(file("links.qfl")));
    const std::string text = readText(temp / "links.qfl");
    EXPECT_NE(text.find(R"(<BranchTo value="/Start/UserInput/BranchIf[@value=1]/PlayWave" X="0" )"
                        R"(childx="0" Y="3" childy="3" name="To"/>)"),
              std::string::npos);
    EXPECT_EQ(doc.node(shared)->primaryParent, 0);

    auto loaded = load("copy.qfl", text);
    const NodeId again = loaded->nodeAt({3, 0});
    ASSERT_NE(again, NoNode);
    EXPECT_EQ(loaded->node(again)->parents,
              (std::vector<NodeId>{loaded->nodeAt({2, 0}), loaded->nodeAt({2, 1})}));
    EXPECT_TRUE(dialogs.texts().empty() || dialogs.texts().back() != Msg::InvalidCrossLink);
}

TEST_F(FlowFile, LoopsAwayFromTheStartAreKeptAndSavingEnds)
{
    // X -> Y -> Z -> Y: Y has two parents, neither reaches the start node.
    const NodeId x = doc.createNode({1, 3}, Kind::SetVar);
    const NodeId y = doc.createNode({2, 3}, Kind::SetVar);
    const NodeId z = doc.createNode({3, 3}, Kind::SetVar);
    doc.linkUnchecked(x, y);
    doc.linkUnchecked(y, z);
    doc.linkUnchecked(z, y);
    // A <-> B: both have a parent, nothing leads to them.
    const NodeId a = doc.createNode({1, 6}, Kind::Wait);
    const NodeId b = doc.createNode({2, 6}, Kind::Wait);
    doc.linkUnchecked(a, b);
    doc.linkUnchecked(b, a);
    ASSERT_TRUE(doc.save(file("loops.qfl")));
    EXPECT_EQ(FlowWriter(doc).pathTo(y), "/Start/SetVar"); // the walk stops where parents do

    auto loaded = load("loops2.qfl", readText(temp / "loops.qfl"));
    ASSERT_EQ(loaded->nodeCount(), doc.nodeCount());
    for (const NodeId id : {x, y, z, a, b}) {
        const NodeId copy = loaded->nodeAt(doc.node(id)->cell);
        ASSERT_NE(copy, NoNode);
        EXPECT_EQ(loaded->node(copy)->parents.size(), doc.node(id)->parents.size());
        EXPECT_EQ(loaded->node(copy)->children.size(), doc.node(id)->children.size());
    }
}

TEST_F(FlowFile, BrokenAndForbiddenCrossLinksAreReportedOnce)
{
    auto loaded =
        load("broken.qfl", Header +
                               R"(<Wait second="1" name="w" X="1" Y="0">)"
                               R"(<BranchTo value="" X="9" childx="9" Y="9" childy="9" name="To"/>)"
                               R"(<BranchTo value="" X="0" childx="0" Y="0" childy="0" name="To"/>)"
                               R"(</Wait>)" +
                               Footer);
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{std::string(Msg::InvalidCrossLink)});
    EXPECT_TRUE(loaded->node(loaded->startNode())->parents.empty());
    EXPECT_TRUE(loaded->node(loaded->nodeAt({1, 0}))->children.empty());
    EXPECT_FALSE(loaded->isModified());
}

TEST_F(FlowFile, ElementsThatAreNoNodesAreLeftOut)
{
    auto loaded =
        load("odd.qfl", Header +
                            R"(<Wait second="1" name="w" X="1" Y="0">)"
                            R"(<Start name="second start" X="2" Y="0"><Hang X="3" Y="0"/></Start>)"
                            R"(<Mystery X="2" Y="1"><Hang X="3" Y="1"/></Mystery>)"
                            R"(<SubTree X="2" Y="2"/><BranchIf value="Maybe" X="2" Y="3"/>)"
                            R"(<Hang name="kept" X="2" Y="4"/></Wait>)" +
                            Footer);
    EXPECT_EQ(loaded->nodeCount(), 3u); // start, the wait and the last hang
    EXPECT_EQ(loaded->nodesOfKind(Kind::Start), 1);
    EXPECT_EQ(loaded->node(loaded->nodeAt({2, 4}))->name, "kept");
}

TEST_F(FlowFile, OldVersionsConvertOnRequest)
{
    const std::string old = R"(<QenIvr><Start version="2"><Hang name="Goodbye" X="1" Y="0"/>)"
                            R"(</Start></QenIvr>)";
    dialogs.queueAnswer(Answer::Yes);
    auto converted = load("old.qfl", old);
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{std::string(Msg::OldVersionQuestion)});
    EXPECT_EQ(converted->node(converted->nodeAt({1, 0}))->name, "Hang No1");
    converted->setUserFolder(temp.path());
    ASSERT_TRUE(converted->save(file("converted.qfl")));
    EXPECT_NE(readText(temp / "converted.qfl").find(R"(version="3")"), std::string::npos);

    dialogs.queueAnswer(Answer::No);
    auto kept = load("old2.qfl", old);
    EXPECT_EQ(kept->node(kept->nodeAt({1, 0}))->name, "Goodbye");
}

TEST_F(FlowFile, AsteriskFlowUnderAFlowNameSwitchesModeWithValuesInPlace)
{
    auto loaded = load("x.asterisk.qfl",
                       Header +
                           R"(<DbTransaction db="dsn" query="select a from t" retVar="$r$" )"
                           R"(Tooltip="tip" name="db" X="1" Y="0"/>)" +
                           Footer);
    EXPECT_EQ(dialogs.texts().back(), Msg::AsteriskByOtherExtension);
    EXPECT_TRUE(loaded->isAsteriskMode());
    const NodeId db = loaded->nodeAt({1, 0});
    EXPECT_EQ(loaded->node(db)->propertyCount, 8);
    EXPECT_EQ(loaded->nodeValue(db, "query"), "select a from t");
    EXPECT_EQ(loaded->nodeValue(db, "retVar"), "$r$");
    EXPECT_EQ(loaded->nodeValue(db, "Tooltip"), "tip");
    EXPECT_EQ(loaded->nodeValue(db, "username"), "");
    EXPECT_EQ(loaded->node(db)->values[3], "select a from t");
}

TEST_F(FlowFile, AFailedOpenLeavesTheCurrentFlowAlone)
{
    const NodeId kept = doc.createNode({2, 2}, Kind::Hang);
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"empty.qfl", ""},
        {"junk.qfl", "junk"},
        {"declaration.qfl", R"(<?xml version="1.0" ?>)"},
        {"other.qfl", R"(<Flow><Start/></Flow>)"},
        {"nostart.qfl", R"(<QenIvr><Orphans/></QenIvr>)"},
        {"unclosed.qfl", R"(<QenIvr><Start version="3"><Hang></Start></QenIvr>)"},
        {"plain.conf", "[main]\nexten => s,1,Hangup()\n"},
    };
    for (const auto &[name, text] : bad) {
        SCOPED_TRACE(name);
        writeText(temp / name, text);
        dialogs.clear();
        EXPECT_FALSE(doc.open(file(name)));
        ASSERT_EQ(dialogs.texts().size(), 1u);
        EXPECT_EQ(dialogs.texts()[0],
                  name.ends_with(".conf") ? Msg::NoQflStructure : Msg::InvalidFlowFile);
        EXPECT_TRUE(doc.exists(kept));
        EXPECT_TRUE(doc.isFlowMode());
    }
    dialogs.clear();
    EXPECT_FALSE(doc.open(file("missing.qfl")));
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{std::string(Msg::InvalidFlowFile)});
    doc.setSimulatorRunning(true);
    EXPECT_FALSE(doc.open(file("x.qfl")));
    EXPECT_EQ(dialogs.texts().back(), Msg::CloseSimulationWindow);
}

TEST_F(FlowFile, DialplanFilesOpenFromTheirFirstMarker)
{
    const std::string flow = Header + R"(<Hang name="h" X="1" Y="0"/>)" + Footer;
    auto loaded = load("A.CONF", "[Qfl Structure]" + flow);
    EXPECT_TRUE(loaded->isAsteriskMode());
    EXPECT_EQ(loaded->title(), "A.CONF");
    EXPECT_EQ(loaded->nodeCount(), 2u);
    EXPECT_FALSE(std::filesystem::exists(temp / "temp.qfl"));

    // The first marker counts, even inside a comment: what follows it is no flow.
    writeText(temp / "comment.conf", "; [Qfl Structure] in a comment\r\n[Qfl Structure]" + flow);
    dialogs.clear();
    EXPECT_FALSE(doc.open(file("comment.conf")));
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{std::string(Msg::InvalidFlowFile)});
    EXPECT_FALSE(std::filesystem::exists(temp / "temp.qfl"));

    auto edited =
        load("edited.conf", "[main]\r\nexten => s,1,Hangup()\r\n[Qfl Structure] \r\n\r\n" + flow);
    EXPECT_EQ(edited->nodeCount(), 2u);
    EXPECT_EQ(extractFlowText("ab[Qfl Structure]cd[Qfl Structure]ef"), "cd[Qfl Structure]ef");

    // A trailer that is all comments to Asterisk: each line's first ";" comes off.
    std::string commented = "\r\n" + flow + "\r\n";
    for (size_t at = commented.find('\n'); at != std::string::npos;
         at = commented.find('\n', at + 2))
        commented.insert(at + 1, ";");
    auto quiet =
        load("quiet.conf", "[main]\r\nexten => s,1,Hangup()\r\n;[Qfl Structure]" + commented);
    EXPECT_EQ(quiet->nodeCount(), 2u);
    EXPECT_EQ(extractFlowText(";[Qfl Structure]\n;<a>\n;;b\nc"), "\n<a>\n;b\nc");
    // Only a marker that starts its line as a comment means that; elsewhere lines keep their ";".
    EXPECT_EQ(extractFlowText("x;[Qfl Structure]\n;<a>"), "\n;<a>");
    EXPECT_EQ(extractFlowText("[Qfl Structure]\n;<a>"), "\n;<a>");
    EXPECT_FALSE(extractFlowText("no marker").has_value());
    EXPECT_TRUE(ExtractFlow(temp / "edited.conf", temp / "out.qfl"));
    EXPECT_EQ(readText(temp / "out.qfl"), " \r\n\r\n" + flow);
    EXPECT_FALSE(ExtractFlow(temp / "nothing.conf", temp / "out2.qfl"));
    // The file is extracted line by line, and gives what the whole text gives.
    for (const std::string &text :
         {std::string(";[Qfl Structure]\n;<a>\n;;b\nc"), std::string("x;[Qfl Structure]\n;<a>\n"),
          std::string("a\r\n;[Qfl Structure] \r\n;<b/>\r\n;\r\n"), std::string("[Qfl Structure]"),
          std::string(";[Qfl Structure]\n\n\n;x"),
          std::string("ab[Qfl Structure]cd[Qfl Structure]ef")}) {
        writeText(temp / "lines.conf", text);
        ASSERT_TRUE(ExtractFlow(temp / "lines.conf", temp / "lines.qfl")) << text;
        EXPECT_EQ(readText(temp / "lines.qfl"), *extractFlowText(text)) << text;
    }
}

TEST_F(FlowFile, SavingReplacesFilesSafelyAndReportsFailures)
{
    doc.linkUnchecked(doc.startNode(), doc.createNode({1, 0}, Kind::Hang));
    writeText(temp / "autosave.qfl", "recovery copy");
    const std::string target = (temp / "missing" / "flow.qfl").string();
    EXPECT_FALSE(doc.save(target));
    EXPECT_TRUE(doc.isModified());
    EXPECT_TRUE(doc.path().empty());
    ASSERT_FALSE(dialogs.texts().empty());
    EXPECT_TRUE(dialogs.texts().back().starts_with("Can not save the file " + target));
    EXPECT_TRUE(std::filesystem::exists(temp / "autosave.qfl")); // kept: nothing was saved

    EXPECT_TRUE(doc.save(file("autosave.qfl"), true)); // an autosave keeps the document's state
    EXPECT_TRUE(doc.isModified());
    EXPECT_TRUE(doc.path().empty());

    ASSERT_TRUE(doc.save(file("flow.qfl")));
    EXPECT_EQ(doc.path(), file("flow.qfl"));
    EXPECT_EQ(doc.title(), "flow.qfl");
    EXPECT_FALSE(doc.isModified());
    EXPECT_FALSE(std::filesystem::exists(temp / "autosave.qfl"));
    EXPECT_NE(readText(temp / "flow.qfl").find(R"(valid="true")"), std::string::npos);
}

TEST_F(FlowFile, ValidationDecidesWhetherAndHowItIsSaved)
{
    doc.createNode({1, 0}, Kind::Hang); // an orphan
    dialogs.queueAnswer(Answer::No);
    EXPECT_FALSE(doc.save(file("refused.qfl")));
    EXPECT_FALSE(std::filesystem::exists(temp / "refused.qfl"));
    EXPECT_TRUE(doc.save(file("forced.qfl")));
    EXPECT_NE(readText(temp / "forced.qfl").find(R"(valid="false")"), std::string::npos);
}

TEST_F(FlowFile, SavesThatCannotHappen)
{
    CVocaraDoc fresh(dialogs);
    prepare(fresh);
    fresh.newDocument(); // start-up: neither mode
    EXPECT_FALSE(fresh.save(file("none.qfl")));
    EXPECT_FALSE(std::filesystem::exists(temp / "none.qfl"));

    fresh.newDocument(); // asterisk mode, and no dialplan export in this build
    dialogs.clear();
    EXPECT_FALSE(fresh.save(file("menu.qfl")));
    EXPECT_FALSE(std::filesystem::exists(temp / "menu.conf"));
    ASSERT_EQ(dialogs.texts().size(), 1u);
    EXPECT_NE(dialogs.texts()[0].find("menu.conf"), std::string::npos);

    TrailerExporter exporter;
    fresh.setExporter(&exporter);
    EXPECT_TRUE(fresh.save(file("x.asterisk.qfl"), true));
    EXPECT_TRUE(std::filesystem::exists(temp / "x.asterisk.conf"));
    EXPECT_TRUE(exporter.lastWasAutosave);
    EXPECT_TRUE(fresh.path().empty());
}

TEST_F(FlowFile, OrphansSurviveAFileWithoutTheirSection)
{
    auto loaded = load("sectionless.qfl", R"(<QenIvr><Start version="3"/><Variables/></QenIvr>)");
    loaded->createNode({4, 4}, Kind::Hang);
    ASSERT_TRUE(loaded->save(file("sectionless.qfl")));
    auto again = load("again.qfl", readText(temp / "sectionless.qfl"));
    EXPECT_EQ(again->nodeCount(), 2u);
}

TEST_F(FlowFile, SettingsAreReadByPosition)
{
    auto loaded = load("settings.qfl",
                       R"(<QenIvr><Start version="3"/><Settings>)"
                       R"(<Set name="x" default="/snd"/><Set default="/rec"/><Set default="/tts"/>)"
                       R"(<Set default="[ctx]"/><Set default="2"/><Set default="abc"/>)"
                       R"(<Set default="1"/><Set default="10.0.0.1"/><Set default="99"/>)"
                       R"(<Set default="/srv"/><Set default="ignored"/></Settings></QenIvr>)");
    const DialplanSettings &s = loaded->dialplanSettings();
    EXPECT_EQ(s.SoundFilePath, "/snd");
    EXPECT_EQ(s.ContextDest, "[ctx]");
    EXPECT_TRUE(s.AllowIVRMonitor);
    EXPECT_FALSE(s.AllowIVRCallTracking);
    EXPECT_TRUE(s.CheckServerSave);
    EXPECT_EQ(s.ServerPort, "99");
    EXPECT_EQ(s.ServerPath, "/srv");

    auto shorter = load("short.qfl", R"(<QenIvr><Start version="3"/><Settings>)"
                                     R"(<Set default="/snd"/></Settings></QenIvr>)");
    EXPECT_EQ(shorter->dialplanSettings().SoundFilePath, "/snd");
    EXPECT_EQ(shorter->dialplanSettings().ServerIP, "");
}

TEST_F(FlowFile, HostileFilesNeitherCrashNorGrowWithoutBound)
{
    // A long chain nests as deep as it is long, far beyond what the XML library takes or a
    // stack holds when it is walked by recursion: it loads, saves, and loads again the same.
    std::string deep = Header;
    const int depth = 60000;
    for (int i = 0; i < depth; ++i)
        deep += "<Wait second=\"1\" X=\"" + std::to_string(i % 5000 + 1) + "\" Y=\"" +
                std::to_string(i / 5000) + "\">";
    for (int i = 0; i < depth; ++i)
        deep += "</Wait>";
    deep += Footer;
    auto loaded = load("deep.qfl", deep);
    EXPECT_EQ(loaded->nodeCount(), static_cast<size_t>(depth + 1));
    ASSERT_TRUE(loaded->save(file("deep.qfl")));
    const std::string saved = readText(temp / "deep.qfl");
    auto reloaded = load("deep2.qfl", saved);
    EXPECT_EQ(reloaded->nodeCount(), static_cast<size_t>(depth + 1));
    ASSERT_TRUE(reloaded->save(file("deep2.qfl")));
    EXPECT_TRUE(readText(temp / "deep2.qfl") == saved);
    reloaded->validateFlow(false);

    // An element left open is refused, and coordinates are kept inside the grid.
    std::string deeper = Header;
    for (int i = 0; i < 6000; ++i)
        deeper += "<Hang>";
    writeText(temp / "deeper.qfl", deeper);
    dialogs.clear();
    EXPECT_FALSE(doc.open(file("deeper.qfl")));
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{std::string(Msg::InvalidFlowFile)});

    // A node beyond the grid is not moved onto its edge: the file is refused.
    writeText(temp / "wide.qfl", Header + R"(<Hang X="2000000000" Y="-5"/>)" + Footer);
    dialogs.clear();
    EXPECT_FALSE(doc.open(file("wide.qfl")));
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{std::string(Msg::InvalidFlowFile)});
    // The grid's last column and row are still its own, and cost no more than the first.
    auto far = load("far.qfl", Header + R"(<Hang X="1000000" Y="1000000"/>)" + Footer);
    const NodeData *hang = far->node(far->node(far->startNode())->children.at(0));
    EXPECT_EQ(hang->cell, (Cell{MaxGridCoordinate, MaxGridCoordinate}));
    EXPECT_EQ(far->gridColumnCount(), MaxGridCoordinate + 1);
    ASSERT_TRUE(far->save(file("far.qfl")));
    auto again = load("far2.qfl", readText(temp / "far.qfl"));
    EXPECT_NE(again->nodeAt({MaxGridCoordinate, MaxGridCoordinate}), NoNode);
}

TEST_F(FlowFile, ScriptsInsertUnlinkedWithDefaultNamesAndShiftedLinks)
{
    std::filesystem::create_directories(temp / "Samples/Scripts");
    writeText(temp / "Samples/Scripts/Greeting.qsc",
              R"(<QenIvr><Start version="3"><PlayWave file="hi.wav" name="Hello" X="1" Y="0">)"
              R"(<Wait second="1" name="Pause" X="2" Y="0">)"
              R"(<BranchTo value="" X="0" childx="0" Y="1" childy="1" name="To"/>)"
              R"(</Wait></PlayWave></Start></QenIvr>)");
    const NodeId host = doc.createNode({3, 2}, Kind::Hang); // the unshifted link's target
    // Dropped at pixel (175, 260): every node moves by (4, 2) cells.
    ASSERT_TRUE(doc.insertScript("Greeting", 175, 260));
    const NodeId wave = doc.nodeAt({5, 2});
    const NodeId pause = doc.nodeAt({6, 2});
    ASSERT_NE(wave, NoNode);
    ASSERT_NE(pause, NoNode);
    EXPECT_EQ(doc.node(wave)->name, "PlayWave No1");
    EXPECT_EQ(doc.node(wave)->parents, std::vector<NodeId>{pause}); // only its own loop
    EXPECT_EQ(doc.node(pause)->children, std::vector<NodeId>{wave});
    EXPECT_TRUE(doc.node(host)->parents.empty());
    EXPECT_TRUE(doc.node(doc.startNode())->children.empty());
    EXPECT_EQ(doc.nodeValue(wave, "file"), "hi.wav");

    dialogs.clear();
    EXPECT_FALSE(doc.insertScript("Nothing", 0, 0));
    EXPECT_EQ(dialogs.texts(),
              std::vector<std::string>{"The File \"" + file("Samples/Scripts/Nothing.qsc") +
                                       "\" could not be found"});
    writeText(temp / "bad.QSC", "<<<");
    EXPECT_FALSE(doc.insertScript(file("bad.QSC"), 0, 0));
    EXPECT_EQ(dialogs.texts().back(), Msg::InvalidFlowFile);
    writeText(temp / "empty.qsc", "<QenIvr/>");
    const size_t before = doc.nodeCount();
    EXPECT_TRUE(doc.insertScript(file("empty.qsc"), 0, 0));
    EXPECT_EQ(doc.nodeCount(), before);
}
