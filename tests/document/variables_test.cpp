#include "document/recording_dialogs.h"
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
