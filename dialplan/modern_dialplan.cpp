#include "dialplan/modern_dialplan.h"

#include "dialplan/context_file.h"
#include "dialplan/messages.h"
#include "document/text_util.h"
#include "document/vocara_doc.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace vocara {

namespace {

constexpr std::string_view CRLF = "\r\n";
// A jump is written as a mark naming its target node and resolved once every node has its
// place: a cross link may point at a node that is written later.
constexpr char MarkOpen = '\x01';
constexpr char MarkClose = '\x02';
constexpr std::string_view MainContext = "context-MainMenu";
constexpr std::string_view GlobalsContext = "context-variable";

bool isMenu(NodeKind kind)
{
    return kind == Kind::UserInput || kind == Kind::MultiDTMF;
}

bool isFork(NodeKind kind)
{
    return kind == Kind::Compare || kind == Kind::DbTransaction || kind == Kind::CSConnection ||
           kind == Kind::ACCESSFILES;
}

// The extension a key branch of a menu runs in; empty for other branches.
std::string keyExtension(NodeKind kind)
{
    if (kind >= Kind::BranchIf0 && kind <= Kind::BranchIf0 + 9)
        return std::string(1, static_cast<char>('0' + kind - Kind::BranchIf0));
    if (kind == Kind::BranchIfStar)
        return "*";
    if (kind == Kind::BranchIfHash)
        return "#";
    if (kind == Kind::BranchIfError)
        return "i";
    if (kind == Kind::BranchIfEndKeys)
        return "e";
    if (kind == Kind::BranchIfTimeOut || kind == Kind::BranchIfTimeOutRead)
        return "t";
    return {};
}

bool isBlank(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return c == ' '; });
}

std::string trimmedRight(std::string text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.pop_back();
    return text;
}

} // namespace

ModernDialplan::ModernDialplan(const CVocaraDoc &doc)
    : m_doc(doc)
    , m_values(doc, true)
    , m_tracking(doc.dialplanSettings().AllowIVRCallTracking)
{}

std::string ModernDialplan::safeName(std::string_view name)
{
    std::string safe;
    for (char c : name) {
        const auto u = static_cast<unsigned char>(c);
        safe += u < 0x80 && (std::isalnum(u) || c == '_' || c == '-') ? c : '_';
    }
    return safe;
}

std::string ModernDialplan::argument(std::string_view text)
{
    std::string escaped;
    int depth = 0; // inside "${...}" or "$[...]", which Asterisk replaces before it splits
    std::vector<char> closers;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '$' && i + 1 < text.size() && (text[i + 1] == '{' || text[i + 1] == '[')) {
            closers.push_back(text[i + 1] == '{' ? '}' : ']');
            ++depth;
            escaped += c;
            escaped += text[++i];
            continue;
        }
        if (depth > 0) {
            if (c == closers.back()) {
                closers.pop_back();
                --depth;
            }
            escaped += c;
            continue;
        }
        if (c == ',' || c == '"' || c == '\\')
            escaped += '\\';
        escaped += c;
    }
    return escaped;
}

// Places and lines.

namespace {

// `base`, or base_2, base_3 ... : the first that `taken` does not hold yet, which it then
// holds. `next` remembers where the numbers go on, so that many equal names cost no more
// than different ones.
std::string firstFree(const std::string &base, std::unordered_set<std::string> &taken, int &next)
{
    if (next == 0) {
        next = 2;
        if (taken.insert(base).second)
            return base;
    }
    while (!taken.insert(base + "_" + std::to_string(next)).second)
        ++next;
    return base + "_" + std::to_string(next++);
}

} // namespace

size_t ModernDialplan::newContext(std::string name)
{
    const std::string unique = firstFree(name, m_contextNames, m_contextSuffixes[name]);
    m_contexts.push_back({unique, {}, {}, {}});
    return m_contexts.size() - 1;
}

