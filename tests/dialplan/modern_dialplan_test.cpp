#include "dialplan/modern_dialplan.h"
#include "document/flow_trailer.h"
#include "tests/dialplan/export_fixture.h"
#include "tests/dialplan/random_flow.h"

#include <cctype>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>

using namespace vocara;

namespace {

// What Asterisk would refuse or trip over in a dialplan of ours: a jump to a label or
// priority its context does not have, a label twice in a context, an extension that does
// not start at priority 1, an unescaped ";" or an unbalanced parenthesis on a line.
std::vector<std::string> problems(const std::string &text)
{
    struct Context
    {
        std::map<std::string, std::set<std::string>> labels; // extension -> labels and "1"
    };
    std::map<std::string, Context> contexts;
    std::vector<std::pair<std::string, std::string>> jumps; // target, the line
    std::vector<std::string> found;
    std::istringstream in(text);
    std::string line;
    std::string current;
    while (std::getline(in, line)) {
        if (line.empty() || line.front() == ';')
            continue;
        if (line.front() == '[') {
            current = line.substr(1, line.size() - 2);
            if (contexts.count(current))
                found.push_back("context twice: " + line);
            contexts[current];
            continue;
        }
        // exten => EXTENSION,PRIORITY[(LABEL)],APPLICATION
        constexpr std::string_view Head = "exten => ";
        const size_t comma = line.find(',', Head.size());
        const size_t priorityEnd = line.find_first_of(",(", comma + 1);
        if (!line.starts_with(Head) || comma == std::string::npos ||
            priorityEnd == std::string::npos) {
            found.push_back("not a line of ours: " + line);
            continue;
        }
        const std::string extension = line.substr(Head.size(), comma - Head.size());
        const std::string priority = line.substr(comma + 1, priorityEnd - comma - 1);
        size_t appStart = priorityEnd + 1;
        std::string label;
        if (line[priorityEnd] == '(') {
            const size_t close = line.find("),", priorityEnd);
            if (close == std::string::npos) {
                found.push_back("not a line of ours: " + line);
                continue;
            }
            label = line.substr(priorityEnd + 1, close - priorityEnd - 1);
            appStart = close + 2;
        }
        if (priority != "1" && priority != "n")
            found.push_back("a priority of neither kind: " + line);
        auto &labels = contexts[current].labels[extension];
        if (labels.empty() && priority != "1")
            found.push_back("extension not starting at 1: " + line);
        labels.insert("1");
        if (!label.empty()) {
            for (const auto &[name, others] : contexts[current].labels) {
                if (others.count(label))
                    found.push_back("label twice in " + current + ": " + line);
            }
            labels.insert(label);
        }
        const std::string app = line.substr(appStart);
        int depth = 0;
        for (size_t i = 0; i < app.size(); ++i) {
            if (app[i] == ';' && (i == 0 || app[i - 1] != '\\'))
                found.push_back("unescaped semicolon: " + line);
            depth += app[i] == '(' ? 1 : app[i] == ')' ? -1 : 0;
            if (depth < 0)
                break;
        }
        if (depth != 0)
            found.push_back("unbalanced: " + line);
        if (app.starts_with("Goto(") || app.starts_with("GotoIf(")) {
            // Every "context-NAME,EXTENSION,LABEL" the jump names.
            auto nameChar = [](char c) {
                return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-';
            };
            for (size_t at = app.find("context-"); at != std::string::npos;
                 at = app.find("context-", at + 1)) {
                size_t end = at;
                while (end < app.size() && nameChar(app[end]))
                    ++end;
                const size_t extensionEnd = app.find_first_of(",:()", end + 1);
                if (end >= app.size() || app[end] != ',' || extensionEnd == std::string::npos ||
                    app[extensionEnd] != ',')
                    continue;
                size_t labelEnd = extensionEnd + 1;
                while (labelEnd < app.size() && nameChar(app[labelEnd]))
                    ++labelEnd;
                jumps.emplace_back(app.substr(at, end - at) + "|" +
                                       app.substr(end + 1, extensionEnd - end - 1) + "|" +
                                       app.substr(extensionEnd + 1, labelEnd - extensionEnd - 1),
                                   line);
            }
        }
    }
    for (const auto &[where, from] : jumps) {
        const size_t bar = where.find('|');
        const size_t bar2 = where.find('|', bar + 1);
        const auto context = contexts.find(where.substr(0, bar));
        const std::string extension = where.substr(bar + 1, bar2 - bar - 1);
        const std::string label = where.substr(bar2 + 1);
        if (context == contexts.end() || !context->second.labels.count(extension) ||
            !context->second.labels.at(extension).count(label))
            found.push_back("jump to nowhere: " + from);
    }
    return found;
}

class ModernExport : public test::ExportFixture
{
protected:
    ModernExport()
    {
        DialplanSettings settings = doc.dialplanSettings();
        settings.Dialect = DialplanDialect::Modern;
        doc.setDialplanSettings(settings);
    }

