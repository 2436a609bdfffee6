#include "document/kind_catalogue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace vocara;

namespace {

const KindCatalogue &flow()
{
    return KindCatalogue::forMode(CatalogueMode::Flow);
}

const KindCatalogue &asterisk()
{
    return KindCatalogue::forMode(CatalogueMode::Asterisk);
}

std::vector<std::string> keysOf(const KindCatalogue &catalogue, NodeKind kind)
{
    std::vector<std::string> keys;
    for (const PropertyDescriptor &p : catalogue.descriptor(kind)->properties)
        keys.emplace_back(p.key);
    return keys;
}

} // namespace

TEST(KindCatalogue, PropertyCountsOfEveryActionKindInBothModes)
{
    struct Row
    {
        NodeKind kind;
        int asteriskCount;
        int flowCount;
    };
    const Row rows[] = {
        {Kind::PlayWave, 3, 3},    {Kind::PlayValue, 4, 4},     {Kind::TTS, 4, 4},
        {Kind::Run, 3, 3},         {Kind::DbTransaction, 8, 4}, {Kind::Hang, 1, 1},
        {Kind::UserInput, 11, 10}, {Kind::Transfer, 3, 2},      {Kind::TransferPBX, 3, 3},
        {Kind::Record, 5, 5},      {Kind::SetVar, 3, 3},        {Kind::Compare, 4, 4},
        {Kind::Op, 4, 4},          {Kind::SendSMS, 3, 3},       {Kind::SendFax, 8, 8},
        {Kind::SendMail, 5, 5},    {Kind::CSConnection, 7, 7},  {Kind::REGEDIT, 6, 6},
        {Kind::ACCESSFILES, 5, 5}, {Kind::MultiDTMF, 4, 4},     {Kind::SendDTMF, 4, 4},
        {Kind::Wait, 2, 2},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(std::string(elementName(row.kind)));
        EXPECT_EQ(asterisk().propertyCount(row.kind), row.asteriskCount);
        EXPECT_EQ(flow().propertyCount(row.kind), row.flowCount);
        // Every action kind ends with the tooltip row.
        for (const KindCatalogue *catalogue : {&flow(), &asterisk()}) {
            const PropertyDescriptor *last =
                catalogue->property(row.kind, catalogue->propertyCount(row.kind) - 1);
            ASSERT_NE(last, nullptr);
            EXPECT_EQ(last->key, "Tooltip");
            EXPECT_EQ(last->label, "Write ToolTip");
            EXPECT_EQ(last->description, "Node Description Appear as TooTip");
        }
    }
}

TEST(KindCatalogue, AsteriskOnlyPropertiesShiftTheFlowLayout)
{
    EXPECT_EQ(keysOf(asterisk(), Kind::DbTransaction),
              (std::vector<std::string>{"db", "username", "password", "query", "retVar", "rettype",
                                        "retlang", "Tooltip"}));
    EXPECT_EQ(keysOf(flow(), Kind::DbTransaction),
              (std::vector<std::string>{"db", "query", "retVar", "Tooltip"}));
    EXPECT_EQ(keysOf(flow(), Kind::Transfer), (std::vector<std::string>{"num", "Tooltip"}));
    EXPECT_EQ(asterisk().propertyIndex(Kind::UserInput, "wavefile"), 9);
    EXPECT_EQ(flow().propertyIndex(Kind::UserInput, "wavefile"), -1);
    EXPECT_EQ(flow().propertyIndex(Kind::UserInput, "Tooltip"), 9);
    // The UserInput slots the dialog fills are the same in both layouts.
    for (const char *key : {"dtmf", "numKeys", "allowed", "asr"})
        EXPECT_EQ(flow().propertyIndex(Kind::UserInput, key),
                  asterisk().propertyIndex(Kind::UserInput, key));
}

TEST(KindCatalogue, RowsLockedInAsteriskModeOnly)
{
    struct Row
    {
        NodeKind kind;
        const char *label;
    };
    const Row locked[] = {
        {Kind::PlayWave, "Sync"},        {Kind::PlayValue, "Sync"},
        {Kind::PlayValue, "Digits"},     {Kind::TTS, "Sync"},
        {Kind::UserInput, "Return Var"}, {Kind::UserInput, "No Of Keys"},
        {Kind::UserInput, "Delimitter"}, {Kind::UserInput, "ASR Enabled"},
        {Kind::UserInput, "File Name"},  {Kind::UserInput, "Confidence"},
    };
    int lockedCount = 0;
    for (NodeKind kind = 0; kind < Kind::Count; ++kind) {
        const KindDescriptor *descriptor = asterisk().descriptor(kind);
        if (!descriptor)
            continue;
        for (const PropertyDescriptor &p : descriptor->properties) {
            bool expectedLocked = false;
            for (const Row &row : locked)
                expectedLocked |= row.kind == kind && p.label == row.label;
            EXPECT_EQ(p.editable, !expectedLocked) << elementName(kind) << " " << p.label;
            lockedCount += p.editable ? 0 : 1;
        }
        for (const PropertyDescriptor &p : flow().descriptor(kind)->properties)
            EXPECT_TRUE(p.editable) << elementName(kind) << " " << p.label;
    }
    EXPECT_EQ(lockedCount, 10);
}

