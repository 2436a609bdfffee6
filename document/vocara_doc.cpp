#include "document/vocara_doc.h"

#include "document/flow_format.h"
#include "document/messages.h"
#include "document/user_dialogs.h"
#include "document/xml_reader.h"
#include "platform/folders.h"

#include <tinyxml2.h>

#include <algorithm>
#include <ctime>

namespace vocara {

namespace {

int systemSecond()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_sec % 60; // a leap second counts as 0
}

constexpr std::string_view AllKeysAllowed = "0123456789#*";

char keyCharacter(int key)
{
    if (key == 10)
        return '*';
    if (key == 11)
        return '#';
    return static_cast<char>('0' + key);
}

bool contains(const std::vector<NodeId> &list, NodeId id)
{
    return std::find(list.begin(), list.end(), id) != list.end();
}

} // namespace

std::string_view LinkResult::message() const
{
    switch (outcome) {
    case LinkOutcome::ToItself:
        return Msg::CantLinkToItself;
    case LinkOutcome::HasBuiltInChildren:
        return Msg::CantLinkBuiltInChildren;
    case LinkOutcome::AlreadyHasChild:
        return Msg::NodeAlreadyHasChild;
    default:
        return {};
    }
}

CVocaraDoc::CVocaraDoc(UserDialogs &dialogs)
    : m_dialogs(dialogs)
    , m_catalogue(&KindCatalogue::forMode(CatalogueMode::Flow))
    , m_image(newXmlImage())
    , m_userFolder(userFolder())
    , m_defaultSaveFolder(m_userFolder.string())
    , m_second(systemSecond)
{
    resetContent();
    m_modified = false;
}

CVocaraDoc::~CVocaraDoc() = default;

void CVocaraDoc::addObserver(DocumentObserver *observer)
{
    if (observer && !std::count(m_observers.begin(), m_observers.end(), observer))
        m_observers.push_back(observer);
}

void CVocaraDoc::removeObserver(DocumentObserver *observer)
{
    std::erase(m_observers, observer);
}

void CVocaraDoc::setMode(DocumentMode mode)
{
    ++m_revision;
    const KindCatalogue *previous = m_catalogue;
    m_catalogue = &KindCatalogue::forMode(mode == DocumentMode::Asterisk ? CatalogueMode::Asterisk
                                                                         : CatalogueMode::Flow);
    if (previous != m_catalogue)
        remapValues(*previous, *m_catalogue);
    if (m_mode == mode)
        return;
    m_mode = mode;
    notify([&](DocumentObserver &o) { o.modeChanged(mode); });
}

void CVocaraDoc::remapValues(const KindCatalogue &from, const KindCatalogue &to)
{
    m_nodes.forEach([&](NodeData &node) {
        const KindDescriptor *before = from.descriptor(node.kind);
        const KindDescriptor *after = to.descriptor(node.kind);
        if (!before || !after)
            return;
        std::vector<std::string> values(
            static_cast<size_t>(std::max(MinValueSlots, after->propertyCount)));
        values[PasswordSlot] = node.values[PasswordSlot];
        for (int i = 0; i < after->propertyCount; ++i) {
            const int old =
                from.propertyIndex(node.kind, after->properties[static_cast<size_t>(i)].key);
            if (old >= 0 && old < static_cast<int>(node.values.size()))
                values[static_cast<size_t>(i)] = node.values[static_cast<size_t>(old)];
        }
        node.values = std::move(values);
        node.propertyCount = after->propertyCount;
    });
}

bool CVocaraDoc::refuseWhileSimulating() const
{
    if (!m_simulatorRunning)
        return false;
    m_dialogs.warn(Msg::CloseSimulationWindow);
    return true;
}

bool CVocaraDoc::newDocument()
{
    if (refuseWhileSimulating())
        return false;
    setMode(DocumentMode::None);
    if (!m_firstNewDocumentDone) {
        // The document of start-up: drawable, but in neither mode until File New or Open.
        m_firstNewDocumentDone = true;
    } else {
        if (!m_defaultTreePath.empty() && !m_defaultTreeOpened && open(m_defaultTreePath)) {
            m_defaultTreeOpened = true;
            return true;
        }
        // Also when the default flow could not be opened: the user still gets a new flow.
        setMode(DocumentMode::Asterisk);
    }
    resetContent();
    m_path.clear();
    m_title.clear();
    setModified(false);
    return true;
}

