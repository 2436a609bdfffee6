#include "document/recording_dialogs.h"
#include "document/vocara_doc.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "simulator/abstract_channel.h"
#include "simulator/civr_handler.h"
#include "simulator/node_actions.h"
#include "simulator/simulator_host.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace vocara;
using Lines = std::vector<std::string>;

namespace {

struct RecordingHost : SimulatorHost
{
    Lines labels;
    Lines logLines;
    std::vector<std::pair<int, int>> reported;
    int ended = 0;

    void nodeTraced(std::string_view label) override { labels.emplace_back(label); }
    void nodeReported(int row, int column) override { reported.emplace_back(row, column); }
    void runEnded() override { ++ended; }
    void log(std::string_view line) override { logLines.emplace_back(line); }
};

class Interpreter : public ::testing::Test
{
protected:
    // Runs a flow text; the run ends or waits before this returns.
    void run(const std::string &flow)
    {
        channel.active = true;
        test::writeText(temp / "flow.qfl", flow);
        ASSERT_TRUE(handler.StartIVR((temp / "flow.qfl").string(), temp.path().string() + "/"));
    }

    test::TempFolder temp;
    RecordingHost host;
    UnavailableActions actions;
    Clock clock{0.0};
    std::unique_ptr<AudioDevice> audio = makeNullAudioDevice(clock);
    std::atomic<bool> active{true};
    AbstractChannel channel;
    CIVRHandler handler{host, actions, clock, active, channel, *audio, temp.path()};
};

std::string flowWith(const std::string &tree, const std::string &variables = "")
{
    return R"(<QenIvr><Start version="3">)" + tree + R"(</Start><Variables>)" + variables +
           R"(</Variables></QenIvr>)";
}

} // namespace

TEST_F(Interpreter, BranchesAreChosenByTheLastResult)
{
    const std::string menu =
        R"(<SetVar var="x" value="2" X="1" Y="0"><Compare var1="$x$" op="=" var2="2" X="2" Y="0">)"
        R"(<BranchIf value="True" X="3" Y="0"><SetVar var="$picked$" value=" yes " X="4" Y="0"/></BranchIf>)"
        R"(<BranchIf value="False" X="3" Y="1"><SetVar var="picked" value="no" X="4" Y="1"/></BranchIf>)"
        R"(</Compare></SetVar>)";
    run(flowWith(menu, R"(<Var name="x" default=""/><Var name="picked" default=""/>)"));
    EXPECT_EQ(host.labels, (Lines{"Start", "SetVar x 2", "Compare 2 = 2", "BranchIf True",
                                  "SetVar picked  yes "}));
    EXPECT_EQ(handler.finalVariables().items()[1].second, "yes"); // trimmed
    EXPECT_EQ(host.ended, 1);
    EXPECT_FALSE(handler.isRunning());
}

TEST_F(Interpreter, TransferFailsAndUnmatchedBranchesEndTheRun)
{
    run(flowWith(R"(<Transfer num="100" X="1" Y="0"><BranchIf value="Success" X="2" Y="0">)"
                 R"(<Hang X="3" Y="0"/></BranchIf><BranchIf value="Fail" X="2" Y="1">)"
                 R"(<SetVar var="x" value="failed" X="3" Y="1"/></BranchIf></Transfer>)",
                 R"(<Var name="x" default=""/>)"));
    EXPECT_EQ(handler.branchLabel(), "Fail");
    EXPECT_EQ(handler.finalVariables().find("x")->c_str(), std::string("failed"));

    // A chain 1, 2, 3 with the label 4: nothing matches, the run ends.
    run(flowWith(
        R"(<SetVar var="x" value="4" X="1" Y="0"><Compare var1="1" op="=" var2="2" X="2" Y="0">)"
        R"(<BranchIf value="1" X="3" Y="0"/><BranchIf value="2" X="3" Y="1"/>)"
        R"(<BranchIf value="3" X="3" Y="2"/></Compare></SetVar>)"));
    EXPECT_EQ(host.ended, 2);
}

TEST_F(Interpreter, BuiltInVariablesOnlyWhenDeclared)
{
    run(flowWith("", R"(<Var name="nCallerId" default="x"/><Var name="strTime" default=""/>)"));
    const VariableTable &variables = handler.finalVariables();
    EXPECT_EQ(*variables.find("nCallerId"), "000");
    EXPECT_EQ(variables.find("strTime")->size(), 6u);
    EXPECT_EQ(variables.find("strDate"), nullptr);
}