size_t ModernDialplan::extensionIn(size_t context, const std::string &name)
{
    std::vector<Extension> &extensions = m_contexts[context].extensions;
    for (size_t i = 0; i < extensions.size(); ++i) {
        if (extensions[i].name == name)
            return i;
    }
    extensions.push_back({name, {}});
    return extensions.size() - 1;
}

std::string ModernDialplan::uniqueLabel(size_t context, std::string_view name)
{
    std::string base = safeName(name);
    if (base.empty())
        base = "node";
    // A label of digits would be taken for a priority.
    if (std::isdigit(static_cast<unsigned char>(base.front())))
        base = "n" + base;
    Context &in = m_contexts[context];
    return firstFree(base, in.labels, in.suffixes[base]);
}

void ModernDialplan::add(Place place, std::string app, const NodeData *labelled)
{
    Line line{{}, std::move(app), {}};
    if (labelled && !m_targets.count(labelled->id)) {
        line.label = uniqueLabel(place.context, labelled->name);
        m_targets[labelled->id] = {place.context, place.extension, line.label};
        const std::string tooltip = m_values.value(*labelled, "Tooltip");
        if (!isBlank(tooltip))
            line.comment = trimmedRight(std::string(DialplanText::TooltipComment) + tooltip);
    }
    m_contexts[place.context].extensions[place.extension].lines.push_back(std::move(line));
}

bool ModernDialplan::ended(Place place) const
{
    const std::vector<Line> &lines = m_contexts[place.context].extensions[place.extension].lines;
    if (lines.empty())
        return false;
    const std::string &app = lines.back().app;
    return app.starts_with("Hangup(") || app.starts_with("Goto(");
}

void ModernDialplan::endPath(Place place)
{
    if (!ended(place))
        add(place, "Hangup()");
}

std::string ModernDialplan::jumpMark(NodeId target) const
{
    return MarkOpen + std::to_string(target) + MarkClose;
}

std::string ModernDialplan::resolved(const std::string &app) const
{
    std::string text;
    size_t at = 0;
    while (true) {
        const size_t open = app.find(MarkOpen, at);
        if (open == std::string::npos)
            break;
        const size_t close = app.find(MarkClose, open);
        text.append(app, at, open - at);
        NodeId id = NoNode;
        const char *first = app.data() + open + 1;
        const char *last = close == std::string::npos ? first : app.data() + close;
        if (std::from_chars(first, last, id).ptr != last || first == last) {
            // Not a mark of ours (typed values have theirs taken out): a character as any.
            text += MarkOpen;
            at = open + 1;
            continue;
        }
        const auto it = m_targets.find(id);
        // A node no path writes (its primary parent is unreachable): nothing to jump to.
        if (it == m_targets.end())
            return "Hangup()";
        const Context &context = m_contexts[it->second.context];
        text += context.name + "," + context.extensions[it->second.extension].name + "," +
                (it->second.label.empty() ? std::string("1") : it->second.label);
        at = close + 1;
    }
    text.append(app, at);
    return text;
}

// The walk.

void ModernDialplan::walk()
{
    m_contextNames.insert(settingsContext());
    m_contextNames.insert(std::string(GlobalsContext));
    const size_t main = newContext(std::string(MainContext));
    const Place top{main, extensionIn(main, "s")};
    const NodeData *start = m_doc.node(m_doc.startNode());
    if (!start || start->children.empty()) {
        add(top, "Hangup()");
        return;
    }
    // Depth first, without recursion: flows nest deeply. A whole path is written before the
    // next one, so every path's lines stay together in their extension.
    std::vector<Visit> stack;
    for (auto it = start->children.rbegin(); it != start->children.rend(); ++it)
        stack.push_back({*it, start->id, top});
    std::vector<Visit> next;
    while (!stack.empty()) {
        const Visit visit = stack.back();
        stack.pop_back();
        const NodeData &node = *m_doc.node(visit.node);
        const NodeId primary = node.parents.size() < 2 ? NoNode : exportParent(m_doc, node.id);
        const bool here = node.parents.size() < 2 || primary == NoNode || primary == visit.parent;
        if (!here || m_written.count(node.id)) {
            // Reached again through a cross link: jump to where it is written. A fork's own
            // jump already names it.
            const NodeData *parent = m_doc.node(visit.parent);
            const NodeData *above = parent ? m_doc.node(exportParent(m_doc, parent->id)) : nullptr;
            if (!(above && isFork(above->kind) && isBranchKind(parent->kind)))
                add(visit.place, "Goto(" + jumpMark(node.id) + ")");
            continue;
        }
        m_written.insert(node.id);
        next.clear();
        if (isBranchKind(node.kind))
            visitBranch(node, visit, next);
        else if (isMenu(node.kind))
            visitMenu(node, visit, next);
        else
            visitAction(node, visit, next);
        for (auto it = next.rbegin(); it != next.rend(); ++it)
            stack.push_back(*it);
    }
}

