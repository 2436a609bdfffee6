// What the caller types: waiting for keys, the keys each input takes, the input timer and the
// branch a key leads to.
#include "simulator/civr_handler.h"

#include "document/messages.h"
#include "document/text_util.h"
#include "platform/clock.h"
#include "simulator/abstract_channel.h"
#include "simulator/play_wave_thread.h"
#include "simulator/reference_language.h"
#include "simulator/simulator_host.h"

#include <tinyxml2.h>

namespace vocara {

namespace {

using Element = tinyxml2::XMLElement;

bool is(const Element &node, std::string_view tag)
{
    return equalsIgnoringCase(node.Name(), tag);
}

} // namespace

void CIVRHandler::returnToInputItem()
{
    m_cursor = m_inputItem;
    if (m_trace.valid(m_cursor)) {
        m_trace.item(m_cursor).highlighted = false;
        m_trace.item(m_cursor).bold = false;
        m_host.traceChanged(m_trace, m_cursor);
    }
}

void CIVRHandler::waitForInput(const Element &node)
{
    if (m_trace.valid(m_cursor)) {
        m_trace.item(m_cursor).highlighted = true;
        m_host.traceChanged(m_trace, m_cursor);
    }
    m_inputItem = m_cursor;
    m_waiting = &node;
    m_returnVariable = StripDollar(attribute(node, "retVar"));
    const int seconds = leadingInteger(attribute(node, "timeOut"));
    m_clock.sleepFor(std::chrono::milliseconds(100));
    // A prompt still queued counts as playing: the time runs from the prompt's end.
    m_waves->HandOverTimeout(seconds);
}

void CIVRHandler::endInput()
{
    m_waves->DropPendingTimeout();
}

bool CIVRHandler::givingUp() const
{
    return !m_runActive || m_clock.interrupted();
}

void CIVRHandler::DoUserInput(const Element &node)
{
    m_host.log("CIVRHandler:: DoUserInput>> nKeys = " + subst(node, "numKeys"));
    if (attribute(node, "asr") == "1") {
        m_host.message(Msg::NotImplementedYet);
        return;
    }
    waitForInput(node);
}

void CIVRHandler::takeInputSettings(const Element &node)
{
    if (attribute(node, "dtmf") != "1")
        return; // the previous input's settings stay
    m_keyLimit = leadingInteger(subst(node, "numKeys"));
    m_allowed = subst(node, "allowed");
    m_channel.setAllowedKeys(m_allowed);
    m_delimiter = subst(node, "delimitter");
    m_collected.clear();
}

void CIVRHandler::DoUserMultiInput(const Element &node)
{
    m_host.log("CIVRHandler::DoUserMultiInput>> TimeOut = " + subst(node, "timeOut"));
    DoPlayWave(subst(node, "file"), true, false);
    m_collected.clear();
    m_delimiter = "#";
    waitForInput(node);
}

const Element *CIVRHandler::FindBranch(const Element *node, std::string_view label)
{
    if (!node)
        return nullptr;
    if (m_trace.valid(m_cursor))
        m_trace.item(m_cursor).expanded = true;
    int item = m_trace.firstChild(m_cursor);
    for (const Element *child = node->FirstChildElement(); child;
         child = child->NextSiblingElement(), item = m_trace.nextSibling(item)) {
        if (!is(*child, "BranchIf") || attribute(*child, "value") != label)
            continue;
        m_cursor = item;
        report(*child);
        highlightCursor();
        return child;
    }
    return nullptr;
}

void CIVRHandler::OnDTMFDetected(const std::string &key)
{
    if (!m_runActive || !m_document || !m_waiting) {
        m_host.log("CIVRHandler::OnDTMFDetected>> key " + key + " dropped: no node waits");
        return;
    }
    if (std::string_view(m_waiting->Name()) == "MultiDTMF") {
        OnMultiDTMFDetected(key);
        return;
    }
    m_host.log("CIVRHandler::OnDTMFDetected>> chDTMFBuffer = " + key);
    if (!m_channel.active)
        return;
    const Element *waiting = m_waiting;
    if (key.empty() || m_allowed.find(key) == std::string::npos) {
        if (m_channel.recording)
            return;
        returnToInputItem();
        const Element *error = FindBranch(waiting, "Error");
        if (!error) {
            m_host.log("CIVRHandler::OnDTMFDetected>> No Error Node Found !!");
            m_cursor = m_inputItem;
            return; // the key is ignored; the input goes on
        }
        m_waiting = nullptr;
        endInput();
        if (error->FirstChildElement())
            ProcessNode(error);
        else
            EndIVR();
        return;
    }
    m_waves->ClearQueue();
    m_channel.recording = false;
    const bool delimiter = equalsIgnoringCase(key, m_delimiter);
    if (!delimiter || m_keyLimit == 1)
        m_collected += key;
    if (m_keyLimit > 1 && !delimiter)
        return; // more keys to come, until the delimiter
    const std::string digits = m_collected.substr(0, static_cast<size_t>(std::max(0, m_keyLimit)));
    if (!m_returnVariable.empty()) {
        m_host.log("CIVRHandler::OnDTMFDetected>> The DTMF after detection is " + digits +
                   " with length = " + std::to_string(m_keyLimit));
        m_variables.set(m_returnVariable, digits);
    }
    m_branchLabel = digits;
    m_collected.clear();
    returnToInputItem();
    m_waiting = nullptr;
    endInput();
    const Element *next = FindBranch(waiting, digits);
    if (!next)
        next = FindBranch(waiting, "EndKeys");
    if (!next)
        next = waiting;
    ProcessNode(next);
}

void CIVRHandler::OnMultiDTMFDetected(const std::string &key)
{
    m_host.log("CIVRHandler::OnMultiDTMFDetected>> chDTMFBuffer = " + key);
    if (!m_channel.active)
        return;
    m_waves->ClearQueue();
    m_channel.recording = false;
    if (!equalsIgnoringCase(key, m_delimiter)) {
        m_collected += key;
        return;
    }
    if (!m_returnVariable.empty()) {
        m_host.log("CIVRHandler::OnMultiDTMFDetected>> The DTMF after detection is " + m_collected);
        m_variables.set(m_returnVariable, m_collected);
    }
    m_collected.clear();
    returnToInputItem();
    const Element *waiting = m_waiting;
    m_waiting = nullptr;
    endInput();
    const Element *next = FindBranch(waiting, "Success");
    ProcessNode(next ? next : waiting);
}

void CIVRHandler::OnDTMFTimerExpired()
{
    if (!m_runActive || !m_document)
        return;
    m_waves->ClearQueue();
    if (m_channel.recording) {
        m_host.log("CIVRHandler::OnDTMFTimerExpired>> TimeOut Expired On the Channel");
        m_channel.recording = false;
        returnToInputItem();
        ProcessNode(m_waiting);
        return;
    }
    if (!m_waiting) {
        EndIVR();
        return;
    }
    returnToInputItem();
    const Element *waiting = m_waiting;
    m_waiting = nullptr;
    endInput();
    const Element *branch = FindBranch(
        waiting, std::string_view(waiting->Name()) == "MultiDTMF" ? "TimeOutRead" : "TimeOut");
    if (branch && branch->FirstChildElement())
        ProcessNode(branch);
    else
        EndIVR();
}

const Element *CIVRHandler::SelectBranch(const Element *first)
{
    for (const Element *branch = first; branch;) {
        if (attribute(*branch, "value") == m_branchLabel) {
            report(*branch);
            highlightCursor();
            return branch;
        }
        branch = branch->NextSiblingElement("BranchIf");
        m_cursor = m_trace.nextSibling(m_cursor);
    }
    return nullptr;
}

const Element *CIVRHandler::FindNodeByPath(const Element *start, std::string_view path)
{
    while (start && !path.empty()) {
        const size_t slash = path.find('/');
        const size_t from = slash == std::string_view::npos ? 0 : slash + 1;
        const size_t end = path.find('/', from);
        std::string_view segment =
            path.substr(from, end == std::string_view::npos ? end : end - from);
        std::string_view condition;
        if (const size_t open = segment.find('['); open != std::string_view::npos) {
            const size_t close = segment.find(']', open + 1);
            if (close != std::string_view::npos)
                condition = segment.substr(open + 1, close - open - 1);
            segment = segment.substr(0, open);
        }
        if (m_trace.valid(m_cursor))
            m_trace.item(m_cursor).expanded = true;
        m_cursor = m_trace.firstChild(m_cursor);
        const size_t at = condition.find('@');
        const size_t equals = at == std::string_view::npos ? at : condition.find('=', at);
        const Element *found = nullptr;
        if (equals != std::string_view::npos) {
            const std::string name(condition.substr(at + 1, equals - at - 1));
            const std::string wanted(condition.substr(equals + 1));
            for (const Element *child = start->FirstChildElement(); child;
                 child = child->NextSiblingElement(), m_cursor = m_trace.nextSibling(m_cursor)) {
                const char *value = child->Attribute(name.c_str());
                if (value && wanted == value) {
                    found = child;
                    break;
                }
            }
        } else {
            found = start->FirstChildElement(std::string(segment).c_str());
        }
        start = found;
        if (end == std::string_view::npos)
            break;
        path = path.substr(end);
    }
    return path.empty() ? nullptr : start;
}

} // namespace vocara
