// The lines each kind of action node writes into a dialplan for today's Asterisk.
#include "dialplan/modern_dialplan.h"

#include "dialplan/messages.h"
#include "document/text_util.h"
#include "document/vocara_doc.h"

#include <cstdint>

namespace vocara {

namespace {

bool isBlank(std::string_view text)
{
    return text.find_first_not_of(' ') == std::string_view::npos;
}

// A number for an expression that may be empty at run time: "(0${x})" is 0 when x is empty,
// and "(0-3)" is still -3.
std::string numberTerm(const std::string &value)
{
    return "(0" + value + ")";
}

// A file name for Record: it needs a format, and the flow plays recordings as waves.
std::string recordingName(const std::string &path)
{
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash))
        return path;
    return path + ".wav";
}

} // namespace

std::string ModernDialplan::condition(const NodeData &node) const
{
    if (node.kind != Kind::Compare)
        return R"($["${QENStarResult}" = "1"])";
    const std::string op = m_values.value(node, "op");
    const std::string a = m_values.withoutQuotes(node, "var1");
    const std::string b = m_values.withoutQuotes(node, "var2");
    // Equality compares the texts, as the simulator does; quoted, an empty value is still
    // a value. Order compares numbers.
    if (op == "=" || op == "<>")
        return "$[\"" + a + "\" " + (op == "=" ? "=" : "!=") + " \"" + b + "\"]";
    return "$[" + numberTerm(a) + " " + op + " " + numberTerm(b) + "]";
}

ModernDialplan::After ModernDialplan::writeOwnLines(const NodeData &node, Place place)
{
    const DialplanSettings &settings = m_doc.dialplanSettings();
    const LineValues &v = m_values;
    auto line = [&](const std::string &app) {
        add(place, app, &node);
    };
    auto agi = [&](const std::string &arguments) {
        line("AGI(QENStar," + argument(arguments) + ")");
    };
    switch (node.kind) {
    case Kind::PlayWave:
        line("Playback(" + argument(v.playbackPath(node, settings)) + ")");
        break;
    case Kind::PlayValue: {
        const std::string number = removeAll(v.converted(node, "var"), ".wav");
        // SayNumber ends the call when it is given nothing to say.
        if (number.find('$') == std::string::npos)
            line("SayNumber(" + argument(isBlank(number) ? "0" : number) + ",f)");
        else
            line("SayNumber(${IF($[\"" + number + "\" = \"\"]?0:" + number + ")},f)");
        break;
    }
    case Kind::TTS:
        agi(v.speechArguments(node));
        line("Playback(" + argument(LineValues::speechFolder(settings)) + "${qenfilename})");
        break;
    case Kind::Run:
        // System hands its text to the shell as it is.
        line("System(" + v.converted(node, "cmd") + " \"'" + v.converted(node, "params") + "'\")");
        break;
    case Kind::DbTransaction:
        agi(v.databaseArguments(node));
        writeFork(node, place, condition(node));
        return After::Forks;
    case Kind::CSConnection:
        agi(v.connectionArguments(node));
        writeFork(node, place, condition(node));
        return After::Forks;
    case Kind::ACCESSFILES:
        agi(v.fileAccessArguments(node));
        writeFork(node, place, condition(node));
        return After::Forks;
    case Kind::Compare:
        writeFork(node, place, condition(node));
        return After::Forks;
    case Kind::Hang:
        line("Hangup()");
        return After::Ends;
    case Kind::Transfer:
    case Kind::TransferPBX: {
        const std::string number = v.withoutQuotes(node, "num");
        if (isBlank(number)) {
            line("Hangup()");
            return After::Ends;
        }
        const std::string context = v.value(node, "context");
        line("Goto(" + argument(isBlank(context) ? DialplanText::TransferDefaultContext : context) +
             "," + argument(number) + ",1)");
        return After::Ends;
    }
    case Kind::Record:
        line("Record(" +
             argument(recordingName(v.converted(node, "RecordPath") + v.converted(node, "var"))) +
             "," + argument(v.converted(node, "timeOut")) + ")");
        break;
    case Kind::SetVar: {
        const std::string name = v.bare(node, "var");
        std::string value = v.converted(node, "value");
        if (value.size() > 1 && value.find_first_of("-+*/%", 1) != std::string::npos)
            value = "$[" + value + "]";
        line("Set(" + name + "=" + value + ")");
        if (name == "lang")
            line(lowerCase(value).find("_a") != std::string::npos ? "Set(CHANNEL(language)=ar)"
                                                                  : "Set(CHANNEL(language)=en)");
        break;
    }
    case Kind::Op: {
        const std::string op = v.value(node, "op");
        const std::string name = v.bare(node, "var");
        const std::string x = numberTerm("${" + name + "}");
        const std::string by = numberTerm(v.converted(node, "value"));
        if (op == "Random") {
            line("Set(" + name + "=${RAND(0,$[" + by + " - 1])})");
            break;
        }
        std::string symbol = "+";
        if (op == "Decrement")
            symbol = "-";
        else if (op == "Multiply")
            symbol = "*";
        else if (op == "Divide")
            symbol = "/";
        else if (op == "Mod")
            symbol = "%";
        line("Set(" + name + "=$[" + x + " " + symbol + " " + by + "])");
        break;
    }
    case Kind::SendSMS:
    case Kind::SendFax:
    case Kind::SendMail:
    case Kind::REGEDIT:
        // No dialplan application does these; the line keeps the node's place and label.
        line("NoOp(" + std::string(elementName(node.kind)) + ")");
        break;
    case Kind::SendDTMF: {
        const std::string flash = v.value(node, "flash");
        if (flash == "1" || flash.empty())
            line("SendDTMF(f)"); // a hook flash, where the channel has one
        else
            line("SendDTMF(" + argument(v.withoutQuotes(node, "dtmfsend")) + "," +
                 std::to_string(leadingNumber(v.value(node, "time")) * 1000) + ")");
        break;
    }
    case Kind::Wait: {
        const std::string seconds = v.withoutQuotes(node, "second");
        line("Wait(" + argument(isBlank(seconds) ? "0" : seconds) + ")");
        break;
    }
    default:
        line("NoOp(" + std::string(elementName(node.kind)) + ")");
        break;
    }
    if (m_tracking)
        add(place, tracking(node));
    return After::GoesOn;
}

} // namespace vocara
