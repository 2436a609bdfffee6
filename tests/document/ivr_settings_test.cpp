#include "document/ivr_settings.h"
#include "document/recording_dialogs.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <climits>

using namespace vocara;
using test::readText;
using test::writeText;

namespace {

const std::string ExpectedDefault =
    R"(<?xml version="1.0" standalone="no" ?><IvrSet version="3001"><Settings>)"
    R"(<LineColorNotSel value="0"/><LineColorSel value="255"/>)"
    R"(<NodeColorNotSel value="16777215"/><NodeColorSel value="23290"/>)"
    R"(<LineColorXPath value="12632256"/><LineSelectionTolerance value="3"/>)"
    R"(<AutoSave value="1"/><AutoSaveToDoc value="0"/><AutoSaveInterval value="10"/>)"
    R"(<LineTypeRightAngle value="0"/><ToolbarMainPosition value="8192"/>)"
    R"(<ToolbarTruePosition value="4096"/><ViewLeftSize value="200"/>)"
    R"(<ViewRightSize value="200"/><ToolTipColor value="176236249"/>)"
    R"(<SimulatorNodeColorSel value="16711680"/><SimulatorPathColorSel value="65280"/>)"
    R"(<DefaultTreePath value=""/><DefaultSaveFolder value="/opt/ivr"/></Settings></IvrSet>)";

class Settings : public ::testing::Test
{
protected:
    std::filesystem::path file() const { return temp / "IvrSet.xml"; }
    std::unique_ptr<IvrSettings> make() const
    {
        return std::make_unique<IvrSettings>(file(), temp.path().string());
    }

    test::TempFolder temp;
    RecordingDialogs dialogs;
};

} // namespace

TEST(SettingsText, DefaultTextLetterForLetter)
{
    EXPECT_EQ(IvrSettings::defaultText("/opt/ivr"), ExpectedDefault);
    // A folder name with XML's special characters still gives a well-formed file.
    EXPECT_NE(IvrSettings::defaultText("/a&b/\"c\"").find(R"(value="/a&amp;b/&quot;c&quot;")"),
              std::string::npos);
    EXPECT_EQ(settingKey(6), "");
    EXPECT_EQ(settingKey(0), "");
    EXPECT_EQ(settingKey(21), "");
    EXPECT_EQ(settingKey(Setting::ToolTipColor), "ToolTipColor");
}

TEST_F(Settings, MissingFileIsCreatedWithTheDefaults)
{
    auto settings = make();
    EXPECT_FALSE(settings->load(dialogs));
    EXPECT_TRUE(dialogs.texts().empty());
    ASSERT_TRUE(std::filesystem::exists(file()));

    IvrSettings reread(file(), "elsewhere");
    EXPECT_TRUE(reread.load(dialogs));
    EXPECT_EQ(reread.text(Setting::DefaultSaveFolder), temp.path().string());
    struct Row
    {
        int id;
        long long value;
    };
    const Row rows[] = {{Setting::NodeColorSel, 23290},
                        {Setting::NodeColorNotSel, 16777215},
                        {Setting::LineColorSel, 255},
                        {Setting::LineColorNotSel, 0},
                        {Setting::LineColorXPath, 12632256},
                        {Setting::LineSelectionTolerance, 3},
                        {Setting::AutoSave, 1},
                        {Setting::AutoSaveInterval, 10},
                        {Setting::AutoSaveToDoc, 0},
                        {Setting::LineTypeRightAngle, 0},
                        {Setting::ToolbarMainPosition, 8192},
                        {Setting::ToolbarTruePosition, 4096},
                        {Setting::ToolTipColor, 176236249},
                        {Setting::ViewLeftSize, 200},
                        {Setting::ViewRightSize, 200},
                        {Setting::SimulatorNodeColorSel, 16711680},
                        {Setting::SimulatorPathColorSel, 65280}};
    for (const Row &row : rows)
        EXPECT_EQ(reread.number(row.id), row.value) << settingKey(row.id);
    EXPECT_EQ(reread.get(Setting::DefaultTreePath), std::optional<std::string>(""));
    EXPECT_EQ(reread.get(6), std::nullopt);
    EXPECT_TRUE(dialogs.texts().empty());
}

TEST_F(Settings, ChangesSurviveASaveAndReload)
{
    auto settings = make();
    settings->load(dialogs);
    settings->setNumber(Setting::NodeColorSel, 123);
    settings->setText(Setting::DefaultTreePath, "/flows/a & \"b\" <c>.qfl");
    settings->setNumber(Setting::ViewLeftSize, 0);
    settings->setText(6, "ignored");
    ASSERT_TRUE(settings->save());
    EXPECT_EQ(temp.entryCount(), 1u); // nothing left over from the temporary file

    auto reread = make();
    EXPECT_TRUE(reread->load(dialogs));
    EXPECT_EQ(reread->number(Setting::NodeColorSel), 123);
    EXPECT_EQ(reread->text(Setting::DefaultTreePath), "/flows/a & \"b\" <c>.qfl");
    EXPECT_EQ(reread->get(Setting::ViewLeftSize), std::optional<std::string>("0"));
    EXPECT_EQ(reread->get(6), std::nullopt);
}

