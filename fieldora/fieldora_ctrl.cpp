#include "fieldora/fieldora_ctrl.h"

#include "fieldora/fieldora_grid.h"
#include "fieldora/fieldora_text.h"

#include <QMessageBox>
#include <QPainter>
#include <QVariantMap>
#include <qdrawutil.h>

#include <iterator>

namespace fieldora {

// The pane under the list: "Description:" and the clicked row's description.
class DescriptionPane : public QWidget
{
public:
    explicit DescriptionPane(QWidget *parent)
        : QWidget(parent)
    {
        setObjectName(QStringLiteral("fieldoraDescription"));
    }

    void show(const QString &description)
    {
        description_ = description;
        update();
    }
    QString text() const { return description_; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Window));
        qDrawShadeRect(&painter, rect(), palette(), true, 1); // etched
        const QRect inside = rect().adjusted(6, 4, -6, -4);
        QFont bold = font();
        bold.setWeight(QFont::Bold);
        painter.setFont(bold);
        painter.setPen(palette().color(QPalette::WindowText));
        const int line = QFontMetrics(bold).height();
        painter.drawText(QRect(inside.left(), inside.top(), inside.width(), line),
                         Qt::AlignLeft | Qt::AlignVCenter,
                         QString::fromUtf8(text::DescriptionTitle));
        painter.setFont(font());
        painter.drawText(inside.adjusted(0, line + 2, 0, 0),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, description_);
    }

private:
    QString description_;
};

} // namespace fieldora

using fieldora::FieldoraGrid;

namespace {
constexpr int Inset = 2;
constexpr int PaneHeight = 60;
constexpr short HighestPrecision = 9;
} // namespace

CFieldoraCtrl::CFieldoraCtrl(QWidget *parent)
    : QFrame(parent)
    , grid_(new FieldoraGrid(this))
    , pane_(new fieldora::DescriptionPane(this))
{
    setObjectName(QStringLiteral("FieldoraCtrl"));
    pane_->setFont(grid_->font());
    setFocusProxy(grid_);
    SetBorderStyle(borderStyle_);
    connect(grid_, &FieldoraGrid::propertyChanged, this, &CFieldoraCtrl::PropertyChanged);
    connect(grid_, &FieldoraGrid::buttonClicked, this, &CFieldoraCtrl::ButtonClicked);
    connect(grid_, &FieldoraGrid::descriptionChanged, pane_,
            [this](const QString &, const QString &description) { pane_->show(description); });
    resize(265, 340);
}

CFieldoraCtrl::~CFieldoraCtrl() = default;

void CFieldoraCtrl::SetShowDescription(bool show)
{
    showDescription_ = show;
    layoutChildren();
}

void CFieldoraCtrl::SetPrecision(short precision)
{
    if (precision >= 0 && precision <= HighestPrecision)
        precision_ = precision;
}

void CFieldoraCtrl::SetBorderStyle(short style)
{
    borderStyle_ = style;
    struct Edge
    {
        int frame;
        int width;
    };
    // None, raised, sunken, raised drawn flat, thin sunken; other values draw no border.
    static constexpr Edge Edges[] = {{QFrame::NoFrame, 0},
                                     {QFrame::Panel | QFrame::Raised, 2},
                                     {QFrame::Panel | QFrame::Sunken, 2},
                                     {QFrame::Box | QFrame::Plain, 1},
                                     {QFrame::Panel | QFrame::Sunken, 1}};
    const Edge edge =
        style >= 0 && style < static_cast<short>(std::size(Edges)) ? Edges[style] : Edges[0];
    setFrameStyle(edge.frame);
    setLineWidth(edge.width);
    layoutChildren();
    update();
}

void CFieldoraCtrl::resizeEvent(QResizeEvent *event)
{
    QFrame::resizeEvent(event);
    layoutChildren();
}

void CFieldoraCtrl::layoutChildren()
{
    const QRect area = contentsRect().adjusted(Inset, Inset, -Inset, -Inset);
    pane_->setVisible(showDescription_);
    if (showDescription_) {
        const int pane = std::min(PaneHeight, std::max(0, area.height()));
        grid_->setGeometry(area.adjusted(0, 0, 0, -pane));
        pane_->setGeometry(QRect(area.left(), area.bottom() - pane + 1, area.width(), pane));
    } else {
        grid_->setGeometry(area);
    }
}

void CFieldoraCtrl::Clear()
{
    grid_->clear();
}

void CFieldoraCtrl::AddProperty(const QString &Category, const QString &Caption,
                                const QVariant &Value, const QString &Description, short ButtonType,
                                bool IsEnabled)
{
    grid_->addProperty(Category, Caption, Value, Description, ButtonType, IsEnabled);
}

