#include "simulator/civr_handler.h"

#include "document/messages.h"
#include "document/text_util.h"
#include "document/xml_reader.h"
#include "platform/atomic_file.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/folders.h"
#include "simulator/abstract_channel.h"
#include "simulator/node_actions.h"
#include "simulator/number_parser.h"
#include "simulator/play_wave_thread.h"
#include "simulator/reference_language.h"
#include "simulator/signal_sounds.h"
#include "simulator/simulator_host.h"
#include "simulator/wave_image.h"

#include <tinyxml2.h>

#include <ctime>
#include <vector>

namespace vocara {

namespace {

using Element = tinyxml2::XMLElement;

bool is(const Element &node, std::string_view tag)
{
    return equalsIgnoringCase(node.Name(), tag);
}

std::string trimmed(std::string_view text)
{
    const size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return {};
    const size_t last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

// Flow files keep the names of files as written on Windows.
std::string slashes(std::string path)
{
    for (char &c : path)
        if (c == '\\')
            c = '/';
    return path;
}

} // namespace

CIVRHandler::CIVRHandler(SimulatorHost &host, NodeActions &actions, Clock &clock,
                         std::atomic<bool> &runActive, AbstractChannel &channel, AudioDevice &audio,
                         std::filesystem::path installFolder)
    : m_host(host)
    , m_actions(actions)
    , m_clock(clock)
    , m_runActive(runActive)
    , m_channel(channel)
    , m_audio(audio)
    , m_installFolder(std::move(installFolder))
    , m_waves(std::make_unique<CPlayWaveThread>(audio, host))
    , m_sounds(std::make_unique<SignalSounds>(audio, m_installFolder))
{}

CIVRHandler::~CIVRHandler()
{
    m_waves->close();
    // The joined prompts of this simulator, and only those.
    for (const std::filesystem::path &file : m_madeFiles) {
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
    }
}

std::string CIVRHandler::Substitute(std::string_view text) const
{
    return vocara::Substitute(text, SubstitutionContext{m_variables, m_callerId});
}

std::string CIVRHandler::attribute(const Element &node, const char *name) const
{
    const char *value = node.Attribute(name);
    return value ? std::string(value) : std::string();
}

std::string CIVRHandler::subst(const Element &node, const char *name) const
{
    return Substitute(attribute(node, name));
}

void CIVRHandler::setVariable(std::string_view name, std::string_view value)
{
    m_variables.set(name, trimmed(value));
}

bool CIVRHandler::StartIVR(const std::string &path, const std::string &folder)
{
    m_sounds->play(SignalSounds::Start, false);
    m_folder = folder;
    XmlImage document = newXmlImage();
    if (!parseXmlFile(path, *document) || !document->RootElement())
        return false;
    m_document = std::move(document);
    const Element *root = m_document->RootElement();

    m_variables.clear();
    if (const Element *declared = root->FirstChildElement("Variables")) {
        for (const Element *var = declared->FirstChildElement(); var;
             var = var->NextSiblingElement())
            m_variables.declare(attribute(*var, "name"), attribute(*var, "default"));
        m_host.log("CIVRHandler::StartIVR>> IVR Variables Loaded");
    } else {
        m_host.log("CIVRHandler::StartIVR>> Can't Load IVR Varialbles");
    }
    setVariable("nCallerId", "000");
    setVariable("strDate", Substitute("$Year($datenow$)$Mon($datenow$)$Day($datenow$)"));
    setVariable("strTime", Substitute("$Hour($timenow$)$Min($timenow$)$Sec($timenow$)"));
    m_host.log("CIVRHandler::StartIVR>> built-in variables have been initialized");

    m_branchLabel.clear();
    buildTrace(root);
    m_cursor = TraceTree::NoItem;
    ProcessNode(root);
    return true;
}

void CIVRHandler::EndIVR()
{
    m_sounds->play(SignalSounds::Stop, false);
    if (!m_document)
        return;
    endInput();
    m_waiting = nullptr;
    m_document.reset();
    m_finalVariables = m_variables;
    m_variables.clear();
    m_host.log("CIVRHandler::EndIVR>> ___EndIVR()");
    m_host.runEnded();
}

void CIVRHandler::buildTrace(const Element *root)
{
    m_trace.clear();
    struct Entry
    {
        const Element *element;
        int parent;
    };
    std::vector<Entry> pending;
    for (const Element *child = root->LastChildElement(); child;
         child = child->PreviousSiblingElement())
        pending.push_back({child, TraceTree::NoItem});
    while (!pending.empty()) {
        const Entry entry = pending.back();
        pending.pop_back();
        const Element &element = *entry.element;
        if (is(element, "Orphans"))
            continue;
        std::string text = element.Name();
        if (is(element, "BranchIf") || is(element, "BranchTo"))
            text += " " + StripDollar(attribute(element, "value"));
        const int item = m_trace.append(entry.parent, std::move(text));
        for (const Element *child = element.LastChildElement(); child;
             child = child->PreviousSiblingElement())
            pending.push_back({child, item});
    }
}

void CIVRHandler::report(const Element &node)
{
    m_host.nodeReported(node.IntAttribute("X"), node.IntAttribute("Y"));
}

void CIVRHandler::setBold(int item, bool bold)
{
    if (!m_trace.valid(item) || m_trace.item(item).bold == bold)
        return;
    m_trace.item(item).bold = bold;
    m_host.traceChanged(m_trace, item);
}

void CIVRHandler::highlightCursor()
{
    if (!m_trace.valid(m_cursor)) {
        m_clock.sleepFor(std::chrono::milliseconds(m_speed));
        return;
    }
    m_trace.item(m_cursor).highlighted = true;
    m_host.traceChanged(m_trace, m_cursor);
    m_clock.sleepFor(std::chrono::milliseconds(m_speed));
    m_trace.item(m_cursor).highlighted = false;
    m_host.traceChanged(m_trace, m_cursor);
}

std::string CIVRHandler::traceLabel(const Element &node) const
{
    const std::string tag = node.Name();
    auto raw = [&](const char *name) {
        return attribute(node, name);
    };
    auto sub = [&](const char *name) {
        return subst(node, name);
    };
    if (is(node, "Compare"))
        return tag + " " + sub("var1") + " " + raw("op") + " " + sub("var2");
    if (is(node, "BranchIf") || is(node, "BranchTo"))
        return tag + " " + raw("value");
    if (is(node, "SetVar"))
        return tag + " " + StripDollar(raw("var")) + " " + sub("value");
    if (is(node, "PlayWave"))
        return tag + " " + sub("file") + " Type= " + raw("type");
    if (is(node, "PlayValue"))
        return tag + " " + sub("var") + " Type= " + raw("type");
    if (is(node, "UserInput"))
        return tag + " Timeout= " + StripDollar(raw("timeOut"));
    if (is(node, "Transfer"))
        return tag + " Num= " + sub("num");
    if (is(node, "TransferPBX"))
        return tag + " line= " + sub("line") + " Num= " + sub("num");
    if (is(node, "DbTransaction"))
        return tag + " Database= " + sub("db");
    if (is(node, "Op"))
        return tag + " " + sub("var") + " " + raw("op") + " " + sub("value");
    if (is(node, "Record"))
        return tag + " " + sub("var");
    if (is(node, "Run"))
        return tag + " " + sub("cmd") + " Parameters= " + sub("params");
    if (is(node, "SendFax"))
        return tag + " Phone No.= " + sub("Phone") + "Date Type= " + raw("DateType");
    if (is(node, "SendMail"))
        return tag + " mail to= " + sub("mailto") + " Attachment= " + sub("attach");
    if (is(node, "TTS"))
        return tag + " " + sub("var") + " Engine = " + sub("engine") + " type = " + sub("type");
    return tag;
}

void CIVRHandler::ProcessNode(const Element *parent)
{
    // One loop instead of one call per node: a flow that loops without waiting runs for as long
    // as the caller stays.
    for (;;) {
        if (!m_runActive || !parent || !m_document) {
            EndIVR();
            return;
        }
        m_clock.sleepFor(std::chrono::milliseconds(100));
        m_waves->WaitWhile(&CPlayWaveThread::SynchronousPending, [this] { return givingUp(); });
        m_cursor = m_trace.firstChild(m_cursor);
        const Element *node = parent->FirstChildElement();
        if (!node) {
            EndIVR();
            return;
        }
        const std::string label = traceLabel(*node);
        if (m_trace.valid(m_cursor)) {
            m_trace.item(m_cursor).text = label;
            m_host.traceChanged(m_trace, m_cursor);
        }
        m_host.nodeTraced(label);
        if (!is(*node, "BranchIf") && !is(*node, "BranchTo"))
            report(*node);
        highlightCursor();
        const int running = m_cursor;
        setBold(running, true);
        if (!ExecuteNode(node)) {
            // A waiting input stays bold until the caller answers.
            if (!m_waiting)
                setBold(running, false);
            return;
        }
        setBold(running, false);
        if (m_trace.valid(m_cursor)) {
            m_trace.item(m_cursor).expanded = true;
            m_host.traceChanged(m_trace, m_cursor);
        }
        parent = node;
    }
}

bool CIVRHandler::ExecuteNode(const Element *&node)
{
    for (int hops = 0; node; ++hops) {
        if (!is(*node, "BranchTo"))
            break;
        if (hops >= MaxCrossLinkHops) {
            node = nullptr;
            return true;
        }
        const Element *found = FindNodeByPath(m_document->RootElement(), attribute(*node, "value"));
        if (!found) {
            node = nullptr; // the run ends where the link leads nowhere
            return true;
        }
        report(*found);
        highlightCursor();
        node = found;
    }
    if (!node)
        return true;
    const Element &n = *node;
    const bool synchronous = attribute(n, "type") != "async";
    std::optional<std::string> read;
    if (is(n, "PlayWave")) {
        DoPlayWave(subst(n, "file"), synchronous, true);
    } else if (is(n, "PlayValue")) {
        DoPlayValue(subst(n, "var"), synchronous, attribute(n, "digits") == "true");
    } else if (is(n, "BranchIf")) {
        node = SelectBranch(node);
    } else if (is(n, "DbTransaction")) {
        const bool ok = m_actions.queryDatabase(subst(n, "db"), subst(n, "query"), read);
        if (read)
            m_variables.set(StripDollar(attribute(n, "retVar")), *read);
        m_branchLabel = ok ? "Success" : "Fail";
    } else if (is(n, "SetVar")) {
        setVariable(StripDollar(attribute(n, "var")), subst(n, "value"));
    } else if (is(n, "Op")) {
        const std::string name = StripDollar(attribute(n, "var"));
        const std::string value = subst(n, "value");
        const std::string op = attribute(n, "op");
        m_host.log("CIVRHandler::DoOperation>> strVarName = " + name + ", strValue = " + value +
                   ", strOp = " + op);
        if (const std::string *current = m_variables.find(name)) {
            if (const auto next = DoOperation(*current, value, op, std::time(nullptr)))
                m_variables.set(name, *next);
        }
    } else if (is(n, "Compare")) {
        m_branchLabel =
            Compare(subst(n, "var1"), subst(n, "var2"), attribute(n, "op")) ? "True" : "False";
    } else if (is(n, "Transfer") || is(n, "TransferPBX")) {
        m_branchLabel = "Fail"; // transfers are not simulated
    } else if (is(n, "Hang")) {
        DoHang();
        return false;
    } else if (is(n, "Record")) {
        DoRecord(n);
    } else if (is(n, "Run")) {
        m_actions.runProgram(subst(n, "cmd"), subst(n, "params"));
    } else if (is(n, "SendMail")) {
        m_actions.sendMail(subst(n, "mailto"), subst(n, "subject"), subst(n, "body"),
                           subst(n, "attach"));
    } else if (is(n, "SendFax")) {
        m_actions.sendFax({subst(n, "Phone"), subst(n, "FaxFile"), subst(n, "CoverFile"),
                           subst(n, "Body"), subst(n, "Subject"), attribute(n, "DateType"),
                           attribute(n, "DeleteFile") == "true"});
    } else if (is(n, "TTS")) {
        const std::string text = subst(n, "var");
        const std::optional<std::string> wave =
            text.empty() ? std::nullopt : m_actions.speak(text, subst(n, "engine"));
        if (!wave)
            return false; // the run halts where it stands
        m_waves->Queue({*wave, m_cursor, synchronous});
    } else if (is(n, "UserInput")) {
        m_waiting = nullptr;
        // The keys that may cut the prompt short are known before it starts.
        takeInputSettings(n);
        if (n.Attribute("wavefile"))
            DoPlayWave(subst(n, "wavefile"), false, true);
        DoUserInput(n);
        return false; // waits for the caller
    } else if (is(n, "MultiDTMF")) {
        m_waiting = nullptr;
        DoUserMultiInput(n);
        return false;
    } else if (is(n, "REGEDIT")) {
        const bool ok = m_actions.editRegistry(attribute(n, "HendleKey"), subst(n, "KeyPath"),
                                               attribute(n, "DataType"), subst(n, "ValueName"),
                                               subst(n, "ValueData"), read);
        if (ok && read)
            m_variables.set(StripDollar(attribute(n, "ValueData")), *read);
        m_branchLabel = ok ? "Success" : "Fail";
    } else if (is(n, "CSConnection")) {
        m_branchLabel =
            m_actions.connect(subst(n, "IPAddress"), subst(n, "Port"),
                              attribute(n, "File") == "true", subst(n, "OpenFile"),
                              attribute(n, "Message") == "true", subst(n, "MessageBody"))
                ? "Success"
                : "Fail";
    } else if (is(n, "ACCESSFILES")) {
        const bool ok =
            m_actions.accessFile(subst(n, "FilePath"), attribute(n, "OperationType"),
                                 attribute(n, "AccessType") == "Write", subst(n, "TextVar"), read);
        if (ok && read)
            m_variables.set(StripDollar(attribute(n, "TextVar")), *read);
        m_branchLabel = ok ? "Success" : "Fail";
    } else if (is(n, "Wait")) {
        const std::string seconds = subst(n, "second");
        m_host.log("CIVRHandler::DoWait>> Seconds = " + seconds);
        // Seconds as 64-bit milliseconds; closing the window cuts the pause short.
        m_clock.sleepFor(std::chrono::seconds(std::max(0, leadingInteger(seconds))));
        m_host.log("CIVRHandler::DoWait>> Finish waiting");
    } else if (is(n, "SendDTMF")) {
        const std::string digits = subst(n, "dtmfsend");
        const std::string time = attribute(n, "time");
        m_host.log("CIVRHandler::DoSendDTMF>> DTMFs = " + digits + ",Time betwwen DTMFs=" + time);
        if (attribute(n, "flash") != "0") {
            m_sounds->play(SignalSounds::Flash, false);
        } else {
            const int interval = std::max(1, leadingInteger(time));
            for (size_t i = 0; i < digits.size() && m_runActive; ++i) {
                m_sounds->play(SignalSounds::SentTone, false);
                m_clock.sleepFor(std::chrono::seconds(interval));
            }
        }
        m_host.log("CIVRHandler::DoWait>> Finish Sending DTMF");
        m_branchLabel = "Success";
    }
    return true;
}

void CIVRHandler::DoPlayWave(const std::string &file, bool synchronous, bool showInTrace)
{
    const std::string name = slashes(file);
    const std::string lower = lowerCase(name);
    const size_t samples = lower.find("samples");
    const size_t waves = lower.find("waves");
    std::filesystem::path path;
    if (samples != std::string::npos && samples > 0 && waves != std::string::npos && waves > 0)
        path = m_installFolder.string() + "/" + name; // the sample flows shipped with the program
    else if (std::filesystem::path(name).is_absolute())
        path = name; // chosen with the file dialog
    else
        path = m_folder + name;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        const std::string text = Msg::fillIn(Msg::FileNotFound, {path.lexically_normal().string()});
        m_host.log(text);
        m_host.message(text);
        return;
    }
    m_waves->Queue({path.lexically_normal().string(), showInTrace ? m_cursor : TraceTree::NoItem,
                    synchronous});
    m_host.log("CIVRHandler::DoPlayWave>> Added to PlayList Wav " + file);
}

void CIVRHandler::DoPlayValue(const std::string &value, bool synchronous, bool wholeNumber)
{
    m_host.log("CIVRHandler::DoPlayValue>> DoPlayValue\tValue=" + value);
    const std::string *declared = m_variables.find("lang");
    const std::string language = declared && !declared->empty() ? *declared : "English";
    NumberParser parser(language, wholeNumber);
    if (!parser.Parse(value))
        m_host.message(Msg::InvalidDateFormat);
    const std::vector<std::string> &prompts = parser.prompts();
    if (prompts.empty())
        return;
    const std::filesystem::path folder = m_installFolder / "Languages" / language;
    std::filesystem::path current = folder / prompts.front();
    if (prompts.size() > 1) {
        std::string error;
        std::vector<std::filesystem::path> files;
        for (const std::string &prompt : prompts)
            files.push_back(folder / prompt);
        const std::optional<WaveImage> joined = JoinWaveFiles(files, &error);
        const std::filesystem::path spool = privateTempFolder("TTSFiles", &error);
        if (!joined || spool.empty()) {
            // The value is skipped; the run goes on.
            m_host.log("CIVRHandler::DoPlayValue>> " + error);
            return;
        }
        static std::atomic<unsigned> made{0};
        char stamp[64];
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        std::strftime(stamp, sizeof stamp, "ZOZIV_%d_%m_%Y_%H_%M_%S", &local);
        current = spool / (std::string(stamp) + "_" + std::to_string(++made) + "_" +
                           std::to_string(prompts.size() - 1) + ".wav");
        if (!SaveWave(*joined, current, &error)) {
            m_host.log("CIVRHandler::DoPlayValue>> " + error);
            return;
        }
        m_madeFiles.push_back(current);
    }
    std::error_code error;
    if (std::filesystem::is_regular_file(current, error))
        m_waves->Queue({current.string(), m_cursor, synchronous});
}

void CIVRHandler::DoHang()
{
    m_host.log("CIVRHandler::DoHang>> DoHang");
    if (!m_waves->LastRequestSynchronous())
        m_host.log("CIVRHandler::DoHang>> DoHang: Current File Is not Sync");
    else
        m_waves->WaitWhile(&CPlayWaveThread::SynchronousPending, [this] { return givingUp(); });
    m_runActive = false;
    m_waves->Accept(false);
    EndIVR();
}

void CIVRHandler::DoRecord(const Element &node)
{
    const std::string keys = subst(node, "key");
    m_host.log("CIVRHandler::DoHang>>\t\tTerminate Key Sequence:" + keys);
    std::string folder = slashes(subst(node, "RecordPath"));
    const size_t first = folder.find_first_not_of('/');
    folder = first == std::string::npos ? std::string() : folder.substr(first);
    while (!folder.empty() && folder.back() == '/')
        folder.pop_back();
    m_allowed = keys;
    m_channel.setAllowedKeys(keys);
    m_keyLimit = 1;
    m_collected.clear();
    m_returnVariable.clear();
    m_waiting = &node;
    m_inputItem = m_cursor;
    const int seconds = leadingInteger(attribute(node, "timeOut"));

    std::string directory = m_folder + folder;
    while (directory.size() > 1 && directory.back() == '/')
        directory.pop_back();
    std::error_code error;
    if (!std::filesystem::is_directory(directory, error)) {
        std::filesystem::create_directories(directory, error);
        if (error)
            m_host.message(Msg::fillIn(Msg::RecordFolderFailed, {directory}));
    }
    m_waves->WaitWhile(&CPlayWaveThread::IsBusy, [this] { return givingUp(); });
    m_clock.sleepFor(std::chrono::milliseconds(50));
    m_waves->WaitWhile(&CPlayWaveThread::IsBusy, [this] { return givingUp(); });

    if (m_trace.valid(m_cursor)) {
        m_trace.item(m_cursor).highlighted = true;
        m_host.traceChanged(m_trace, m_cursor);
    }
    const std::string name = subst(node, "var");
    const std::string path = directory + "/" + name;
    // The name comes from the caller's side of the flow: it may not climb out of the folder.
    const bool confined = !name.empty() && name.find('/') == std::string::npos &&
                          name.find('\\') == std::string::npos && name != "." && name != "..";
    if (!confined || !RecordWAVEFile(seconds, path))
        m_host.message(std::string(Msg::RecordFailed) + path);
    if (m_trace.valid(m_cursor)) {
        m_trace.item(m_cursor).highlighted = false;
        m_host.traceChanged(m_trace, m_cursor);
    }
}

bool CIVRHandler::RecordWAVEFile(int seconds, const std::filesystem::path &path)
{
    const std::chrono::milliseconds limit =
        seconds < 1
            ? std::chrono::milliseconds(LongestRecording)
            : std::min<std::chrono::milliseconds>(std::chrono::seconds(seconds), LongestRecording);
    m_channel.recording = true;
    const AudioResult result =
        m_audio.record(path, limit, [this] { return m_runActive && !m_clock.interrupted(); });
    // A terminate key clears the run flag to end the recording; a Stop also refuses prompts,
    // and then the run stays stopped.
    if (m_waves->IsAccepting() && m_channel.active)
        m_runActive = true;
    m_channel.recording = false;
    if (!result.ok) {
        switch (result.stage) {
        case AudioStage::Open:
            m_host.log(
                "CIVRHandler::RecordWAVEFile>> Error Opening the audio device and returning ERROR");
            break;
        case AudioStage::Run:
            m_host.log("CIVRHandler::RecordWAVEFile>> Error Recording on the audio device and "
                       "returning ERROR");
            break;
        case AudioStage::Save:
            m_host.log(
                "CIVRHandler::RecordWAVEFile>> Error Saving the audio device and returning ERROR");
            break;
        }
        m_host.log("CIVRHandler::RecordWAVEFile>> " + result.error);
        return false;
    }
    m_host.log("CIVRHandler::RecordWAVEFile>> Successfully Saving the wave file to the specified "
               "location");
    return true;
}

} // namespace vocara
