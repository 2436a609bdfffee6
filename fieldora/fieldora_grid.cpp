#include "fieldora/fieldora_grid.h"

#include "fieldora/fieldora_editors.h"
#include "fieldora/fieldora_icons.h"
#include "fieldora/fieldora_text.h"
#include "fieldora/fieldora_value.h"
#include "fieldora/function_editor.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QToolTip>
#include <QUrl>

#include <algorithm>
#include <cstdlib>

namespace fieldora {
namespace {

const QColor CategoryBand(136, 157, 194); // 12754312
const QColor Gutter(232, 236, 243);
const QColor GridLine(218, 220, 224);
constexpr int BandOffset = 5;
constexpr int ExpandWidth = 22;
constexpr int SplitterReach = 4;
constexpr int CaptionIndent = 20;
constexpr int ValueIndent = 4;
constexpr int MinimumSplitter = 16;
constexpr int MaximumSplitter = 84;
constexpr int PictureRowHeight = 52;

bool isWebAddress(const QString &source)
{
    return source.startsWith(QLatin1String("http://"), Qt::CaseInsensitive) ||
           source.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
}

QPixmap thumbnail(const QPixmap &picture, int side)
{
    return picture.scaled(side, side, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

} // namespace

FieldoraGrid::FieldoraGrid(QWidget *parent)
    : QAbstractScrollArea(parent)
{
    setObjectName(QStringLiteral("fieldoraGrid"));
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(true);
    QPalette colors = viewport()->palette();
    colors.setColor(QPalette::Base, Qt::white);
    viewport()->setPalette(colors);
    viewport()->setBackgroundRole(QPalette::Base);

    // Tahoma where it is installed, else the nearest sans-serif face.
    rowFont_.setFamilies({QStringLiteral("Tahoma")});
    rowFont_.setStyleHint(QFont::SansSerif);
    rowFont_.setPixelSize(13);
    boldFont_ = rowFont_;
    boldFont_.setWeight(QFont::Bold);
    setFont(rowFont_);
}

FieldoraGrid::~FieldoraGrid() = default;

int FieldoraGrid::baseHeight() const
{
    return std::max(20, QFontMetrics(rowFont_).height() + 6);
}

int FieldoraGrid::rowHeight(const Row &row) const
{
    const int base = baseHeight();
    switch (row.kind) {
    case RowKind::Category:
        return base + BandOffset;
    case RowKind::Picture:
        return row.picture.isNull() ? base : std::max(base, PictureRowHeight);
    case RowKind::MultiLine: {
        const QFontMetrics metrics(rowFont_);
        const int width = std::max(40, viewport()->width() - splitterX() - 2 * ValueIndent);
        const int needed =
            metrics.boundingRect(QRect(0, 0, width, 100000), Qt::TextWordWrap, displayText(row))
                .height();
        const int line = metrics.lineSpacing();
        return std::clamp(needed, 2 * line, 8 * line) + 10;
    }
    default:
        return base;
    }
}

void FieldoraGrid::relayout()
{
    tops_.assign(rows_.size(), -1);
    heights_.assign(rows_.size(), 0);
    int y = 0;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (!rows_[i].visible)
            continue;
        tops_[i] = y;
        heights_[i] = rowHeight(rows_[i]);
        y += heights_[i];
    }
    contentHeight_ = y;
    QScrollBar *bar = verticalScrollBar();
    bar->setRange(0, std::max(0, contentHeight_ - viewport()->height()));
    bar->setPageStep(viewport()->height());
    bar->setSingleStep(baseHeight());
    placeEditor();
    viewport()->update();
}

int FieldoraGrid::splitterX() const
{
    return viewport()->width() * splitter_ / 100;
}

void FieldoraGrid::setSplitterPercent(int percent)
{
    if (percent < MinimumSplitter || percent > MaximumSplitter)
        return;
    splitter_ = percent;
    relayout();
}

QRect FieldoraGrid::rowRect(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= tops_.size() || tops_[index] < 0)
        return {};
    return QRect(0, tops_[index] - verticalScrollBar()->value(), viewport()->width(),
                 heights_[index]);
}

QRect FieldoraGrid::valueButtonRect(const QRect &area) const
{
    return QRect(area.right() - IconSize - 2, area.top() + (area.height() - IconSize) / 2, IconSize,
                 IconSize);
}

int FieldoraGrid::rowIndex(const QString &caption) const
{
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (!rows_[i].isCategory() && rows_[i].caption == caption)
            return static_cast<int>(i);
    return -1;
}

int FieldoraGrid::indexOfSerial(quint64 serial) const
{
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].serial == serial)
            return static_cast<int>(i);
    return -1;
}

