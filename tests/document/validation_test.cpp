#include "document/flow_validator.h"
#include "document/messages.h"
#include "document/recording_dialogs.h"
#include "document/vocara_doc.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

using namespace vocara;

namespace {

using Values = std::vector<std::pair<std::string, std::string>>;

struct Flow
{
    explicit Flow(DocumentMode mode = DocumentMode::Flow)
    {
        doc.setMode(mode);
        doc.resetContent();
    }

    // A node hanging under the start node, so that it is no orphan.
    NodeId place(NodeKind kind, const Values &values)
    {
        const NodeId id = doc.createNode({1, column++}, kind);
        doc.linkUnchecked(doc.startNode(), id);
        for (const auto &[key, value] : values)
            EXPECT_TRUE(doc.setNodeValue(id, key, value)) << key;
        return id;
    }

    // The messages of the lines about one node's property row.
    std::vector<std::string> messages(NodeId id, std::string_view label)
    {
        doc.validateFlow(false);
        const std::string prefix = doc.node(id)->name + " @" + std::string(label) + ":";
        std::vector<std::string> result;
        for (size_t i = 0; i < doc.errorLines().size(); ++i) {
            const std::string &line = doc.errorLines()[i];
            if (doc.errorNodes()[i] == id && line.starts_with(prefix))
                result.push_back(line.substr(prefix.size()));
        }
        return result;
    }

    std::string message(NodeId id, std::string_view label)
    {
        const std::vector<std::string> all = messages(id, label);
        EXPECT_LE(all.size(), 1u);
        return all.empty() ? std::string() : all.front();
    }

    RecordingDialogs dialogs;
    CVocaraDoc doc{dialogs};
    int column = 0;
};

struct Case
{
    const char *what;
    NodeKind kind;
    Values values;
    const char *label;
    std::string_view expected; // empty: the row passes
    DocumentMode mode = DocumentMode::Flow;
};

void runCases(const std::vector<Case> &cases)
{
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        Flow flow(c.mode);
        const NodeId id = flow.place(c.kind, c.values);
        EXPECT_EQ(flow.message(id, c.label), c.expected);
    }
}

} // namespace

TEST(ReferenceResolution, DollarMarksAndVariables)
{
    VariableList variables;
    variables.addOrUpdate("lang", "Arabic", "");
    variables.addOrUpdate("empty", "", "");
    EXPECT_EQ(resolveReference("$lang$", variables), "Arabic");
    EXPECT_EQ(resolveReference("$empty$", variables), "");
    EXPECT_EQ(resolveReference("$LANG$", variables), "LANG"); // names are case-sensitive
    EXPECT_EQ(resolveReference("lang", variables), "lang");
    EXPECT_EQ(resolveReference("$lang", variables), "lang"); // one mark: not a reference
    EXPECT_EQ(resolveReference("a$lang$b", variables), "alangb");
    EXPECT_EQ(resolveReference("$a$b$", variables), "a$b");
    EXPECT_EQ(resolveReference("$$", variables), "");
    EXPECT_EQ(resolveReference("", variables), "");
}

TEST(Validation, LineFormatNameAndLinkChecks)
{
    EXPECT_EQ(errorLine("A", "B", "C"), "A @B:C");

    Flow flow;
    const NodeId first = flow.place(Kind::PlayWave, {{"file", "a.wav"}});
    const NodeId second = flow.place(Kind::PlayWave, {{"file", "b.wav"}});
    flow.doc.setNodeName(first, "Menu");
    flow.doc.setNodeName(second, "Menu");
    const NodeId unnamed = flow.place(Kind::Hang, {});
    flow.doc.setNodeName(unnamed, "");
    const NodeId orphan = flow.doc.createNode({5, 5}, Kind::Hang);
    const NodeId read = flow.doc.createNode({6, 6}, Kind::BranchIfTimeOutRead);
    flow.doc.linkUnchecked(flow.doc.startNode(), read);
    flow.doc.linkUnchecked(read, flow.doc.createNode({7, 6}, Kind::Hang));

    flow.doc.validateFlow(false);
    const std::vector<std::string> expected = {
        "PlayWave @Menu:The Node Name Exist many time Must be unique ",
        "PlayWave @Menu:The Node Name Exist many time Must be unique ",
        "Hang @ Node Name:The Node Must be have a unique name",
        "Hang No2 @Link:Node is Orphan, has no Parents",
        "BranchIfTimeOutRead @BranchIfTimeOutRead No1:This Node must be have not any children ",
    };
    EXPECT_EQ(flow.doc.errorLines(), expected);
    EXPECT_EQ(flow.doc.errorNodes(), (std::vector<NodeId>{first, second, unnamed, orphan, read}));
}