TEST(KindCatalogue, TextsKeptLetterForLetter)
{
    const PropertyDescriptor *deleteFile = flow().property(Kind::SendFax, 6);
    EXPECT_EQ(deleteFile->label, "Delete File");
    EXPECT_EQ(deleteFile->description, "Choose Body Data Type");
    EXPECT_EQ(flow().property(Kind::SendFax, 5)->key, "DateType");
    EXPECT_EQ(asterisk().property(Kind::Transfer, 0)->description,
              "Determine Context Name to Transfer to ");
    EXPECT_EQ(flow().property(Kind::REGEDIT, 4)->description, " Variable stored data");
    EXPECT_EQ(flow().property(Kind::Wait, 0)->description, "Number Of Second To Wait ");
    EXPECT_EQ(flow().property(Kind::SendDTMF, 2)->description, "Check if you used Flash Key ");
    EXPECT_EQ(flow().property(Kind::Record, 1)->description,
              "The recording file path (the path must be exist and ending by /)");
    EXPECT_EQ(flow().descriptor(Kind::UserInput)->groupKeyword, "DTMF");
    EXPECT_EQ(flow().descriptor(Kind::Op)->displayName, "Operation");
    EXPECT_EQ(flow().descriptor(Kind::SendMail)->displayName, "Email");
    EXPECT_EQ(flow().property(Kind::CSConnection, 5)->checkRule, 11);
    EXPECT_EQ(flow().property(Kind::DbTransaction, 1)->checkRule, 2);
    EXPECT_EQ(flow().property(Kind::PlayWave, 0)->editorType, Editor::FileChooser);
}

TEST(KindCatalogue, BranchStartAndCrossLinkKindsAreNamedAfterThemselves)
{
    for (NodeKind kind = Kind::BranchIf0; kind <= Kind::BranchTo; ++kind) {
        const KindDescriptor *descriptor = flow().descriptor(kind);
        ASSERT_NE(descriptor, nullptr) << kind;
        EXPECT_EQ(descriptor->displayName, elementName(kind));
        EXPECT_EQ(descriptor->description, elementName(kind));
        ASSERT_EQ(descriptor->propertyCount, 1);
        EXPECT_EQ(descriptor->properties[0].key, "Tooltip");
    }
    for (NodeKind kind : {45, 46, 47, 48, 49, -1, 50}) {
        EXPECT_EQ(flow().descriptor(kind), nullptr) << kind;
        EXPECT_EQ(asterisk().property(kind, 0), nullptr) << kind;
        EXPECT_EQ(flow().propertyCount(kind), 0);
    }
    EXPECT_EQ(flow().property(Kind::Hang, 1), nullptr);
    EXPECT_EQ(flow().property(Kind::Hang, -1), nullptr);
}

TEST(KindCatalogue, PropertyIndexIsCaseSensitiveAndTakesTheFirstMatch)
{
    EXPECT_EQ(flow().propertyIndex(Kind::SendFax, "Phone"), 0);
    EXPECT_EQ(flow().propertyIndex(Kind::SendFax, "phone"), -1);
    EXPECT_EQ(flow().propertyIndex(Kind::SendSMS, "phone"), 0);
    EXPECT_EQ(flow().propertyIndex(Kind::Record, "RecordPath"), 1);
    EXPECT_EQ(flow().propertyIndex(Kind::Record, "tooltip"), -1);
    EXPECT_EQ(flow().propertyIndex(49, "Tooltip"), -1);
}