QVariant FieldoraGrid::hostValue(const Row &row) const
{
    if (row.type == ValueType::Picture && row.value.toString().isEmpty() && !row.picture.isNull())
        return QVariant(row.picture);
    return row.value;
}

QStringList FieldoraGrid::editBoxCaptions() const
{
    QStringList captions;
    for (const Row &row : rows_)
        if (row.kind == RowKind::EditBox || row.kind == RowKind::MultiLine)
            captions.append(row.caption);
    return captions;
}

QIcon FieldoraGrid::valueIcon(const Row &row) const
{
    // Only an open button's icon depends on the value (the icon of the file it names).
    const QString value = row.buttonType == button::Open ? row.value.toString() : QString();
    const QString key = QString::number(row.buttonType) + QLatin1Char('|') + value;
    auto found = icons_.constFind(key);
    if (found == icons_.constEnd())
        found = icons_.insert(key, buttonIcon(row.buttonType, value));
    return *found;
}

// ---- rows -------------------------------------------------------------------------------

void FieldoraGrid::clear()
{
    dropEditor();
    rows_.clear();
    icons_.clear();
    selected_ = -1;
    relayout();
    emit descriptionChanged(QString(), QString());
}

void FieldoraGrid::addProperty(const QString &category, const QString &caption,
                               const QVariant &value, const QString &description, short buttonType,
                               bool enabled)
{
    auto isCategory = [&category](const Row &row) {
        return row.isCategory() && row.caption == category;
    };
    auto header = std::find_if(rows_.begin(), rows_.end(), isCategory);
    if (header == rows_.end()) {
        rows_.push_back(makeCategoryRow(category));
        rows_.back().serial = nextSerial_++;
        header = rows_.end() - 1;
    }
    const bool shown = header->expanded;
    const auto end =
        std::find_if(header + 1, rows_.end(), [](const Row &row) { return row.isCategory(); });
    const int at = static_cast<int>(end - rows_.begin());

    Row row = makePropertyRow(caption, value, description, buttonType, enabled);
    row.serial = nextSerial_++;
    row.visible = shown;
    rows_.insert(rows_.begin() + at, std::move(row));
    if (selected_ >= at)
        ++selected_;
    if (rows_[at].type == ValueType::Picture && !rows_[at].value.toString().isEmpty())
        loadPicture(at);
    relayout();
}

FieldoraGrid::SetResult FieldoraGrid::setValue(const QString &caption, const QVariant &value)
{
    const int index = rowIndex(caption);
    if (index < 0)
        return SetResult::NoSuchRow;
    Row &row = rows_[index];
    const auto converted = convertForRow(row, value);
    if (!converted)
        return SetResult::WrongType;
    storeValue(row, *converted);
    if (row.type == ValueType::Picture && converted->metaType().id() == QMetaType::QString)
        loadPicture(index);
    if (editor_ && selected_ == index)
        editor_->showValue(row);
    relayout();
    return SetResult::Done;
}

void FieldoraGrid::setCategoryExpanded(int index, bool expanded)
{
    rows_[index].expanded = expanded;
    for (std::size_t i = index + 1; i < rows_.size() && !rows_[i].isCategory(); ++i)
        rows_[i].visible = expanded;
}

void FieldoraGrid::dropHiddenSelection()
{
    if (selected_ >= 0 && !rows_[selected_].visible) {
        dropEditor();
        selected_ = -1;
        emit descriptionChanged(QString(), QString());
    }
}

void FieldoraGrid::toggleCategory(int index)
{
    commitEditor();
    if (index < 0 || static_cast<std::size_t>(index) >= rows_.size() || !rows_[index].isCategory())
        return;
    setCategoryExpanded(index, !rows_[index].expanded);
    dropHiddenSelection();
    relayout();
}

void FieldoraGrid::closeAll()
{
    commitEditor();
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].isCategory())
            setCategoryExpanded(static_cast<int>(i), !rows_[i].expanded);
    dropHiddenSelection();
    relayout();
}