void ModernDialplan::visitBranch(const NodeData &node, const Visit &visit, std::vector<Visit> &next)
{
    const NodeData *parent = m_doc.node(visit.parent);
    const std::string key = keyExtension(node.kind);
    Place place = visit.place;
    if (!key.empty() && parent && isMenu(parent->kind)) {
        // A key of a menu: its own extension in the menu's context.
        place.extension = extensionIn(place.context, key);
        m_targets.emplace(node.id, Target{place.context, place.extension, {}});
        if (m_tracking)
            add(place, "UserEvent(DTMF,Key: " + key + ")");
    } else if (node.children.empty() && parent && isFork(parent->kind)) {
        return; // the fork does not jump here
    }
    if (node.children.empty())
        endPath(place);
    for (NodeId child : node.children)
        next.push_back({child, node.id, place});
}

void ModernDialplan::visitMenu(const NodeData &node, const Visit &visit, std::vector<Visit> &next)
{
    const DialplanSettings &settings = m_doc.dialplanSettings();
    add(visit.place, "Goto(" + jumpMark(node.id) + ")");
    const size_t context = newContext("context-" + safeName(node.name));
    const Place place{context, extensionIn(context, "s")};
    const std::string timeout = m_values.converted(node, "timeOut");
    const std::string wave = removeAll(
        m_values.converted(node, node.kind == Kind::UserInput ? "wavefile" : "file"), ".wav");
    if (!isBlank(timeout))
        add(place, "Set(TIMEOUT(response)=" + timeout + ")", &node);
    if (node.kind == Kind::UserInput) {
        if (m_tracking)
            add(place, tracking(node), &node);
        if (!isBlank(wave))
            add(place,
                "Background(" + argument(settings.SoundFilePath + wave) + ",m,," +
                    m_contexts[context].name + ")",
                &node);
        add(place, "WaitExten()", &node);
    } else {
        const std::string variable = m_values.bare(node, "retVar");
        add(place,
            "Read(" + argument(variable) +
                (isBlank(wave) ? std::string() : "," + argument(settings.SoundFilePath + wave)) +
                ")",
            &node);
        if (m_tracking)
            add(place, "UserEvent(DTMF,Key: ${" + variable + "})");
        const bool timeOutBranch =
            std::any_of(node.children.begin(), node.children.end(), [this](NodeId child) {
                return m_doc.node(child)->kind == Kind::BranchIfTimeOutRead;
            });
        if (timeOutBranch)
            add(place,
                "GotoIf($[\"${" + variable + "}\" = \"\"]?" + m_contexts[context].name + ",t,1)");
    }
    bool continues = false;
    for (NodeId child : exportOrder(m_doc, node)) {
        next.push_back({child, node.id, place});
        continues = continues || keyExtension(m_doc.node(child)->kind).empty();
    }
    // A menu's keys each have their own extension; after the Read of a MultiDTMF the call
    // goes on only where a branch says so.
    if (!continues && node.kind == Kind::MultiDTMF)
        endPath(place);
}

void ModernDialplan::visitAction(const NodeData &node, const Visit &visit, std::vector<Visit> &next)
{
    const After after = writeOwnLines(node, visit.place);
    if (after == After::Ends)
        return;
    if (after == After::GoesOn && node.children.empty())
        endPath(visit.place);
    for (NodeId child : node.children)
        next.push_back({child, node.id, visit.place});
}

