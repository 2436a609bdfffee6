#include "dialplan/asterisk_config.h"
#include "document/flow_format.h"
#include "tests/dialplan/export_fixture.h"

using namespace vocara;
using Lines = std::vector<std::string>;

namespace {

class DialplanLines : public test::ExportFixture
{};

} // namespace

TEST(ConvertReferences, DesignerSyntaxBecomesDialplanSyntax)
{
    EXPECT_EQ(AsteriskConfig::ConvertReferences("welcome$lang$.wav"), "welcome${lang}.wav");
    EXPECT_EQ(AsteriskConfig::ConvertReferences("${a}x"), "${a}x");
    EXPECT_EQ(AsteriskConfig::ConvertReferences("plain"), "");
    EXPECT_EQ(AsteriskConfig::ConvertReferences("$a$-$b$"), "${a}-${b}");
    EXPECT_EQ(AsteriskConfig::ConvertReferences("$a$${b}"), "${a}${b}");
    EXPECT_EQ(AsteriskConfig::ConvertReferences("cost $5"), "cost $5");
}

TEST_F(DialplanLines, AWelcomeAndGoodbye)
{
    const NodeId welcome =
        place(doc.startNode(), Kind::PlayWave, {1, 0}, "Welcome", {{"file", "hello.wav"}});
    place(welcome, Kind::Hang, {2, 0}, "Bye");
    place(NoNode, Kind::Hang, {5, 5}, "Orphan");
    const std::string text = exported();
    EXPECT_EQ(section(text, "[context-MainMenu]"),
              (Lines{"exten => s,1(Welcome),Playback(var/lib/asterisk/sounds/hello)",
                     "exten => s,n(Bye),Hangup"}));
    EXPECT_EQ(text.find("Orphan),"), std::string::npos); // orphans have no lines
}

TEST_F(DialplanLines, MenusOpenContextsAndKeysPickExtensions)
{
    const NodeId menu = place(doc.startNode(), Kind::UserInput, {1, 0}, "Menu(1)",
                              {{"timeOut", "5"}, {"wavefile", "$lang$/menu.wav"}},
                              {true, true, true, {3, 11}, false});
    place(branch(menu, 0), Kind::PlayWave, {3, 0}, "Three", {{"file", "/snd/three.wav"}});
    place(branch(menu, 1), Kind::Hang, {3, 1}, "Hash");
    const std::string plain = exported();
    EXPECT_EQ(section(plain, "[context-MainMenu]"),
              (Lines{"exten => s,1,Goto(context-Menu1,s,1)"}));
    EXPECT_EQ(section(plain, "[context-Menu1]"),
              (Lines{"exten => s,1,Set(TIMEOUT(response)=5)",
                     "exten => s,n,Background(${lang}/menu|m|context-Menu1)",
                     ";$$$$$$$ BranchIf BranchIf3 From Menu(1)",
                     "exten => 3,1(Three),Playback(/snd/three)",
                     ";$$$$$$$ BranchIf BranchIf# From Menu(1)", "exten => #,1(Hash),Hangup"}));

    setTracking(true);
    const std::string tracked = exported("tracked.conf");
    EXPECT_EQ(
        section(tracked, "[context-Menu1]"),
        (Lines{"exten => s,1,Set(TIMEOUT(response)=5)",
               "exten => s,2,UserEvent(BranchToIVRNode|Node: 0,1)",
               "exten => s,n,Background(${lang}/menu|m|context-Menu1)",
               "exten => 3,1,UserEvent(DTMF|Key: 3)", ";$$$$$$$ BranchIf BranchIf3 From Menu(1)",
               "exten => 3,n(Three),Playback(/snd/three)",
               "exten => 3,n,UserEvent(BranchToIVRNode|Node: 0,3)",
               "exten => #,1,UserEvent(DTMF|Key: #)", ";$$$$$$$ BranchIf BranchIf# From Menu(1)",
               "exten => #,n(Hash),Hangup", "exten => #,n,UserEvent(BranchToIVRNode|Node: 1,3)",
               "exten => t,1,UserEvent(DTMF|Key: t)", "exten => i,1,UserEvent(DTMF|Key: i)"}));
}

