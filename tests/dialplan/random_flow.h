#pragma once

#include "document/kind_catalogue.h"
#include "document/vocara_doc.h"

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace vocara::test {

// Builds a random asterisk-mode flow into `doc` (a new document): up to `maxNodes` action
// nodes of every kind hung under the start node's path and the branches the kinds bring,
// cross links back into the flow, and names and values that are hard on a dialplan line
// (commas, quotes, semicolons, brackets, blanks, references, letters beyond ASCII, empty).
inline void buildRandomFlow(CVocaraDoc &doc, std::uint32_t seed, int maxNodes = 40)
{
    std::mt19937 random(seed);
    auto pick = [&random](const auto &items) {
        return items[std::uniform_int_distribution<size_t>(0, items.size() - 1)(random)];
    };
    auto chance = [&random](int percent) {
        return std::uniform_int_distribution<int>(0, 99)(random) < percent;
    };
    static const std::vector<std::string> names = {
        "Menu",  "Menu", "Home(1)", "123",  "a;b",  "",   "Hello world", "Über", "x,y",
        "Check", "t",    "s",       "Bye!", "[no]", "#1", "Goto",        "n",
    };
    static const std::vector<std::string> values = {
        "",    "5",   "$v1$",  "${v2}", "a,b",    "say \"hi\"", "x;y",      "(1)",
        "((",  "é",   "a b",   "-3",    "${v1}x", "1,2,3",      "$v2$.wav", "c:\\d",
        "a|b", "100", "opera", "0",     "$[1+2]", " ",          "ab)",      "f'q'",
    };
    static const std::vector<NodeKind> kinds = {
        Kind::PlayWave, Kind::PlayValue,    Kind::TTS,      Kind::Run,         Kind::DbTransaction,
        Kind::Hang,     Kind::UserInput,    Kind::Transfer, Kind::TransferPBX, Kind::Record,
        Kind::SetVar,   Kind::Compare,      Kind::Op,       Kind::SendSMS,     Kind::SendFax,
        Kind::SendMail, Kind::CSConnection, Kind::REGEDIT,  Kind::ACCESSFILES, Kind::MultiDTMF,
        Kind::SendDTMF, Kind::Wait,
    };
    doc.addOrUpdateVariable("v1", "7", "");
    doc.addOrUpdateVariable("v2", "", "");
    DialplanSettings settings = doc.dialplanSettings();
    settings.AllowIVRCallTracking = chance(30);
    settings.AllowIVRMonitor = chance(30);
    settings.Dialect = DialplanDialect::Modern;
    doc.setDialplanSettings(settings);

    // Nodes that can take a next node: the start, actions without one, empty branches.
    std::vector<NodeId> open{doc.startNode()};
    std::vector<NodeId> actions;
    const int count = std::uniform_int_distribution<int>(1, maxNodes)(random);
    for (int i = 0; i < count && !open.empty(); ++i) {
        const size_t slot = std::uniform_int_distribution<size_t>(0, open.size() - 1)(random);
        const NodeId parent = open[slot];
        open.erase(open.begin() + static_cast<std::ptrdiff_t>(slot));
        if (!actions.empty() && chance(10)) {
            doc.linkUnchecked(parent, pick(actions)); // a cross link, maybe a loop
            continue;
        }
        const NodeKind kind = pick(kinds);
        UserInputChoice choice;
        if (kind == Kind::UserInput) {
            choice = {true, true, true, {}, false};
            for (int key = 0; key < 12; ++key) {
                if (chance(30))
                    choice.keys.push_back(key);
            }
        }
        // A column of its own (its branches take the next): no two nodes share a cell.
        Cell cell{2 * i + 1, i % 7};
        while (doc.nodeAt(cell) != NoNode)
            ++cell.row;
        const NodeId id = doc.addNode(cell, kind, choice);
        doc.setNodeName(id, pick(names));
        const KindDescriptor *descriptor = doc.catalogue().descriptor(kind);
        for (const PropertyDescriptor &property : descriptor->properties) {
            // A check box holds what its editor can give it.
            if (property.editorType == Editor::CheckBox) {
                doc.setNodeValue(id, property.key, chance(50) ? "1" : "0");
                continue;
            }
            const auto items = dropDownItems(property.editorType);
            doc.setNodeValue(id, property.key,
                             !items.empty() && chance(80) ? std::string(pick(items))
                                                          : pick(values));
        }
        doc.linkUnchecked(parent, id);
        actions.push_back(id);
        const NodeData *node = doc.node(id);
        if (!node->children.empty()) {
            for (NodeId branch : node->children)
                open.push_back(branch);
        } else if (kind != Kind::Hang) {
            open.push_back(id);
        }
    }
}

} // namespace vocara::test
