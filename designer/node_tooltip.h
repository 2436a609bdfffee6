#pragma once

#include <QWidget>

namespace vocara {

// The node tooltip: a borderless pop-up with a black frame, filled with the tooltip colour,
// showing a node's text.
class NodeTooltip : public QWidget
{
public:
    explicit NodeTooltip(QWidget *parent = nullptr);

    // Shows the text with its top-left corner at a global point.
    void showText(const QString &text, const QColor &background, const QPoint &at);
    const QString &text() const { return m_text; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_text;
    QColor m_background;
};

} // namespace vocara
