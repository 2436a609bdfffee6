#include "designer/node_tooltip.h"

#include <QFontDatabase>
#include <QPainter>

namespace vocara {

namespace {

constexpr int Margin = 4;
const QString PreferredFamily = QStringLiteral("MS Sans Serif");

} // namespace

NodeTooltip::NodeTooltip(QWidget *parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // The family of old when it is installed, else the system's own face; 15 pixels high.
    QFont font = QFontDatabase::families().contains(PreferredFamily)
                     ? QFont(PreferredFamily)
                     : QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(15);
    font.setWeight(QFont::Normal);
    setFont(font);
}

void NodeTooltip::showText(const QString &text, const QColor &background, const QPoint &at)
{
    m_text = text;
    m_background = background;
    const QSize size = fontMetrics().size(Qt::TextExpandTabs, text);
    resize(size + QSize(2 * Margin, 2 * Margin));
    move(at);
    show();
    raise();
    update();
}

void NodeTooltip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_background);
    painter.setPen(Qt::black);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.drawText(rect().adjusted(Margin, Margin, -Margin, -Margin),
                     Qt::AlignLeft | Qt::AlignVCenter | Qt::TextExpandTabs, m_text);
}

} // namespace vocara
