#include "document/messages.h"
#include "document/recording_dialogs.h"
#include "document/variable_edits.h"
#include "document/vocara_doc.h"

#include <gtest/gtest.h>

using namespace vocara;

TEST(Variables, AddOrUpdateMatchesNamesWithoutRegardToCase)
{
    VariableList list;
    list.addOrUpdate("lang", "Arabic", "Include the lang");
    list.addOrUpdate("LANG", "English", "other");
    ASSERT_EQ(list.count(), 1u);
    EXPECT_EQ(list.at(0), (Variable{"lang", "English", "other"}));
    list.addOrUpdate("count", "0", "");
    EXPECT_EQ(list.count(), 2u);
    EXPECT_EQ(list.indexOfIgnoringCase("COUNT"), 1);
    EXPECT_EQ(list.indexOfIgnoringCase("coun"), -1);
}

TEST(Variables, RemoveNeedsTheExactNameAndTakesTheFirst)
{
    VariableList list;
    list.addOrUpdate("a", "1", "");
    list.addOrUpdate("b", "2", "");
    EXPECT_FALSE(list.remove("A"));
    EXPECT_FALSE(list.remove("zzz"));
    EXPECT_EQ(list.count(), 2u);
    EXPECT_TRUE(list.remove("a"));
    ASSERT_EQ(list.count(), 1u);
    EXPECT_EQ(list.at(0).name, "b");
}

TEST(Variables, DocumentChangesMarkItModified)
{
    RecordingDialogs dialogs;
    CVocaraDoc doc(dialogs);
    doc.newDocument();
    EXPECT_FALSE(doc.isModified());
    EXPECT_FALSE(doc.removeVariable("nothing"));
    EXPECT_FALSE(doc.isModified());
    doc.addOrUpdateVariable("Lang", "English", "x");
    EXPECT_TRUE(doc.isModified());
    EXPECT_EQ(doc.variables().at(0).name, "lang");
    EXPECT_EQ(doc.variables().at(0).defaultValue, "English");
    doc.setModified(false);
    EXPECT_TRUE(doc.removeVariable("lang"));
    EXPECT_TRUE(doc.isModified());
}

TEST(RecordingDialogsTest, AnswersFromTheScriptThenTheFallback)
{
    RecordingDialogs dialogs(Answer::Yes);
    dialogs.queueAnswer(Answer::No);
    dialogs.queueAnswer(Answer::Cancel);
    dialogs.inform("one");
    EXPECT_EQ(dialogs.ask("first?", Question::YesNo), Answer::No);
    EXPECT_EQ(dialogs.ask("second?", Question::YesNo), Answer::No); // no Cancel in Yes/No
    EXPECT_EQ(dialogs.ask("third?", Question::YesNoCancel), Answer::Yes);
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{"one", "first?", "second?", "third?"}));
    EXPECT_EQ(dialogs.entries()[1].type, RecordingDialogs::Type::Ask);
}

namespace {

// The variables a new flow-mode document starts with.
VariableList flowVariables()
{
    RecordingDialogs dialogs;
    CVocaraDoc doc(dialogs);
    doc.newDocument();
    doc.setMode(DocumentMode::Flow);
    return doc.variables();
}

} // namespace

TEST(VariableEdits, AddFollowsTheNamingRulesAndAsksBeforeOverwriting)
{
    using namespace VariableEdits;
    RecordingDialogs dialogs;
    const VariableList start = flowVariables();
    ASSERT_GE(start.indexOfIgnoringCase("lang"), 0);
    // Reserved names are case-sensitive: TIMENOW is a name like any other.
    Outcome outcome = add(start, {"TIMENOW", "1", "now"}, dialogs);
    ASSERT_TRUE(outcome.variables);
    EXPECT_EQ(outcome.variables->at(outcome.variables->count() - 1),
              (Variable{"TIMENOW", "1", "now"}));
    EXPECT_TRUE(outcome.clearFields);
    EXPECT_TRUE(dialogs.texts().empty());
    EXPECT_FALSE(add(start, {"timenow", "1", ""}, dialogs).variables);
    EXPECT_EQ(dialogs.texts().back(), "Reserved Variable Name");

    // lang again: the overwrite question; No keeps it, Yes replaces default and description.
    dialogs.clear();
    EXPECT_FALSE(add(start, {"lang", "English", "spoken"}, dialogs).variables);
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{Msg::OverwriteVariable.data()}));
    dialogs.queueAnswer(Answer::Yes);
    outcome = add(start, {"LANG", "English", "spoken"}, dialogs);
    ASSERT_TRUE(outcome.variables);
    EXPECT_EQ(outcome.variables->count(), start.count());
    EXPECT_EQ(outcome.variables->at(static_cast<size_t>(start.indexOfIgnoringCase("lang"))),
              (Variable{"lang", "English", "spoken"}));

    dialogs.clear();
    EXPECT_FALSE(add(start, {"9lives", "", ""}, dialogs).variables);
    EXPECT_FALSE(add(start, {"my-var", "", ""}, dialogs).variables);
    EXPECT_FALSE(add(start, {"na\xc3\xafve", "", ""}, dialogs).variables);
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{Msg::VariableStartsWithNumber.data(),
                                                         Msg::VariableBadCharacter.data(),
                                                         Msg::VariableBadCharacter.data()}));
    EXPECT_FALSE(add(start, {"", "x", "y"}, dialogs).variables);
    EXPECT_TRUE(add(start, {"_count2", "", ""}, dialogs).variables);
}

