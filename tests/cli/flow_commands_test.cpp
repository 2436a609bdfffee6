#include "cli/command.h"
#include "platform/spawn.h"
#include "platform/zip_archive.h"
#include "simulator/wave_image.h"
#include "tests/cli/run_command.h"
#include "tests/support/odbc_source.h"
#include "tests/support/smtp_server.h"
#include "tests/support/tcp_listener.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

using namespace vocara::cli;
using vocara::test::readText;
using vocara::test::writeText;

namespace {

using Result = vocara::test::command_line::CommandResult;
using vocara::test::command_line::run;

const std::string Flow = R"(<?xml standalone="no" ?><QenIvr><Start version="3">)"
                         R"(<Wait second="x" Tooltip="" name="Pause" X="1" Y="0"/></Start>)"
                         R"(<Orphans><Hang name="Alone" X="3" Y="3"/></Orphans></QenIvr>)";

class FlowCommands : public ::testing::Test
{
protected:
    FlowCommands() { ::setenv("VOCARA_USER_DIR", temp.path().c_str(), 1); }
    std::string file(const std::string &name) const { return (temp / name).string(); }
    vocara::test::TempFolder temp;
};

} // namespace

TEST_F(FlowCommands, ValidateListsTheErrorsAndACount)
{
    writeText(temp / "menu.qfl", Flow);
    const Result result = run({"validate", file("menu.qfl")});
    EXPECT_EQ(result.exitCode, ExitFound);
    EXPECT_EQ(result.out, "Pause @# Second:Invalid Value (Value must be numeric)\n"
                          "Alone @Link:Node is Orphan, has no Parents\n"
                          "2 Error(s) have been found\n");

    writeText(temp / "clean.qfl", R"(<QenIvr><Start version="3"><Hang name="h" X="1" Y="0"/>)"
                                  R"(</Start></QenIvr>)");
    const Result clean = run({"validate", file("clean.qfl")});
    EXPECT_EQ(clean.exitCode, ExitOk);
    EXPECT_EQ(clean.out, "No Errors!\n");

    writeText(temp / "bad.qfl", "nonsense");
    const Result bad = run({"validate", file("bad.qfl")});
    EXPECT_EQ(bad.exitCode, ExitCannotRun);
    EXPECT_EQ(bad.err, "Invalid QEN IVR File\n");
    EXPECT_EQ(run({"validate"}).exitCode, ExitCannotRun);
}

TEST_F(FlowCommands, SaveWritesAFlowFileEvenWithErrors)
{
    writeText(temp / "dialplan.conf", "[main]\r\n[Qfl Structure] \r\n\r\n" + Flow);
    const Result result = run({"save", file("dialplan.conf"), "-o", file("out.qfl")});
    EXPECT_EQ(result.exitCode, ExitOk);
    EXPECT_NE(result.err.find("Alone @Link:Node is Orphan, has no Parents"), std::string::npos);
    const std::string saved = readText(temp / "out.qfl");
    EXPECT_NE(saved.find(R"(valid="false")"), std::string::npos);
    EXPECT_NE(saved.find(R"(name="Pause")"), std::string::npos);

    // Saving the saved file again changes nothing.
    EXPECT_EQ(run({"save", file("out.qfl"), "-o", file("again.qfl")}).exitCode, ExitOk);
    EXPECT_EQ(readText(temp / "again.qfl"), saved);

    EXPECT_EQ(run({"save", file("missing.qfl"), "-o", file("x.qfl")}).exitCode, ExitCannotRun);
    EXPECT_EQ(run({"save", file("out.qfl")}).exitCode, ExitCannotRun);
}

