#include "designer/vocara_view.h"

#include "document/ivr_settings.h"

#include "designer/designer_text.h"
#include "designer/document_adapter.h"
#include "designer/qt_text.h"
#include "document/canvas_edits.h"
#include "document/user_dialogs.h"

#include <QDragEnterEvent>
#include <QHelpEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>

#include <QCursor>
#include <QStyle>

#include <algorithm>

namespace vocara {

CVocaraView::CVocaraView(DocumentAdapter &adapter, const IvrSettings *settings, QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_adapter(adapter)
    , m_settings(settings)
    , m_tool(Ui::ToolPointer)
{
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    viewport()->setMouseTracking(true);
    m_tip = new NodeTooltip(viewport());
    m_tipTimer.setSingleShot(true);
    m_tipDelay = style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay);
    connect(&m_tipTimer, &QTimer::timeout, this, &CVocaraView::showTooltip);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    horizontalScrollBar()->setSingleStep(CellSize);
    verticalScrollBar()->setSingleStep(CellSize);

    // Links are filed anew on the next paint after any change to the flow's shape.
    auto reshape = [this] {
        m_linksStale = true;
        viewport()->update();
    };
    connect(&adapter, &DocumentAdapter::documentReset, this, &CVocaraView::rebuild);
    connect(&adapter, &DocumentAdapter::nodeAdded, this, [this, reshape] {
        updateScrollRange();
        reshape();
    });
    connect(&adapter, &DocumentAdapter::nodeRemoved, this, [this](quint64 id) {
        auto &multi = m_marks.multiSelection;
        multi.erase(std::remove(multi.begin(), multi.end(), NodeId(id)), multi.end());
        auto &path = m_marks.simulatorPath;
        path.erase(std::remove(path.begin(), path.end(), NodeId(id)), path.end());
        if (m_marks.selected == id)
            clearSelection();
        if (m_marks.selectedLink.parent == id || m_marks.selectedLink.child == id)
            m_marks.selectedLink = {};
        m_linksStale = true;
        viewport()->update();
    });
    connect(&adapter, &DocumentAdapter::nodeChanged, this, [this] { viewport()->update(); });
    connect(&adapter, &DocumentAdapter::linkAdded, this, reshape);
    connect(&adapter, &DocumentAdapter::nodeMoved, this, [this, reshape] {
        updateScrollRange();
        reshape();
    });
    connect(&adapter, &DocumentAdapter::linkRemoved, this, [this](quint64 from, quint64 to) {
        if (m_marks.selectedLink == Canvas::LinkHit{from, to})
            m_marks.selectedLink = {};
        m_linksStale = true;
        viewport()->update();
    });
    rebuild();
}

void CVocaraView::rebuild()
{
    m_marks = {};
    m_linksStale = true;
    m_tool = Ui::ToolPointer;
    m_sweeping = m_linkDrag = m_dragArmed = false;
    updateScrollRange();
    updateCursor();
    emit selectionChanged(NoNode);
    emit toolChanged(m_tool);
    viewport()->update();
}

void CVocaraView::settingsChanged()
{
    viewport()->update();
}

void CVocaraView::updateScrollRange()
{
    const CanvasExtent extent = m_adapter.doc().canvasExtent();
    const QSize page = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, extent.width - page.width()));
    verticalScrollBar()->setRange(0, std::max(0, extent.height - page.height()));
    horizontalScrollBar()->setPageStep(page.width());
    verticalScrollBar()->setPageStep(page.height());
}

Canvas::Point CVocaraView::canvasPoint(const QPoint &p) const
{
    return {p.x() + horizontalScrollBar()->value(), p.y() + verticalScrollBar()->value()};
}

QPoint CVocaraView::viewportPoint(Canvas::Point p) const
{
    return {p.x - horizontalScrollBar()->value(), p.y - verticalScrollBar()->value()};
}

Cell CVocaraView::firstVisibleCell() const
{
    return Canvas::cellAt(canvasPoint({0, 0}));
}

void CVocaraView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    const QPoint scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    painter.translate(-scroll);
    const QRect area = event->rect().translated(scroll);
    if (m_linksStale) {
        m_links.rebuild(m_adapter.doc());
        m_linksStale = false;
    }
    paintCanvas(painter, m_adapter.doc(), m_links, area, m_marks,
                CanvasColors::fromSettings(m_settings));
    if (m_dragCell) {
        // Where a dragged node would land: its box there, a pixel larger all round.
        const Canvas::Rect box = Canvas::nodeBox(*m_dragCell);
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(QPoint(box.left - 1, box.top - 1), QPoint(box.right, box.bottom)));
    }
}