TEST_F(DialplanLines, KindLinesOneByOne)
{
    struct Row
    {
        NodeKind kind;
        std::vector<std::pair<std::string, std::string>> values;
        Lines expected;
    };
    const std::vector<Row> rows = {
        {Kind::SetVar, {{"var", "$x$"}, {"value", "-5"}}, {"exten => s,1(N),Set(x=-5)"}},
        {Kind::SetVar, {{"var", "x"}, {"value", "a+1"}}, {"exten => s,1(N),Set(x=$[a+1])"}},
        {Kind::SetVar,
         {{"var", "$lang$"}, {"value", "lang_ar"}},
         {"exten => s,1(N),Set(lang=lang_ar)", "exten => s,n,Set(LANGUAGE()=Ar)"}},
        {Kind::SetVar,
         {{"var", "lang"}, {"value", "English"}},
         {"exten => s,1(N),Set(lang=English)", "exten => s,n,Set(LANGUAGE()=En)"}},
        {Kind::Op,
         {{"var", "$n$"}, {"op", "Mod"}, {"value", "7"}},
         {"exten => s,1(N),Set(n=$[${n} % 7])"}},
        {Kind::SendDTMF,
         {{"dtmfsend", "123"}, {"time", "2"}, {"flash", "0"}},
         {"exten => s,1(N),SendDTMF(123,2000)"}},
        {Kind::SendDTMF, {{"dtmfsend", "123"}, {"flash", "1"}}, {"exten => s,1(N),Flash"}},
        {Kind::SendDTMF, {{"dtmfsend", "1"}}, {"exten => s,1(N),Flash"}},
        {Kind::Wait, {{"second", "'3'"}}, {"exten => s,1(N),Wait('3')"}},
        {Kind::Wait, {{"second", "$'t'$"}}, {"exten => s,1(N),Wait(${t})"}},
        {Kind::PlayValue, {{"var", "$amount$"}}, {"exten => s,1(N),SayNumber(${amount},f)"}},
        {Kind::TTS,
         {{"var", "$text$"}},
         {"exten => s,1(N),AGI,QENStar|TTS '${text}' qenfilename",
          "exten => s,n,Playback(/home/TTSFiles/${qenfilename})"}},
        {Kind::Run,
         {{"cmd", "/bin/log"}, {"params", "$x$"}},
         {"exten => s,1(N),System(/bin/log \"'${x}'\")"}},
        {Kind::Record,
         {{"var", "$file$"}, {"RecordPath", "$RecordPath$"}, {"timeOut", "30"}},
         {"exten => s,1(N),Record(${RecordPath}${file}|30)"}},
        {Kind::Transfer,
         {{"context", "sales"}, {"num", "'200'"}},
         {"exten => s,1(N),Goto(sales,'200',1)"}},
        {Kind::TransferPBX, {{"num", "$ext$"}}, {"exten => s,1(N),Goto( ,${ext},1)"}},
        {Kind::SendMail, {}, {"exten => s,1(N),NoOp(SendMail)"}},
        {Kind::PlayWave, {{"file", "$TTSPath$x.wav"}}, {"exten => s,1(N),Playback(${TTSPath}x)"}},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(elementName(row.kind)));
        doc.newDocument();
        const NodeId id = place(doc.startNode(), row.kind, {1, 0}, "N", row.values);
        if (hasBuiltInChildren(row.kind))
            (void)id;
        Lines got = section(exported(), "[context-MainMenu]");
        EXPECT_EQ(got, row.expected);
    }
}

TEST_F(DialplanLines, CompareAndSuccessFailureBranches)
{
    const NodeId compare = place(doc.startNode(), Kind::Compare, {1, 0}, "Check",
                                 {{"var1", "$a$"}, {"op", "<>"}, {"var2", "'5'"}});
    place(branch(compare, 0), Kind::Hang, {3, 0}, "Yes");
    place(branch(compare, 1), Kind::Hang, {3, 1}, "No");
    doc.setNodeName(branch(compare, 0), "T");
    doc.setNodeName(branch(compare, 1), "F");
    EXPECT_EQ(section(exported(), "[context-MainMenu]"),
              (Lines{"exten => s,1(Check),GotoIf($[${a} != '5']?Yes:No)",
                     "exten => s,n(T),Goto(context-MainMenu,s,n)",
                     "exten => s,n(F),Goto(context-MainMenu,s,n)",
                     ";$$$$$$$ BranchIf BranchIfTrue From Check", "exten => s,n(Yes),Hangup",
                     ";$$$$$$$ BranchIf BranchIfFalse From Check", "exten => s,n(No),Hangup"}));
}