TEST_F(FlowCommands, ExtractWritesTheTrailer)
{
    writeText(temp / "d.conf", "exten => s,1,Hangup()\r\n[Qfl Structure]" + Flow);
    EXPECT_EQ(run({"extract", file("d.conf"), "-o", file("d.qfl")}).exitCode, ExitOk);
    // The flow's own text, its declaration completed with the version XML tools require.
    EXPECT_EQ(readText(temp / "d.qfl"), R"(<?xml version="1.0")" + Flow.substr(5));

    writeText(temp / "plain.conf", "exten => s,1,Hangup()\r\n");
    const Result none = run({"extract", file("plain.conf"), "-o", file("p.qfl")});
    EXPECT_EQ(none.exitCode, ExitCannotRun);
    EXPECT_EQ(none.err, "This File not include QFL structure\n");
    EXPECT_FALSE(std::filesystem::exists(temp / "p.qfl"));

    // A marker with no flow after it is refused as validate, save and export refuse it.
    for (const char *trailer : {"", " \r\n", "<QenIvr/>", "<QenIvr><Start>"}) {
        SCOPED_TRACE(trailer);
        writeText(temp / "empty.conf",
                  std::string("exten => s,1,Hangup()\r\n[Qfl Structure]") + trailer);
        const Result empty = run({"extract", file("empty.conf"), "-o", file("e.qfl")});
        EXPECT_EQ(empty.exitCode, ExitCannotRun);
        EXPECT_EQ(empty.err, "Invalid QEN IVR File\n");
        EXPECT_FALSE(std::filesystem::exists(temp / "e.qfl"));
        EXPECT_EQ(run({"validate", file("empty.conf")}).err, "Invalid QEN IVR File\n");
    }
}

TEST_F(FlowCommands, ExportWritesADialplanThatExtractsAndExportsAgain)
{
    writeText(temp / "menu.qfl", Flow);
    // Without -o next to the flow, said on standard output; written though the flow has errors.
    const Result result = run({"export", file("menu.qfl")});
    EXPECT_EQ(result.exitCode, ExitFound);
    EXPECT_EQ(result.out, file("menu.conf") + "\n");
    EXPECT_NE(result.err.find("Alone @Link:Node is Orphan, has no Parents"), std::string::npos);
    const std::string first = readText(temp / "menu.conf");
    EXPECT_NE(first.find("exten => s,1(Pause),Wait(x)\r\n"), std::string::npos);

    EXPECT_EQ(run({"extract", file("menu.conf"), "-o", file("back.qfl")}).exitCode, ExitOk);
    const Result named = run({"export", file("back.qfl"), "-o", file("again.conf")});
    EXPECT_EQ(named.exitCode, ExitFound);
    EXPECT_EQ(named.out, ""); // the path was given
    const std::string again = readText(temp / "again.conf");
    // The same dialplan but for the file's own name and times.
    auto dialplan = [](std::string text) {
        text = text.substr(text.find(";;;;"), text.find("File Information") - text.find(";;;;"));
        return text;
    };
    EXPECT_EQ(dialplan(again), dialplan(first));

    EXPECT_EQ(run({"export", file("menu.qfl"), "--strict", "-o", file("strict.conf")}).exitCode,
              ExitFound);
    EXPECT_FALSE(std::filesystem::exists(temp / "strict.conf"));
    EXPECT_EQ(run({"export", file("missing.qfl")}).exitCode, ExitCannotRun);
    std::filesystem::create_directory(temp / "busy.conf");
    const Result busy = run({"export", file("menu.qfl"), "-o", file("busy.conf")});
    EXPECT_EQ(busy.exitCode, ExitCannotRun);
    EXPECT_NE(busy.err.find("Can Not Create the Configuration Aile for Asterisk"),
              std::string::npos);
}