// ---- drawing ----------------------------------------------------------------------------

void FieldoraGrid::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    painter.fillRect(event->rect(), Qt::white);
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const QRect area = rowRect(static_cast<int>(i));
        if (area.isEmpty() || !area.intersects(event->rect()))
            continue;
        const Row &row = rows_[i];
        painter.save();
        painter.setClipRect(area);
        if (row.isCategory())
            paintCategory(painter, row, area);
        else if (row.kind == RowKind::PushButton)
            paintPushButton(painter, row, area);
        else
            paintProperty(painter, row, area, static_cast<int>(i) == selected_);
        if (static_cast<int>(i) == selected_ && hasFocus()) {
            painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(area.adjusted(1, row.isCategory() ? BandOffset + 1 : 1, -2, -2));
        }
        painter.restore();
    }
}

void FieldoraGrid::paintCategory(QPainter &painter, const Row &row, const QRect &area) const
{
    painter.fillRect(area, Qt::white);
    const QRect band = area.adjusted(0, BandOffset, 0, 0);
    painter.fillRect(band, CategoryBand);
    drawCategoryIcon(painter, QRect(band.left() + 2, band.top(), 18, band.height()));
    painter.setFont(boldFont_);
    painter.setPen(Qt::white);
    const QRect caption(band.left() + CaptionIndent + 2, band.top(),
                        band.width() - CaptionIndent - ExpandWidth - 4, band.height());
    painter.drawText(
        caption, Qt::AlignVCenter | Qt::AlignLeft,
        QFontMetrics(boldFont_).elidedText(row.caption, Qt::ElideRight, caption.width()));
    drawExpandGlyph(painter,
                    QRect(band.right() - ExpandWidth + 1, band.top(), ExpandWidth, band.height()),
                    row.expanded);
}

void FieldoraGrid::paintPushButton(QPainter &painter, const Row &row, const QRect &area) const
{
    painter.fillRect(area, Qt::white);
    QStyleOptionButton option;
    option.initFrom(this);
    option.rect = area.adjusted(2, 1, -2, -1);
    option.text = row.caption;
    option.fontMetrics = QFontMetrics(boldFont_);
    option.state = QStyle::State_Raised;
    if (row.enabled)
        option.state |= QStyle::State_Enabled;
    painter.setFont(boldFont_);
    style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
}

void FieldoraGrid::paintProperty(QPainter &painter, const Row &row, const QRect &area,
                                 bool selected) const
{
    const int split = splitterX();
    painter.fillRect(area, selected ? palette().color(QPalette::Button) : QColor(Qt::white));
    painter.fillRect(QRect(area.left(), area.top(), CaptionIndent - 6, area.height()), Gutter);
    painter.setPen(GridLine);
    painter.drawLine(area.left(), area.bottom(), area.right(), area.bottom());
    painter.drawLine(split, area.top(), split, area.bottom());

    painter.setFont(rowFont_);
    const QFontMetrics metrics(rowFont_);
    painter.setPen(palette().color(QPalette::WindowText));
    const QRect caption(area.left() + CaptionIndent, area.top(), split - CaptionIndent - 4,
                        area.height() - 1);
    painter.drawText(caption, Qt::AlignVCenter | Qt::AlignLeft,
                     metrics.elidedText(row.caption, Qt::ElideRight, caption.width()));

    const bool covered = selected && editor_;
    if (covered)
        return;
    const bool button = row.hasValueButton();
    QRect value(split + ValueIndent, area.top(), area.right() - split - ValueIndent - 2,
                area.height() - 1);
    if (button)
        value.setRight(value.right() - IconSize - 4);
    painter.setPen(row.enabled ? palette().color(QPalette::WindowText)
                               : palette().color(QPalette::Disabled, QPalette::Text));
    const int middle = area.top() + (area.height() - 1) / 2;
    const QString text = displayText(row);

    switch (row.kind) {
    case RowKind::CheckBox: {
        QStyleOptionButton box;
        box.initFrom(this);
        box.rect = QRect(value.left(), middle - 6, 13, 13);
        box.state = (row.value.toBool() ? QStyle::State_On : QStyle::State_Off);
        if (row.enabled)
            box.state |= QStyle::State_Enabled;
        style()->drawPrimitive(QStyle::PE_IndicatorCheckBox, &box, &painter, this);
        value.setLeft(value.left() + 18);
        break;
    }
    case RowKind::Color: {
        const QRect swatch(value.left(), middle - 6, 20, 12);
        painter.fillRect(swatch, colorFromValue(row.value));
        painter.save();
        painter.setPen(Qt::black);
        painter.drawRect(swatch.adjusted(0, 0, -1, -1));
        painter.restore();
        value.setLeft(value.left() + 26);
        break;
    }
    case RowKind::Picture:
        if (!row.picture.isNull()) {
            const QPixmap small = thumbnail(row.picture, area.height() - 6);
            painter.drawPixmap(value.left(), area.top() + (area.height() - small.height()) / 2,
                               small);
            value.setLeft(value.left() + small.width() + 6);
        }
        break;
    case RowKind::MultiLine:
        painter.drawText(value.adjusted(0, 3, 0, -3),
                         Qt::AlignTop | Qt::AlignLeft | Qt::TextWordWrap, text);
        value = QRect();
        break;
    default:
        break;
    }
    if (!value.isNull())
        painter.drawText(value, Qt::AlignVCenter | Qt::AlignLeft,
                         metrics.elidedText(text, Qt::ElideRight, value.width()));
    if (button)
        valueIcon(row).paint(&painter, valueButtonRect(area), Qt::AlignCenter,
                             row.enabled ? QIcon::Normal : QIcon::Disabled);
}