void CVocaraView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

void CVocaraView::selectNode(NodeId id)
{
    if (!m_adapter.doc().exists(id)) {
        clearSelection();
        return;
    }
    m_marks.selected = id;
    viewport()->update();
    emit selectionChanged(id);
}

void CVocaraView::clearSelection()
{
    const bool had = m_marks.selected != NoNode;
    m_marks.selected = NoNode;
    viewport()->update();
    if (had)
        emit selectionChanged(NoNode);
}

void CVocaraView::selectAndShow(NodeId id)
{
    if (id == NoNode)
        return;
    m_marks.selectedLink = {};
    selectNode(id);
}

void CVocaraView::addToMultiSelection(NodeId id)
{
    auto &multi = m_marks.multiSelection;
    if (std::find(multi.begin(), multi.end(), id) == multi.end())
        multi.push_back(id);
}

void CVocaraView::setTool(int tool)
{
    if (m_tool == tool)
        return;
    m_tool = tool;
    updateCursor();
    emit toolChanged(tool);
}

void CVocaraView::updateCursor()
{
    if (m_linkDrag)
        viewport()->setCursor(Qt::UpArrowCursor);
    else if (m_tool != Ui::ToolPointer)
        viewport()->setCursor(Qt::CrossCursor);
    else
        viewport()->setCursor(Qt::ArrowCursor);
}

void CVocaraView::pageScroll(Qt::Orientation orientation, bool forward)
{
    QScrollBar *bar = orientation == Qt::Horizontal ? horizontalScrollBar() : verticalScrollBar();
    bar->triggerAction(forward ? QAbstractSlider::SliderPageStepAdd
                               : QAbstractSlider::SliderPageStepSub);
}

NodeId CVocaraView::nodeUnder(const QPoint &viewportPos) const
{
    const Canvas::Point p = canvasPoint(viewportPos);
    return Canvas::onNodeBox(p) ? m_adapter.doc().nodeAt(Canvas::cellAt(p)) : NoNode;
}

void CVocaraView::showPasted(const std::vector<NodeId> &nodes)
{
    m_marks.multiSelection.clear();
    for (NodeId id : nodes) {
        if (m_adapter.doc().exists(id))
            addToMultiSelection(id);
    }
    viewport()->update();
    emit selectionChanged(m_marks.selected);
}

void CVocaraView::selectLink(Canvas::LinkHit link)
{
    m_marks.selectedLink = link;
    clearSelection();
    viewport()->update();
    emit selectionChanged(NoNode);
}

void CVocaraView::leftPress(const QPoint &pos, Qt::KeyboardModifiers modifiers)
{
    m_moved = false;
    m_dragCell.reset();
    const Canvas::Point p = canvasPoint(pos);
    const Cell cell = Canvas::cellAt(p);
    const bool ctrl = modifiers & Qt::ControlModifier;
    m_dragArmed = true;
    m_linkDrag = false;
    if (m_tool != Ui::ToolPointer) {
        const int tool = m_tool;
        if (m_adapter.doc().isSimulatorRunning()) {
            m_adapter.mutableDoc().dialogs().inform(Ui::CantAddWhileSimulating);
            setTool(Ui::ToolPointer);
            return;
        }
        setTool(Ui::ToolPointer);
        if (cell != Cell{0, 0})
            emit placeRequested(tool, cell.row, cell.column);
        return;
    }
    const NodeId hit = Canvas::onNodeBox(p) ? m_adapter.doc().nodeAt(cell) : NoNode;
    if (hit != NoNode) {
        m_marks.selectedLink = {};
        if (ctrl) {
            if (m_marks.selected != NoNode && m_marks.multiSelection.empty())
                addToMultiSelection(m_marks.selected);
            addToMultiSelection(hit);
        }
        selectNode(hit);
        if (Canvas::onOutPort(p) || ctrl) {
            m_linkDrag = true;
            m_dragArmed = false;
            updateCursor();
        }
        return;
    }
    // Empty canvas: a sweep may start here.
    if (!ctrl)
        m_marks.multiSelection.clear();
    clearSelection();
    m_marks.selectedLink = Canvas::linkAt(m_adapter.doc(), p);
    m_sweeping = true;
    viewport()->update();
    emit selectionChanged(NoNode);
}

void CVocaraView::mousePressEvent(QMouseEvent *event)
{
    setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton) {
        leftPress(event->position().toPoint(), event->modifiers());
    } else if (event->button() == Qt::RightButton && m_tool == Ui::ToolPointer) {
        const Canvas::Point p = canvasPoint(event->position().toPoint());
        const NodeId hit =
            Canvas::onNodeBox(p) ? m_adapter.doc().nodeAt(Canvas::cellAt(p)) : NoNode;
        if (hit != NoNode) {
            selectAndShow(hit);
        } else {
            m_marks.selectedLink = {};
            clearSelection();
        }
    }
}