    // The lines of one context, without comments.
    static std::vector<std::string> context(const std::string &text, const std::string &name)
    {
        std::vector<std::string> result;
        std::istringstream in(text);
        bool inside = false;
        for (std::string line; std::getline(in, line);) {
            if (line.starts_with("["))
                inside = line == "[" + name + "]";
            else if (inside && line.starts_with("exten"))
                result.push_back(line);
        }
        return result;
    }
};

} // namespace

TEST(ModernDialplan, NamesBecomeLabelsAndValuesStayOneArgument)
{
    EXPECT_EQ(ModernDialplan::safeName("Home(1)"), "Home_1_");
    EXPECT_EQ(ModernDialplan::safeName("a b;c-d_e"), "a_b_c-d_e");
    EXPECT_EQ(ModernDialplan::safeName("\xC3\x9C"), "__");
    // Asterisk splits on commas and takes quotes and backslashes away; references and
    // expressions are replaced before that, so their commas stay.
    EXPECT_EQ(ModernDialplan::argument(R"(a,b "c" d\e)"), R"(a\,b \"c\" d\\e)");
    EXPECT_EQ(ModernDialplan::argument("${IF($[1]?a,b)},x"), "${IF($[1]?a,b)}\\,x");
    EXPECT_EQ(ModernDialplan::argument("$[${a} , 2] ,"), "$[${a} , 2] \\,");

    // The checker the export tests use finds what it looks for.
    const std::vector<std::string> found =
        problems("[context-a]\nexten => s,n(x),Goto(context-a,s,y)\nexten => t,1(x),Set(a=b;c)\n");
    EXPECT_EQ(found.size(), 4u); // priority, label twice, semicolon, jump
}

