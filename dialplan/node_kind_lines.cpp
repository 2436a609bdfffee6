// The lines each kind of action node writes into the dialplan.
#include "dialplan/asterisk_config.h"

#include "dialplan/context_file.h"
#include "dialplan/messages.h"
#include "document/flow_format.h"
#include "document/text_util.h"
#include "document/vocara_doc.h"

#include <algorithm>
#include <cstdint>

namespace vocara {

namespace {

constexpr char DQ = '"';

bool containsAny(std::string_view text, std::string_view chars, size_t from)
{
    return text.size() > from && text.find_first_of(chars, from) != std::string_view::npos;
}

} // namespace

void AsteriskConfig::writeMenuOpening(const NodeData &node)
{
    const std::string header = "[context-" + label(node.id) + "]";
    m_writer.setCurrentHeader(header);
    m_writer.writeLine(&node, header, true, false, false);
    m_cursor = {"s", "1"};
    write("exten => s,1,Set(TIMEOUT(response)=" + value(node, "timeOut") + ")", false);
}

void AsteriskConfig::writeSuccessFailure(const NodeData &node, const std::string &firstLine)
{
    const NodeId success = node.children.size() > 0 ? node.children[0] : NoNode;
    const NodeId failure = node.children.size() > 1 ? node.children[1] : NoNode;
    const NodeId yes = firstChild(success);
    const NodeId no = firstChild(failure);
    const std::string y = yes != NoNode ? label(yes) : std::string(DialplanText::NoSuccessChild);
    const std::string z = no != NoNode ? label(no) : std::string(DialplanText::NoFailChild);
    if (node.kind == Kind::Compare)
        write(firstLine + y + ":" + z + ")", true);
    else {
        write(firstLine, true);
        write("exten => " + m_cursor.extension + ",n,GotoIf($[${QENStarResult} = 1]?" + y + ":" +
                  z + ")",
              false);
    }
    for (NodeId branch : {success, failure}) {
        if (branch == NoNode || firstChild(branch) == NoNode)
            continue;
        const std::string jump = JumpTo(branch, branch);
        const std::string gotoPart = jump.substr(jump.find("Goto("));
        write("exten => " + m_cursor.extension + ",n(" + label(branch) + ")," + gotoPart, false);
    }
}

void AsteriskConfig::writeKindLines(const NodeData &node)
{
    const DialplanSettings &settings = m_doc.dialplanSettings();
    switch (node.kind) {
    case Kind::PlayWave:
        write(skeleton(node) + "Playback(" + m_values.playbackPath(node, settings) + ")", true);
        break;
    case Kind::PlayValue:
        write(skeleton(node) + "SayNumber(" + removeAll(converted(node, "var"), ".wav") + ",f)",
              true);
        break;
    case Kind::TTS:
        write(skeleton(node) + "AGI,QENStar|" + m_values.speechArguments(node), true);
        write("exten => " + m_cursor.extension + ",n,Playback(" +
                  LineValues::speechFolder(settings) + "${qenfilename})",
              false);
        break;
    case Kind::Run:
        write(skeleton(node) + "System(" + converted(node, "cmd") + " " + DQ + "'" +
                  converted(node, "params") + "'" + DQ + ")",
              true);
        break;
    case Kind::DbTransaction:
        m_database = true;
        writeSuccessFailure(node,
                            skeleton(node) + "AGI,QENStar|" + m_values.databaseArguments(node));
        break;
    case Kind::Hang:
        write(skeleton(node) + "Hangup", true);
        break;
    case Kind::UserInput:
        writeMenuOpening(node);
        if (m_tracking)
            write("exten => s,2,UserEvent(BranchToIVRNode|Node: " +
                      std::to_string(node.cell.column) + "," + std::to_string(node.cell.row) + ")",
                  false);
        {
            const std::string wave = removeAll(value(node, "wavefile"), ".wav");
            const std::string convertedWave = convertReferences(wave);
            write("exten => s,n,Background(" + settings.SoundFilePath +
                      (convertedWave.empty() ? wave : convertedWave) + "|m|context-" +
                      label(node.id) + ")",
                  false);
        }
        break;
    case Kind::Transfer:
    case Kind::TransferPBX:
        write(skeleton(node) + "Goto(" + value(node, "context") + "," +
                  convertedWithoutQuotes(node, "num") + ",1)",
              true);
        break;
    case Kind::Record:
        write(skeleton(node) + "Record(" + converted(node, "RecordPath") + converted(node, "var") +
                  "|" + value(node, "timeOut") + ")",
              true);
        break;
    case Kind::SetVar: {
        const std::string name = bare(node, "var");
        std::string v = converted(node, "value");
        if (containsAny(v, "-+*/%", 1))
            v = "$[" + v + "]";
        write(skeleton(node) + "Set(" + name + "=" + v + ")", true);
        if (name == "lang")
            write("exten => " + m_cursor.extension + ",n," +
                      (lowerCase(v).find("_a") != std::string::npos ? "Set(LANGUAGE()=Ar)"
                                                                    : "Set(LANGUAGE()=En)"),
                  false);
        break;
    }
    case Kind::Compare: {
        std::string op = value(node, "op");
        if (op == "<>")
            op = "!=";
        writeSuccessFailure(node, skeleton(node) + "GotoIf($[" +
                                      convertedWithoutQuotes(node, "var1") + " " + op + " " +
                                      convertedWithoutQuotes(node, "var2") + "]?");
        break;
    }
    case Kind::Op: {
        const std::string op = value(node, "op");
        std::string k;
        if (op == "Increment")
            k = " + ";
        else if (op == "Decrement")
            k = " - ";
        else if (op == "Random")
            k = " Rand ";
        else if (op == "Multiply")
            k = " * ";
        else if (op == "Divide")
            k = " / ";
        else if (op == "Mod")
            k = " % ";
        write(skeleton(node) + "Set(" + bare(node, "var") + "=$[" + converted(node, "var") + k +
                  converted(node, "value") + "])",
              true);
        break;
    }
    case Kind::SendSMS:
    case Kind::SendFax:
    case Kind::SendMail:
    case Kind::REGEDIT:
        // No dialplan application does these; the line keeps the node's place and label.
        write(skeleton(node) + "NoOp(" + std::string(elementName(node.kind)) + ")", true);
        break;
    case Kind::CSConnection:
        writeSuccessFailure(node,
                            skeleton(node) + "AGI,QENStar|" + m_values.connectionArguments(node));
        break;
    case Kind::ACCESSFILES:
        writeSuccessFailure(node,
                            skeleton(node) + "AGI,QENStar|" + m_values.fileAccessArguments(node));
        break;
    case Kind::MultiDTMF: {
        writeMenuOpening(node);
        const std::string r = bare(node, "retVar");
        const std::string wave = removeAll(value(node, "file"), ".wav");
        const std::string convertedWave = convertReferences(wave);
        const std::string f = convertedWave.empty() ? wave : convertedWave;
        if (f.empty())
            write("exten => s,n,Read(" + r + ")", true);
        else
            write("exten => s,n,Read(" + r + "|" + settings.SoundFilePath + f + ")", true);
        if (m_tracking)
            write("exten => s,n,UserEvent(DTMF|Key:" + r + ")", true);
        break;
    }
    case Kind::SendDTMF: {
        const std::string flash = value(node, "flash");
        if (flash == "1" || flash.empty())
            write(skeleton(node) + "Flash", true);
        else
            write(skeleton(node) + "SendDTMF(" + convertedWithoutQuotes(node, "dtmfsend") + "," +
                      std::to_string(leadingNumber(value(node, "time")) * 1000) + ")",
                  true);
        break;
    }
    case Kind::Wait:
        write(skeleton(node) + "Wait(" + convertedWithoutQuotes(node, "second") + ")", true);
        break;
    default:
        break;
    }
}

} // namespace vocara