TEST(VariableEdits, ModifyKeepsReservedValuesAndOffersToAdd)
{
    using namespace VariableEdits;
    RecordingDialogs dialogs;
    const VariableList start = flowVariables();
    const size_t date = static_cast<size_t>(start.indexOfIgnoringCase("strDate"));
    Outcome outcome = modify(start, {"strDate", "01/01/2020", "today"}, dialogs);
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{Msg::ReservedValueNotChange.data()}));
    ASSERT_TRUE(outcome.variables);
    EXPECT_EQ(outcome.variables->at(date),
              (Variable{"strDate", start.at(date).defaultValue, "today"}));
    EXPECT_TRUE(outcome.focusName);
    EXPECT_TRUE(outcome.clearFields);

    // A name that is not there: No does nothing, Yes adds it.
    dialogs.clear();
    EXPECT_FALSE(modify(start, {"count", "0", ""}, dialogs).variables);
    dialogs.queueAnswer(Answer::Yes);
    outcome = modify(start, {"count", "0", ""}, dialogs);
    ASSERT_TRUE(outcome.variables);
    EXPECT_EQ(outcome.variables->count(), start.count() + 1);
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{Msg::AddMissingVariable.data(),
                                                         Msg::AddMissingVariable.data()}));
    // A bad name: its message, and the name field takes the focus.
    dialogs.clear();
    outcome = modify(start, {"my var", "", ""}, dialogs);
    EXPECT_FALSE(outcome.variables);
    EXPECT_TRUE(outcome.focusName);
    // An ordinary variable takes its new value.
    outcome = modify(start, {"Lang", "English", ""}, dialogs);
    ASSERT_TRUE(outcome.variables);
    EXPECT_EQ(
        outcome.variables->at(static_cast<size_t>(start.indexOfIgnoringCase("lang"))).defaultValue,
        "English");
}

TEST(VariableEdits, DeleteRefusesBuiltInVariables)
{
    using namespace VariableEdits;
    RecordingDialogs dialogs;
    VariableList start = flowVariables();
    start.addOrUpdate("count", "0", "");
    Outcome outcome = remove(start, std::string("RecordPath"), dialogs);
    EXPECT_FALSE(outcome.variables);
    EXPECT_TRUE(outcome.focusName);
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{Msg::CantDeleteBuiltInVariable.data()}));
    outcome = remove(start, std::string("count"), dialogs);
    ASSERT_TRUE(outcome.variables);
    EXPECT_EQ(outcome.variables->indexOfIgnoringCase("count"), -1);
    EXPECT_TRUE(outcome.clearNameAndValue);
    // Nothing selected: the fields are cleared, nothing else.
    outcome = remove(start, std::nullopt, dialogs);
    EXPECT_FALSE(outcome.variables);
    EXPECT_TRUE(outcome.clearNameAndValue);
}

TEST(VariableEdits, ADeletedVariableLeavesTheSavedFlow)
{
    RecordingDialogs dialogs(Answer::Yes);
    CVocaraDoc doc(dialogs);
    doc.newDocument();
    doc.setMode(DocumentMode::Flow);
    VariableList list = doc.variables();
    list.addOrUpdate("count", "0", "counter");
    doc.setVariables(list);
    EXPECT_TRUE(doc.isModified());
    const VariableEdits::Outcome outcome =
        VariableEdits::remove(doc.variables(), std::string("count"), dialogs);
    doc.setVariables(*outcome.variables);
    const std::filesystem::path path =
        std::filesystem::path(::testing::TempDir()) / "variable_edits.qfl";
    ASSERT_TRUE(doc.save(path.string()));
    EXPECT_EQ(doc.flowText().find("count"), std::string::npos);
    std::filesystem::remove(path);
}