TEST_F(ModernExport, EveryKindWritesLinesTodaysAsteriskRuns)
{
    doc.addOrUpdateVariable("n", "", "");
    const NodeId wave = place(doc.startNode(), Kind::PlayWave, {1, 0}, "Wave",
                              {{"file", "hello, world.wav"}, {"Tooltip", "says hello ; "}});
    const NodeId say = place(wave, Kind::PlayValue, {2, 0}, "Say", {{"var", "$n$"}});
    const NodeId tts = place(say, Kind::TTS, {3, 0}, "Speak", {{"var", "$n$"}});
    const NodeId run = place(tts, Kind::Run, {4, 0}, "Run", {{"cmd", "logger"}, {"params", "a"}});
    const NodeId record = place(run, Kind::Record, {5, 0}, "Record",
                                {{"RecordPath", "$RecordPath$"}, {"var", "msg"}, {"timeOut", "3"}});
    const NodeId lang =
        place(record, Kind::SetVar, {6, 0}, "Lang", {{"var", "$lang$"}, {"value", "voice_a"}});
    const NodeId add =
        place(lang, Kind::Op, {7, 0}, "Add", {{"var", "$n$"}, {"op", "Multiply"}, {"value", "-3"}});
    const NodeId dice =
        place(add, Kind::Op, {8, 0}, "Dice", {{"var", "$n$"}, {"op", "Random"}, {"value", "6"}});
    const NodeId mail = place(dice, Kind::SendMail, {9, 0}, "Mail");
    const NodeId wait = place(mail, Kind::Wait, {10, 0}, "Wait");
    const NodeId same = place(wait, Kind::Compare, {11, 0}, "Same",
                              {{"var1", "$n$"}, {"op", "="}, {"var2", "1234"}});
    place(branch(same, 1), Kind::TransferPBX, {13, 1}, "Desk", {{"num", "100"}});
    const NodeId tell = place(branch(same, 0), Kind::CSConnection, {13, 0}, "Tell",
                              {{"Port", "7000"},
                               {"IPAddress", "127.0.0.1"},
                               {"File", "0"},
                               {"Message", "1"},
                               {"MessageBody", "hi, there"}});
    const NodeId file = place(branch(tell, 0), Kind::ACCESSFILES, {15, 0}, "Log",
                              {{"FilePath", "/tmp/log.txt"},
                               {"OperationType", "Open File"},
                               {"AccessType", "Write"},
                               {"TextVar", "$n$"}});
    place(branch(file, 0), Kind::SendDTMF, {17, 0}, "Dial",
          {{"dtmfsend", "12#"}, {"time", "1"}, {"flash", "0"}});
    const std::string text = exported();

    EXPECT_EQ(problems(text), std::vector<std::string>());
    const std::vector<std::string> expected = {
        "exten => s,1(Wave),Playback(var/lib/asterisk/sounds/hello\\, world)",
        "exten => s,n(Say),SayNumber(${IF($[\"${n}\" = \"\"]?0:${n})},f)",
        "exten => s,n(Speak),AGI(QENStar,TTS '${n}' qenfilename)",
        "exten => s,n,Playback(/home/TTSFiles/${qenfilename})",
        "exten => s,n(Run),System(logger \"'a'\")",
        "exten => s,n(Record),Record(${RecordPath}msg.wav,3)",
        "exten => s,n(Lang),Set(lang=voice_a)",
        "exten => s,n,Set(CHANNEL(language)=ar)",
        "exten => s,n(Add),Set(n=$[(0${n}) * (0-3)])",
        "exten => s,n(Dice),Set(n=${RAND(0,$[(06) - 1])})",
        "exten => s,n(Mail),NoOp(SendMail)",
        "exten => s,n(Wait),Wait(0)",
        "exten => s,n(Same),GotoIf($[\"${n}\" = \"1234\"]?context-MainMenu,s,Tell:"
        "context-MainMenu,s,Desk)",
        "exten => s,n(Tell),AGI(QENStar,CS 7000 127.0.0.1 0 1 \\\"hi\\, there\\\")",
        "exten => s,n,GotoIf($[\"${QENStarResult}\" = \"1\"]?context-MainMenu,s,Log)",
        "exten => s,n,Hangup()",
        "exten => s,n(Log),AGI(QENStar,ACC /tmp/log.txt Open Write \\\"${n}\\\")",
        "exten => s,n,GotoIf($[\"${QENStarResult}\" = \"1\"]?context-MainMenu,s,Dial)",
        "exten => s,n,Hangup()",
        "exten => s,n(Dial),SendDTMF(12#,1000)",
        "exten => s,n,Hangup()",
        "exten => s,n(Desk),Goto(default,100,1)",
    };
    EXPECT_EQ(context(text, "context-MainMenu"), expected);
    // The whole file, for the linter and the Asterisk that load the golden files.
    std::string golden = test::maskTimes(text);
    const std::string folder = temp.path().string();
    for (size_t at; (at = golden.find(folder)) != std::string::npos;)
        golden.replace(at, folder.size(), "FOLDER");
    const std::filesystem::path goldenFile =
        std::filesystem::path(std::getenv("VOCARA_TEST_SOURCE_DIR")) /
        "tests/dialplan/golden/every_kind_modern.conf";
    if (std::getenv("VOCARA_UPDATE_GOLDEN"))
        test::writeText(goldenFile, golden);
    EXPECT_EQ(golden, test::readText(goldenFile)) << "compare with " << goldenFile;
    // A tooltip is a comment, without the blanks at its end.
    EXPECT_NE(text.find("\n;$$$$$$$says hello ;\nexten => s,1(Wave)"), std::string::npos);
}

TEST_F(ModernExport, NamesThatClashGetLabelsAndContextsOfTheirOwn)
{
    const NodeId first = place(doc.startNode(), Kind::PlayWave, {1, 0}, "Hello", {{"file", "a"}});
    const NodeId second = place(first, Kind::PlayWave, {2, 0}, "Hello", {{"file", "b"}});
    const NodeId digits = place(second, Kind::PlayWave, {3, 0}, "123", {{"file", "c"}});
    const NodeId menu = place(digits, Kind::UserInput, {4, 0}, "Menu", {{"timeOut", "5"}},
                              {true, true, true, {1, 1}, false});
    // The same key twice: one extension, the second path after the first.
    place(branch(menu, 0), Kind::UserInput, {6, 0}, "Menu", {{"timeOut", ""}},
          {true, true, true, {}, false});
    place(branch(menu, 1), Kind::Hang, {6, 1}, "Menu");
    const std::string text = exported();

    EXPECT_EQ(problems(text), std::vector<std::string>());
    const std::vector<std::string> main = context(text, "context-MainMenu");
    ASSERT_EQ(main.size(), 4u);
    EXPECT_TRUE(main[1].starts_with("exten => s,n(Hello_2),"));
    EXPECT_TRUE(main[2].starts_with("exten => s,n(n123),"));
    EXPECT_EQ(main[3], "exten => s,n,Goto(context-Menu,s,Menu)");
    const std::vector<std::string> inner = context(text, "context-Menu_2");
    const std::vector<std::string> innerLines = {"exten => s,1(Menu),WaitExten()",
                                                 "exten => t,1,Hangup()", "exten => i,1,Hangup()"};
    EXPECT_EQ(inner, innerLines);
    const std::vector<std::string> outer = context(text, "context-Menu");
    EXPECT_NE(std::find(outer.begin(), outer.end(), "exten => 1,1,Goto(context-Menu_2,s,Menu)"),
              outer.end());
    EXPECT_NE(std::find(outer.begin(), outer.end(), "exten => 1,n(Menu_2),Hangup()"), outer.end());
}