TEST_F(FlowCommands, ExportKeepsThePropertiesOnlyDialplansName)
{
    // A flow file with a menu prompt and a transfer context, which plain flows do not show.
    writeText(temp / "menu.qfl",
              R"(<?xml standalone="no" ?><QenIvr><Start version="3">)"
              R"(<UserInput timeOut="5" retVar="$choice$" dtmf="1" numKeys="1" allowed="1" )"
              R"(delimitter="#" asr="0" file="" confidence="" wavefile="Waves/menu.wav" )"
              R"(Tooltip="" name="Menu" X="1" Y="0"><BranchIf value="1" name="One" X="2" Y="0">)"
              R"(<Transfer context="operators" num="100" Tooltip="" name="Operator" X="3" Y="0"/>)"
              R"(</BranchIf></UserInput></Start></QenIvr>)");
    EXPECT_EQ(run({"export", file("menu.qfl")}).exitCode, ExitOk);
    const std::string dialplan = readText(temp / "menu.conf");
    EXPECT_NE(dialplan.find("Background(Waves/menu|m|context-Menu)"), std::string::npos);
    EXPECT_NE(dialplan.find("operators"), std::string::npos);
    // And the flow it carries keeps them too.
    EXPECT_EQ(run({"extract", file("menu.conf"), "-o", file("back.qfl")}).exitCode, ExitOk);
    const std::string back = readText(temp / "back.qfl");
    EXPECT_NE(back.find(R"(wavefile="Waves/menu.wav")"), std::string::npos);
    EXPECT_NE(back.find(R"(context="operators")"), std::string::npos);
}

TEST_F(FlowCommands, ExportWritesTheDialectAskedForOrTheFlowsOwn)
{
    writeText(temp / "menu.qfl",
              R"(<?xml standalone="no" ?><QenIvr><Start version="3">)"
              R"(<PlayWave file="hi.wav" type="sync" name="Hi" X="1" Y="0"/></Start>)"
              R"(<Settings dialect="modern"/></QenIvr>)");
    // The flow's own setting, then the option over it, then a wrong option.
    EXPECT_EQ(run({"export", file("menu.qfl")}).exitCode, ExitOk);
    EXPECT_NE(readText(temp / "menu.conf").find("\n;[Qfl Structure]\n"), std::string::npos);
    EXPECT_EQ(run({"export", file("menu.qfl"), "--dialect", "classic"}).exitCode, ExitOk);
    const std::string classic = readText(temp / "menu.conf");
    EXPECT_NE(classic.find("\r\n[Qfl Structure] \r\n"), std::string::npos);
    EXPECT_NE(classic.find("Macro(user-callerid)"), std::string::npos);
    EXPECT_EQ(
        run({"export", file("menu.qfl"), "--dialect", "modern", "-o", file("m.conf")}).exitCode,
        ExitOk);
    EXPECT_NE(readText(temp / "m.conf").find("exten => s,1(Hi),Playback("), std::string::npos);
    const Result wrong = run({"export", file("menu.qfl"), "--dialect", "1.8"});
    EXPECT_NE(wrong.exitCode, ExitOk);
    EXPECT_NE(wrong.err.find("--dialect classic|modern"), std::string::npos);
}

