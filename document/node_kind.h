#pragma once

#include <string_view>

namespace vocara {

// Node kinds. The numbers are stored in flow files, clipboard blocks and dialplans, so they
// never change.
using NodeKind = int;

namespace Kind {
inline constexpr NodeKind PlayWave = 0;
inline constexpr NodeKind PlayValue = 1;
inline constexpr NodeKind TTS = 2;
inline constexpr NodeKind Run = 3;
inline constexpr NodeKind DbTransaction = 4;
inline constexpr NodeKind Hang = 5;
inline constexpr NodeKind UserInput = 6;
inline constexpr NodeKind Transfer = 7;
inline constexpr NodeKind TransferPBX = 8;
inline constexpr NodeKind Record = 9;
inline constexpr NodeKind SetVar = 10;
inline constexpr NodeKind Compare = 11;
inline constexpr NodeKind Op = 12;
inline constexpr NodeKind SendSMS = 13;
inline constexpr NodeKind SendFax = 14;
inline constexpr NodeKind SendMail = 15;
inline constexpr NodeKind CSConnection = 16;
inline constexpr NodeKind REGEDIT = 17;
inline constexpr NodeKind ACCESSFILES = 18;
inline constexpr NodeKind MultiDTMF = 19;
inline constexpr NodeKind SendDTMF = 20;
inline constexpr NodeKind Wait = 21;
inline constexpr NodeKind BranchIf0 = 22; // BranchIf0 .. BranchIf9 are 22 .. 31
inline constexpr NodeKind BranchIfStar = 32;
inline constexpr NodeKind BranchIfHash = 33;
inline constexpr NodeKind BranchIfTrue = 34;
inline constexpr NodeKind BranchIfFalse = 35;
inline constexpr NodeKind BranchIfFail = 36;
inline constexpr NodeKind BranchIfSuccess = 37;
inline constexpr NodeKind BranchIfError = 38;
inline constexpr NodeKind BranchIfEndKeys = 39;
inline constexpr NodeKind BranchIfTimeOut = 40;
inline constexpr NodeKind BranchIfTimeOutRead = 41;
inline constexpr NodeKind Start = 42;
inline constexpr NodeKind BranchIfRecognize = 43;
inline constexpr NodeKind BranchTo = 44;
inline constexpr NodeKind SubTree = 49;

inline constexpr NodeKind Count = 50;
inline constexpr NodeKind LastAction = Wait;
} // namespace Kind

// Which image strip draws a node: actions and everything else.
inline constexpr int ActionImageClass = 168;
inline constexpr int BranchImageClass = 184;

// The prefix every branch kind's element name starts with; the rest is the branch value.
inline constexpr std::string_view BranchPrefix = "BranchIf";

constexpr bool isValidKind(NodeKind kind)
{
    return kind >= 0 && kind < Kind::Count;
}

constexpr bool isActionKind(NodeKind kind)
{
    return kind >= 0 && kind <= Kind::LastAction;
}

constexpr bool isBranchKind(NodeKind kind)
{
    return kind > Kind::LastAction && kind <= Kind::BranchIfRecognize && kind != Kind::Start;
}

constexpr int imageClassOf(NodeKind kind)
{
    return isActionKind(kind) ? ActionImageClass : BranchImageClass;
}

// Kinds whose branch children are created and deleted with them; nobody links further
// children to them by hand.
constexpr bool hasBuiltInChildren(NodeKind kind)
{
    switch (kind) {
    case Kind::DbTransaction:
    case Kind::UserInput:
    case Kind::Transfer:
    case Kind::TransferPBX:
    case Kind::Compare:
    case Kind::CSConnection:
    case Kind::REGEDIT:
    case Kind::ACCESSFILES:
    case Kind::MultiDTMF:
    case Kind::SendDTMF:
        return true;
    default:
        return false;
    }
}

// The branch kind taken on a keypad key: 0..9 are the digits, 10 is '*', 11 is '#'.
constexpr NodeKind branchKindForKey(int key)
{
    return Kind::BranchIf0 + key;
}

// Element name of a kind as it appears in flow files ("-" for the kinds that have none).
std::string_view elementName(NodeKind kind);

// The kind whose element name equals `name` exactly (kinds 0..44), or -1.
NodeKind kindFromElementName(std::string_view name);

// The kind of a flow-file element: `BranchIf` elements carry their branch in `value`.
NodeKind kindFromElement(std::string_view tag, std::string_view value);

// The branch value of a branch kind ("1", "*", "Success", ...); empty for other kinds.
std::string_view branchValue(NodeKind kind);

} // namespace vocara
