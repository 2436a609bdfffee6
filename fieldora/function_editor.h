#pragma once

#include <QDialog>
#include <QStringList>

class QTextEdit;

namespace fieldora {

// "Edit function": a formula with the known function names in blue and the bracketed
// captions of the grid's edit-box rows in green.
class FunctionEditor : public QDialog
{
    Q_OBJECT

public:
    FunctionEditor(const QString &formula, const QStringList &captions, QWidget *parent);
    QString formula() const;
    QTextEdit *editor() const { return text_; }

private:
    QTextEdit *text_;
};

} // namespace fieldora