TEST_F(FlowCommands, SimulateRunsALongFlowAndPrintsItsTraceAndVariables)
{
    // Three hundred nodes: a chain of increments, then a check and a goodbye.
    std::string tree;
    const int steps = 300;
    for (int i = 0; i < steps; ++i)
        tree += "<Op var=\"$n$\" op=\"Increment\" value=\"1\" X=\"" + std::to_string(i + 1) +
                "\" Y=\"0\">";
    tree +=
        R"(<Compare var1="$n$" op="=" var2="300" X="400" Y="0"><BranchIf value="True" X="401" Y="0">)"
        R"(<SetVar var="done" value="yes" X="402" Y="0"/></BranchIf></Compare>)";
    for (int i = 0; i < steps; ++i)
        tree += "</Op>";
    writeText(temp / "long.qfl", R"(<QenIvr><Start version="3">)" + tree +
                                     R"(</Start><Variables><Var name="n" default="0"/>)"
                                     R"(<Var name="done" default="no"/></Variables></QenIvr>)");
    const Result result =
        run({"simulate", file("long.qfl"), "--time-scale", "0.01", "--log", file("log.txt")});
    EXPECT_EQ(result.exitCode, ExitOk);
    std::vector<std::string> lines;
    std::istringstream in(result.out);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), static_cast<size_t>(1 + steps + 3 + 2));
    EXPECT_EQ(lines[0], "Start");
    EXPECT_EQ(lines[1], "Op 0 Increment 1");
    EXPECT_EQ(lines[steps], "Op 299 Increment 1");
    EXPECT_EQ(lines[steps + 1], "Compare 300 = 300");
    EXPECT_EQ(lines[steps + 2], "BranchIf True");
    EXPECT_EQ(lines[steps + 3], "SetVar done yes");
    EXPECT_EQ(lines[steps + 4], "n=300");
    EXPECT_EQ(lines[steps + 5], "done=yes");
    EXPECT_NE(readText(temp / "log.txt").find("CIVRHandler::EndIVR>> ___EndIVR()"),
              std::string::npos);

    writeText(temp / "bad.qfl", "nonsense");
    EXPECT_EQ(run({"simulate", file("bad.qfl")}).exitCode, ExitFound);
    EXPECT_EQ(run({"simulate"}).exitCode, ExitCannotRun);
    EXPECT_EQ(run({"simulate", file("long.qfl"), "--speed", "x"}).exitCode, ExitCannotRun);
}

TEST_F(FlowCommands, TheSampleMenuValidatesAndWalksThroughACall)
{
    const std::string sample =
        std::string(std::getenv("VOCARA_TEST_SOURCE_DIR")) + "/assets/Samples/Flows/menu.qfl";
    const Result validation = run({"validate", sample});
    EXPECT_EQ(validation.exitCode, ExitOk);
    EXPECT_EQ(validation.out, "No Errors!\n");
    const Result call = run({"simulate", sample, "--time-scale", "0", "--caller", "2,1,2,3,4,#,1"});
    EXPECT_EQ(call.exitCode, ExitOk);
    EXPECT_NE(call.out.find("BranchTo /Start/PlayWave/UserInput\n"), std::string::npos);
    EXPECT_NE(call.out.find("\npin=1234\n"), std::string::npos);
    EXPECT_TRUE(call.out.ends_with("balance=42\n"));
    // Letting the menu time out says goodbye.
    const Result silent = run({"simulate", sample, "--time-scale", "0", "--caller", "T"});
    EXPECT_NE(silent.out.find("PlayWave Waves/goodbye.wav Type= sync\nHang\n"), std::string::npos);
}

TEST_F(FlowCommands, TheDialplanSampleValidatesExportsAgainAndWalksItsMenu)
{
    // A menu with prompts, a PIN looked up through the server's script, an operator, tracking.
    const std::string sample =
        std::string(std::getenv("VOCARA_TEST_SOURCE_DIR")) + "/assets/Samples/Flows/pin-menu.conf";
    const Result validation = run({"validate", sample});
    EXPECT_EQ(validation.exitCode, ExitOk);
    EXPECT_EQ(validation.out, "No Errors!\n");
    EXPECT_EQ(validation.err, "");
    // Its flow exports to the dialplan it carries (the file's own comments aside).
    std::filesystem::copy_file(sample, temp / "pin-menu.conf");
    ASSERT_EQ(run({"export", file("pin-menu.conf"), "-o", file("again.conf")}).exitCode, ExitOk);
    auto lines = [](const std::string &text) {
        const size_t from = text.find(";;;;");
        return text.substr(from, text.find("File Information") - from);
    };
    const std::string shipped = readText(sample);
    EXPECT_EQ(lines(readText(temp / "again.conf")), lines(shipped));
    EXPECT_NE(shipped.find("AGI,QENStar|DB"), std::string::npos);
    EXPECT_NE(shipped.find("UserEvent(DTMF|Key: 1)"), std::string::npos);
    EXPECT_NE(shipped.find("Goto(operators,100,1)"), std::string::npos);
    // Key 2 says goodbye; no key at all times out to the same.
    const Result call = run({"simulate", sample, "--time-scale", "0", "--caller", "2"});
    EXPECT_EQ(call.exitCode, ExitOk);
    EXPECT_NE(call.out.find("PlayWave Waves/goodbye.wav Type= sync\nHang\n"), std::string::npos);
    EXPECT_NE(call.out.find("\nchoice=2\n"), std::string::npos);
}

