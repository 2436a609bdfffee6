#pragma once

#include "designer/fieldora_wrapper.h"
#include "document/node_data.h"

#include <QWidget>

class QLabel;
class QStackedWidget;

namespace vocara {

class DocumentAdapter;

// The "Properties" bar's contents: the property grid showing the node selected on the canvas.
// Each value the user commits becomes one undo command; the grid follows the node through
// undo, redo and every other change. Without the grid's plugin one line says why.
class PropertiesBar : public QWidget
{
    Q_OBJECT

public:
    PropertiesBar(DocumentAdapter &adapter, const QStringList &pluginFiles,
                  QWidget *parent = nullptr);

    // The node whose properties are shown (none: the grid is emptied).
    void showNode(NodeId id);
    NodeId shownNode() const { return m_shown; }
    // The grid control, or null when its plugin could not be loaded.
    QWidget *grid() const { return m_grid.control(); }
    CFieldora &fieldora() { return m_grid; }
    // The line shown instead of the grid (nothing selected, or no plugin).
    QLabel *notice() const { return m_notice; }

private slots:
    void onPropertyChanged(const QString &label, const QVariant &value);

private:
    // Puts the node's values into rows that show something else.
    void syncValues();

    DocumentAdapter &m_adapter;
    CFieldora m_grid;
    QStackedWidget *m_pages = nullptr;
    QLabel *m_notice = nullptr;
    NodeId m_shown = NoNode;
    bool m_filling = false;
};

} // namespace vocara