TEST(Validation, NodesInGridOrderAndEveryLineWithItsNode)
{
    Flow flow;
    const NodeId right = flow.doc.createNode({1, 3}, Kind::Hang);
    const NodeId lower = flow.doc.createNode({4, 0}, Kind::Hang);
    const NodeId upper = flow.doc.createNode({2, 0}, Kind::Hang);
    flow.doc.validateFlow(false);
    EXPECT_EQ(flow.doc.errorNodes(), (std::vector<NodeId>{lower, upper, right}));
    ASSERT_EQ(flow.doc.errorLines().size(), 3u);
    EXPECT_EQ(flow.doc.errorLines()[0], "Hang No2 @Link:Node is Orphan, has no Parents");
}

TEST(Validation, NodeLevelRuleReportedOncePerRuleZeroRow)
{
    Flow flow;
    const NodeId input = flow.place(Kind::UserInput, {{"dtmf", "0"}, {"asr", "0"}});
    flow.doc.validateFlow(false);
    std::vector<std::string> labels;
    const std::string name = flow.doc.node(input)->name;
    for (const std::string &line : flow.doc.errorLines()) {
        const std::string tail = ":" + std::string(Msg::NoDtmfNorAsr);
        if (line.ends_with(tail))
            labels.push_back(
                line.substr(name.size() + 2, line.size() - name.size() - 2 - tail.size()));
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"DTMF Enabled", "Delimitter", "ASR Enabled",
                                                "Write ToolTip"}));
}

TEST(Validation, NodeLevelRuleOnConnections)
{
    runCases({
        {"neither file nor message",
         Kind::CSConnection,
         {{"File", "0"}, {"Message", "0"}},
         "File Enabled",
         Msg::NeitherFileNorMessageSelected},
        {"file chosen but not ticked",
         Kind::CSConnection,
         {{"File", "0"}, {"Message", "0"}, {"OpenFile", "a.txt"}},
         "Message Enabled",
         Msg::MustCheckFile},
        {"message written but not ticked",
         Kind::CSConnection,
         {{"File", "1"}, {"Message", "0"}, {"MessageBody", "hi"}},
         "Write ToolTip",
         Msg::MustCheckMessage},
        {"message ticked and written",
         Kind::CSConnection,
         {{"File", "0"}, {"Message", "1"}, {"MessageBody", "hi"}},
         "File Enabled",
         ""},
        {"a UserInput with DTMF",
         Kind::UserInput,
         {{"dtmf", "1"}, {"asr", "0"}},
         "ASR Enabled",
         ""},
        {"other kinds", Kind::PlayWave, {}, "Sync", ""},
    });
}

TEST(Validation, SelectionRule)
{
    runCases({
        {"empty choice", Kind::Compare, {}, "Operation", Msg::NothingSelected},
        {"chosen", Kind::Compare, {{"op", ">"}}, "Operation", ""},
        {"deleting needs no access type",
         Kind::ACCESSFILES,
         {{"OperationType", "Delete File"}},
         "Access Type",
         ""},
        {"opening does",
         Kind::ACCESSFILES,
         {{"OperationType", "Open File"}},
         "Access Type",
         Msg::NothingSelected},
        {"a fax data type", Kind::SendFax, {}, "Data Type", Msg::NothingSelected},
    });
}

TEST(Validation, SqlRule)
{
    struct Sql
    {
        const char *query;
        std::string_view expected;
    };
    const Sql rows[] = {
        {"SELECT a FROM t", ""},
        {"select * from t", Msg::SqlMoreThanOneColumn},
        {"select a from", Msg::SqlWithoutTable},
        {"exec p", Msg::SqlWithoutKeyword},
        {"", Msg::EmptyValue},
        {"select a", Msg::SqlWithoutField}, // no "from" at all must not crash
        {"select from t", ""},              // the keyword itself counts as the field
        {"selectfrom", Msg::SqlWithoutTable},
        {"update t set a = 1", ""},
        {"delete from t", ""},
        {"  Insert into t values (1)", ""},
        {"$q$", ""},
        {"$none$", Msg::SqlWithoutKeyword},
    };
    for (const Sql &row : rows) {
        SCOPED_TRACE(row.query);
        Flow flow;
        flow.doc.addOrUpdateVariable("q", "select name from people", "");
        const NodeId id = flow.place(Kind::DbTransaction,
                                     {{"db", "dsn"}, {"query", row.query}, {"retVar", "$r$"}});
        EXPECT_EQ(flow.message(id, "SQL"), row.expected);
    }
}