TEST_F(FlowCommands, SimulatedCallersRecordAndPlayWithoutASoundServer)
{
    ::setenv("VOCARA_AUDIO", "null", 1);
    // The caller leaves a message, ends it with #, then lets the menu time out.
    writeText(
        temp / "voicemail.qfl",
        R"(<QenIvr><Start version="3"><Record var="msg.wav" RecordPath="/box/" timeOut="30" key="#" X="1" Y="0">)"
        R"(<UserInput timeOut="3" retVar="k" dtmf="1" numKeys="1" allowed="1" X="2" Y="0">)"
        R"(<BranchIf value="TimeOut" X="3" Y="0"><SetVar var="end" value="timed out" X="4" Y="0"/>)"
        R"(</BranchIf></UserInput></Record></Start><Variables><Var name="end" default=""/>)"
        R"(</Variables></QenIvr>)");
    const Result call =
        run({"simulate", file("voicemail.qfl"), "--time-scale", "0.01", "--caller", "#,T"});
    EXPECT_EQ(call.exitCode, ExitOk);
    EXPECT_NE(call.out.find("SetVar end timed out\nend=timed out\n"), std::string::npos)
        << call.out << call.err;
    EXPECT_TRUE(std::filesystem::is_regular_file(temp / "box/msg.wav"));

    EXPECT_EQ(run({"play", file("box/msg.wav")}).exitCode, ExitOk);
    const Result missing = run({"play", file("none.wav")});
    EXPECT_EQ(missing.exitCode, ExitFound);
    EXPECT_NE(missing.err.find("none.wav: "), std::string::npos);
    EXPECT_EQ(run({"play"}).exitCode, ExitCannotRun);
    ::unsetenv("VOCARA_AUDIO");
}

TEST_F(FlowCommands, SpeakListsThePromptsOfAValue)
{
    const Result arabic = run({"speak", "45", "--lang", "Arabic"});
    EXPECT_EQ(arabic.exitCode, ExitOk);
    EXPECT_EQ(arabic.out, "Number-5.wav\nNumber-wa.wav\nNumber-40.wav\n");
    EXPECT_EQ(run({"speak", "12.5", "--whole"}).out, "Number-12.wav\n");
    const Result date = run({"speak", "5/2024"});
    EXPECT_EQ(date.exitCode, ExitFound);
    EXPECT_EQ(date.out, "");
    EXPECT_EQ(date.err, "Invalid Date Format use: dd/mm/yyyy\n");
    EXPECT_EQ(run({"speak", "1", "--lang", "Latin"}).exitCode, ExitCannotRun);
    EXPECT_EQ(run({"speak"}).exitCode, ExitCannotRun);

    // Played from the built prompts through the silent device.
    ::setenv("VOCARA_AUDIO", "null", 1);
    ::setenv("VOCARA_HOME", VOCARA_TEST_SHARE_DIR, 1);
    EXPECT_EQ(run({"speak", "05/11/2024", "--play"}).exitCode, ExitOk);
    ::setenv("VOCARA_HOME", temp.path().c_str(), 1); // no prompts there
    const Result missing = run({"speak", "7", "--play"});
    EXPECT_EQ(missing.exitCode, ExitFound);
    EXPECT_NE(missing.err.find("Number-7.wav"), std::string::npos);
    ::unsetenv("VOCARA_HOME");
    ::unsetenv("VOCARA_AUDIO");
}

