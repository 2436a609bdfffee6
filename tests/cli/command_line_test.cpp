#include "cli/command.h"
#include "cli/manual.h"
#include "tests/cli/run_command.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

using namespace vocara::cli;

namespace {

using Result = vocara::test::command_line::CommandResult;
using vocara::test::command_line::run;

} // namespace

TEST(CommandLine, VersionAndEachCommandsOwnHelpGoToStandardOutput)
{
    const Result version = run({"--version"});
    EXPECT_EQ(version.exitCode, ExitOk);
    EXPECT_EQ(version.out.rfind("vocara-cli ", 0), 0u);
    EXPECT_TRUE(version.err.empty());

    const Result help = run({"--help"});
    for (const char *name : {"kinds", "validate", "save", "extract", "export", "receive",
                             "simulate", "play", "speak", "settings", "archive"}) {
        for (const char *flag : {"--help", "-h"}) {
            // Wherever the flag stands, and whatever else is given, only the usage is printed.
            const Result usage = run({name, "no-such-file.qfl", flag});
            EXPECT_EQ(usage.exitCode, ExitOk) << name;
            EXPECT_EQ(usage.out.rfind(std::string("usage: vocara-cli ") + name, 0), 0u) << name;
            EXPECT_TRUE(usage.err.empty()) << name;
            // The same usage line the whole list shows.
            const std::string line = usage.out.substr(18, usage.out.find('\n') - 18);
            EXPECT_NE(help.out.find("  " + line + "\n"), std::string::npos) << line;
        }
    }
    const Result unknown = run({"frobnicate"});
    EXPECT_EQ(unknown.exitCode, ExitCannotRun);
    EXPECT_NE(unknown.err.find("unknown command 'frobnicate'"), std::string::npos);
    EXPECT_EQ(run({}).exitCode, ExitCannotRun);
}

TEST(CommandLine, OptionsTakeTheirValueAfterAnEqualsSign)
{
    const Result spaced = run({"kinds", "--mode", "asterisk"});
    const Result joined = run({"kinds", "--mode=asterisk"});
    EXPECT_EQ(joined.exitCode, ExitOk);
    EXPECT_EQ(joined.out, spaced.out);
    EXPECT_NE(joined.out, run({"kinds"}).out);
    EXPECT_EQ(run({"kinds", "--mode=nothing"}).exitCode, ExitCannotRun);
}

TEST(CommandLine, AnEmptyCallerScriptHangsUpAtTheFirstWait)
{
    vocara::test::TempFolder temp;
    ::setenv("VOCARA_USER_DIR", temp.path().c_str(), 1);
    ::setenv("VOCARA_REGISTRY_DIR", (temp / "registry").c_str(), 1);
    ::setenv("VOCARA_AUDIO", "null", 1);
    const std::string flow = (temp / "menu.qfl").string();
    vocara::test::writeText(flow, R"(<?xml standalone="no" ?><QenIvr><Start version="3">)"
                                  R"(<UserInput timeOut="5" retVar="" dtmf="1" numKeys="1" )"
                                  R"(allowed="12" name="Menu" X="1" Y="0"/></Start></QenIvr>)");
    const Result empty = run({"simulate", flow, "--caller", "", "--time-scale=0"});
    EXPECT_EQ(empty.exitCode, ExitOk) << empty.err;
    EXPECT_EQ(empty.out.rfind("Start\nUserInput Timeout= 5\n", 0), 0u);
    EXPECT_EQ(run({"simulate", flow, "--caller", ",", "--time-scale", "0"}).exitCode,
              ExitCannotRun);
}