void CVocaraDoc::resetContent()
{
    ++m_revision;
    m_nodes.clear();
    m_gridOrder.clear();
    m_gridOrderKnown = true;
    m_columnCount = 0;
    m_cells.clear();
    m_stacked.clear();
    m_kindCounts.fill(0);
    m_nameUses.clear();
    m_extent = InitialCanvasExtent;
    m_undoList.clear();
    m_variables.clear();
    m_dialplanSettings = {};
    m_attachedFiles.clear();
    m_errorLines.clear();
    m_errorNodes.clear();
    parseXml(FlowXml::DefaultText, *m_image);

    for (const auto &variable : BuiltInVariable::All) {
        if (!variable.asteriskOnly || isAsteriskMode())
            m_variables.addOrUpdate(variable.name, variable.defaultValue, variable.description);
    }
    m_startNode = insertNode(Cell{0, 0}, Kind::Start);
    notify([](DocumentObserver &o) { o.documentReset(); });
}

void CVocaraDoc::setModified(bool modified)
{
    if (m_modified == modified)
        return;
    m_modified = modified;
    notify([&](DocumentObserver &o) { o.modifiedChanged(modified); });
}

void CVocaraDoc::markModified()
{
    ++m_revision;
    setModified(true);
}

const NodeData *CVocaraDoc::node(NodeId id) const
{
    return m_nodes.find(id);
}

NodeData *CVocaraDoc::mutableNode(NodeId id)
{
    return m_nodes.find(id);
}

int CVocaraDoc::nodesOfKind(NodeKind kind) const
{
    return isValidKind(kind) ? m_kindCounts[static_cast<size_t>(kind)] : 0;
}

bool CVocaraDoc::isNameTaken(std::string_view name) const
{
    return nameUseCount(name) > 0;
}

int CVocaraDoc::nameUseCount(std::string_view name) const
{
    auto it = m_nameUses.find(name);
    return it == m_nameUses.end() ? 0 : it->second;
}

std::string CVocaraDoc::defaultNodeName(NodeKind kind) const
{
    std::string name =
        std::string(elementName(kind)) + " No" + std::to_string(nodesOfKind(kind) + 1);
    if (isNameTaken(name))
        name += " S " + std::to_string(m_second());
    return name;
}

NodeId CVocaraDoc::insertNode(Cell cell, NodeKind kind, const std::string_view *name)
{
    cell = clampToGrid(cell);
    const NodeId id = m_nextId++;
    NodeData data;
    data.id = id;
    data.kind = kind;
    data.imageClass = imageClassOf(kind);
    data.propertyCount = m_catalogue->propertyCount(kind);
    data.cell = cell;
    data.values.resize(static_cast<size_t>(std::max(MinValueSlots, data.propertyCount)));
    data.name = name ? std::string(*name) : defaultNodeName(kind);

    enterGrid(data, cell, m_nextSequence++);
    ++m_kindCounts[static_cast<size_t>(kind)];
    data.nameUses = useName(data.name);
    m_nodes.insert(std::move(data));
    notify([&](DocumentObserver &o) { o.nodeAdded(id, cell); });
    return id;
}

NodeId CVocaraDoc::createNode(Cell cell, NodeKind kind)
{
    if (kind == Kind::Start || kind == Kind::BranchTo || !m_catalogue->descriptor(kind))
        return NoNode;
    const NodeId id = insertNode(cell, kind);
    markModified();
    return id;
}

NodeId CVocaraDoc::createNode(Cell cell, NodeKind kind, std::string_view name)
{
    if (kind == Kind::Start || kind == Kind::BranchTo || !m_catalogue->descriptor(kind))
        return NoNode;
    const NodeId id = insertNode(cell, kind, &name);
    markModified();
    return id;
}