namespace {

// Action nodes, each continuing on its "Success" branch: a, b, c becomes
// <a><BranchIf value="Success"><b><BranchIf ...><c/>...
std::string onSuccess(const std::vector<std::string> &nodes)
{
    std::string tree;
    std::string closing;
    int column = 1;
    for (const std::string &node : nodes) {
        const std::string tag = node.substr(1, node.find(' ') - 1);
        tree += node + " X=\"" + std::to_string(column) +
                "\" Y=\"0\"><BranchIf value=\"Success\" X=\"" + std::to_string(column + 1) +
                "\" Y=\"0\">";
        column += 2;
        closing = "</BranchIf></" + tag + ">" + closing;
    }
    return tree + R"(<SetVar var="done" value="yes" X="99" Y="0"/>)" + closing;
}

} // namespace

TEST_F(FlowCommands, SimulatedActionsReachRealDatabasesFilesRegistryAndPeers)
{
    ::setenv("VOCARA_AUDIO", "null", 1);
    ::setenv("VOCARA_REGISTRY_DIR", file("registry").c_str(), 1);
    vocara::test::OdbcSource source;
    vocara::test::Listener listener;
    const std::string notes = file("notes.txt");
    const std::string tree = onSuccess({
        R"x(<DbTransaction db="vocara_test" query="CREATE TABLE people (name TEXT)")x",
        R"x(<DbTransaction db="vocara_test" query="INSERT INTO people VALUES ('Ann')")x",
        R"(<DbTransaction db="vocara_test" query="SELECT name FROM people" retVar="$name$")",
        R"(<REGEDIT HendleKey="HKEY_CURRENT_USER" KeyPath="Software\Vocara" DataType="Set Value" ValueName="who" ValueData="$name$")",
        R"(<REGEDIT HendleKey="HKEY_CURRENT_USER" KeyPath="software\vocara" DataType="Get Value" ValueName="WHO" ValueData="$back$")",
        R"(<ACCESSFILES FilePath=")" + notes +
            R"(" OperationType="Create File" AccessType="Write" TextVar="hello $back$")",
        R"(<ACCESSFILES FilePath=")" + notes +
            R"(" OperationType="Open File" AccessType="Read" TextVar="$text$")",
        R"(<CSConnection IPAddress="127.0.0.1" Port=")" + listener.port() +
            R"(" File="false" OpenFile="" Message="true" MessageBody="$text$")",
    });
    writeText(
        temp / "actions.qfl",
        R"(<QenIvr><Start version="3">)" + tree +
            R"(</Start><Variables><Var name="name" default=""/><Var name="back" default=""/>)"
            R"(<Var name="text" default=""/><Var name="done" default="no"/></Variables></QenIvr>)");
    const Result call = run({"simulate", file("actions.qfl"), "--time-scale", "0", "--odbcini",
                             (source.folder() / "odbc.ini").string()});
    EXPECT_EQ(call.exitCode, ExitOk);
    EXPECT_TRUE(call.out.ends_with("name=Ann\nback=Ann\ntext=hello Ann\ndone=yes\n")) << call.out;
    EXPECT_EQ(readText(notes), "hello Ann");
    EXPECT_EQ(listener.received(), "hello Ann");
    ::unsetenv("VOCARA_REGISTRY_DIR");
    ::unsetenv("VOCARA_AUDIO");
}