void CVocaraView::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() == Qt::NoButton)
        followPointerForTooltip(event->position().toPoint());
    else
        hideTooltip();
    if (m_dragArmed && !m_linkDrag && m_tool == Ui::ToolPointer && m_marks.selected != NoNode &&
        (event->buttons() & Qt::LeftButton)) {
        const Cell cell = Canvas::cellAt(canvasPoint(event->position().toPoint()));
        const NodeData *node = m_adapter.doc().node(m_marks.selected);
        if (node && cell != node->cell && cell != Cell{0, 0}) {
            m_moved = true;
            m_dragCell = cell;
            viewport()->update();
        }
    }
    if (m_sweeping && (event->buttons() & Qt::LeftButton)) {
        const Canvas::Point p = canvasPoint(event->position().toPoint());
        const NodeId hit =
            Canvas::onNodeBox(p) ? m_adapter.doc().nodeAt(Canvas::cellAt(p)) : NoNode;
        if (hit != NoNode) {
            addToMultiSelection(hit);
            viewport()->update();
        }
    }
}

void CVocaraView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton && m_tool == Ui::ToolPointer) {
        const NodeId hit = nodeUnder(event->position().toPoint());
        if (hit != NoNode)
            selectAndShow(hit);
        emit contextMenuRequested(hit, viewport()->mapToGlobal(event->position().toPoint()));
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    setTool(Ui::ToolPointer);
    if (!m_sweeping)
        leftRelease(event->position().toPoint(), event->modifiers());
    m_sweeping = false;
    m_dragArmed = false;
    m_linkDrag = false;
    m_moved = false;
    m_dragCell.reset();
    updateCursor();
    viewport()->update();
    emit selectionChanged(m_marks.selected);
}

void CVocaraView::leftRelease(const QPoint &pos, Qt::KeyboardModifiers modifiers)
{
    const NodeId selected = m_marks.selected;
    if (selected == NoNode)
        return;
    const bool ctrl = modifiers & Qt::ControlModifier;
    const NodeId target = nodeUnder(pos);
    const Cell release = Canvas::cellAt(canvasPoint(pos));
    std::vector<NodeId> group = m_marks.multiSelection;
    if (group.size() < 2 || ctrl || !m_moved) {
        // A plain click lets a group go; Ctrl keeps gathering it.
        if (!ctrl)
            m_marks.multiSelection.clear();
        if (m_linkDrag && target != NoNode && target != selected)
            emit linkRequested(selected, target);
        else if (m_moved && !m_linkDrag)
            emit moveRequested({{quint64(selected), QPoint(release.column, release.row)}});
        return;
    }
    if (m_linkDrag) {
        for (NodeId id : group) {
            if (target != NoNode && id != target)
                emit linkRequested(id, target);
        }
        return;
    }
    QList<QPair<quint64, QPoint>> moves;
    for (const auto &[id, cell] :
         CanvasEdits::groupMoveTargets(m_adapter.doc(), group, selected, release))
        moves.append({quint64(id), QPoint(cell.column, cell.row)});
    emit moveRequested(moves);
}

void CVocaraView::wheelEvent(QWheelEvent *event)
{
    const int delta =
        event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
    if (delta == 0)
        return;
    const bool sideways = event->buttons() & Qt::RightButton;
    pageScroll(sideways ? Qt::Horizontal : Qt::Vertical, delta < 0);
    event->accept();
}

bool CVocaraView::focusNextPrevChild(bool)
{
    return false; // Tab walks the flow, not the window's widgets
}