std::string ModernDialplan::tracking(const NodeData &node) const
{
    return "UserEvent(BranchToIVRNode,Node: " + std::to_string(node.cell.column) + "\\," +
           std::to_string(node.cell.row) + ")";
}

void ModernDialplan::writeFork(const NodeData &node, Place place, const std::string &condition)
{
    // The node's label goes on its first line, so that a cross link to it runs the test.
    if (m_tracking)
        add(place, tracking(node), &node);
    auto firstOf = [this, &node](size_t index) {
        if (index >= node.children.size())
            return NoNode;
        const NodeData *branch = m_doc.node(node.children[index]);
        return branch->children.empty() ? NoNode : branch->children.front();
    };
    const NodeId yes = firstOf(0);
    const NodeId no = firstOf(1);
    if (yes == NoNode && no == NoNode) {
        add(place, "Hangup()", &node);
        return;
    }
    std::string jump = "GotoIf(" + condition + "?";
    if (yes != NoNode)
        jump += jumpMark(yes);
    if (no != NoNode)
        jump += ":" + jumpMark(no);
    add(place, jump + ")", &node);
    // Where one side has nothing, that side of the call ends here.
    if (yes == NoNode || no == NoNode)
        add(place, "Hangup()");
}

std::string ModernDialplan::text()
{
    walk();
    std::string text = settingsAndGlobals();
    for (const Context &context : m_contexts) {
        const std::string name = context.name;
        text += std::string(37, ';') + name.substr(name.find('-') + 1) + " Context" +
                std::string(32, ';') + "\r\n";
        text += "[" + name + "]\r\n";
        for (const Extension &extension : context.extensions) {
            for (size_t i = 0; i < extension.lines.size(); ++i) {
                const Line &line = extension.lines[i];
                if (!line.comment.empty())
                    text += line.comment + "\r\n";
                text += "exten => " + extension.name + "," + (i == 0 ? "1" : "n");
                if (!line.label.empty())
                    text += "(" + line.label + ")";
                text += "," + escapeSemicolons(resolved(line.app)) + "\r\n";
            }
        }
        text += CRLF;
    }
    return text;
}

std::string ModernDialplan::settingsContext() const
{
    const std::string header = settingsHeader(m_doc.dialplanSettings().ContextDest);
    const std::string name = safeName(header.substr(1, header.size() - 2));
    // The settings jump to the globals and they to the main menu: none may be the other.
    if (name.empty() || name == GlobalsContext || name == MainContext)
        return "context-setting";
    return name;
}

std::string ModernDialplan::settingsAndGlobals() const
{
    using namespace DialplanText;
    const DialplanSettings &settings = m_doc.dialplanSettings();
    std::string text;
    text += std::string(SettingsBanner) + "\r\n";
    text += "[" + settingsContext() + "]\r\n";
    for (std::string_view body : ModernSettingsBody)
        text += std::string(body) + "\r\n";
    if (settings.AllowIVRMonitor)
        text += std::string(ModernMonitorLine) + "\r\n";
    text += std::string(SettingsGoto) + "\r\n\r\n";

    text += std::string(GlobalsBanner) + "\r\n";
    text += "[" + std::string(GlobalsContext) + "]\r\n";
    bool first = true;
    for (const Variable &variable : m_doc.variables().items()) {
        if (variable.name == "nCallerId" || variable.name == "strTime" ||
            variable.name == "strDate")
            continue;
        text += "exten => s," + std::string(first ? "1" : "n") + ",Set(" +
                escapeSemicolons(oneLine(variable.name) + "=" + oneLine(variable.defaultValue)) +
                ")\r\n";
        first = false;
    }
    text += "exten => s," + std::string(first ? "1" : "n") + ",Goto(" + std::string(MainContext) +
            ",s,1)\r\n\r\n";
    return text;
}

} // namespace vocara
