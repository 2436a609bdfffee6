#include "document/autosave_timer.h"
#include "document/ivr_settings.h"
#include "document/recording_dialogs.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

using namespace vocara;

namespace {

// Answers every question by asking the tick again first, as a timer firing under an open box.
class NestingDialogs : public RecordingDialogs
{
public:
    using RecordingDialogs::RecordingDialogs;
    std::function<void()> whileOpen;
    Answer ask(std::string_view question, Question buttons) override
    {
        if (whileOpen)
            whileOpen();
        return RecordingDialogs::ask(question, buttons);
    }
};

} // namespace

TEST(AutoSave, SetUpTicksAndNoStackedQuestions)
{
    test::TempFolder temp;
    RecordingDialogs quiet(Answer::Yes);
    IvrSettings settings(temp / "IvrSet.xml", temp.path().string());
    settings.load(quiet);
    AutoSaveTimer timer;
    settings.setText(Setting::AutoSave, "1");
    settings.setText(Setting::AutoSaveInterval, "2");
    EXPECT_EQ(timer.setUp(settings), 120000);
    settings.setText(Setting::AutoSaveInterval, "0");
    EXPECT_EQ(timer.setUp(settings), 0);
    EXPECT_EQ(settings.text(Setting::AutoSave), "0"); // rewritten
    settings.setText(Setting::AutoSave, "1");
    settings.setText(Setting::AutoSaveInterval, "5");

    int saves = 0;
    NestingDialogs dialogs(Answer::Yes);
    dialogs.whileOpen = [&] {
        timer.tick(true, settings, dialogs, [&] { ++saves; });
    };
    settings.setText(Setting::AutoSaveToDoc, "1");
    timer.tick(true, settings, dialogs, [&] { ++saves; });
    EXPECT_EQ(saves, 1); // the tick under the open question asked nothing
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"Do You Want Save changes ?"});
    timer.tick(false, settings, dialogs, [&] { ++saves; }); // nothing to save
    settings.setText(Setting::AutoSaveToDoc, "0");
    timer.tick(true, settings, dialogs, [&] { ++saves; });
    EXPECT_EQ(saves, 1);
}

TEST(ProgramVersion, PartsJoinedWithDots)
{
    EXPECT_EQ(formatVersion("1, 2, 0, 5"), "1.2.0.5");
    EXPECT_EQ(formatVersion(" 3 ,4"), "3.4");
    EXPECT_EQ(formatVersion("7"), "7");
    EXPECT_EQ(programVersion(), "0.1.0");
}
