#include "fieldora/fieldora_editors.h"

#include "fieldora/fieldora_icons.h"
#include "fieldora/fieldora_text.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>

namespace fieldora {

void InPlaceEditor::watch(QWidget *child, bool arrowsMove, bool enterCommits)
{
    watched_ = child;
    arrowsMove_ = arrowsMove;
    enterCommits_ = enterCommits;
    child->installEventFilter(this);
    setFocusProxy(child);
}

bool InPlaceEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != watched_)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && (enterCommits_ || key->modifiers() & Qt::ControlModifier)) {
            emit commitRequested();
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            emit cancelRequested();
            return true;
        }
        if (arrowsMove_ && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down) &&
            key->modifiers() == Qt::NoModifier) {
            emit moveRequested(key->key() == Qt::Key_Up ? -1 : 1);
            return true;
        }
    } else if (event->type() == QEvent::FocusOut) {
        // A popup of the editor itself (a list, a calendar) is not leaving it.
        if (static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason)
            emit commitRequested();
    }
    return QWidget::eventFilter(watched, event);
}

namespace {

// The edit, if the editor's value moved away from the one last shown or taken.
template<typename T>
std::optional<QVariant> takeIfChanged(T &baseline, const T &now)
{
    if (now == baseline)
        return std::nullopt;
    baseline = now;
    return QVariant(now);
}

QToolButton *valueButton(const Row &row, QWidget *parent)
{
    auto *tool = new QToolButton(parent);
    tool->setObjectName(QStringLiteral("fieldoraValueButton"));
    tool->setIcon(buttonIcon(row.buttonType, row.value.toString()));
    tool->setIconSize(QSize(IconSize, IconSize));
    tool->setAutoRaise(true);
    tool->setFocusPolicy(Qt::NoFocus);
    tool->setCursor(Qt::PointingHandCursor);
    tool->setFixedWidth(IconSize + 4);
    return tool;
}

QHBoxLayout *tightLayout(QWidget *owner)
{
    auto *layout = new QHBoxLayout(owner);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return layout;
}

QIcon swatch(const QColor &color)
{
    QPixmap pixmap(IconSize, IconSize);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.setBrush(color);
    painter.drawRect(1, 3, IconSize - 3, IconSize - 7);
    return QIcon(pixmap);
}

// Edit boxes, colour rows and picture rows: a line with the value button at its right.
class LineEditor final : public InPlaceEditor
{
public:
    LineEditor(const Row &row, QWidget *parent)
        : InPlaceEditor(parent)
        , line_(new QLineEdit(this))
    {
        line_->setObjectName(QStringLiteral("fieldoraLineEdit"));
        line_->setFrame(false);
        auto *layout = tightLayout(this);
        layout->addWidget(line_);
        if (row.hasValueButton()) {
            QToolButton *tool = valueButton(row, this);
            connect(tool, &QToolButton::clicked, this, &InPlaceEditor::buttonPressed);
            layout->addWidget(tool);
        }
        if (row.kind == RowKind::Color)
            line_->setReadOnly(true);
        if (row.kind == RowKind::Picture)
            line_->setPlaceholderText(QString::fromUtf8(text::NothingSelected));
        showValue(row);
        watch(line_, true, true);
    }

    QWidget *focusTarget() override { return line_; }

    std::optional<QVariant> takeEdit() override
    {
        if (!line_->isModified())
            return std::nullopt;
        line_->setModified(false);
        return QVariant(line_->text());
    }

    void showValue(const Row &row) override
    {
        if (colorAction_) {
            line_->removeAction(colorAction_);
            delete colorAction_;
            colorAction_ = nullptr;
        }
        if (row.kind == RowKind::Color) {
            colorAction_ =
                line_->addAction(swatch(colorFromValue(row.value)), QLineEdit::LeadingPosition);
        }
        const QString shown =
            row.kind == RowKind::Picture ? row.value.toString() : displayText(row);
        if (line_->text() != shown) { // the same text keeps the cursor where it is
            line_->setText(shown);
            if (line_->isReadOnly())
                line_->setCursorPosition(0);
        }
        line_->setModified(false);
    }

    bool startTyping(QKeyEvent *key) override
    {
        if (line_->isReadOnly() || key->text().isEmpty() || !key->text().at(0).isPrint())
            return false;
        line_->setFocus(Qt::OtherFocusReason);
        line_->selectAll();
        line_->insert(key->text());
        line_->setModified(true);
        return true;
    }

private:
    QLineEdit *line_;
    QAction *colorAction_ = nullptr;
};

class MultiLineEditor final : public InPlaceEditor
{
public:
    MultiLineEditor(const Row &row, QWidget *parent)
        : InPlaceEditor(parent)
        , text_(new QPlainTextEdit(this))
    {
        text_->setObjectName(QStringLiteral("fieldoraMultiLineEdit"));
        text_->setFrameShape(QFrame::NoFrame);
        text_->setTabChangesFocus(true);
        tightLayout(this)->addWidget(text_);
        showValue(row);
        watch(text_, false, false); // Enter starts a new line; Ctrl+Enter commits
    }

    QWidget *focusTarget() override { return text_; }

    std::optional<QVariant> takeEdit() override
    {
        if (!text_->document()->isModified())
            return std::nullopt;
        text_->document()->setModified(false);
        return QVariant(text_->toPlainText());
    }