TEST(Validation, RequiredRuleAndItsExemptions)
{
    const Values faxByFile = {{"DateType", "File"}, {"FaxFile", "a.tif"}};
    const Values faxByData = {{"DateType", "Data"}, {"Body", "b"}, {"Subject", "s"}};
    runCases({
        {"empty", Kind::SetVar, {}, "Var Name", Msg::EmptyValue},
        {"filled", Kind::SetVar, {{"var", "x"}}, "Var Name", ""},
        {"an unopened file chooser",
         Kind::SendFax,
         {{"FaxFile", "Click to Open"}},
         "Fax File",
         Msg::EmptyValue},
        {"fax from a file needs no body", Kind::SendFax, faxByFile, "Fax Body", ""},
        {"fax from a file needs no cover", Kind::SendFax, faxByFile, "Cover File", ""},
        {"fax from data needs no file", Kind::SendFax, faxByData, "Fax File", ""},
        {"fax from data without subject",
         Kind::SendFax,
         {{"DateType", "Data"}, {"Body", "b"}},
         "Fax Subject",
         Msg::EmptyValue},
        {"fax from data: no cover needed", Kind::SendFax, {{"DateType", "Data"}}, "Cover File", ""},
        {"fax from data: the file still is",
         Kind::SendFax,
         {{"DateType", "Data"}},
         "Fax File",
         Msg::EmptyValue},
        {"fax without type", Kind::SendFax, {}, "Cover File", Msg::EmptyValue},
        {"delete key without value name",
         Kind::REGEDIT,
         {{"DataType", "Delete Key"}},
         "KeyPath",
         ""},
        {"delete key with name and data",
         Kind::REGEDIT,
         {{"DataType", "Delete Key"}, {"ValueName", "n"}, {"ValueData", "d"}},
         "KeyPath",
         Msg::EmptyValue},
        {"create key without data",
         Kind::REGEDIT,
         {{"DataType", "Create Key"}, {"ValueName", "n"}},
         "Value Data",
         ""},
        {"delete value without data",
         Kind::REGEDIT,
         {{"DataType", "Delete Value"}, {"ValueName", "n"}},
         "Value Data",
         ""},
        {"delete value without name",
         Kind::REGEDIT,
         {{"DataType", "Delete Value"}},
         "Value Name",
         Msg::EmptyValue},
        {"set value without data",
         Kind::REGEDIT,
         {{"DataType", "Set Value"}, {"ValueName", "n"}},
         "Value Data",
         Msg::EmptyValue},
        {"get value into a variable",
         Kind::REGEDIT,
         {{"DataType", "Get Value"}, {"ValueName", "n"}, {"ValueData", "$v$"}},
         "Value Data",
         ""},
        {"get value into plain text",
         Kind::REGEDIT,
         {{"DataType", "Get Value"}, {"ValueName", "n"}, {"ValueData", "v$"}},
         "Value Data",
         Msg::NoReturnVariable},
        {"get value into nothing",
         Kind::REGEDIT,
         {{"DataType", "Get Value"}, {"ValueName", "n"}},
         "Value Data",
         Msg::EmptyValue},
        {"delete file needs no text",
         Kind::ACCESSFILES,
         {{"OperationType", "Delete File"}},
         "Text Var",
         ""},
        {"read into a variable",
         Kind::ACCESSFILES,
         {{"OperationType", "Open File"}, {"AccessType", "Read"}, {"TextVar", "$t$"}},
         "Text Var",
         ""},
        {"read into text",
         Kind::ACCESSFILES,
         {{"OperationType", "Open File"}, {"AccessType", "Read"}, {"TextVar", "t"}},
         "Text Var",
         Msg::NoReturnVariable},
        {"write from text",
         Kind::ACCESSFILES,
         {{"OperationType", "Open File"}, {"AccessType", "Write"}, {"TextVar", "t"}},
         "Text Var",
         ""},
        {"speech grammar without speech",
         Kind::UserInput,
         {{"asr", "0"}, {"dtmf", "1"}},
         "File Name",
         ""},
        {"speech grammar with speech",
         Kind::UserInput,
         {{"asr", "1"}},
         "File Name",
         Msg::EmptyValue},
        {"a transfer context",
         Kind::Transfer,
         {},
         "Context Name",
         Msg::EmptyValue,
         DocumentMode::Asterisk},
    });
}

TEST(Validation, NumberRules)
{
    runCases({
        {"empty wait", Kind::Wait, {}, "# Second", Msg::EmptyValue},
        {"a number", Kind::Wait, {{"second", "12"}}, "# Second", ""},
        {"text", Kind::Wait, {{"second", "x1"}}, "# Second", Msg::NotNumeric},
        {"digit first is enough", Kind::Wait, {{"second", "1x"}}, "# Second", ""},
        {"an empty variable counts as 0", Kind::Wait, {{"second", "$nCallerId$"}}, "# Second", ""},
        {"a variable holding text",
         Kind::Wait,
         {{"second", "$lang$"}},
         "# Second",
         Msg::NotNumeric},
        {"record time", Kind::Record, {{"timeOut", "a"}}, "Time", Msg::NotNumeric},
        {"record time empty", Kind::Record, {}, "Time", Msg::EmptyValue},
        {"record time from an empty variable",
         Kind::Record,
         {{"timeOut", "$strDate$"}},
         "Time",
         Msg::EmptyValue},
        {"confidence without speech", Kind::UserInput, {{"asr", "0"}}, "Confidence", ""},
        {"confidence with speech",
         Kind::UserInput,
         {{"asr", "1"}, {"confidence", "high"}},
         "Confidence",
         Msg::NotNumeric},
    });
}

