// The main window's side of canvas editing: every edit goes onto the undo stack.
#include "designer/designer_text.h"
#include "designer/document_adapter.h"
#include "designer/edit_commands.h"
#include "designer/main_frame.h"
#include "designer/qt_text.h"
#include "designer/user_input_dialog.h"
#include "designer/vocara_view.h"
#include "document/canvas_edits.h"
#include "document/messages.h"
#include "document/user_dialogs.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>

namespace vocara {

void CMainFrame::connectEditing()
{
    connect(m_view, &CVocaraView::deleteRequested, this, &CMainFrame::deleteSelection);
    connect(m_view, &CVocaraView::linkRequested, this, &CMainFrame::linkNodes);
    connect(m_view, &CVocaraView::moveRequested, this,
            [this](const QList<QPair<quint64, QPoint>> &moves) {
                if (m_adapter.doc().isSimulatorRunning()) {
                    if (m_context.dialogs)
                        m_context.dialogs->inform(Msg::CantMoveWhileSimulating);
                    return;
                }
                std::vector<std::pair<NodeId, Cell>> wanted;
                for (const auto &[id, cell] : moves)
                    wanted.push_back({id, Cell{cell.y(), cell.x()}});
                m_adapter.undoStack()->push(new MoveNodesCommand(m_adapter, std::move(wanted)));
            });
    connect(m_view, &CVocaraView::contextMenuRequested, this, &CMainFrame::showCanvasMenu);
    connect(m_adapter.undoStack(), &QUndoStack::indexChanged, this, &CMainFrame::updateCommands);
    // The flow is changed exactly when the stack is away from where it was saved.
    connect(m_adapter.undoStack(), &QUndoStack::cleanChanged, this, [this](bool clean) {
        if (m_adapter.doc().isModified() == clean)
            m_adapter.mutableDoc().setModified(!clean);
    });
}

void CMainFrame::linkNodes(quint64 source, quint64 target)
{
    const LinkResult result = m_adapter.doc().checkLink(source, target);
    if (result.linked())
        m_adapter.undoStack()->push(new LinkCommand(m_adapter, source, target, false));
    else if (!result.message().empty() && m_context.dialogs)
        m_context.dialogs->error(result.message());
}

void CMainFrame::deleteSelection()
{
    if (m_adapter.doc().isSimulatorRunning()) {
        if (m_context.dialogs)
            m_context.dialogs->inform(Msg::CantDeleteWhileSimulating);
        return;
    }
    const Canvas::LinkHit link = m_view->selectedLink();
    if (link.parent != NoNode) {
        const NodeData *parent = m_adapter.doc().node(link.parent);
        if (parent && !hasBuiltInChildren(parent->kind)) {
            m_adapter.undoStack()->push(new LinkCommand(m_adapter, link.parent, link.child, true));
            m_view->selectLink({});
        }
        return;
    }
    auto *command =
        new DeleteNodesCommand(m_adapter, m_view->selectedNode(), m_view->multiSelection());
    if (command->isEmpty()) {
        delete command;
        return;
    }
    m_adapter.undoStack()->push(command);
    m_view->clearSelection();
}

void CMainFrame::copySelection(bool cut)
{
    const std::vector<std::vector<ClipRecord>> groups =
        CanvasEdits::copyGroups(m_adapter.doc(), m_view->selectedNode(), m_view->multiSelection());
    if (groups.empty())
        return;
    std::vector<ClipRecord> list;
    for (const std::vector<ClipRecord> &group : groups)
        list.insert(list.end(), group.begin(), group.end());
    m_adapter.setCopyList(std::move(list));
    // Other running designers paste from the block on the system clipboard.
    auto *mime = new QMimeData;
    const std::string block = ClipBlock::encode(groups, m_adapter.doc().catalogue());
    mime->setData(qt(ClipBlock::MimeFormat), QByteArray(block.data(), qsizetype(block.size())));
    QGuiApplication::clipboard()->setMimeData(mime);
    if (cut)
        deleteSelection();
    m_view->clearSelection();
    updateCommands();
}

void CMainFrame::pasteAt(Cell at)
{
    std::vector<ClipRecord> records = m_adapter.copyList();
    if (records.empty()) {
        const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
        const QByteArray block = mime ? mime->data(qt(ClipBlock::MimeFormat)) : QByteArray();
        const std::optional<std::vector<ClipRecord>> decoded = ClipBlock::decode(
            std::string_view(block.constData(), size_t(block.size())), m_adapter.doc().catalogue());
        if (!decoded) {
            if (m_context.dialogs)
                m_context.dialogs->error(Msg::NotCorrectFormat);
            return;
        }
        records = *decoded;
    }
    if (records.empty())
        return;
    auto *command = new PasteCommand(m_adapter, std::move(records), at);
    m_adapter.undoStack()->push(command);
    m_view->showPasted(command->pasted());
}

void CMainFrame::undoDelete()
{
    if (m_adapter.doc().undoList().empty())
        return;
    auto *command = new UndoDeleteCommand(m_adapter);
    m_adapter.undoStack()->push(command);
    if (m_context.dialogs) {
        for (std::string_view message : command->messages())
            m_context.dialogs->inform(message);
    }
    m_view->showPasted(command->restored());
}

void CMainFrame::showCanvasMenu(quint64 underPointer, const QPoint &globalPos)
{
    const CVocaraDoc &doc = m_adapter.doc();
    const CanvasEdits::ContextMenuState state = CanvasEdits::contextMenuState(
        doc, m_view->selectedNode(), m_view->multiSelection().size(), underPointer);
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("CanvasMenu"));
    QAction *createLink = menu.addAction(qt(Ui::CreateLinkToChild));
    createLink->setEnabled(state.createLink);
    connect(createLink, &QAction::triggered, this, [this] {
        const NodeId source = m_view->selectedNode();
        SelectNodeNameDialog dialog(m_adapter.doc(), this);
        connect(&dialog, &SelectNodeNameDialog::linkRequested, this,
                [this, source](quint64 target) { linkNodes(source, target); });
        runDialog(dialog);
    });
    QAction *deleteLink = menu.addAction(qt(Ui::DeleteLinkToChild));
    deleteLink->setEnabled(state.deleteLink);
    QAction *selectLink = menu.addAction(qt(Ui::SelectLinkToChild));
    selectLink->setEnabled(state.selectLink);
    menu.addSeparator();
    QAction *copy = menu.addAction(qt(Ui::ContextCopy));
    copy->setEnabled(state.copyCutDelete);
    QAction *cut = menu.addAction(qt(Ui::ContextCut));
    cut->setEnabled(state.copyCutDelete);
    QAction *remove = menu.addAction(qt(Ui::ContextDelete));
    remove->setEnabled(state.copyCutDelete);
    QAction *paste = menu.addAction(qt(Ui::ContextPaste));
    paste->setEnabled(state.paste);
    connect(copy, &QAction::triggered, this, [this] { copySelection(false); });
    connect(cut, &QAction::triggered, this, [this] { copySelection(true); });
    // Pasted where the menu was asked for.
    const Cell clicked =
        Canvas::cellAt(m_view->canvasPoint(m_view->viewport()->mapFromGlobal(globalPos)));
    connect(paste, &QAction::triggered, this, [this, clicked] { pasteAt(clicked); });

    // Both link items act on the first child of the node under the pointer.
    const NodeId node = underPointer;
    auto firstChild = [this, node]() -> NodeId {
        const NodeData *parent = m_adapter.doc().node(node);
        if (parent && !parent->children.empty())
            return parent->children.front();
        if (m_context.dialogs)
            m_context.dialogs->inform(Msg::NoLinksExist);
        return NoNode;
    };
    connect(deleteLink, &QAction::triggered, this, [this, node, firstChild] {
        const NodeId child = firstChild();
        if (child != NoNode && CanvasEdits::linkDeletable(m_adapter.doc(), node))
            m_adapter.undoStack()->push(new LinkCommand(m_adapter, node, child, true));
    });
    connect(selectLink, &QAction::triggered, this, [this, node, firstChild] {
        if (const NodeId child = firstChild(); child != NoNode)
            m_view->selectLink({node, child});
    });
    connect(remove, &QAction::triggered, this, &CMainFrame::deleteSelection);
    if (m_menuRunner)
        m_menuRunner(menu);
    else
        menu.exec(globalPos);
}

} // namespace vocara
