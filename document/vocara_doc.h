#pragma once

#include "document/dialplan_settings.h"
#include "document/document_observer.h"
#include "document/kind_catalogue.h"
#include "document/node_data.h"
#include "document/node_store.h"
#include "document/variable_list.h"
#include "document/xml_reader.h"

#include <array>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tinyxml2 {
class XMLDocument;
}

namespace vocara {

class DialplanExporter;
class UserDialogs;

// The outcome of the User Input dialog for a new UserInput node.
struct UserInputChoice
{
    bool accepted = false;
    bool dtmf = false;
    bool perKeyBranches = false; // one branch per key in `keys`
    std::vector<int> keys;       // 0..9, 10 for '*', 11 for '#', in the dialog's order
    bool asr = false;
};

enum class LinkOutcome {
    Linked,
    ToItself,
    HasBuiltInChildren,
    AlreadyHasChild,
    IntoStart, // never allowed, and nothing to say about it
    NoSuchNode,
};

struct LinkResult
{
    LinkOutcome outcome = LinkOutcome::NoSuchNode;

    bool linked() const { return outcome == LinkOutcome::Linked; }
    // The text to show for a refusal; empty when there is nothing to say.
    std::string_view message() const;
};

enum class RemoveMode { Forget, KeepForUndo, KeepForUndoInGroup };

struct CanvasExtent
{
    int width = 0;
    int height = 0;
};

inline constexpr int InitialGridColumns = 15;
inline constexpr CanvasExtent InitialCanvasExtent{InitialGridColumns * CellSize,
                                                  InitialGridColumns *CellSize};

// The flow document: nodes on their grid, links, variables, dialplan settings and attached
// files. It is the only thing that changes a flow, and tells its observers each change.
class CVocaraDoc
{
public:
    explicit CVocaraDoc(UserDialogs &dialogs);
    ~CVocaraDoc();
    CVocaraDoc(const CVocaraDoc &) = delete;
    CVocaraDoc &operator=(const CVocaraDoc &) = delete;

    UserDialogs &dialogs() const { return m_dialogs; }

    // Mode and catalogue. A document in neither mode uses the flow catalogue.
    DocumentMode mode() const { return m_mode; }
    bool isAsteriskMode() const { return m_mode == DocumentMode::Asterisk; }
    bool isFlowMode() const { return m_mode == DocumentMode::Flow; }
    // Nodes already in the document keep their values: each moves to its key's place in the
    // new mode's layout (keys the new layout lacks are dropped).
    void setMode(DocumentMode mode);
    const KindCatalogue &catalogue() const { return *m_catalogue; }

    // File New. The first call of a run only empties the document; later ones open the
    // default flow once, if the settings name one, or start an empty asterisk-mode flow.
    bool newDocument();
    void setDefaultTreePath(std::string path) { m_defaultTreePath = std::move(path); }

    // Files. Open and save say what went wrong through the dialogs.
    bool open(const std::string &path);
    // Opens a file with another mode's property layout: a flow file read as a dialplan's flow
    // keeps the properties only that layout names (the export of a .qfl needs them all).
    bool open(const std::string &path, DocumentMode layout);
    // Opens a recovery snapshot as unsaved work: read in `mode`, named after `originalPath`
    // (an untitled flow when empty), so that Save writes there after the usual questions.
    bool restore(const std::string &snapshot, DocumentMode mode, const std::string &originalPath);
    // Writes the flow (validating first) to `path`, or in asterisk mode the dialplan next to
    // it. An autosave leaves the document's own path and modified flag alone.
    bool save(const std::string &path, bool isAutosave = false);
    // The copy kept when the designer closes: autosave.qfl or autosave.conf in the default
    // save folder, written with no question, no message and no server step.
    bool saveExitCopy();
    // Inserts a script's flow, unlinked, its top-left node at the canvas point.
    bool insertScript(std::string_view name, int x, int y);
    const std::string &path() const { return m_path; }
    const std::string &title() const { return m_title; }
    // The flow as a save would write it now (after a save: as its file holds it).
    std::string flowText() const;
    // The flow's text as a save writes it, with the primary parents settled (a recovery
    // snapshot's content).
    std::string preparedFlowText();
    void setExporter(DialplanExporter *exporter) { m_exporter = exporter; }
    // Where temporary flows go, where sample scripts are, where autosaves go.
    void setUserFolder(std::filesystem::path folder) { m_userFolder = std::move(folder); }
    void setInstallFolder(std::string folder) { m_installFolder = std::move(folder); }
    void setDefaultSaveFolder(std::string folder) { m_defaultSaveFolder = std::move(folder); }
    const std::string &defaultSaveFolderPath() const { return m_defaultSaveFolder; }
    // Empties the document: only the start node, the built-in variables of the current mode,
    // no settings, no files, nothing to undo.
    void resetContent();

    void setSimulatorRunning(bool running) { m_simulatorRunning = running; }
    bool isSimulatorRunning() const { return m_simulatorRunning; }
    // While the simulator runs the flow must not be replaced: says so and returns true.
    bool refuseWhileSimulating() const;