TEST(Validation, KeyRules)
{
    runCases({
        {"all key kinds", Kind::UserInput, {{"allowed", "12#*AF"}}, "Allowed Keys", ""},
        {"a letter beyond F",
         Kind::UserInput,
         {{"allowed", "12x"}},
         "Allowed Keys",
         Msg::InvalidKeys},
        {"lower case", Kind::UserInput, {{"allowed", "a"}}, "Allowed Keys", Msg::InvalidKeys},
        {"no keys", Kind::UserInput, {}, "Allowed Keys", Msg::EmptyValue},
        {"one key", Kind::Record, {{"key", "#"}}, "Key", ""},
        {"two keys", Kind::Record, {{"key", "#*"}}, "Key", Msg::NotOneKey},
        {"no key", Kind::Record, {}, "Key", Msg::EmptyValue},
        {"a variable with one key", Kind::Record, {{"key", "$k$"}}, "Key", ""},
    });
}

TEST(Validation, AddressRules)
{
    runCases({
        {"a mail address", Kind::SendMail, {{"mailto", "a@b.c"}}, "To", ""},
        {"no at", Kind::SendMail, {{"mailto", "ab.c"}}, "To", Msg::MailWithoutAt},
        {"no dot after the at",
         Kind::SendMail,
         {{"mailto", "a.b@c"}},
         "To",
         Msg::MailWithoutServer},
        {"references are not resolved",
         Kind::SendMail,
         {{"mailto", "$to$"}},
         "To",
         Msg::MailWithoutAt},
        {"no address", Kind::SendMail, {}, "To", Msg::EmptyValue},
        {"an IP address", Kind::CSConnection, {{"IPAddress", "127.0.0.1"}}, "IPAddress", ""},
        {"a host name",
         Kind::CSConnection,
         {{"IPAddress", "localhost"}},
         "IPAddress",
         Msg::InvalidServerIp},
        {"no address", Kind::CSConnection, {}, "IPAddress", Msg::EmptyValue},
        {"nothing to send", Kind::CSConnection, {}, "Open File", Msg::NoFileNorMessage},
        {"a message to send", Kind::CSConnection, {{"MessageBody", "hi"}}, "Body", ""},
    });
}

TEST(Validation, WaveAndReturnVariableRules)
{
    runCases({
        {"a wave", Kind::PlayWave, {{"file", "Prompts/Hello.WAV"}}, "File Path", ""},
        {"an mp3", Kind::PlayWave, {{"file", "hello.mp3"}}, "File Path", Msg::NotAWave},
        {"no file", Kind::PlayWave, {}, "File Path", Msg::NotAWave},
        {"select without return variable",
         Kind::DbTransaction,
         {{"query", "SELECT a FROM t"}},
         "Return Var",
         Msg::EmptyValue},
        {"update needs none",
         Kind::DbTransaction,
         {{"query", "update t set a=1"}},
         "Return Var",
         ""},
        // The query is read by its key, so this holds in asterisk mode too.
        {"asterisk layout",
         Kind::DbTransaction,
         {{"query", "select a from t"}},
         "Return Var",
         Msg::EmptyValue,
         DocumentMode::Asterisk},
        {"a UserInput return variable is free", Kind::UserInput, {}, "Return Var", ""},
    });
}

TEST(Validation, ForceSaveQuestionDecidesWhetherSavingGoesOn)
{
    Flow flow;
    EXPECT_TRUE(flow.doc.validateFlow(true)); // a clean flow asks nothing
    EXPECT_TRUE(flow.doc.errorLines().empty());
    EXPECT_TRUE(flow.dialogs.texts().empty());

    flow.doc.createNode({3, 3}, Kind::Hang); // an orphan
    flow.dialogs.queueAnswer(Answer::No);
    EXPECT_FALSE(flow.doc.validateFlow(true));
    flow.dialogs.queueAnswer(Answer::Yes);
    EXPECT_TRUE(flow.doc.validateFlow(true));
    EXPECT_TRUE(flow.doc.validateFlow(false));
    EXPECT_EQ(flow.dialogs.texts(),
              std::vector<std::string>(2, std::string(Msg::ForceSaveQuestion)));
    EXPECT_EQ(flow.doc.errorLines().size(), 1u); // cleared, not appended, each time
}