TEST(CommandLine, AMissingInputSaysSoBeforeTheProgramsOwnMessage)
{
    vocara::test::TempFolder temp;
    ::setenv("VOCARA_USER_DIR", temp.path().c_str(), 1);
    const std::string missing = (temp / "missing.qfl").string();
    for (const std::vector<std::string> &args :
         {std::vector<std::string>{"validate", missing},
          std::vector<std::string>{"save", missing, "-o", (temp / "out.qfl").string()},
          std::vector<std::string>{"export", missing},
          std::vector<std::string>{"extract", missing, "-o", "-"}}) {
        const Result result = run(args);
        EXPECT_EQ(result.exitCode, ExitCannotRun) << args[0];
        EXPECT_EQ(result.err,
                  "cannot open " + missing + ": No such file or directory\nInvalid QEN IVR File\n")
            << args[0];
        EXPECT_TRUE(result.out.empty()) << args[0];
    }
}

namespace {

const std::string Flow = R"(<?xml standalone="no" ?><QenIvr><Start version="3">)"
                         R"(<Wait second="x" Tooltip="" name="Pause" X="1" Y="0"/></Start>)"
                         R"(<Orphans><Hang name="Alone" X="3" Y="3"/></Orphans></QenIvr>)";

class Streams : public ::testing::Test
{
protected:
    Streams()
    {
        ::setenv("VOCARA_USER_DIR", temp.path().c_str(), 1);
        ::setenv("VOCARA_REGISTRY_DIR", (temp / "registry").c_str(), 1);
        vocara::test::writeText(temp / "menu.qfl", Flow);
    }
    std::string file(const std::string &name) const { return (temp / name).string(); }
    std::string read(const std::string &name) const { return vocara::test::readText(temp / name); }
    vocara::test::TempFolder temp;
};

// A dialplan's text up to its file information, which names the file and the time.
std::string dialplanPart(const std::string &text)
{
    return text.substr(0, text.find("File Information"));
}

} // namespace

TEST_F(Streams, ADashReadsStandardInputAndWritesStandardOutput)
{
    // validate: the same lines and exit code from the file and from standard input.
    const Result fromFile = run({"validate", file("menu.qfl")});
    const Result fromInput = run({"validate", "-"}, Flow);
    EXPECT_EQ(fromInput.exitCode, ExitFound);
    EXPECT_EQ(fromInput.out, fromFile.out);

    // save: the bytes a save to a file writes, and nothing else on standard output.
    ASSERT_EQ(run({"save", file("menu.qfl"), "-o", file("saved.qfl")}).exitCode, ExitOk);
    const Result saved = run({"save", "-", "-o", "-"}, Flow);
    EXPECT_EQ(saved.exitCode, ExitOk);
    EXPECT_EQ(saved.out, read("saved.qfl"));
    EXPECT_NE(saved.err.find("Alone @Link:Node is Orphan"), std::string::npos);

    // export: a flow from standard input goes to standard output without -o.
    const Result exported = run({"export", "-"}, Flow);
    EXPECT_EQ(exported.exitCode, ExitFound);
    EXPECT_NE(exported.out.find("exten => s,1(Pause),Wait(x)\r\n"), std::string::npos);
    ASSERT_EQ(run({"export", file("menu.qfl")}).exitCode, ExitFound);
    const Result toOutput = run({"export", file("menu.qfl"), "-o", "-"});
    EXPECT_EQ(dialplanPart(toOutput.out), dialplanPart(read("menu.conf")));
    EXPECT_NE(toOutput.out.find("menu.conf"), std::string::npos); // the name a save would have

    // A dialplan on standard input is read as one: its flow, not its text, is the flow. The
    // marker is found even across the blocks standard input is copied in.
    std::string dialplan = read("menu.conf");
    const size_t marker = dialplan.find("[Qfl Structure]");
    ASSERT_NE(marker, std::string::npos);
    dialplan.insert(0, std::string(65536 - marker - 4, ';'));
    const Result extracted = run({"extract", "-", "-o", "-"}, dialplan);
    EXPECT_EQ(extracted.exitCode, ExitOk) << extracted.err;
    EXPECT_EQ(extracted.out.rfind(R"(<?xml version="1.0" standalone="no" ?>)", 0), 0u);
    EXPECT_EQ(run({"validate", "-"}, dialplan).out, fromFile.out);
    EXPECT_EQ(run({"save", "-", "-o", "-"}, dialplan).out.rfind("<?xml", 0), 0u);

    // Nothing, or no flow, on standard input.
    const Result empty = run({"validate", "-"});
    EXPECT_EQ(empty.exitCode, ExitCannotRun);
    EXPECT_EQ(empty.err, "Invalid QEN IVR File\n");
    const Result noFlow = run({"extract", "-", "-o", "-"}, "exten => s,1,Hangup()\n");
    EXPECT_EQ(noFlow.exitCode, ExitCannotRun);
    EXPECT_EQ(noFlow.out, "");
    EXPECT_EQ(noFlow.err, "This File not include QFL structure\n");
}