NodeId CVocaraDoc::addNode(Cell cell, NodeKind kind, const UserInputChoice &userInput)
{
    const NodeId id = createNode(cell, kind);
    if (id == NoNode)
        return NoNode;
    addBuiltInBranches(id, userInput);
    if (kind == Kind::DbTransaction && isAsteriskMode()) {
        setNodeValue(id, "rettype", "Words");
        setNodeValue(id, "retlang", "Arabic");
    }
    return id;
}

void CVocaraDoc::addBuiltInBranches(NodeId parent, const UserInputChoice &userInput)
{
    const NodeData *data = node(parent);
    std::vector<NodeKind> branches;
    switch (data->kind) {
    case Kind::DbTransaction:
    case Kind::Transfer:
    case Kind::TransferPBX:
    case Kind::CSConnection:
    case Kind::REGEDIT:
    case Kind::ACCESSFILES:
    case Kind::SendDTMF:
        branches = {Kind::BranchIfSuccess, Kind::BranchIfFail};
        break;
    case Kind::Compare:
        branches = {Kind::BranchIfTrue, Kind::BranchIfFalse};
        break;
    case Kind::MultiDTMF:
        branches = {Kind::BranchIfSuccess, Kind::BranchIfTimeOutRead};
        break;
    case Kind::UserInput: {
        setNodeValue(parent, "dtmf", userInput.accepted && userInput.dtmf ? "1" : "0");
        setNodeValue(parent, "asr", userInput.accepted && userInput.asr ? "1" : "0");
        if (!userInput.accepted)
            break;
        if (userInput.dtmf) {
            if (userInput.perKeyBranches) {
                std::string allowed;
                for (int key : userInput.keys) {
                    if (key < 0 || key > 11)
                        continue;
                    allowed += keyCharacter(key);
                    branches.push_back(branchKindForKey(key));
                }
                setNodeValue(parent, "numKeys", "1");
                setNodeValue(parent, "allowed", allowed);
            } else {
                setNodeValue(parent, "allowed", std::string(AllKeysAllowed));
            }
            if (!isAsteriskMode())
                branches.push_back(Kind::BranchIfEndKeys);
            branches.push_back(Kind::BranchIfTimeOut);
            branches.push_back(Kind::BranchIfError);
        }
        if (userInput.asr)
            branches.push_back(Kind::BranchIfRecognize);
        break;
    }
    default:
        break;
    }

    const Cell origin = data->cell;
    for (size_t i = 0; i < branches.size(); ++i) {
        const NodeId child =
            createNode(Cell{origin.row + 1, origin.column + static_cast<int>(i)}, branches[i]);
        linkUnchecked(parent, child);
    }
    if (node(parent)->kind == Kind::UserInput)
        mutableNode(parent)->savedChildCount = static_cast<int>(branches.size());
}

bool CVocaraDoc::removeNode(NodeId id, RemoveMode mode)
{
    NodeData *data = mutableNode(id);
    if (!data || id == m_startNode)
        return false;

    if (mode != RemoveMode::Forget) {
        RemovedNode removed;
        removed.id = id;
        removed.cell = data->cell;
        removed.name = data->name;
        removed.kind = data->kind;
        removed.imageClass = data->imageClass;
        removed.propertyCount = data->propertyCount;
        removed.savedChildCount = data->savedChildCount;
        removed.values = data->values;
        removed.children = data->children;
        removed.parents = data->parents;
        removed.inGroup = mode == RemoveMode::KeepForUndoInGroup;
        m_undoList.push_back(std::move(removed));
    }

    const std::vector<NodeId> parents = data->parents;
    const std::vector<NodeId> children = data->children;
    for (NodeId parent : parents)
        unlink(parent, id);
    for (NodeId child : children)
        unlink(id, child);

    data = mutableNode(id);
    const Cell cell = data->cell;
    leaveGrid(*data);
    --m_kindCounts[static_cast<size_t>(data->kind)];
    forgetName(data->name);
    m_nodes.erase(id);
    markModified();
    notify([&](DocumentObserver &o) { o.nodeRemoved(id, cell); });
    return true;
}

LinkResult CVocaraDoc::link(NodeId source, NodeId target)
{
    const LinkResult result = checkLink(source, target);
    if (result.linked())
        linkUnchecked(source, target);
    return result;
}