// ---- mouse and keyboard -----------------------------------------------------------------

FieldoraGrid::Hit FieldoraGrid::hitTest(const QPoint &point) const
{
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        const QRect area = rowRect(static_cast<int>(i));
        if (area.isEmpty() || !area.contains(point))
            continue;
        const Row &row = rows_[i];
        const int index = static_cast<int>(i);
        if (row.isCategory()) {
            const QRect glyph =
                QRect(area.right() - ExpandWidth + 1, area.top(), ExpandWidth, area.height())
                    .adjusted(2, 2, -2, -2);
            return {index, glyph.contains(point) ? Part::Expand : Part::Caption};
        }
        if (row.kind == RowKind::PushButton)
            return {index, Part::Button};
        if (std::abs(point.x() - splitterX()) <= SplitterReach)
            return {index, Part::Splitter};
        if (row.hasValueButton() && valueButtonRect(area).adjusted(-2, -2, 2, 2).contains(point))
            return {index, Part::Button};
        return {index, point.x() < splitterX() ? Part::Caption : Part::Value};
    }
    return {};
}

void FieldoraGrid::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    commitEditor(); // before anything moves; a host may change the rows meanwhile
    const Hit hit = hitTest(event->position().toPoint());
    if (hit.row < 0)
        return;
    setFocus(Qt::MouseFocusReason); // a value click passes it on to the row's editor
    switch (hit.part) {
    case Part::Splitter:
        dragging_ = viewport()->width() > 0;
        break;
    case Part::Expand:
        toggleCategory(hit.row);
        break;
    case Part::Button:
        selectRow(hit.row, false);
        // A disabled push-button row is only shown; other buttons of read-only rows still
        // open, browse or mail their value.
        if (selected_ == hit.row &&
            (rows_[hit.row].enabled || rows_[hit.row].kind != RowKind::PushButton))
            clickButton(hit.row);
        break;
    case Part::Value:
        selectRow(hit.row, true);
        if (selected_ == hit.row && editor_ && rows_[hit.row].kind == RowKind::CheckBox) {
            QKeyEvent space(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
            editor_->startTyping(&space);
        }
        break;
    default:
        selectRow(hit.row, false);
        break;
    }
}

void FieldoraGrid::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint point = event->position().toPoint();
    if (dragging_) {
        const int width = viewport()->width();
        if (width <= 0)
            return;
        const int percent = 100 * point.x() / width + 1;
        if (percent >= MinimumSplitter && percent <= MaximumSplitter && percent != splitter_) {
            splitter_ = percent;
            relayout();
        }
        return;
    }
    switch (hitTest(point).part) {
    case Part::Splitter:
        viewport()->setCursor(Qt::SplitHCursor);
        break;
    case Part::Button:
        viewport()->setCursor(Qt::PointingHandCursor);
        break;
    default:
        viewport()->setCursor(Qt::ArrowCursor);
        break;
    }
}