TEST_F(DialplanLines, DatabaseQueriesAndMissingBranchTargets)
{
    const NodeId db = place(doc.startNode(), Kind::DbTransaction, {1, 0}, "Lookup",
                            {{"db", "$dsn$"},
                             {"username", "$user$"},
                             {"query", "select name from t"},
                             {"retVar", "$name$"}});
    doc.setNodeValue(db, PasswordSlot, "pw");
    place(branch(db, 1), Kind::Hang, {3, 1}, "Oops");
    doc.setNodeName(branch(db, 1), "Failed");
    const Lines got = section(exported(), "[context-MainMenu]");
    ASSERT_GE(got.size(), 3u);
    EXPECT_EQ(got[0], "exten => s,1(Lookup),AGI,QENStar|DB A ${dsn} ${user} " +
                          scramblePassword("pw") +
                          " \"select  cast(name as binary(6000)) from t\" name");
    EXPECT_EQ(got[1], "exten => s,n,GotoIf($[${QENStarResult} = 1]?No Sucess Chlid:Oops)");
    EXPECT_EQ(got[2], "exten => s,n(Failed),Goto(context-MainMenu,s,n)");

    // No "from" after the select: the query goes out as written, and nothing breaks.
    doc.setNodeValue(db, "query", "select a");
    doc.setNodeValue(db, "rettype", "Digits");
    const Lines plain = section(exported("plain.conf"), "[context-MainMenu]");
    EXPECT_EQ(plain[0], "exten => s,1(Lookup),AGI,QENStar|DB E ${dsn} ${user} " +
                            scramblePassword("pw") + " \"select a\" name");
    doc.setNodeValue(db, "rettype", "Words");
    doc.setNodeValue(db, "query", "from x select");
    EXPECT_NE(exported("odd.conf").find("\"from x select\""), std::string::npos);
}

TEST_F(DialplanLines, ConnectionsAndFiles)
{
    struct Row
    {
        std::vector<std::pair<std::string, std::string>> values;
        std::string expected;
    };
    const std::vector<Row> connections = {
        {{{"Port", "80"},
          {"IPAddress", "1.2.3.4"},
          {"File", "1"},
          {"OpenFile", "f"},
          {"Message", "1"},
          {"MessageBody", "hi"}},
         "80 1.2.3.4 1 f 1 \"hi\""},
        {{{"Port", "80"},
          {"IPAddress", "1.2.3.4"},
          {"File", "0"},
          {"Message", "1"},
          {"MessageBody", "hi"}},
         "80 1.2.3.4 0 1 \"hi\""},
        {{{"Port", "80"},
          {"IPAddress", "1.2.3.4"},
          {"File", "1"},
          {"OpenFile", "f"},
          {"Message", "0"}},
         "80 1.2.3.4 1 f"},
        {{{"Port", "$p$"}, {"IPAddress", "1.2.3.4"}}, "${p} 1.2.3.4 1  1 \"\""},
    };
    for (const Row &row : connections) {
        doc.newDocument();
        place(doc.startNode(), Kind::CSConnection, {1, 0}, "C", row.values);
        EXPECT_EQ(section(exported(), "[context-MainMenu]").at(0),
                  "exten => s,1(C),AGI,QENStar|CS " + row.expected);
    }
    doc.newDocument();
    place(doc.startNode(), Kind::ACCESSFILES, {1, 0}, "A",
          {{"FilePath", "/tmp/x"},
           {"OperationType", "Open File"},
           {"AccessType", "Read"},
           {"TextVar", "$text$"}});
    EXPECT_EQ(section(exported(), "[context-MainMenu]").at(0),
              "exten => s,1(A),AGI,QENStar|ACC /tmp/x Open Read text");
    doc.setNodeValue(doc.nodeAt({1, 0}), "AccessType", "Write");
    EXPECT_EQ(section(exported(), "[context-MainMenu]").at(0),
              "exten => s,1(A),AGI,QENStar|ACC /tmp/x Open Write \"${text}\"");
}

TEST_F(DialplanLines, CrossLinksJumpInsteadOfRepeating)
{
    const NodeId menu = place(doc.startNode(), Kind::UserInput, {1, 0}, "Main", {{"timeOut", "5"}},
                              {true, true, true, {4, 5}, false});
    const NodeId four =
        place(branch(menu, 0), Kind::PlayWave, {3, 0}, "Fun ExtenName s", {{"file", "a.wav"}});
    doc.linkUnchecked(branch(menu, 1), four); // BranchIf5 leads to the same node
    const std::string text = exported();
    const Lines main = section(text, "[context-Main]");
    EXPECT_EQ(std::count(main.begin(), main.end(),
                         "exten => 4,1(Fun ExtenName s),Playback(var/lib/asterisk/sounds/a)"),
              1);
    EXPECT_NE(std::find(main.begin(), main.end(),
                        "exten => 5,1(BranchIf5 No1),Goto(context-Main,4,Fun ExtenName s)"),
              main.end());
}