QVariantMap CFieldoraCtrl::SetValue(const QString &PropertyName, const QVariant &Value)
{
    namespace text = fieldora::text;
    QVariantMap result{{QString::fromUtf8(text::ResultNumber), 0},
                       {QString::fromUtf8(text::ResultDescription), QString()}};
    switch (grid_->setValue(PropertyName, Value)) {
    case FieldoraGrid::SetResult::NoSuchRow:
        result[QString::fromUtf8(text::ResultNumber)] = text::PropertyMissingNumber;
        result[QString::fromUtf8(text::ResultDescription)] =
            QString::fromUtf8(text::PropertyMissing).replace(QLatin1String("%s"), PropertyName);
        break;
    case FieldoraGrid::SetResult::WrongType:
        result[QString::fromUtf8(text::ResultNumber)] = text::WrongTypeNumber;
        result[QString::fromUtf8(text::ResultDescription)] = QString::fromUtf8(text::WrongType);
        break;
    case FieldoraGrid::SetResult::Done:
        update();
        break;
    }
    return result;
}

void CFieldoraCtrl::CloseAll()
{
    grid_->closeAll();
}

void CFieldoraCtrl::AboutBox()
{
    QMessageBox::about(this, QString::fromUtf8(fieldora::text::AboutTitle),
                       QString::fromUtf8(fieldora::text::AboutText));
}

QVariant CFieldoraCtrl::GetValue(const QString &PropertyName) const
{
    const int index = grid_->rowIndex(PropertyName);
    return index < 0 ? QVariant() : grid_->hostValue(grid_->rows()[index]);
}

QString CFieldoraCtrl::DisplayText(const QString &PropertyName) const
{
    const int index = grid_->rowIndex(PropertyName);
    return index < 0 ? QString() : fieldora::displayText(grid_->rows()[index]);
}

QRect CFieldoraCtrl::toControl(const QRect &viewportRect) const
{
    if (viewportRect.isEmpty())
        return {};
    return viewportRect.translated(grid_->viewport()->mapTo(this, QPoint(0, 0)));
}

QRect CFieldoraCtrl::RowRect(const QString &Caption) const
{
    return toControl(grid_->rowRect(grid_->rowIndex(Caption)));
}

QRect CFieldoraCtrl::CategoryRect(const QString &Category) const
{
    const auto &rows = grid_->rows();
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (rows[i].isCategory() && rows[i].caption == Category)
            return toControl(grid_->rowRect(static_cast<int>(i)));
    return {};
}

bool CFieldoraCtrl::IsCategoryExpanded(const QString &Category) const
{
    for (const auto &row : grid_->rows())
        if (row.isCategory() && row.caption == Category)
            return row.expanded;
    return false;
}

int CFieldoraCtrl::RowCount() const
{
    return static_cast<int>(grid_->rows().size());
}

QString CFieldoraCtrl::DescriptionText() const
{
    return pane_->text();
}

int CFieldoraCtrl::SplitterPosition() const
{
    return grid_->splitterPercent();
}

void CFieldoraCtrl::SetSplitterPosition(int percent)
{
    grid_->setSplitterPercent(percent);
}

QString CFieldoraCtrl::SelectedProperty() const
{
    const int index = grid_->selectedRow();
    if (index < 0 || grid_->rows()[index].isCategory())
        return QString();
    return grid_->rows()[index].caption;
}

QVariantMap CFieldoraCtrl::SaveState() const
{
    namespace text = fieldora::text;
    return {{QString::fromUtf8(text::StateVersionKey), QString::fromUtf8(text::StateVersion)},
            {QString::fromUtf8(text::StateBorderStyle), static_cast<int>(borderStyle_)},
            {QString::fromUtf8(text::StateShowDescription), showDescription_}};
}

void CFieldoraCtrl::LoadState(const QVariantMap &state)
{
    namespace text = fieldora::text;
    // Another major version, or a value of the wrong kind, gives the default.
    const bool known = state.value(QString::fromUtf8(text::StateVersionKey))
                           .toString()
                           .startsWith(QLatin1String("1."));
    bool ok = false;
    const int style = state.value(QString::fromUtf8(text::StateBorderStyle)).toInt(&ok);
    SetBorderStyle(known && ok && style >= -32768 && style <= 32767 ? static_cast<short>(style)
                                                                    : fieldora::border::Static);
    const QVariant show = state.value(QString::fromUtf8(text::StateShowDescription));
    SetShowDescription(known && show.canConvert<bool>() && show.isValid() ? show.toBool() : true);
}