    bool isModified() const { return m_modified; }
    void setModified(bool modified);

    // Nodes.
    NodeId startNode() const { return m_startNode; }
    const NodeData *node(NodeId id) const;
    bool exists(NodeId id) const { return node(id) != nullptr; }
    size_t nodeCount() const { return m_nodes.size(); }
    // Every node id is below this.
    NodeId idBound() const { return m_nextId; }
    // The node at a cell; when a damaged file put two there, the one placed first.
    NodeId nodeAt(Cell cell) const;
    // Every node, columns from 0 up, within a column in the order they were placed.
    std::vector<NodeId> nodesInGridOrder() const;
    int nodesOfKind(NodeKind kind) const;
    bool isNameTaken(std::string_view name) const;
    // How many nodes carry exactly this name.
    int nameUseCount(std::string_view name) const;
    // The same for one of the document's nodes, without looking its name up.
    int nameUseCount(const NodeData &node) const;
    std::string defaultNodeName(NodeKind kind) const;

    // A bare node with its default name, or NoNode for a kind that cannot be placed (the
    // start node, cross links, kinds without a descriptor). Coordinates are clamped to the grid.
    NodeId createNode(Cell cell, NodeKind kind);
    // The same with the name a file gives it.
    NodeId createNode(Cell cell, NodeKind kind, std::string_view name);
    // A node as the user places it: with its built-in branch children in the row below.
    NodeId addNode(Cell cell, NodeKind kind, const UserInputChoice &userInput = {});
    bool removeNode(NodeId id, RemoveMode mode = RemoveMode::Forget);
    // Puts a node on another cell with its name, values and links; it comes last among the
    // nodes of its new column, as a node placed there anew. Never onto the start's cell, and
    // the start node never moves.
    // A move back (undo) passes the place the node had among its column's nodes.
    bool moveNode(NodeId id, Cell to, std::optional<std::uint64_t> sequence = std::nullopt);
    // The node's place in the grid order (a sequence number).
    std::uint64_t sequenceOf(NodeId id) const;
    // Clears a cell for a new node: its occupant moves one row down, pushing its own lower
    // neighbour first, and so on. The moves made, first to last.
    struct NodeMove
    {
        NodeId id = NoNode;
        Cell from;
        Cell to;
        std::uint64_t fromSequence = 0;
        std::uint64_t toSequence = 0;
    };
    std::vector<NodeMove> makeRoomAt(Cell cell);

    // A node as it stands, with where it sits among its parents' children and its children's
    // parents: restoring snapshots in the reverse of the order they were taken (and removed)
    // gives back exactly the flow before, ids, links and their order included.
    struct NodeSnapshot
    {
        NodeData data;
        std::uint64_t sequence = 0;
        std::vector<size_t> indexInParent; // per parent: our place among its children
        std::vector<size_t> indexInChild;  // per child: our place among its parents
        std::vector<bool> primaryOfChild;  // per child: we are its primary parent
    };
    std::optional<NodeSnapshot> snapshotNode(NodeId id) const;
    // Brings a removed node back under its own id; false when the id is in use.
    bool restoreNode(const NodeSnapshot &snapshot);
    // A link at given places in both lists (clamped to their ends), for undoing an unlink.
    bool linkAt(NodeId parent, NodeId child, size_t childIndex, size_t parentIndex);

    // The user's link, with its rules and their messages.
    LinkResult link(NodeId source, NodeId target);
    // The same rules without linking: Linked when the link may be made.
    LinkResult checkLink(NodeId source, NodeId target) const;
    // Loading, built-in branches, moves, undo and paste: no rules beyond the start node never
    // being a child and a pair being linked once.
    bool linkUnchecked(NodeId source, NodeId target);
    bool unlink(NodeId parent, NodeId child);

    bool setNodeName(NodeId id, std::string name);
    bool setNodeValue(NodeId id, int index, std::string value);
    bool setNodeValue(NodeId id, std::string_view key, std::string value);
    // The value under a property key of the node's kind; empty when it has none.
    std::string nodeValue(NodeId id, std::string_view key) const;
    void setPrimaryParent(NodeId id, int index);
    void setSavedCounts(NodeId id, int children, int parents);
    void setNodeRect(NodeId id, NodeRect rect);

    // Grid index and the canvas it needs.
    int gridColumnCount() const { return m_columnCount; }
    void ensureGridColumns(int count);
    CanvasExtent canvasExtent() const { return m_extent; }

    // Variables.
    const VariableList &variables() const { return m_variables; }
    void addOrUpdateVariable(std::string_view name, std::string_view defaultValue,
                             std::string_view description);
    bool removeVariable(std::string_view name);
    // The whole list at once (the variables bar and its undo).
    void setVariables(VariableList variables);

    const DialplanSettings &dialplanSettings() const { return m_dialplanSettings; }
    void setDialplanSettings(const DialplanSettings &settings);
    const std::vector<std::string> &attachedFiles() const { return m_attachedFiles; }
    void setAttachedFiles(std::vector<std::string> files);