TEST_F(DialplanLines, TooltipsAndLineBreaksInValues)
{
    const NodeId first = place(doc.startNode(), Kind::Hang, {1, 0}, "First", {{"Tooltip", "x"}});
    place(first, Kind::PlayWave, {2, 0}, "W",
          {{"file", "a.wav"}, {"Tooltip", "greets\r\nexten => s,1,Hangup"}});
    const std::string text = exported();
    // The line that creates the file has no comments; later ones do.
    EXPECT_EQ(section(text, "[context-MainMenu]"),
              (Lines{"exten => s,1(First),Hangup", ";$$$$$$$greets  exten => s,1,Hangup",
                     "exten => s,n(W),Playback(var/lib/asterisk/sounds/a)"}));
    EXPECT_NE(text.find("\r\n\r\n;$$$$$$$greets"), std::string::npos);
}

TEST_F(DialplanLines, TypedValuesCannotBreakTheirLines)
{
    // A ";" would comment out the rest of the line: it is escaped (and taken out of labels);
    // a value with an open bracket is not written, and validation names it.
    const NodeId set = place(doc.startNode(), Kind::SetVar, {1, 0}, "Set;it",
                             {{"var", "$note$"}, {"value", "a;b"}});
    const NodeId broken =
        place(set, Kind::SetVar, {2, 0}, "Broken", {{"var", "$x$"}, {"value", "f(1"}});
    place(broken, Kind::Hang, {3, 0}, "Bye");
    const std::string text = exported();
    const Lines lines = section(text, "[context-MainMenu]");
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[0], "exten => s,1(Setit),Set(note=a\\;b)");
    EXPECT_EQ(lines[1].find("f(1"), std::string::npos);
    doc.validateFlow(false);
    const std::vector<std::string> &errors = doc.errorLines();
    EXPECT_NE(std::find(errors.begin(), errors.end(),
                        "Broken @Value:Invalid Value (Brackets must be closed in a dialplan)"),
              errors.end());
    EXPECT_TRUE(bracketsBalanced("f(g(1), 2)"));
    EXPECT_FALSE(bracketsBalanced(")("));
}

TEST_F(DialplanLines, FieldsThatNameVariablesTakeOnlyNames)
{
    // A name with a blank or a quote cannot be a variable on a dialplan line: validation says
    // so, and the dialplan for today's Asterisk writes a name it takes.
    const NodeId set = place(doc.startNode(), Kind::SetVar, {1, 0}, "Set",
                             {{"var", "say \"hi\""}, {"value", "1"}});
    const NodeId good =
        place(set, Kind::SetVar, {2, 0}, "Good", {{"var", "${ok_1}"}, {"value", "2"}});
    place(good, Kind::Op, {3, 0}, "Count", {{"var", "-3"}, {"op", "Increment"}, {"value", "1"}});
    doc.validateFlow(false);
    const std::vector<std::string> &errors = doc.errorLines();
    const std::string message = "Invalid Value (A variable name has only letters, digits and _)";
    EXPECT_NE(std::find(errors.begin(), errors.end(), "Set @Var Name:" + message), errors.end());
    EXPECT_NE(std::find(errors.begin(), errors.end(), "Count @Var1 Name:" + message), errors.end());
    for (const std::string &line : errors)
        EXPECT_EQ(line.find("Good"), std::string::npos) << line;
    EXPECT_TRUE(isVariableName("$lang$"));
    EXPECT_FALSE(isVariableName("a.b"));

    DialplanSettings settings = doc.dialplanSettings();
    settings.Dialect = DialplanDialect::Modern;
    doc.setDialplanSettings(settings);
    const std::string text = exported();
    EXPECT_NE(text.find("(Set),Set(say__hi_=1)"), std::string::npos);
    EXPECT_NE(text.find("(Good),Set(ok_1=2)"), std::string::npos);
    EXPECT_NE(text.find("(Count),Set(v_3=$[(0${v_3}) + (01)])"), std::string::npos);
}