TEST_F(Streams, ExtractWritesXmlThatXmlToolsAccept)
{
    // As exported (blank lines before the declaration) and as the modern dialect carries it
    // (every line a comment).
    for (const char *dialect : {"classic", "modern"}) {
        SCOPED_TRACE(dialect);
        const std::string conf = file(std::string(dialect) + ".conf");
        ASSERT_NE(run({"export", file("menu.qfl"), "--dialect", dialect, "-o", conf}).exitCode,
                  ExitCannotRun);
        const std::string qfl = file(std::string(dialect) + ".qfl");
        ASSERT_EQ(run({"extract", conf, "-o", qfl}).exitCode, ExitOk);
        EXPECT_EQ(std::system(("xmllint --noout '" + qfl + "'").c_str()), 0);
        // The designer reads it as it reads the dialplan.
        EXPECT_EQ(run({"validate", qfl}).out, run({"validate", conf}).out);
        std::string fromXml = run({"save", qfl, "-o", "-"}).out;
        ASSERT_EQ(fromXml.rfind(R"(<?xml version="1.0" )", 0), 0u);
        EXPECT_EQ(fromXml.erase(6, 14), run({"save", conf, "-o", "-"}).out);
    }
    const std::string sample =
        std::string(std::getenv("VOCARA_TEST_SOURCE_DIR")) + "/assets/Samples/Flows/pin-menu.conf";
    ASSERT_EQ(run({"extract", sample, "-o", file("pin-menu.qfl")}).exitCode, ExitOk);
    EXPECT_EQ(std::system(("xmllint --noout '" + file("pin-menu.qfl") + "'").c_str()), 0);
}

