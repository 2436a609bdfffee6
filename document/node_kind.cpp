#include "document/node_kind.h"

#include <array>
#include <string>

namespace vocara {

namespace {

constexpr std::array<std::string_view, Kind::Count> ElementNames = {
    "PlayWave",
    "PlayValue",
    "TTS",
    "Run",
    "DbTransaction",
    "Hang",
    "UserInput",
    "Transfer",
    "TransferPBX",
    "Record",
    "SetVar",
    "Compare",
    "Op",
    "SendSMS",
    "SendFax",
    "SendMail",
    "CSConnection",
    "REGEDIT",
    "ACCESSFILES",
    "MultiDTMF",
    "SendDTMF",
    "Wait",
    "BranchIf0",
    "BranchIf1",
    "BranchIf2",
    "BranchIf3",
    "BranchIf4",
    "BranchIf5",
    "BranchIf6",
    "BranchIf7",
    "BranchIf8",
    "BranchIf9",
    "BranchIf*",
    "BranchIf#",
    "BranchIfTrue",
    "BranchIfFalse",
    "BranchIfFail",
    "BranchIfSuccess",
    "BranchIfError",
    "BranchIfEndKeys",
    "BranchIfTimeOut",
    "BranchIfTimeOutRead",
    "Start",
    "BranchIfRecognize",
    "BranchTo",
    "-",
    "-",
    "-",
    "-",
    "SubTree",
};

} // namespace

std::string_view elementName(NodeKind kind)
{
    return isValidKind(kind) ? ElementNames[static_cast<size_t>(kind)] : std::string_view();
}

NodeKind kindFromElementName(std::string_view name)
{
    for (NodeKind kind = 0; kind <= Kind::BranchTo; ++kind) {
        if (ElementNames[static_cast<size_t>(kind)] == name)
            return kind;
    }
    return -1;
}

NodeKind kindFromElement(std::string_view tag, std::string_view value)
{
    if (tag == BranchPrefix)
        return kindFromElementName(std::string(BranchPrefix) + std::string(value));
    return kindFromElementName(tag);
}

std::string_view branchValue(NodeKind kind)
{
    if (!isBranchKind(kind))
        return {};
    return elementName(kind).substr(BranchPrefix.size());
}

} // namespace vocara
