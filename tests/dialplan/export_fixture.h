#pragma once

#include "dialplan/dialplan_export.h"
#include "document/recording_dialogs.h"
#include "document/vocara_doc.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vocara::test {

// Times and dates vary with the clock and the zone: "HH:MM:SS" and "DD/MM/YYYY" stand in.
inline std::string maskTimes(std::string text)
{
    auto digitsAt = [&](size_t at, std::string_view shape) {
        if (at + shape.size() > text.size())
            return false;
        for (size_t i = 0; i < shape.size(); ++i) {
            const char c = text[at + i];
            if (shape[i] == 'd' ? (c < '0' || c > '9') : c != shape[i])
                return false;
        }
        return true;
    };
    for (size_t at = 0; at < text.size(); ++at) {
        if (digitsAt(at, "dd:dd:dd"))
            text.replace(at, 8, "HH:MM:SS");
        else if (digitsAt(at, "dd/dd/dddd"))
            text.replace(at, 10, "DD/MM/YYYY");
    }
    return text;
}

// An asterisk-mode flow saved through the real export, with a fixed clock.
class ExportFixture : public ::testing::Test
{
protected:
    ExportFixture()
    {
        doc.setUserFolder(temp.path());
        doc.setDefaultSaveFolder(temp.path().string());
        doc.setSecondSource([] { return 0; });
        doc.setExporter(&exporter);
        exporter.setClock([] { return std::time_t(1700000000); });
        doc.newDocument();
        doc.newDocument(); // File New: asterisk mode
    }

    void setTracking(bool on)
    {
        DialplanSettings settings = doc.dialplanSettings();
        settings.AllowIVRCallTracking = on;
        doc.setDialplanSettings(settings);
    }

    NodeId place(NodeId parent, NodeKind kind, Cell cell, const std::string &name,
                 const std::vector<std::pair<std::string, std::string>> &values = {},
                 const UserInputChoice &choice = {})
    {
        const NodeId id = doc.addNode(cell, kind, choice);
        doc.setNodeName(id, name);
        if (parent != NoNode)
            doc.linkUnchecked(parent, id);
        for (const auto &[key, value] : values)
            doc.setNodeValue(id, key, value);
        return id;
    }

    NodeId branch(NodeId parent, size_t index) const
    {
        return doc.node(parent)->children.at(index);
    }

    // The saved file's text.
    std::string exported(const std::string &name = "menu.conf")
    {
        EXPECT_TRUE(doc.save((temp / name).string()));
        return readText(temp / name);
    }

    static std::vector<std::string> lines(const std::string &text)
    {
        std::vector<std::string> result;
        size_t start = 0;
        for (size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
            result.push_back(text.substr(start, at - start));
        result.push_back(text.substr(start));
        return result;
    }

    // The lines after a section header up to the next banner or the file information.
    std::vector<std::string> section(const std::string &text, const std::string &header)
    {
        const std::vector<std::string> all = lines(text);
        std::vector<std::string> result;
        bool inside = false;
        for (const std::string &line : all) {
            if (inside && line.starts_with(";;;;;;"))
                break;
            if (inside && !line.empty())
                result.push_back(line);
            if (line == header)
                inside = true;
        }
        return result;
    }

    TempFolder temp;
    RecordingDialogs dialogs{Answer::Yes};
    CVocaraDoc doc{dialogs};
    AsteriskExporter exporter;
};

} // namespace vocara::test