LinkResult CVocaraDoc::checkLink(NodeId source, NodeId target) const
{
    const NodeData *from = node(source);
    const NodeData *to = node(target);
    if (!from || !to)
        return {LinkOutcome::NoSuchNode};
    if (source == target)
        return {LinkOutcome::ToItself};
    if (hasBuiltInChildren(from->kind))
        return {LinkOutcome::HasBuiltInChildren};
    // A node leads to one next node; a second child (possible only through a damaged file) is
    // refused the same way.
    if (!from->children.empty())
        return {LinkOutcome::AlreadyHasChild};
    if (target == m_startNode)
        return {LinkOutcome::IntoStart};
    return {LinkOutcome::Linked};
}

bool CVocaraDoc::linkUnchecked(NodeId source, NodeId target)
{
    NodeData *from = mutableNode(source);
    NodeData *to = mutableNode(target);
    // The start node is the root: a parent of it would make every save and export endless.
    if (!from || !to || target == m_startNode || contains(from->children, target))
        return false;
    from->children.push_back(target);
    to->parents.push_back(source);
    markModified();
    notify([&](DocumentObserver &o) { o.linkAdded(source, target); });
    return true;
}

bool CVocaraDoc::unlink(NodeId parent, NodeId child)
{
    NodeData *from = mutableNode(parent);
    NodeData *to = mutableNode(child);
    if (!from || !to)
        return false;
    auto childIt = std::find(from->children.begin(), from->children.end(), child);
    auto parentIt = std::find(to->parents.begin(), to->parents.end(), parent);
    if (childIt == from->children.end() || parentIt == to->parents.end())
        return false;
    from->children.erase(childIt);
    const int removedIndex = static_cast<int>(parentIt - to->parents.begin());
    to->parents.erase(parentIt);
    // Keep the primary parent pointing at the same parent, or at none.
    if (to->primaryParent == removedIndex)
        to->primaryParent = -1;
    else if (to->primaryParent > removedIndex)
        --to->primaryParent;
    markModified();
    notify([&](DocumentObserver &o) { o.linkRemoved(parent, child); });
    return true;
}

bool CVocaraDoc::setNodeName(NodeId id, std::string name)
{
    NodeData *data = mutableNode(id);
    if (!data)
        return false;
    if (data->name == name)
        return true;
    forgetName(data->name);
    data->nameUses = useName(name);
    data->name = std::move(name);
    markModified();
    notify([&](DocumentObserver &o) { o.nodeChanged(id); });
    return true;
}

bool CVocaraDoc::setNodeValue(NodeId id, int index, std::string value)
{
    NodeData *data = mutableNode(id);
    if (!data || index < 0 || index >= static_cast<int>(data->values.size()))
        return false;
    std::string &slot = data->values[static_cast<size_t>(index)];
    if (slot == value)
        return true;
    slot = std::move(value);
    markModified();
    notify([&](DocumentObserver &o) { o.nodeChanged(id); });
    return true;
}

bool CVocaraDoc::setNodeValue(NodeId id, std::string_view key, std::string value)
{
    const NodeData *data = node(id);
    if (!data)
        return false;
    const int index = m_catalogue->propertyIndex(data->kind, key);
    return index >= 0 && setNodeValue(id, index, std::move(value));
}

std::string CVocaraDoc::nodeValue(NodeId id, std::string_view key) const
{
    const NodeData *data = node(id);
    if (!data)
        return {};
    const int index = m_catalogue->propertyIndex(data->kind, key);
    if (index < 0 || index >= static_cast<int>(data->values.size()))
        return {};
    return data->values[static_cast<size_t>(index)];
}

void CVocaraDoc::setPrimaryParent(NodeId id, int index)
{
    if (NodeData *data = mutableNode(id))
        data->primaryParent =
            index >= 0 && index < static_cast<int>(data->parents.size()) ? index : -1;
}

void CVocaraDoc::setSavedCounts(NodeId id, int children, int parents)
{
    if (NodeData *data = mutableNode(id)) {
        data->savedChildCount = children;
        data->savedParentCount = parents;
    }
}

void CVocaraDoc::setNodeRect(NodeId id, NodeRect rect)
{
    if (NodeData *data = mutableNode(id))
        data->rect = rect;
}

} // namespace vocara