TEST_F(Streams, EveryCommandParsesItsOptionsAlike)
{
    struct Case
    {
        std::vector<std::string> args;
        std::string error;
    };
    const Case cases[] = {
        {{"validate", "--bogus", "x"},
         "vocara-cli validate: unknown option '--bogus'\n"
         "usage: vocara-cli validate FILE\n"},
        {{"save", "x", "-o"}, "vocara-cli save: option '-o' needs a value\n"},
        {{"export", "x", "--strict=yes"}, "vocara-cli export: option '--strict' takes no value\n"},
        {{"export", "x", "--dialect=ancient"}, "vocara-cli export: unknown dialect 'ancient'\n"},
        {{"validate"}, "vocara-cli validate: missing argument\n"},
        {{"validate", "a", "b"}, "vocara-cli validate: unexpected argument 'b'\n"},
        {{"save", "x"}, "vocara-cli save: missing -o OUT\n"},
        {{"simulate", "x", "--caller", "1,X"}, "vocara-cli simulate: bad caller key 'X'"},
        {{"simulate", "x", "--speed=-1"}, "vocara-cli simulate: bad value for --speed\n"},
        {{"simulate", "x", "--time-scale", "inf"},
         "vocara-cli simulate: bad value for --time-scale\n"},
        {{"receive", "--root", "r", "--max-clients", "0"},
         "vocara-cli receive: bad value for --max-clients\n"},
        {{"receive", "--root", "r", "--idle-seconds=99999999999999"},
         "vocara-cli receive: bad value for --idle-seconds\n"},
        {{"speak", "1", "--lang", "Klingon"}, "vocara-cli speak: unknown language 'Klingon'\n"},
        {{"settings", "get", "Nothing"}, "vocara-cli settings: unknown setting 'Nothing'"},
        {{"settings", "frob", "MailCAFile"}, "vocara-cli settings: expected get NAME"},
        {{"archive", "export", "x"}, "vocara-cli archive: expected export FLOW -o FILE.zip"},
        {{"archive", "export", "x", "-d", "y"}, "vocara-cli archive: expected export"},
        {{"kinds", "extra"}, "vocara-cli kinds: unexpected argument 'extra'\n"},
        {{"simulate", "x", "--odbcini="},
         "vocara-cli simulate: option '--odbcini' needs a value\n"},
        {{"save", "x", "-o", ""}, "vocara-cli save: option '-o' needs a value\n"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args[1 % c.args.size()]);
        const Result result = run(c.args);
        EXPECT_EQ(result.exitCode, ExitCannotRun);
        EXPECT_EQ(result.err.rfind(c.error, 0), 0u) << result.err;
        EXPECT_NE(result.err.find("\nusage: vocara-cli " + c.args[0]), std::string::npos);
        EXPECT_EQ(result.out, "");
    }

    // A path the system refuses ends the command with its reason, not the program.
    const Result empty = run({"archive", "export", "", "-o", file("a.zip")});
    EXPECT_EQ(empty.exitCode, ExitCannotRun);
    EXPECT_EQ(empty.err.rfind("vocara-cli archive: ", 0), 0u) << empty.err;

    // After "--" everything is a file; a negative number is a value; "=" joins any option.
    const Result dashed = run({"validate", "--", "-o"});
    EXPECT_EQ(dashed.err, "cannot open -o: No such file or directory\nInvalid QEN IVR File\n");
    EXPECT_EQ(run({"speak", "-5"}).out, "Number-Negative.wav\nNumber-5.wav\n");
    EXPECT_EQ(run({"speak", "--lang=Farsi", "12"}).out,
              run({"speak", "12", "--lang", "Farsi"}).out);
    EXPECT_EQ(run({"save", file("menu.qfl"), "-o=" + file("joined.qfl")}).exitCode,
              ExitCannotRun); // "=" is for long options: "-o=..." is no option of save
    ASSERT_EQ(run({"export", file("menu.qfl"), "--dialect=modern", "-o", file("m.conf")}).exitCode,
              ExitFound);
    EXPECT_NE(read("m.conf").find(";[Qfl Structure]"), std::string::npos);
    const Result settings = run({"settings", "set", "MailCAFile", "/etc/ssl/private-ca.pem"});
    EXPECT_EQ(settings.exitCode, ExitOk) << settings.err;
    EXPECT_EQ(run({"settings", "get", "MailCAFile"}).out, "/etc/ssl/private-ca.pem\n");
}

TEST(Manual, NamesEveryCommandItsOptionsAndTheExitCodes)
{
    std::ostringstream manual;
    vocara::cli::printManual(manual, "1.2.3");
    const std::string text = manual.str();
    EXPECT_EQ(text.rfind(".TH VOCARA\\-CLI 1 \"\" \"Vocara 1.2.3\"", 0), 0u);
    for (const Command &command : commandTable()) {
        EXPECT_NE(text.find(".B " + vocara::cli::roffText(command.usage) + "\n"), std::string::npos)
            << command.name;
        for (const Option &option : command.syntax.options)
            EXPECT_NE(text.find(".B " + vocara::cli::roffText(option.name)), std::string::npos)
                << command.name << ' ' << option.name;
    }
    EXPECT_NE(text.find(".SH EXIT STATUS"), std::string::npos);
    // Text that roff would take as markup is written to be shown as it is.
    EXPECT_EQ(vocara::cli::roffText(".hidden -o a\\b"), "\\&.hidden \\-o a\\eb");
}