TEST_F(Interpreter, CrossLinksWrittenByTheFlowFileAreFollowed)
{
    // A counting loop drawn in the designer: SetVar -> Op -> Compare, True back to the Op.
    RecordingDialogs dialogs(Answer::Yes);
    CVocaraDoc doc(dialogs);
    doc.setUserFolder(temp.path());
    doc.setDefaultSaveFolder(temp.path().string());
    doc.setMode(DocumentMode::Flow);
    doc.resetContent();
    doc.addOrUpdateVariable("n", "0", "");
    const NodeId init = doc.addNode({1, 0}, Kind::SetVar);
    doc.setNodeValue(init, "var", "$n$");
    doc.setNodeValue(init, "value", "0");
    const NodeId inc = doc.addNode({2, 0}, Kind::Op);
    doc.setNodeValue(inc, "var", "$n$");
    doc.setNodeValue(inc, "op", "Increment");
    doc.setNodeValue(inc, "value", "1");
    const NodeId check = doc.addNode({3, 0}, Kind::Compare);
    doc.setNodeValue(check, "var1", "$n$");
    doc.setNodeValue(check, "op", "<");
    doc.setNodeValue(check, "var2", "2000");
    doc.linkUnchecked(doc.startNode(), init);
    doc.linkUnchecked(init, inc);
    doc.linkUnchecked(inc, check);
    doc.linkUnchecked(doc.node(check)->children[0], inc);
    ASSERT_TRUE(doc.save((temp / "loop.qfl").string()));

    // Two thousand rounds without waiting: the interpreter loops, it does not nest.
    ASSERT_TRUE(handler.StartIVR((temp / "loop.qfl").string(), temp.path().string() + "/"));
    EXPECT_EQ(*handler.finalVariables().find("n"), "2000");
    EXPECT_NE(std::find(host.labels.begin(), host.labels.end(), "BranchTo /Start/SetVar/Op"),
              host.labels.end());
}

TEST_F(Interpreter, CrossLinksThatGoNowhereOrInCirclesEndTheRun)
{
    run(flowWith(
        R"(<SetVar var="x" value="1" X="1" Y="0"><BranchTo value="/Start/Nothing"/></SetVar>)"));
    EXPECT_EQ(host.ended, 1);
    // A link that finds itself: the hop limit ends it.
    run(flowWith(R"(<BranchTo value="/Start/BranchTo" X="1" Y="0"/>)"));
    EXPECT_EQ(host.ended, 2);
    EXPECT_EQ(handler.FindNodeByPath(nullptr, "/Start"), nullptr);
}

TEST_F(Interpreter, WaitingAndStopping)
{
    // A menu waits for the caller: the run stays open.
    run(flowWith(R"(<UserInput timeOut="5" X="1" Y="0"/>)"));
    EXPECT_TRUE(handler.isRunning());
    EXPECT_EQ(host.labels.back(), "UserInput Timeout= 5");
    // Its trace item is the one drawn bold, under Start.
    const TraceTree &tree = handler.traceTree();
    int bold = 0;
    for (const TraceTree::Item &item : tree.items())
        bold += item.bold;
    EXPECT_EQ(bold, 1);
    EXPECT_TRUE(tree.items().at(1).bold);
    EXPECT_EQ(tree.items().at(1).text, "UserInput Timeout= 5");
    EXPECT_EQ(tree.items().at(0).text, "Start");
    handler.EndIVR();
    EXPECT_FALSE(handler.isRunning());

    // Stopped from the window: the next step ends the run.
    active = false;
    run(flowWith(R"(<SetVar var="x" value="1" X="1" Y="0"/>)"));
    EXPECT_FALSE(handler.isRunning());
    EXPECT_EQ(host.labels.back(), "UserInput Timeout= 5");

    test::writeText(temp / "bad.qfl", "garbage");
    EXPECT_FALSE(handler.StartIVR((temp / "bad.qfl").string(), temp.path().string()));
}

TEST_F(Interpreter, TraceLabels)
{
    run(flowWith(
        R"(<PlayWave file="$f$.wav" type="async" X="1" Y="0"><Op var="$n$" op="Mod" value="3" X="2" Y="0">)"
        R"(<DbTransaction db="dsn" X="3" Y="0"><BranchIf value="Fail" X="4" Y="0">)"
        R"(<SendFax Phone="1" DateType="File" X="5" Y="0"><Wait second="1" X="6" Y="0"/>)"
        R"(</SendFax></BranchIf></DbTransaction></Op></PlayWave>)",
        R"(<Var name="f" default="hello"/><Var name="n" default="-7"/>)"));
    EXPECT_EQ(host.labels, (Lines{"Start", "PlayWave hello.wav Type= async", "Op -7 Mod 3",
                                  "DbTransaction Database= dsn", "BranchIf Fail",
                                  "SendFax Phone No.= 1Date Type= File", "Wait"}));
    EXPECT_EQ(*handler.finalVariables().find("n"), "-1");
    // The start node first, then the wave at row 1, column 0.
    EXPECT_EQ(host.reported.at(1), (std::pair<int, int>{1, 0}));
}