    void showValue(const Row &row) override
    {
        const QString shown = displayText(row);
        if (text_->toPlainText() != shown)
            text_->setPlainText(shown);
        text_->document()->setModified(false);
    }

private:
    QPlainTextEdit *text_;
};

class DropDownEditor final : public InPlaceEditor
{
public:
    DropDownEditor(const Row &row, QWidget *parent)
        : InPlaceEditor(parent)
        , combo_(new QComboBox(this))
    {
        combo_->setObjectName(QStringLiteral("fieldoraDropDown"));
        combo_->setFrame(false);
        tightLayout(this)->addWidget(combo_);
        showValue(row);
        watch(combo_, false, true);
        connect(combo_, &QComboBox::activated, this, &InPlaceEditor::commitRequested);
    }

    QWidget *focusTarget() override { return combo_; }

    std::optional<QVariant> takeEdit() override
    {
        if (combo_->currentIndex() < 0)
            return std::nullopt;
        return takeIfChanged(shown_, combo_->currentText());
    }

    void showValue(const Row &row) override
    {
        const QSignalBlocker quiet(combo_);
        combo_->clear();
        combo_->addItems(row.choices);
        shown_ = row.value.toString();
        qsizetype index = row.choices.indexOf(shown_);
        if (index < 0 && !shown_.isEmpty()) { // a value that is not among the choices
            combo_->addItem(shown_);
            index = combo_->count() - 1;
        }
        combo_->setCurrentIndex(static_cast<int>(index));
    }

private:
    QComboBox *combo_;
    QString shown_;
};

class DateEditor final : public InPlaceEditor
{
public:
    DateEditor(const Row &row, QWidget *parent)
        : InPlaceEditor(parent)
        , edit_(new QDateTimeEdit(this))
    {
        edit_->setObjectName(QStringLiteral("fieldoraDateTime"));
        edit_->setFrame(false);
        const QLocale locale;
        if (row.buttonType == button::Time) {
            edit_->setDisplayFormat(locale.timeFormat(QLocale::ShortFormat));
        } else {
            edit_->setDisplayFormat(locale.dateFormat(
                row.buttonType == button::LongDate ? QLocale::LongFormat : QLocale::ShortFormat));
            edit_->setCalendarPopup(true);
            // Picking a day in the calendar is a choice made.
            connect(edit_->calendarWidget(), &QCalendarWidget::clicked, this,
                    &InPlaceEditor::commitRequested, Qt::QueuedConnection);
        }
        tightLayout(this)->addWidget(edit_);
        showValue(row);
        watch(edit_, false, true);
    }

    QWidget *focusTarget() override { return edit_; }

    std::optional<QVariant> takeEdit() override { return takeIfChanged(shown_, edit_->dateTime()); }

    void showValue(const Row &row) override
    {
        shown_ = row.value.toDateTime();
        const QSignalBlocker quiet(edit_);
        edit_->setDateTime(shown_);
        shown_ = edit_->dateTime();
    }

private:
    QDateTimeEdit *edit_;
    QDateTime shown_;
};

class CheckEditor final : public InPlaceEditor
{
public:
    CheckEditor(const Row &row, QWidget *parent)
        : InPlaceEditor(parent)
        , box_(new QCheckBox(this))
    {
        box_->setObjectName(QStringLiteral("fieldoraCheckBox"));
        auto *layout = tightLayout(this);
        layout->setContentsMargins(3, 0, 0, 0);
        layout->addWidget(box_);
        showValue(row);
        watch(box_, false, true);
        connect(box_, &QCheckBox::toggled, this, [this](bool on) {
            box_->setText(QString::fromUtf8(on ? text::Yes : text::No));
            emit commitRequested();
        });
    }

    QWidget *focusTarget() override { return box_; }

    std::optional<QVariant> takeEdit() override { return takeIfChanged(shown_, box_->isChecked()); }

    void showValue(const Row &row) override
    {
        shown_ = row.value.toBool();
        const QSignalBlocker quiet(box_);
        box_->setChecked(shown_);
        box_->setText(QString::fromUtf8(shown_ ? text::Yes : text::No));
    }

    bool startTyping(QKeyEvent *key) override
    {
        if (key->key() != Qt::Key_Space)
            return false;
        box_->toggle();
        return true;
    }

private:
    QCheckBox *box_;
    bool shown_ = false;
};

class PushEditor final : public InPlaceEditor
{
public:
    PushEditor(const Row &row, QWidget *parent)
        : InPlaceEditor(parent)
        , button_(new QPushButton(row.caption, this))
    {
        button_->setObjectName(QStringLiteral("fieldoraPushButton"));
        QFont bold = font();
        bold.setWeight(QFont::Bold);
        button_->setFont(bold);
        tightLayout(this)->addWidget(button_);
        connect(button_, &QPushButton::clicked, this, &InPlaceEditor::buttonPressed);
        watch(button_, true, false);
    }

    QWidget *focusTarget() override { return button_; }
    std::optional<QVariant> takeEdit() override { return std::nullopt; }
    void showValue(const Row &row) override { button_->setText(row.caption); }

private:
    QPushButton *button_;
};

} // namespace

InPlaceEditor *createEditor(const Row &row, QWidget *parent)
{
    if (!row.isEditable())
        return nullptr;
    switch (row.kind) {
    case RowKind::EditBox:
    case RowKind::Color:
    case RowKind::Picture:
        return new LineEditor(row, parent);
    case RowKind::MultiLine:
        return new MultiLineEditor(row, parent);
    case RowKind::DropDown:
        return new DropDownEditor(row, parent);
    case RowKind::DateTime:
        return new DateEditor(row, parent);
    case RowKind::CheckBox:
        return new CheckEditor(row, parent);
    case RowKind::PushButton:
        return new PushEditor(row, parent);
    default:
        return nullptr;
    }
}

} // namespace fieldora
