#include "document/xml_reader.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <filesystem>
#include <fstream>

using namespace vocara;

TEST(XmlReader, ReadsWhatFlowFilesHold)
{
    tinyxml2::XMLDocument doc;
    ASSERT_TRUE(parseXml("\xEF\xBB\xBF<?xml version=\"1.0\" standalone=\"no\" ?>\n<!-- note -->"
                         "<QenIvr a='1' b = \"x &amp; &lt;y&gt; &quot;&apos; &#65;&#x42;&#x20AC;\">"
                         "<Start/>  <![CDATA[<raw>]]>text &amp; more<Empty></Empty></QenIvr>\n",
                         doc));
    const tinyxml2::XMLElement *root = doc.RootElement();
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->Name(), "QenIvr");
    EXPECT_STREQ(root->Attribute("a"), "1");
    EXPECT_STREQ(root->Attribute("b"), "x & <y> \"' AB\xE2\x82\xAC");
    EXPECT_NE(root->FirstChildElement("Start"), nullptr);
    EXPECT_NE(root->FirstChildElement("Empty"), nullptr);
    tinyxml2::XMLPrinter printer(nullptr, true);
    doc.Print(&printer);
    EXPECT_EQ(std::string(printer.CStr()),
              "<?xml version=\"1.0\" standalone=\"no\" ?><!-- note --><QenIvr a=\"1\" b=\"x &amp; "
              "&lt;y&gt; &quot;&apos; AB\xE2\x82\xAC\"><Start/><![CDATA[<raw>]]>text &amp; "
              "more<Empty/></QenIvr>");
}

namespace {

const char *const NotWellFormed[] = {
    "",
    "   ",
    "text",
    "<a>",
    "<a></b>",
    "<a/><b/>",
    "<a x=1/>",
    "<a x=\"1\" x=\"2\"/>",
    "<a x=\"1\"y=\"2\"/>",
    "<a x=\"<\"/>",
    "<a>&unknown;</a>",
    "<a>&#0;</a>",
    "<a>&#x110000;</a>",
    "<a>&#xZZ;</a>",
    "<a x=\"&amp\"/>",
    "<!-- unterminated",
    "<a><![CDATA[open</a>",
    "</a>",
    "<1a/>",
    "<a/>trailing",
};

// The document a file gives when it is read in blocks of `block` bytes, printed; "refused"
// when the parser refuses it.
std::string readInBlocks(const std::string &text, size_t block)
{
    const std::filesystem::path file = std::filesystem::path(::testing::TempDir()) / "blocks.xml";
    {
        std::ofstream out(file, std::ios::binary);
        out << text;
    }
    tinyxml2::XMLDocument doc;
    XmlDomBuilder builder(doc);
    const bool read = parseXmlFile(file, builder, nullptr, MaxXmlDepth, block);
    std::filesystem::remove(file);
    if (!read)
        return "refused";
    tinyxml2::XMLPrinter printer(nullptr, true);
    printXml(doc, printer);
    return printer.CStr();
}

std::string readWhole(const std::string &text)
{
    tinyxml2::XMLDocument doc;
    if (!parseXml(text, doc))
        return "refused";
    tinyxml2::XMLPrinter printer(nullptr, true);
    printXml(doc, printer);
    return printer.CStr();
}

} // namespace

TEST(XmlReader, RefusesWhatIsNotWellFormed)
{
    for (const char *text : NotWellFormed) {
        tinyxml2::XMLDocument doc;
        std::string error;
        EXPECT_FALSE(parseXml(text, doc, &error) && doc.RootElement()) << text;
        EXPECT_EQ(doc.RootElement(), nullptr) << text;
    }
}

TEST(XmlReader, NestingIsLimitedOnlyByACapWhenOneIsGiven)
{
    std::string text;
    for (int i = 0; i < 1000; ++i)
        text += "<n>";
    for (int i = 0; i < 1000; ++i)
        text += "</n>";
    tinyxml2::XMLDocument doc;
    EXPECT_TRUE(parseXml(text, doc));
    std::string error;
    EXPECT_FALSE(parseXml(text, doc, &error, 500));
    EXPECT_NE(error.find("nested too deeply"), std::string::npos);
}

TEST(XmlReader, PrintsAsTheLibraryAndFreesDeepTreesWithoutRecursion)
{
    const std::string text = "\xEF\xBB\xBF<?xml version=\"1.0\" ?>\n<!-- note --><!DOCTYPE x>"
                             "<a k=\"1\" j=\"&amp;\"><b/><c>text &lt;</c><d><e><f/></e></d>"
                             "<![CDATA[raw]]></a><!-- after -->";
    tinyxml2::XMLDocument doc;
    ASSERT_TRUE(parseXml(text, doc));
    tinyxml2::XMLPrinter library;
    doc.Print(&library);
    tinyxml2::XMLPrinter ours;
    printXml(doc, ours);
    EXPECT_STREQ(ours.CStr(), library.CStr());

    // A million levels: freed (and parsed) with no stack to speak of.
    std::string deep;
    const int depth = 1000000;
    for (int i = 0; i < depth; ++i)
        deep += "<n>";
    for (int i = 0; i < depth; ++i)
        deep += "</n>";
    XmlImage image = newXmlImage();
    ASSERT_TRUE(parseXml(deep, *image));
    tinyxml2::XMLPrinter compact(nullptr, true);
    printXml(*image, compact);
    // "<n>" and "</n>" for each level but the innermost, which is "<n/>".
    EXPECT_EQ(std::string(compact.CStr()).size(), 7u * depth - 3u);
    releaseXml(*image);
    EXPECT_EQ(image->FirstChild(), nullptr);
}

TEST(XmlReader, AFileReadInBlocksGivesWhatTheWholeTextGives)
{
    // Every markup split at every place: a block of 1 byte up to more than the text.
    std::vector<std::string> texts(std::begin(NotWellFormed), std::end(NotWellFormed));
    texts.push_back("\xEF\xBB\xBF<?xml version=\"1.0\" ?>\n<!-- a > b --><!DOCTYPE x>"
                    "<QenIvr k=\"1\" j='a&amp;b&#x20AC;' gt=\"x>y\"><Start version=\"3\"/>"
                    "<![CDATA[raw <text> ]] here]]>text &lt; more<e  a = '1'  /><f></f>"
                    "</QenIvr><!-- after -->\n");
    texts.push_back("<a b=\"" + std::string(3000, 'v') + "\">" + std::string(500, ' ') + "</a>");
    for (const std::string &text : texts) {
        const std::string whole = readWhole(text);
        for (size_t block : {1, 2, 3, 5, 8, 13, 17, 64, 4096})
            EXPECT_EQ(readInBlocks(text, block), whole) << text << " in blocks of " << block;
    }
}