namespace {

// A menu whose branches record what happened in the variable "took".
std::string menu(const std::string &input, const std::string &branches)
{
    return flowWith(input + branches + "</UserInput>",
                    R"(<Var name="took" default=""/><Var name="keys" default=""/>)");
}

std::string branch(const std::string &value, bool withChild = true)
{
    return R"(<BranchIf value=")" + value + R"(" X="2" Y="0">)" +
           (withChild ? R"(<SetVar var="took" value=")" + value + R"(" X="3" Y="0"/>)" : "") +
           "</BranchIf>";
}

} // namespace

TEST_F(Interpreter, CallerInputFollowsTheKeyRules)
{
    struct Case
    {
        const char *what;
        std::string input;
        std::string branches;
        std::vector<std::string> keys; // "T" lets the input time out
        std::string took;
        std::string keysVariable;
        bool stillRunning = false;
    };
    const std::string four =
        R"(<UserInput timeOut="5" retVar="$keys$" dtmf="1" numKeys="4" allowed="0123456789#" delimitter="#" X="1" Y="0">)";
    const std::string one =
        R"(<UserInput timeOut="5" retVar="keys" dtmf="1" numKeys="1" allowed="12#" delimitter="#" X="1" Y="0">)";
    const std::string none =
        R"(<UserInput timeOut="5" retVar="keys" dtmf="1" numKeys="0" allowed="12" X="1" Y="0">)";
    const std::vector<Case> cases = {
        {"four keys and the delimiter",
         four,
         branch("1234"),
         {"1", "2", "3", "4", "5", "#"},
         "1234",
         "1234"},
        {"one key ends it, even the delimiter", one, branch("#"), {"#"}, "#", "#"},
        {"no key limit: empty digits", none, branch("") + branch("1"), {"1"}, "", ""},
        {"outside allowed, no Error branch: ignored", one, branch("1"), {"9", "1"}, "1", "1"},
        {"outside allowed, Error branch", one, branch("Error") + branch("1"), {"9"}, "Error", ""},
        {"outside allowed, empty Error branch ends", one, branch("Error", false), {"9"}, "", ""},
        {"no branch for the digits: EndKeys", one, branch("EndKeys"), {"2"}, "EndKeys", "2"},
        {"time-out branch", one, branch("TimeOut"), {"T"}, "TimeOut", ""},
        {"time-out without a branch ends", one, branch("1"), {"T"}, "", ""},
        {"waiting still", four, branch("1"), {"1", "2"}, "", "", true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        active = true;
        run(menu(c.input, c.branches));
        ASSERT_TRUE(handler.isRunning());
        for (const std::string &key : c.keys) {
            if (key == "T")
                handler.OnDTMFTimerExpired();
            else
                handler.OnDTMFDetected(key);
        }
        EXPECT_EQ(handler.isRunning(), c.stillRunning);
        if (c.stillRunning) {
            handler.EndIVR();
            continue;
        }
        EXPECT_EQ(*handler.finalVariables().find("took"), c.took);
        EXPECT_EQ(*handler.finalVariables().find("keys"), c.keysVariable);
    }
}

TEST_F(Interpreter, MultiDigitEntryUntilTheHashKey)
{
    const std::string flow =
        flowWith(R"(<MultiDTMF file="pin.wav" timeOut="5" retVar="$pin$" X="1" Y="0">)" +
                     branch("Success") + branch("TimeOutRead") + "</MultiDTMF>",
                 R"(<Var name="took" default=""/><Var name="pin" default=""/>)");
    run(flow);
    for (const char *key : {"1", "*", "0", "#"})
        handler.OnDTMFDetected(key);
    EXPECT_EQ(*handler.finalVariables().find("pin"), "1*0");
    EXPECT_EQ(*handler.finalVariables().find("took"), "Success");
    run(flow);
    handler.OnDTMFTimerExpired();
    EXPECT_EQ(*handler.finalVariables().find("took"), "TimeOutRead");
}