    // Nodes removed for undo, oldest first.
    const std::vector<RemovedNode> &undoList() const { return m_undoList; }
    std::optional<RemovedNode> takeLastRemoved();
    // Puts an entry back at the end of the undo list (undoing an Undo Delete).
    void pushRemoved(RemovedNode removed) { m_undoList.push_back(std::move(removed)); }
    // Re-creates a removed node under the id it had, at its cell, with its kind, values and
    // name (the current second appended when the name is taken meanwhile); no links.
    NodeId recreateRemoved(const RemovedNode &removed);
    void clearUndoList() { m_undoList.clear(); }

    // Checks every node in grid order and keeps the error lines with the node of each. With
    // errors and `askToForce`, asks whether to save anyway: false only when the answer is No.
    bool validateFlow(bool askToForce);
    const std::vector<std::string> &errorLines() const { return m_errorLines; }
    const std::vector<NodeId> &errorNodes() const { return m_errorNodes; }

    void addObserver(DocumentObserver *observer);
    void removeObserver(DocumentObserver *observer);

    // The second of the minute that tells clashing default names apart; tests fix it.
    void setSecondSource(std::function<int()> source) { m_second = std::move(source); }

private:
    NodeData *mutableNode(NodeId id);
    void remapValues(const KindCatalogue &from, const KindCatalogue &to);
    // The file holding the flow's XML: the file itself, or a dialplan's flow extracted
    // into the user folder.
    bool flowSource(const std::string &path, std::filesystem::path &source);
    void removeAutosave(std::string_view name) const;
    bool writeFlow(const std::string &target, std::string_view text);
    NodeId insertNode(Cell cell, NodeKind kind, const std::string_view *name = nullptr);
    void addBuiltInBranches(NodeId parent, const UserInputChoice &userInput);
    void growCanvasFor(Cell cell);
    // The grid index: a node entered under its cell and column at its place in the grid order,
    // and taken out again.
    void enterGrid(NodeData &node, Cell cell, std::uint64_t sequence);
    void leaveGrid(const NodeData &node);
    void sortGridOrder() const;
    // Counts one more use of a name; where the count is kept.
    const int *useName(const std::string &name);
    void forgetName(const std::string &name);
    void markModified();
    template<typename F>
    void notify(F &&f)
    {
        // Copied so that an observer may unregister itself while being told.
        const std::vector<DocumentObserver *> observers = m_observers;
        for (DocumentObserver *observer : observers)
            f(*observer);
    }

    UserDialogs &m_dialogs;
    const KindCatalogue *m_catalogue;
    DocumentMode m_mode = DocumentMode::None;
    bool m_modified = false;
    bool m_simulatorRunning = false;
    bool m_firstNewDocumentDone = false;
    bool m_defaultTreeOpened = false;
    std::string m_defaultTreePath;
    std::string m_path;
    std::string m_title;
    XmlImage m_image;
    DialplanExporter *m_exporter = nullptr;
    std::filesystem::path m_userFolder;
    std::string m_installFolder;
    std::string m_defaultSaveFolder;
    std::function<int()> m_second;

    NodeId m_nextId = 1;
    NodeId m_startNode = NoNode;
    NodeStore m_nodes;
    // Grid index. The grid order (columns from 0 up, within a column by sequence number) is
    // sorted when asked for after a change, and kept.
    mutable std::vector<NodeId> m_gridOrder;
    mutable bool m_gridOrderKnown = true;
    int m_columnCount = 0;
    struct CellHash
    {
        size_t operator()(Cell cell) const
        {
            return std::hash<std::uint64_t>()((std::uint64_t(std::uint32_t(cell.row)) << 32) |
                                              std::uint32_t(cell.column));
        }
    };
    // The node placed first on each cell; more than one only comes from a damaged file, and
    // those wait by cell in the order they were placed.
    std::unordered_map<Cell, NodeId, CellHash> m_cells;
    std::map<std::pair<Cell, std::uint64_t>, NodeId> m_stacked;
    std::uint64_t m_nextSequence = 0;
    std::array<int, Kind::Count> m_kindCounts{};
    struct NameHash
    {
        using is_transparent = void;
        size_t operator()(std::string_view name) const
        {
            return std::hash<std::string_view>()(name);
        }
    };
    std::unordered_map<std::string, int, NameHash, std::equal_to<>> m_nameUses;
    CanvasExtent m_extent = InitialCanvasExtent;

    VariableList m_variables;
    DialplanSettings m_dialplanSettings;
    std::vector<std::string> m_attachedFiles;
    std::vector<RemovedNode> m_undoList;
    std::vector<std::string> m_errorLines;
    std::vector<NodeId> m_errorNodes;
    std::vector<DocumentObserver *> m_observers;
    // Counts the changes that validation depends on; the errors are of m_validatedRevision.
    std::uint64_t m_revision = 0;
    std::uint64_t m_validatedRevision = ~std::uint64_t(0);
};

} // namespace vocara
