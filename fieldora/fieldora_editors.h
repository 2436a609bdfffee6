#pragma once

#include "fieldora/fieldora_row.h"

#include <QWidget>

#include <optional>

namespace fieldora {

// The in-place editor of the selected row. It holds what the user typed or chose until the
// grid takes it; the grid decides what the row makes of it.
class InPlaceEditor : public QWidget
{
    Q_OBJECT

public:
    using QWidget::QWidget;

    // The widget that takes the keyboard.
    virtual QWidget *focusTarget() = 0;
    // What the user changed since the editor was opened or last taken from, if anything;
    // the baseline moves on, so a second call gives nothing.
    virtual std::optional<QVariant> takeEdit() = 0;
    // Shows the row's value again, dropping what was typed.
    virtual void showValue(const Row &row) = 0;
    // Hands a key the grid received on to the editor (typing starts an edit).
    virtual bool startTyping(QKeyEvent *) { return false; }

signals:
    void commitRequested(); // Enter, leaving the editor, a choice made
    void cancelRequested(); // Esc
    void buttonPressed();   // the value button or the push-button row
    void moveRequested(int step);

protected:
    // Enter, Esc, Up/Down and focus loss of a child become the signals above.
    void watch(QWidget *child, bool arrowsMove, bool enterCommits);
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *watched_ = nullptr;
    bool arrowsMove_ = false;
    bool enterCommits_ = true;
};

InPlaceEditor *createEditor(const Row &row, QWidget *parent);

} // namespace fieldora
