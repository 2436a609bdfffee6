#pragma once

#include "designer/canvas_painter.h"
#include "document/canvas_geometry.h"

#include "designer/node_tooltip.h"

#include <QAbstractScrollArea>
#include <QTimer>

#include <optional>

namespace vocara {

class DocumentAdapter;
class IvrSettings;

// The flow canvas: the grid, the links and the node boxes of the document, scrolled; the
// selection, link selection, keyboard navigation, tooltips, dropped files and the running
// simulation's path. It reads the document and never changes it behind the adapter's back.
class CVocaraView : public QAbstractScrollArea
{
    Q_OBJECT

public:
    CVocaraView(DocumentAdapter &adapter, const IvrSettings *settings, QWidget *parent = nullptr);

    NodeId selectedNode() const { return m_marks.selected; }
    const std::vector<NodeId> &multiSelection() const { return m_marks.multiSelection; }
    Canvas::LinkHit selectedLink() const { return m_marks.selectedLink; }
    const std::vector<NodeId> &simulatorPath() const { return m_marks.simulatorPath; }
    void selectNode(NodeId id);
    void clearSelection();

    // The tool of the next click: a node kind, the sample tool or the pointer.
    int tool() const { return m_tool; }
    void setTool(int tool);

    // The simulator reached `id`; on restart the path starts again. Scrolls it into view.
    void highlightRunningNode(NodeId id, bool restart);
    void clearSimulatorPath();

    // The top-left visible cell, where Paste puts what it pastes.
    Cell firstVisibleCell() const;
    // Canvas pixels of a point of the viewport, and back.
    Canvas::Point canvasPoint(const QPoint &viewportPoint) const;
    QPoint viewportPoint(Canvas::Point canvasPoint) const;
    // Scrolls a page at a time until the node's box is inside the viewport.
    void scrollNodeIntoView(NodeId id);

    // The nodes a paste made, shown selected together.
    void showPasted(const std::vector<NodeId> &nodes);
    // Selects the link itself (the node lets go of the selection).
    void selectLink(Canvas::LinkHit link);

    // The tooltip text shown over the node under the pointer, empty while none shows.
    const QString &shownTooltip() const { return m_tooltip; }
    // How long the pointer rests on a node box before its tooltip shows (tests: 0).
    void setTooltipDelay(int milliseconds) { m_tipDelay = milliseconds; }
    NodeTooltip *tooltipWindow() const { return m_tip; }

    // The colours changed (options sheet): repaint with the new ones.
    void settingsChanged();

signals:
    void selectionChanged(quint64 node);
    void toolChanged(int tool);
    void fileDropped(const QString &path);
    // A click with a node tool or the sample tool on a cell that may take a node.
    void placeRequested(int tool, int row, int column);
    // Edits the canvas asks for; the main window carries them out through the undo stack.
    void deleteRequested();
    void linkRequested(quint64 source, quint64 target);
    // Each node to its cell (QPoint(column, row)), in order.
    void moveRequested(const QList<QPair<quint64, QPoint>> &moves);
    void contextMenuRequested(quint64 underPointer, const QPoint &globalPos);
    void statusMessage(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool viewportEvent(QEvent *event) override;

private:
    void rebuild();
    // The node tooltip: the box under the pointer starts its timer; leaving it hides it.
    void followPointerForTooltip(const QPoint &pos);
    void showTooltip();
    void hideTooltip();
    void updateScrollRange();
    void selectAndShow(NodeId id);
    void addToMultiSelection(NodeId id);
    void pageScroll(Qt::Orientation orientation, bool forward);
    void updateCursor();
    void leftPress(const QPoint &pos, Qt::KeyboardModifiers modifiers);
    void leftRelease(const QPoint &pos, Qt::KeyboardModifiers modifiers);
    NodeId nodeUnder(const QPoint &viewportPos) const;
    void keyboardMove(int rows, int columns);

    DocumentAdapter &m_adapter;
    const IvrSettings *m_settings;
    CanvasMarks m_marks;
    int m_tool;
    bool m_sweeping = false;
    bool m_linkDrag = false;
    bool m_dragArmed = false;
    bool m_moved = false;
    std::optional<Cell> m_dragCell; // where the drag's feedback frame is
    QString m_tooltip;
    NodeTooltip *m_tip = nullptr;
    QTimer m_tipTimer;
    int m_tipDelay = 700;
    NodeId m_tipNode = NoNode;
    mutable Canvas::LinkIndex m_links;
    mutable bool m_linksStale = true;
};

} // namespace vocara