TEST_F(FlowCommands, SimulatedMailGoesThroughTheConfiguredServer)
{
    ::setenv("VOCARA_AUDIO", "null", 1);
    ::setenv("VOCARA_REGISTRY_DIR", file("registry").c_str(), 1);
    vocara::test::SmtpServer server;
    ASSERT_TRUE(server.ready());
    const std::vector<std::pair<std::string, std::string>> values = {
        {"MailServerName", "127.0.0.1:" + std::to_string(server.port())},
        {"MailUserName", server.User},
        {"MailPassword", server.Password},
        {"MailFromAccountName", server.User}};
    for (const auto &[name, value] : values)
        EXPECT_EQ(run({"settings", "set", name, value}).exitCode, ExitOk);
    EXPECT_EQ(run({"settings", "get", "MailUserName"}).out, std::string(server.User) + "\n");
    EXPECT_EQ(run({"settings", "get", "Sim_Speed"}).out, "200\n");
    EXPECT_EQ(run({"settings", "get", "Nothing"}).exitCode, ExitCannotRun);

    writeText(
        temp / "mail.qfl",
        R"(<QenIvr><Start version="3"><SendMail mailto="boss@example.com" subject="Call from $nCallerId$" )"
        R"(body="A caller left a message." attach="" X="1" Y="0"/></Start>)"
        R"(<Variables><Var name="nCallerId" default=""/></Variables></QenIvr>)");
    EXPECT_EQ(run({"simulate", file("mail.qfl"), "--time-scale", "0"}).exitCode, ExitOk);
    const std::vector<std::string> messages = server.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("Subject: Call from 000"), std::string::npos);
    EXPECT_NE(messages[0].find("A caller left a message."), std::string::npos);
    ::unsetenv("VOCARA_REGISTRY_DIR");
    ::unsetenv("VOCARA_AUDIO");
}

