#include "cli/command.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

using namespace vocara::cli;

namespace {

struct RunResult
{
    int exitCode;
    std::string out;
    std::string err;
};

RunResult kinds(std::vector<std::string> args)
{
    std::ostringstream out;
    std::ostringstream err;
    args.insert(args.begin(), "kinds");
    std::istringstream in;
    const int code = runCommandLine(args, in, out, err);
    return {code, out.str(), err.str()};
}

std::vector<std::string> lines(const std::string &text)
{
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        result.push_back(line);
    return result;
}

// Runs the installed program the way a script would.
RunResult program(const std::string &arguments)
{
    const std::string command = std::string(VOCARA_CLI_PATH) + " " + arguments + " 2>/dev/null";
    FILE *pipe = ::popen(command.c_str(), "r");
    std::string out;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        out.append(buffer, n);
    const int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out, {}};
}

} // namespace

TEST(KindsCommand, PrintsEveryKindWithItsProperties)
{
    for (const auto &[mode, total] : {std::pair{"flow", 162}, std::pair{"asterisk", 168}}) {
        SCOPED_TRACE(mode);
        const RunResult run = kinds({"--mode", mode});
        EXPECT_EQ(run.exitCode, ExitOk);
        const std::vector<std::string> all = lines(run.out);
        EXPECT_EQ(all.size(), static_cast<size_t>(total));
        int kindLines = 0;
        for (const std::string &line : all)
            kindLines += line.empty() || line[0] != '\t';
        EXPECT_EQ(kindLines, 45); // kinds 0 to 44 have descriptors
    }
}

TEST(KindsCommand, LinesCarryTheCatalogueTextsExactly)
{
    const std::vector<std::string> flow = lines(kinds({}).out);
    ASSERT_FALSE(flow.empty());
    EXPECT_EQ(flow[0], "0\tPlayWave\tPlay Wave\tPlay a Wave File\tPLAYWAVE");
    EXPECT_EQ(flow[1],
              "\t0\tFile Path\tfile\t3\t13\t1\tBrowse for Wave File or Write down its name");
    EXPECT_EQ(flow.back(),
              "\t0\tWrite ToolTip\tTooltip\t0\t0\t1\tNode Description Appear as TooTip");

    const std::string asterisk = kinds({"--mode", "asterisk"}).out;
    EXPECT_NE(asterisk.find("\n\t1\tSync\ttype\t13\t0\t0\tDetermine How To Play File "
                            "Synchrounous or ASynchrounous\n"),
              std::string::npos);
    EXPECT_NE(asterisk.find("\n\t0\tContext Name\tcontext\t0\t3\t1\tDetermine Context Name to "
                            "Transfer to \n"),
              std::string::npos);
    EXPECT_NE(asterisk.find("\n42\tStart\tStart\tStart\t\n"), std::string::npos);
    EXPECT_EQ(kinds({}).out.find("wavefile"), std::string::npos);
}

TEST(KindsCommand, BadArgumentsCannotRun)
{
    EXPECT_EQ(kinds({"--mode", "pbx"}).exitCode, ExitCannotRun);
    EXPECT_EQ(kinds({"--mode"}).exitCode, ExitCannotRun);
    EXPECT_EQ(kinds({"extra"}).exitCode, ExitCannotRun);
    EXPECT_TRUE(kinds({"--mode", "pbx"}).out.empty());
}

TEST(Program, SubcommandsAndExitCodes)
{
    EXPECT_EQ(program("kinds --mode asterisk").out, kinds({"--mode", "asterisk"}).out);
    const RunResult help = program("--help");
    EXPECT_EQ(help.exitCode, ExitOk);
    EXPECT_NE(help.out.find("kinds [--mode asterisk|flow]"), std::string::npos);
    EXPECT_EQ(program("").exitCode, ExitCannotRun);
    EXPECT_EQ(program("frobnicate").exitCode, ExitCannotRun);
}