TEST_F(Settings, EverySavedValueReadsBackTheSame)
{
    // A comment after the root is no junk.
    writeText(file(), IvrSettings::defaultText("/opt") + "<!-- end -->\n");
    auto settings = make();
    EXPECT_TRUE(settings->load(dialogs));
    const std::string values[] = {
        "line\r\nends\rmixed\n",      " padded ",         "tab\there", "&amp; <![CDATA[x]]> &#13;",
        "utf-8 \xc3\xa9\xe2\x82\xac", "\x01\x1f control", "cut\0after"};
    for (const std::string &value : values) {
        SCOPED_TRACE(value);
        settings->setText(Setting::DefaultTreePath, value);
        const std::string held = settings->text(Setting::DefaultTreePath);
        ASSERT_TRUE(settings->save());
        auto reread = make();
        EXPECT_TRUE(reread->load(dialogs));
        EXPECT_EQ(reread->text(Setting::DefaultTreePath), held);
        for (int id = 1; id <= Setting::DefaultTreePath; ++id)
            EXPECT_EQ(reread->get(id), settings->get(id)) << id;
    }
    EXPECT_TRUE(dialogs.texts().empty());
}

TEST_F(Settings, AbsentElementsReadAsNothingAndIgnoreWrites)
{
    writeText(file(), R"(<?xml version="1.0" ?><IvrSet version="3001"><Settings>)"
                      R"(<ViewRightSize value="7"/><AutoSave/></Settings></IvrSet>)");
    auto settings = make();
    EXPECT_TRUE(settings->load(dialogs));
    EXPECT_EQ(settings->get(Setting::ViewLeftSize), std::nullopt);
    EXPECT_EQ(settings->number(Setting::ViewLeftSize), 0);
    EXPECT_EQ(settings->get(Setting::AutoSave), std::nullopt); // element without the attribute
    settings->setNumber(Setting::ViewLeftSize, 300);
    EXPECT_EQ(settings->get(Setting::ViewLeftSize), std::nullopt);
    EXPECT_EQ(settings->number(Setting::ViewRightSize), 7);
    ASSERT_TRUE(settings->save());
    EXPECT_EQ(readText(file()).find("ViewLeftSize"), std::string::npos);
    // An absent save folder falls back to the program folder.
    EXPECT_EQ(settings->defaultSaveFolder(), temp.path().string());
    EXPECT_TRUE(dialogs.texts().empty());
}

TEST_F(Settings, UnreadableFilesAreKeptAsideAndReplacedByTheDefaults)
{
    const std::string broken[] = {
        "",
        "not xml at all",
        R"(<?xml version="1.0" ?>)",
        R"(<IvrSet version="3001"><Settings><AutoSave value="1"/></IvrSet>)",
        R"(<Other><Settings/></Other>)",
        R"(<IvrSet version="3001"/>)",
        // Anything after the root: once read, saved back and then refused on the next start.
        IvrSettings::defaultText("/opt") + "junk",
        IvrSettings::defaultText("/opt") + "<Other/>",
        IvrSettings::defaultText("/opt") + R"(<IvrSet version="3001"><Settings/></IvrSet>)",
        IvrSettings::defaultText("/opt") + "<?xml version=\"1.0\"?>",
        "text first" + IvrSettings::defaultText("/opt"),
    };
    for (const std::string &content : broken) {
        SCOPED_TRACE(content);
        std::filesystem::remove(temp / "IvrSet.xml.bad");
        writeText(file(), content);
        dialogs.clear();
        auto settings = make();
        EXPECT_FALSE(settings->load(dialogs));
        EXPECT_EQ(readText(temp / "IvrSet.xml.bad"), content);
        EXPECT_EQ(readText(file()).find(R"(<AutoSaveInterval value="10"/>)") != std::string::npos,
                  true);
        EXPECT_EQ(settings->number(Setting::AutoSaveInterval), 10);
        EXPECT_EQ(settings->defaultSaveFolder(), temp.path().string());
        ASSERT_EQ(dialogs.texts().size(), 1u);
        EXPECT_NE(dialogs.texts()[0].find("IvrSet.xml.bad"), std::string::npos);
    }
}

TEST_F(Settings, UnwritableSettingsFolderIsReported)
{
    writeText(temp / "plain", "a file where a folder should be");
    IvrSettings settings(temp / "plain/IvrSet.xml", temp.path().string());
    EXPECT_FALSE(settings.load(dialogs));
    ASSERT_EQ(dialogs.texts().size(), 1u);
    EXPECT_NE(dialogs.texts()[0].find("could not be saved"), std::string::npos);
    EXPECT_NE(dialogs.texts()[0].find("Not a directory"), std::string::npos);
    EXPECT_EQ(settings.number(Setting::AutoSaveInterval), 10); // the defaults still hold
    std::string error;
    EXPECT_FALSE(settings.save(&error));
    EXPECT_FALSE(error.empty());
}

TEST_F(Settings, EmptySaveFolderMeansTheProgramFolder)
{
    auto settings = make();
    settings->load(dialogs);
    settings->setText(Setting::DefaultSaveFolder, "");
    EXPECT_EQ(settings->defaultSaveFolder(), temp.path().string());
    settings->setText(Setting::DefaultSaveFolder, "/srv/flows");
    EXPECT_EQ(settings->defaultSaveFolder(), "/srv/flows");
}

TEST_F(Settings, AutoSavePeriodInMilliseconds)
{
    auto settings = make();
    settings->load(dialogs);
    const std::pair<const char *, int> rows[] = {
        {"10", 600000},
        {"1", 60000},
        {"0", 0},
        {"-5", 0},
        {"99999999999", INT_MAX},
        {"35791", INT_MAX / 60000 * 60000},
        {"35792", INT_MAX},
        {"abc", 0},
        {"", 0},
        {"7 minutes", 420000},
    };
    for (const auto &[text, expected] : rows) {
        settings->setText(Setting::AutoSaveInterval, text);
        EXPECT_EQ(settings->autoSaveIntervalMs(), expected) << text;
    }
}