namespace {

std::vector<std::string> archiveEntries(const std::filesystem::path &archive,
                                        const std::filesystem::path &into)
{
    std::vector<std::filesystem::path> placed;
    std::string error;
    EXPECT_TRUE(vocara::extractZip(archive, into, placed, error)) << error;
    std::vector<std::string> names;
    for (const auto &name : placed)
        names.push_back(name.string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST_F(FlowCommands, ArchivesCarryAFlowWithEverythingItNeeds)
{
    auto tone = [&](const std::string &name) {
        std::filesystem::create_directories((temp / name).parent_path());
        EXPECT_TRUE(vocara::runAndWait({"sox", "-n", "-r", "16000", "-b", "16", "-c", "1",
                                        file(name), "synth", "0.2", "sine", "440"})
                        .succeeded());
    };
    tone("flows/prompts/deep/hello.wav");
    tone("flows/menu_A.wav");
    tone("flows/menu_E.wav");
    std::filesystem::create_directories(temp / "flows/tools");
    writeText(temp / "flows/tools/report.sh", "#!/bin/sh\n");
    writeText(temp / "notes.txt", "attached");
    std::filesystem::create_directories(temp / "out");
    writeText(
        temp / "flows/call.qfl",
        R"(<QenIvr><Start version="3"><PlayWave file="prompts\deep\hello.wav" type="sync" name="P1" X="1" Y="0">)"
        R"(<PlayWave file="menu$lang$.wav" type="sync" name="P2" X="2" Y="0">)"
        R"(<Run cmd="tools/report.sh" params="" name="R" X="3" Y="0"/></PlayWave></PlayWave></Start>)"
        R"(<Orphans/><Variables><Var name="lang" default="E"/></Variables><Settings/>)"
        R"(<Files><File path=")" +
            file("notes.txt") + R"("/></Files></QenIvr>)");
    const Result exported =
        run({"archive", "export", file("flows/call.qfl"), "-o", file("out/call")});
    ASSERT_EQ(exported.exitCode, ExitOk) << exported.err;
    EXPECT_EQ(archiveEntries(temp / "out/call.zip", temp / "unpacked"),
              (std::vector<std::string>{"autosave.qfl", "hello.wav", "menu_A.wav", "menu_E.wav",
                                        "notes.txt", "report.sh"}));
    const std::optional<vocara::WaveImage> wave = vocara::LoadWave(temp / "unpacked/hello.wav");
    ASSERT_TRUE(wave);
    EXPECT_EQ(wave->formatTag, 6); // A-law
    EXPECT_EQ(wave->sampleRate, 8000u);
    EXPECT_FALSE(std::filesystem::exists(temp / "autosave.qfl")); // the autosave copy is gone

    // A missing prompt fails the whole export; nothing is reported as done.
    std::filesystem::remove(temp / "flows/menu_E.wav");
    const Result missing =
        run({"archive", "export", file("flows/call.qfl"), "-o", file("out/broken.zip")});
    EXPECT_EQ(missing.exitCode, ExitFound);
    EXPECT_NE(missing.err.find("Export Failed!"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(temp / "out/broken.zip"));

    // A node without parents refuses the export.
    writeText(temp / "flows/orphan.qfl", Flow);
    EXPECT_NE(run({"archive", "export", file("flows/orphan.qfl"), "-o", file("o.zip")})
                  .err.find("Can't Export this File, Orphans exist"),
              std::string::npos);

    // Importing opens the flow it brought; an archive without one says which file it wanted.
    EXPECT_EQ(run({"archive", "import", file("out/call.zip"), "-d", file("imported")}).exitCode,
              ExitOk);
    EXPECT_TRUE(std::filesystem::exists(temp / "imported/hello.wav"));
    std::string error;
    ASSERT_TRUE(vocara::writeZip(temp / "empty.zip", {temp / "notes.txt"}, error));
    const Result noFlow = run({"archive", "import", file("empty.zip"), "-d", file("other")});
    EXPECT_EQ(noFlow.exitCode, ExitFound);
    EXPECT_EQ(noFlow.err, "Can't Open this file :: " + file("other/autosave.conf") + "\n");
    // Python's zipfile writes entries with permissions and no file type: they are files. A
    // refused archive says why after the message.
    writeText(temp / "py.qfl", Flow);
    ASSERT_EQ(std::system(("cd " + temp.path().string() +
                           " && /usr/bin/python3 -c \"import zipfile\n"
                           "with zipfile.ZipFile('py.zip', 'w') as z:\n"
                           "    z.writestr('autosave.qfl', open('py.qfl').read())\n"
                           "with zipfile.ZipFile('link.zip', 'w') as z:\n"
                           "    i = zipfile.ZipInfo('x'); i.external_attr = 0o120777 << 16\n"
                           "    z.writestr(i, '/etc'); z.writestr('autosave.qfl', 'x')\"")
                              .c_str()),
              0);
    const Result python = run({"archive", "import", file("py.zip"), "-d", file("py")});
    EXPECT_EQ(python.exitCode, ExitOk) << python.err;
    const Result refused = run({"archive", "import", file("link.zip"), "-d", file("third")});
    EXPECT_EQ(refused.exitCode, ExitFound);
    EXPECT_EQ(refused.err, "Can't Open this file :: " + file("third/autosave.conf") +
                               "\nThe archive entry x is refused: it is a symbolic link\n");

    // An asterisk-mode flow travels as autosave.conf and is opened from it.
    tone("flows/menu_E.wav");
    ASSERT_EQ(run({"export", file("flows/call.qfl"), "-o", file("flows/call.conf")}).exitCode,
              ExitOk);
    const Result dialplan =
        run({"archive", "export", file("flows/call.conf"), "-o", file("out/dialplan.zip")});
    ASSERT_EQ(dialplan.exitCode, ExitOk) << dialplan.err;
    const std::vector<std::string> entries =
        archiveEntries(temp / "out/dialplan.zip", temp / "unpacked-conf");
    EXPECT_NE(std::find(entries.begin(), entries.end(), "autosave.conf"), entries.end());
    const Result opened = run({"archive", "import", file("out/dialplan.zip"), "-d", file("conf")});
    EXPECT_EQ(opened.exitCode, ExitOk) << opened.err;
}