void FieldoraGrid::mouseReleaseEvent(QMouseEvent *event)
{
    dragging_ = false;
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void FieldoraGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    const Hit hit = hitTest(event->position().toPoint());
    if (hit.row >= 0 && rows_[hit.row].isCategory())
        toggleCategory(hit.row);
    else
        mousePressEvent(event);
}

void FieldoraGrid::moveSelection(int step)
{
    const bool intoEditor = editor_ && editor_->focusTarget()->hasFocus();
    const int count = static_cast<int>(rows_.size());
    int index = selected_;
    int pages = std::abs(step);
    const int direction = step < 0 ? -1 : 1;
    int target = -1;
    while (pages-- > 0) {
        int next = index + direction;
        if (index < 0)
            next = direction > 0 ? 0 : count - 1;
        while (next >= 0 && next < count && !rows_[next].visible)
            next += direction;
        if (next < 0 || next >= count)
            break;
        index = target = next;
    }
    if (target < 0)
        return;
    selectRow(target, intoEditor);
    if (!intoEditor || !editor_)
        setFocus(Qt::OtherFocusReason);
}

void FieldoraGrid::keyPressEvent(QKeyEvent *event)
{
    const int page = std::max(1, viewport()->height() / baseHeight());
    const bool category = selected_ >= 0 && rows_[selected_].isCategory();
    switch (event->key()) {
    case Qt::Key_Up:
        moveSelection(-1);
        return;
    case Qt::Key_Down:
        moveSelection(1);
        return;
    case Qt::Key_PageUp:
        moveSelection(-page);
        return;
    case Qt::Key_PageDown:
        moveSelection(page);
        return;
    case Qt::Key_Home:
        selected_ >= 0 ? moveSelection(-static_cast<int>(rows_.size())) : moveSelection(1);
        return;
    case Qt::Key_End:
        moveSelection(static_cast<int>(rows_.size()));
        return;
    case Qt::Key_Left:
    case Qt::Key_Minus:
        if (category && rows_[selected_].expanded)
            toggleCategory(selected_);
        return;
    case Qt::Key_Right:
    case Qt::Key_Plus:
        if (category && !rows_[selected_].expanded)
            toggleCategory(selected_);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_F2:
        if (category)
            toggleCategory(selected_);
        else if (selected_ >= 0 && rows_[selected_].kind == RowKind::PushButton)
            clickButton(selected_);
        else if (editor_)
            editor_->focusTarget()->setFocus(Qt::OtherFocusReason);
        return;
    default:
        break;
    }
    if (selected_ >= 0 && rows_[selected_].kind == RowKind::PushButton &&
        event->key() == Qt::Key_Space) {
        clickButton(selected_);
        return;
    }
    if (editor_ && editor_->startTyping(event))
        return;
    QAbstractScrollArea::keyPressEvent(event);
}

bool FieldoraGrid::focusNextPrevChild(bool next)
{
    const bool inEditor = editor_ && editor_->focusTarget()->hasFocus();
    if (next && editor_ && !inEditor) {
        editor_->focusTarget()->setFocus(Qt::TabFocusReason);
        return true;
    }
    if (!next && inEditor) {
        setFocus(Qt::BacktabFocusReason);
        return true;
    }
    return QAbstractScrollArea::focusNextPrevChild(next);
}

void FieldoraGrid::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    relayout();
}

void FieldoraGrid::scrollContentsBy(int, int)
{
    placeEditor();
    viewport()->update();
}

