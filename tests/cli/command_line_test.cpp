#include "cli/command.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

using namespace vocara::cli;

namespace {

struct Result
{
    int exitCode;
    std::string out;
    std::string err;
};

Result run(std::vector<std::string> args)
{
    std::ostringstream out;
    std::ostringstream err;
    const int code = runCommandLine(args, out, err);
    return {code, out.str(), err.str()};
}

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
          std::vector<std::string>{"export", missing}}) {
        const Result result = run(args);
        EXPECT_EQ(result.exitCode, ExitCannotRun) << args[0];
        EXPECT_EQ(result.err,
                  "cannot open " + missing + ": No such file or directory\nInvalid QEN IVR File\n")
            << args[0];
        EXPECT_TRUE(result.out.empty()) << args[0];
    }
}