void CVocaraView::keyPressEvent(QKeyEvent *event)
{
    const CVocaraDoc &doc = m_adapter.doc();
    const NodeId selected = m_marks.selected;
    if (event->modifiers() & Qt::ControlModifier) {
        switch (event->key()) {
        case Qt::Key_Left:
            keyboardMove(0, -1);
            return;
        case Qt::Key_Right:
            keyboardMove(0, 1);
            return;
        case Qt::Key_Up:
            keyboardMove(-1, 0);
            return;
        case Qt::Key_Down:
            keyboardMove(1, 0);
            return;
        default:
            QAbstractScrollArea::keyPressEvent(event);
            return;
        }
    }
    switch (event->key()) {
    case Qt::Key_Escape:
        clearSelection();
        m_marks.multiSelection.clear();
        m_marks.selectedLink = {};
        setTool(Ui::ToolPointer);
        viewport()->update();
        break;
    case Qt::Key_Tab:
        // With nothing selected, Tab starts the walk at the flow's top node.
        selectAndShow(selected == NoNode ? doc.startNode() : Canvas::tabTarget(doc, selected));
        break;
    case Qt::Key_Delete:
        emit deleteRequested();
        break;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const bool right = event->key() == Qt::Key_Right;
        selectAndShow(Canvas::siblingTarget(doc, selected, right ? 1 : -1));
        pageScroll(Qt::Horizontal, right);
        break;
    }
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const bool down = event->key() == Qt::Key_Down;
        selectAndShow(down ? Canvas::firstChild(doc, selected)
                           : Canvas::firstParent(doc, selected));
        pageScroll(Qt::Vertical, down);
        break;
    }
    default:
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void CVocaraView::keyboardMove(int rows, int columns)
{
    const NodeData *node = m_adapter.doc().node(m_marks.selected);
    if (!node)
        return;
    // Never off the grid's top or left edge.
    if ((columns < 0 && node->cell.column == 0) || (rows < 0 && node->cell.row == 0))
        return;
    const NodeId id = node->id;
    emit moveRequested({{quint64(id), QPoint(node->cell.column + columns, node->cell.row + rows)}});
    selectNode(id);
}

void CVocaraView::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CVocaraView::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CVocaraView::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    QString last;
    for (const QUrl &url : urls) {
        if (url.isLocalFile())
            last = url.toLocalFile();
    }
    if (last.isEmpty())
        return;
    event->acceptProposedAction();
    emit fileDropped(last);
}

bool CVocaraView::viewportEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::ToolTip:
        return true; // the node tooltip window speaks instead
    case QEvent::Leave:
        hideTooltip();
        break;
    default:
        break;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void CVocaraView::followPointerForTooltip(const QPoint &pos)
{
    const Canvas::Point p = canvasPoint(pos);
    const NodeId hit = Canvas::onNodeBox(p) ? m_adapter.doc().nodeAt(Canvas::cellAt(p)) : NoNode;
    if (hit == m_tipNode)
        return;
    // Out of the box the pointer rested in: the window goes; a new box starts the timer.
    hideTooltip();
    m_tipNode = hit;
    if (hit != NoNode)
        m_tipTimer.start(m_tipDelay);
}

void CVocaraView::showTooltip()
{
    const std::string text = Canvas::tooltipText(m_adapter.doc(), m_tipNode);
    if (text.empty())
        return;
    m_tooltip = qt(text);
    const QColor background =
        m_settings ? storedColor(m_settings->number(Setting::ToolTipColor)) : QColor(Qt::yellow);
    m_tip->showText(m_tooltip, background, QCursor::pos() + QPoint(12, 18));
}

void CVocaraView::hideTooltip()
{
    m_tipTimer.stop();
    m_tipNode = NoNode;
    m_tooltip.clear();
    m_tip->hide();
}

void CVocaraView::scrollNodeIntoView(NodeId id)
{
    const NodeData *node = m_adapter.doc().node(id);
    if (!node)
        return;
    const Canvas::Rect box = Canvas::nodeBox(node->cell);
    // A page at a time, as far as the scroll range lets it go.
    for (int guard = 0; guard < 10000; ++guard) {
        const QPoint top = viewportPoint({box.left, box.top});
        const QPoint bottom = viewportPoint({box.right, box.bottom});
        const QSize size = viewport()->size();
        QScrollBar *h = horizontalScrollBar();
        QScrollBar *v = verticalScrollBar();
        const int before = h->value() + v->value();
        if (bottom.x() > size.width())
            pageScroll(Qt::Horizontal, true);
        else if (top.x() < 0)
            pageScroll(Qt::Horizontal, false);
        else if (bottom.y() > size.height())
            pageScroll(Qt::Vertical, true);
        else if (top.y() < 0)
            pageScroll(Qt::Vertical, false);
        else
            break;
        if (h->value() + v->value() == before)
            break;
    }
}

void CVocaraView::highlightRunningNode(NodeId id, bool restart)
{
    if (restart)
        m_marks.simulatorPath.clear();
    m_marks.showSimulatorPath = true;
    m_marks.selected = NoNode;
    if (m_adapter.doc().exists(id))
        m_marks.simulatorPath.push_back(id);
    scrollNodeIntoView(id);
    viewport()->update();
}

void CVocaraView::clearSimulatorPath()
{
    m_marks.simulatorPath.clear();
    m_marks.showSimulatorPath = false;
    viewport()->update();
}

} // namespace vocara