bool FieldoraGrid::viewportEvent(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const Hit hit = hitTest(help->pos());
        if (hit.row >= 0 && !rows_[hit.row].isCategory()) {
            const Row &row = rows_[hit.row];
            const QString text = hit.part == Part::Caption ? row.caption : displayText(row);
            const int room = hit.part == Part::Caption ? splitterX() - CaptionIndent - 4
                                                       : viewport()->width() - splitterX() - 30;
            if (row.kind == RowKind::MultiLine ||
                QFontMetrics(rowFont_).horizontalAdvance(text) > room)
                QToolTip::showText(help->globalPos(), text, viewport(), rowRect(hit.row));
            else
                QToolTip::hideText();
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

// ---- selection and editors ---------------------------------------------------------------

void FieldoraGrid::ensureRowVisible(int index)
{
    if (index < 0 || tops_[index] < 0)
        return;
    QScrollBar *bar = verticalScrollBar();
    const int top = tops_[index];
    const int bottom = top + heights_[index];
    if (top < bar->value())
        bar->setValue(top);
    else if (bottom > bar->value() + viewport()->height())
        bar->setValue(bottom - viewport()->height());
}

void FieldoraGrid::selectRow(int index, bool focusEditor)
{
    if (index < 0 || static_cast<std::size_t>(index) >= rows_.size())
        return;
    if (index == selected_) {
        if (focusEditor && editor_)
            editor_->focusTarget()->setFocus(Qt::MouseFocusReason);
        return;
    }
    const quint64 serial = rows_[index].serial;
    commitEditor();
    index = indexOfSerial(serial);
    if (index < 0 || !rows_[index].visible)
        return;
    dropEditor();
    selected_ = index;
    emit descriptionChanged(QString(), QString());
    ensureRowVisible(index);
    placeEditor();
    viewport()->update();
    if (selected_ >= 0) {
        const Row &row = rows_[selected_];
        emit descriptionChanged(row.isCategory() ? QString() : row.caption, row.description);
    }
    if (focusEditor && editor_)
        editor_->focusTarget()->setFocus(Qt::MouseFocusReason);
}

void FieldoraGrid::placeEditor()
{
    if (selected_ < 0)
        return;
    const Row &row = rows_[selected_];
    if (!editor_) {
        editor_ = createEditor(row, viewport());
        if (!editor_)
            return;
        connect(editor_, &InPlaceEditor::commitRequested, this, &FieldoraGrid::commitEditor);
        connect(editor_, &InPlaceEditor::cancelRequested, this, &FieldoraGrid::cancelEditor);
        connect(editor_, &InPlaceEditor::buttonPressed, this, [this] { clickButton(selected_); });
        connect(editor_, &InPlaceEditor::moveRequested, this, [this](int step) {
            commitEditor();
            moveSelection(step);
        });
    }
    const QRect area = rowRect(selected_);
    if (area.isEmpty()) {
        editor_->hide();
        return;
    }
    if (row.kind == RowKind::PushButton)
        editor_->setGeometry(area.adjusted(2, 1, -2, -1));
    else
        editor_->setGeometry(QRect(QPoint(splitterX() + 1, area.top()),
                                   QPoint(area.right() - 1, area.bottom() - 1)));
    editor_->show();
}

void FieldoraGrid::dropEditor()
{
    if (!editor_)
        return;
    InPlaceEditor *editor = editor_;
    editor_ = nullptr;
    editor->disconnect(this);
    if (editor->isAncestorOf(QApplication::focusWidget()))
        setFocus(Qt::OtherFocusReason);
    editor->hide();
    editor->deleteLater();
}

void FieldoraGrid::commitEditor()
{
    if (!editor_ || selected_ < 0 || committing_)
        return;
    const QScopedValueRollback guard(committing_, true);
    const auto edit = editor_->takeEdit();
    if (!edit)
        return;
    const int index = selected_;
    const auto converted = convertForRow(rows_[index], *edit);
    if (!converted) { // a number that does not parse: the previous value stays
        editor_->showValue(rows_[index]);
        return;
    }
    applyUserValue(index, *converted);
}

void FieldoraGrid::cancelEditor()
{
    if (editor_ && selected_ >= 0)
        editor_->showValue(rows_[selected_]);
    setFocus(Qt::OtherFocusReason);
}

void FieldoraGrid::applyUserValue(int index, const QVariant &converted)
{
    Row &row = rows_[index];
    const bool changed = storeValue(row, converted);
    if (changed && row.type == ValueType::Picture &&
        converted.metaType().id() == QMetaType::QString)
        loadPicture(index);
    if (editor_ && selected_ == index)
        editor_->showValue(row);
    relayout();
    if (!changed)
        return;
    const QString name = row.caption;
    const QVariant value = hostValue(row);
    emit propertyChanged(name, value);
}

void FieldoraGrid::clickButton(int index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= rows_.size())
        return;
    commitEditor();
    const quint64 serial = rows_[index].serial;
    FieldoraValue holder;
    emit buttonClicked(rows_[index].caption, rows_[index].buttonType, &holder);
    index = indexOfSerial(serial);
    if (index < 0)
        return; // the host emptied the grid meanwhile
    std::optional<QVariant> result;
    if (holder.value().isValid())
        result = holder.value();
    else
        result = runBuiltInAction(index);
    index = indexOfSerial(serial);
    if (index < 0)
        return;
    if (result)
        if (const auto converted = convertForRow(rows_[index], *result))
            applyUserValue(index, *converted);
    index = indexOfSerial(serial);
    if (index < 0 || !rows_[index].visible)
        return;
    // Selected again, with an editor that shows the new value (and an open button the new icon).
    if (selected_ == index)
        dropEditor();
    selected_ = -1;
    selectRow(index, false);
}

std::optional<QVariant> FieldoraGrid::runBuiltInAction(int index)
{
    const Row &row = rows_[index];
    const QString value = row.value.toString();
    switch (row.buttonType) {
    case button::Open:
        if (!row.enabled) {
            QDesktopServices::openUrl(QUrl::fromLocalFile(value));
            return std::nullopt;
        } else {
            const QFileInfo current(value);
            const QString path = QFileDialog::getOpenFileName(
                this, QString(), current.exists() ? current.absoluteFilePath() : QString());
            if (path.isEmpty())
                return std::nullopt;
            return QVariant(path);
        }
    case button::Link:
        QDesktopServices::openUrl(QUrl(QString::fromUtf8(text::LinkPrefix) + value));
        return std::nullopt;
    case button::Mail:
        QDesktopServices::openUrl(QUrl(QString::fromUtf8(text::MailPrefix) + value));
        return std::nullopt;
    default:
        break;
    }
    if (!row.enabled)
        return std::nullopt;
    switch (row.buttonType) {
    case button::Color: {
        const QColor chosen = QColorDialog::getColor(colorFromValue(row.value), this);
        if (!chosen.isValid())
            return std::nullopt;
        return QVariant(colorToValue(chosen));
    }
    case button::Function: {
        FunctionEditor dialog(value, editBoxCaptions(), this);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return QVariant(dialog.formula());
    }
    case button::Picture: {
        const QFileInfo current(value);
        const QString path = QFileDialog::getOpenFileName(
            this, QString(), current.exists() ? current.absoluteFilePath() : QString(),
            fileDialogFilter(text::PictureFilter));
        if (path.isEmpty())
            return std::nullopt;
        return QVariant(path);
    }
    default:
        return std::nullopt;
    }
}

// ---- pictures ---------------------------------------------------------------------------

void FieldoraGrid::loadPicture(int index)
{
    Row &row = rows_[index];
    const QString source = row.value.toString();
    row.picture = QPixmap();
    if (source.isEmpty())
        return;
    if (!isWebAddress(source)) {
        row.picture.load(source);
        return;
    }
    if (!network_)
        network_ = new QNetworkAccessManager(this);
    QNetworkRequest request(
        QUrl(QString(source).replace(QLatin1Char(' '), QLatin1String("%20")), QUrl::TolerantMode));
    request.setRawHeader("Accept", "*/*");
    request.setTransferTimeout(PictureFetchMilliseconds);
    QNetworkReply *reply = network_->get(request);
    // A picture that says or turns out to be larger than the limit is given up at once.
    connect(reply, &QNetworkReply::metaDataChanged, reply, [reply] {
        if (reply->header(QNetworkRequest::ContentLengthHeader).toLongLong() > PictureByteLimit)
            reply->abort();
    });
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > PictureByteLimit)
            reply->abort();
    });
    const quint64 serial = row.serial;
    connect(reply, &QNetworkReply::finished, this, [this, reply, serial, source] {
        reply->deleteLater();
        const int at = indexOfSerial(serial);
        if (at < 0 || rows_[at].value.toString() != source)
            return; // the row went, or shows another picture now
        QPixmap picture;
        if (reply->error() == QNetworkReply::NoError) {
            const QByteArray bytes = reply->read(PictureByteLimit + 1);
            if (bytes.size() <= PictureByteLimit)
                picture.loadFromData(bytes);
        }
        rows_[at].picture = picture;
        relayout();
        emit pictureLoaded(rows_[at].caption);
    });
}

} // namespace fieldora
