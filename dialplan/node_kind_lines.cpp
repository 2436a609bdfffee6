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

// Leading decimal digits, 0 for none.
std::int64_t leadingNumber(std::string_view text)
{
    std::int64_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9' || number > INT64_MAX / 100)
            break;
        number = number * 10 + (c - '0');
    }
    return number;
}

// Casts the selected column so that the database returns it whole; a statement without
// "from" after "select" is left as it is.
std::string castSelectedColumn(const std::string &query)
{
    const std::string lowered = lowerCase(query);
    const size_t select = lowered.find("select");
    const size_t from = lowered.find("from");
    if (select == std::string::npos || from == std::string::npos || from <= select ||
        select + 7 > query.size())
        return query;
    std::string result = query;
    result.insert(select + 7, " cast(");
    if (from + 5 > result.size())
        return query;
    result.insert(from + 5, " as binary(6000))");
    return result;
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
    case Kind::PlayWave: {
        const std::string f = removeAll(converted(node, "file"), ".wav");
        std::string path;
        if (f.find("RecordPath") != std::string::npos || f.find("TTSPath") != std::string::npos ||
            f.find('/') != std::string::npos)
            path = f;
        else if (settings.SoundFilePath.empty())
            path = "var/lib/asterisk/sounds/" + f;
        else
            path = settings.SoundFilePath + f;
        write(skeleton(node) + "Playback(" + path + ")", true);
        break;
    }
    case Kind::PlayValue:
        write(skeleton(node) + "SayNumber(" + removeAll(converted(node, "var"), ".wav") + ",f)",
              true);
        break;
    case Kind::TTS: {
        write(skeleton(node) + "AGI,QENStar|TTS '${" + bare(node, "var") + "}' qenfilename", true);
        const std::string folder =
            settings.TTSFilesPath.empty() ? "/home/TTSFiles/" : settings.TTSFilesPath;
        write("exten => " + m_cursor.extension + ",n,Playback(" + folder + "${qenfilename})",
              false);
        break;
    }
    case Kind::Run:
        write(skeleton(node) + "System(" + converted(node, "cmd") + " " + DQ + "'" +
                  converted(node, "params") + "'" + DQ + ")",
              true);
        break;
    case Kind::DbTransaction: {
        m_database = true;
        const std::string type = value(node, "rettype");
        const std::string language = value(node, "retlang");
        std::string l;
        if (type == "Digits" || language == "English")
            l = "E";
        else if (language == "Arabic")
            l = "A";
        std::string query = converted(node, "query");
        if (type != "Digits")
            query = castSelectedColumn(query);
        const std::string password = scramblePassword(node.values[PasswordSlot]);
        const std::string head = skeleton(node) + "AGI,QENStar|DB " + l + " ${" + bare(node, "db") +
                                 "} " + converted(node, "username") + " " + password + " " + DQ +
                                 query + DQ + " " + bare(node, "retVar");
        writeSuccessFailure(node, head);
        break;
    }
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
            const std::string convertedWave = ConvertReferences(wave);
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
    case Kind::CSConnection: {
        const std::string p = convertedWithoutQuotes(node, "Port");
        const std::string i = convertedWithoutQuotes(node, "IPAddress");
        std::string f = value(node, "File");
        std::string m = value(node, "Message");
        if (f.empty())
            f = "1";
        if (m.empty())
            m = "1";
        const std::string o = value(node, "OpenFile");
        const std::string b = value(node, "MessageBody");
        std::string arguments;
        if (f == "0" && m == "1")
            arguments = p + " " + i + " " + f + " " + m + " " + DQ + b + DQ;
        else if (f == "1" && m == "0")
            arguments = p + " " + i + " " + f + " " + o;
        else
            arguments = p + " " + i + " " + f + " " + o + " " + m + " " + DQ + b + DQ;
        writeSuccessFailure(node, skeleton(node) + "AGI,QENStar|CS " + arguments);
        break;
    }
    case Kind::ACCESSFILES: {
        const std::string access = value(node, "AccessType");
        const std::string operation = removeAll(value(node, "OperationType"), " File");
        std::string head = skeleton(node) + "AGI,QENStar|ACC " + value(node, "FilePath") + " " +
                           operation + " " + access + " ";
        if (lowerCase(access) == "read")
            head += removeChars(converted(node, "TextVar"), "${}");
        else
            head += DQ + convertedWithoutQuotes(node, "TextVar") + DQ;
        writeSuccessFailure(node, head);
        break;
    }
    case Kind::MultiDTMF: {
        writeMenuOpening(node);
        const std::string r = bare(node, "retVar");
        const std::string wave = removeAll(value(node, "file"), ".wav");
        const std::string convertedWave = ConvertReferences(wave);
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