TEST_F(ModernExport, ControlCharactersInValuesAreNoJumps)
{
    // The writer marks jumps with \x01 and \x02 until every label is known; a value holding
    // them (a damaged file can) neither ends the export nor becomes a jump.
    const NodeId first = place(doc.startNode(), Kind::PlayWave, {1, 0}, "First",
                               {{"file", std::string("a\x01") + "1\x02" + "b"}});
    place(first, Kind::Wait, {2, 0}, "Pause", {{"second", "\x01"}});
    DialplanSettings settings = doc.dialplanSettings();
    settings.SoundFilePath = "/s\x01x/";
    doc.setDialplanSettings(settings);
    const std::string text = exported();
    EXPECT_EQ(problems(text), std::vector<std::string>());
    EXPECT_NE(text.find("(First),Playback(/s\x01x/a1b)"), std::string::npos);
    EXPECT_NE(text.find("(Pause),Wait(0)"), std::string::npos);
}

TEST_F(ModernExport, OpensAgainAsTheSameFlowAndSavesTheSameBytes)
{
    place(doc.startNode(), Kind::PlayWave, {1, 0}, "Hello",
          {{"file", "a"}, {"Tooltip", "[context]\n#include x"}});
    const std::string first = exported("menu.conf");
    // The flow is comment lines to Asterisk, even where a value starts a line with "[".
    EXPECT_NE(first.find("\n;[Qfl Structure]\n;"), std::string::npos);
    const std::string afterMarker = first.substr(first.find(";[Qfl Structure]"));
    std::istringstream in(afterMarker);
    for (std::string line; std::getline(in, line);)
        EXPECT_TRUE(line.starts_with(";")) << line;
    EXPECT_EQ(first.find('\r'), std::string::npos);

    RecordingDialogs otherDialogs{Answer::Yes};
    CVocaraDoc reopened(otherDialogs);
    reopened.setUserFolder(temp.path());
    reopened.setSecondSource([] { return 0; });
    reopened.setExporter(&exporter);
    reopened.newDocument();
    ASSERT_TRUE(reopened.open((temp / "menu.conf").string()));
    EXPECT_EQ(reopened.dialplanSettings().Dialect, DialplanDialect::Modern);
    reopened.setModified(true);
    ASSERT_TRUE(reopened.save((temp / "menu.conf").string()));
    EXPECT_EQ(test::readText(temp / "menu.conf"), first);

    // The setting is one attribute of the flow's settings, only when it is not the default.
    const std::string flow = *extractFlowText(first);
    EXPECT_NE(flow.find("<Settings dialect=\"modern\">"), std::string::npos);
    DialplanSettings settings = doc.dialplanSettings();
    settings.Dialect = DialplanDialect::Classic;
    doc.setDialplanSettings(settings);
    const std::string classic = exported("classic.conf");
    EXPECT_EQ(classic.find("dialect"), std::string::npos);
    EXPECT_NE(classic.find("\r\n[Qfl Structure] \r\n"), std::string::npos);
}

TEST_F(ModernExport, RandomFlowsJumpOnlyWhereTheirLinesAre)
{
    for (std::uint32_t seed = 1; seed <= 200; ++seed) {
        RecordingDialogs randomDialogs{Answer::Yes};
        CVocaraDoc random(randomDialogs);
        random.setUserFolder(temp.path());
        random.setDefaultSaveFolder(temp.path().string());
        random.setSecondSource([] { return 0; });
        random.setExporter(&exporter);
        random.newDocument();
        random.newDocument();
        test::buildRandomFlow(random, seed);
        const std::filesystem::path file = temp / ("random" + std::to_string(seed) + ".conf");
        ASSERT_TRUE(random.save(file.string())) << seed;
        const std::string text = test::readText(file);
        EXPECT_EQ(problems(text), std::vector<std::string>()) << "seed " << seed;
        // And it opens again as the flow it was: saved again, it is the same file.
        RecordingDialogs againDialogs{Answer::Yes};
        CVocaraDoc again(againDialogs);
        again.setUserFolder(temp.path());
        again.setSecondSource([] { return 0; });
        again.setExporter(&exporter);
        again.newDocument();
        ASSERT_TRUE(again.open(file.string())) << seed;
        again.setModified(true);
        ASSERT_TRUE(again.save(file.string())) << seed;
        EXPECT_EQ(test::readText(file), text) << "seed " << seed;
    }
}