TEST(KindNames, ElementNamesAndLookups)
{
    EXPECT_EQ(kindFromElement("BranchIf", "*"), 32);
    EXPECT_EQ(kindFromElement("BranchIf", "#"), 33);
    EXPECT_EQ(kindFromElement("BranchIf", "TimeOutRead"), 41);
    EXPECT_EQ(kindFromElement("BranchIf", "Recognize"), 43);
    EXPECT_EQ(kindFromElement("BranchIf", "7"), 29);
    EXPECT_EQ(kindFromElement("BranchIf", "success"), -1);
    EXPECT_EQ(kindFromElement("BranchIf", ""), -1);
    EXPECT_EQ(kindFromElement("PlayWave", "ignored"), 0);
    EXPECT_EQ(kindFromElement("BranchTo", ""), 44);
    EXPECT_EQ(kindFromElementName("playwave"), -1);
    EXPECT_EQ(kindFromElementName("Nothing"), -1);
    EXPECT_EQ(kindFromElementName("-"), -1);       // kinds 45..48 have no real name
    EXPECT_EQ(kindFromElementName("SubTree"), -1); // reserved, never read from a file

    for (NodeKind kind = 0; kind <= Kind::BranchTo; ++kind) {
        EXPECT_EQ(kindFromElementName(elementName(kind)), kind);
        if (isBranchKind(kind)) {
            EXPECT_EQ(kindFromElement("BranchIf", branchValue(kind)), kind);
        } else {
            EXPECT_TRUE(branchValue(kind).empty());
        }
    }
    EXPECT_EQ(elementName(-1), "");
    EXPECT_EQ(elementName(50), "");
}

TEST(KindNames, KindClasses)
{
    int branches = 0;
    int actions = 0;
    for (NodeKind kind = 0; kind < Kind::Count; ++kind) {
        branches += isBranchKind(kind);
        actions += isActionKind(kind);
        EXPECT_EQ(imageClassOf(kind), kind <= 21 ? 168 : 184) << kind;
        if (isBranchKind(kind)) {
            EXPECT_TRUE(elementName(kind).starts_with("BranchIf")) << kind;
        }
    }
    EXPECT_EQ(actions, 22);
    EXPECT_EQ(branches, 21); // 22..41 and 43
    EXPECT_FALSE(isBranchKind(Kind::Start));
    EXPECT_FALSE(isBranchKind(Kind::BranchTo));
    EXPECT_TRUE(isBranchKind(Kind::BranchIfRecognize));

    int builtIn = 0;
    for (NodeKind kind = 0; kind < Kind::Count; ++kind)
        builtIn += hasBuiltInChildren(kind);
    EXPECT_EQ(builtIn, 10);
}

TEST(PropertyCategory, RowsGroupedByKeyword)
{
    auto categoriesOf = [](const KindCatalogue &catalogue, NodeKind kind) {
        std::vector<std::string> result;
        const KindDescriptor *d = catalogue.descriptor(kind);
        for (int i = 0; i < d->propertyCount; ++i)
            result.emplace_back(
                propertyCategory(d->groupKeyword, i, d->properties[static_cast<size_t>(i)].key));
        return result;
    };
    const std::string node = "Node Properties";
    const std::string general = "General Properties";
    EXPECT_EQ(
        categoriesOf(asterisk(), Kind::UserInput),
        (std::vector<std::string>{node, node, "DTMF Node", "DTMF Node", "DTMF Node", "DTMF Node",
                                  "ASR Node", "ASR Node", "ASR Node", general, general}));
    EXPECT_EQ(categoriesOf(flow(), Kind::UserInput).back(), general);
    EXPECT_EQ(categoriesOf(flow(), Kind::CSConnection),
              (std::vector<std::string>{node, node, "Send File ", "Send File ", "Send Message ",
                                        "Send Message ", general}));
    EXPECT_EQ(
        categoriesOf(flow(), Kind::REGEDIT),
        (std::vector<std::string>{node, node, node, "Set Parameters", "Set Parameters", general}));
    EXPECT_EQ(categoriesOf(flow(), Kind::PlayWave),
              (std::vector<std::string>{node, node, general}));
    EXPECT_EQ(categoriesOf(asterisk(), Kind::DbTransaction),
              (std::vector<std::string>{node, node, node, node, node, node, node, general}));
    EXPECT_EQ(categoriesOf(flow(), Kind::BranchIfSuccess), (std::vector<std::string>{general}));
}

TEST(DropDowns, ChoicesInDisplayOrder)
{
    auto items = [](int editor) {
        std::vector<std::string> result;
        for (std::string_view item : dropDownItems(editor))
            result.emplace_back(item);
        return result;
    };
    EXPECT_EQ(items(Editor::Comparison),
              (std::vector<std::string>{">", ">=", "<", "<=", "=", "<>"}));
    EXPECT_EQ(items(Editor::FileOperation),
              (std::vector<std::string>{"Create File", "Open File", "Delete File"}));
    EXPECT_EQ(items(Editor::RegistryHive).size(), 5u);
    EXPECT_EQ(items(Editor::TtsEngine).front(), "Microsoft Speech Engine");
    EXPECT_TRUE(items(Editor::Text).empty());
    EXPECT_TRUE(items(Editor::CheckBox).empty());
}
