#pragma once

#include "simulator/trace_tree.h"
#include "simulator/variable_table.h"

#include "document/xml_reader.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
} // namespace tinyxml2

namespace vocara {

struct AbstractChannel;
class AudioDevice;
class Clock;
class CPlayWaveThread;
class NodeActions;
class SignalSounds;
class SimulatorHost;

// Runs one saved flow against a simulated caller: walks the flow's elements node by node,
// substitutes references, carries out each node and follows its branches.
class CIVRHandler
{
public:
    // At most this many cross links are followed in a row without a node running between.
    static constexpr int MaxCrossLinkHops = 64;
    // A recording without a limit of its own stops after this long.
    static constexpr std::chrono::seconds LongestRecording{3600};

    // `installFolder` holds the signalling sounds and the sample prompts.
    CIVRHandler(SimulatorHost &host, NodeActions &actions, Clock &clock,
                std::atomic<bool> &runActive, AbstractChannel &channel, AudioDevice &audio,
                std::filesystem::path installFolder);
    ~CIVRHandler();

    // False when the flow cannot be loaded; nothing runs then.
    bool StartIVR(const std::string &path, const std::string &folder);
    void EndIVR();
    // Runs from the first child of `parent` until the flow ends or waits for the caller.
    void ProcessNode(const tinyxml2::XMLElement *parent);
    // Carries out one node; false when the run waits. May move `node` (branches, cross links).
    bool ExecuteNode(const tinyxml2::XMLElement *&node);

    // Caller input: a key, or the input time running out. Dropped when no node waits.
    void OnDTMFDetected(const std::string &key);
    void OnMultiDTMFDetected(const std::string &key);
    void OnDTMFTimerExpired();
    // The BranchIf child of `node` labelled `label`, or none.
    const tinyxml2::XMLElement *FindBranch(const tinyxml2::XMLElement *node,
                                           std::string_view label);
    const tinyxml2::XMLElement *waitingNode() const { return m_waiting; }

    // Queues a prompt: `file` is resolved against the flow folder (or the install folder for
    // the shipped samples); a file that is not there is reported and skipped.
    void DoPlayWave(const std::string &file, bool synchronous, bool showInTrace);
    void DoHang();
    // Speaks a number, decimal or date with the prompts of the flow's language ($lang$).
    void DoPlayValue(const std::string &value, bool synchronous, bool wholeNumber);
    // Records the caller into `path` for at most `seconds` (below 1: the longest recording).
    bool RecordWAVEFile(int seconds, const std::filesystem::path &path);
    CPlayWaveThread &waves() { return *m_waves; }
    SignalSounds &sounds() { return *m_sounds; }

    std::string Substitute(std::string_view text) const;
    std::string traceLabel(const tinyxml2::XMLElement &node) const;
    const tinyxml2::XMLElement *SelectBranch(const tinyxml2::XMLElement *first);
    const tinyxml2::XMLElement *FindNodeByPath(const tinyxml2::XMLElement *start,
                                               std::string_view path);

    bool isRunning() const { return m_document != nullptr; }
    const VariableTable &variables() const { return m_variables; }
    // The variables as the last run left them.
    const VariableTable &finalVariables() const { return m_finalVariables; }
    const std::string &branchLabel() const { return m_branchLabel; }
    const TraceTree &traceTree() const { return m_trace; }
    void setCallerId(std::string id) { m_callerId = std::move(id); }
    void setSpeed(int milliseconds) { m_speed = milliseconds; }

private:
    void buildTrace(const tinyxml2::XMLElement *root);
    void report(const tinyxml2::XMLElement &node);
    void highlightCursor();
    void takeInputSettings(const tinyxml2::XMLElement &node);
    void DoUserInput(const tinyxml2::XMLElement &node);
    void DoUserMultiInput(const tinyxml2::XMLElement &node);
    void waitForInput(const tinyxml2::XMLElement &node);
    void DoRecord(const tinyxml2::XMLElement &node);
    void endInput();
    bool givingUp() const;
    void returnToInputItem();
    void setBold(int item, bool bold);
    std::string attribute(const tinyxml2::XMLElement &node, const char *name) const;
    std::string subst(const tinyxml2::XMLElement &node, const char *name) const;
    void setVariable(std::string_view name, std::string_view value);

    SimulatorHost &m_host;
    NodeActions &m_actions;
    Clock &m_clock;
    std::atomic<bool> &m_runActive;
    AbstractChannel &m_channel;
    AudioDevice &m_audio;
    std::filesystem::path m_installFolder;
    std::unique_ptr<CPlayWaveThread> m_waves;
    std::unique_ptr<SignalSounds> m_sounds;
    std::vector<std::filesystem::path> m_madeFiles;
    XmlImage m_document;
    std::string m_folder;
    VariableTable m_variables;
    VariableTable m_finalVariables;
    std::string m_branchLabel;
    std::string m_callerId = "000";
    TraceTree m_trace;
    int m_cursor = TraceTree::NoItem;
    const tinyxml2::XMLElement *m_waiting = nullptr;
    int m_inputItem = TraceTree::NoItem;
    std::string m_collected;
    std::string m_allowed;
    std::string m_delimiter;
    int m_keyLimit = 0;
    std::string m_returnVariable;
    int m_speed = 0;
};

} // namespace vocara
