#include "fieldora/function_editor.h"

#include "fieldora/fieldora_text.h"

#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QSyntaxHighlighter>
#include <QTextEdit>
#include <QVBoxLayout>

namespace fieldora {
namespace {

class FunctionHighlighter final : public QSyntaxHighlighter
{
public:
    FunctionHighlighter(QTextDocument *document, QStringList captions)
        : QSyntaxHighlighter(document)
    {
        for (const char *name : text::FunctionNames)
            functions_.append(QString::fromUtf8(name));
        for (const QString &caption : captions)
            bracketed_.append(QLatin1Char('[') + caption + QLatin1Char(']'));
        function_.setForeground(QColor(0, 0, 255));
        caption_.setForeground(QColor(0, 128, 64));
    }

protected:
    void highlightBlock(const QString &line) override
    {
        colourEvery(line, functions_, function_);
        colourEvery(line, bracketed_, caption_); // a caption holding a function name stays green
    }

private:
    void colourEvery(const QString &line, const QStringList &words, const QTextCharFormat &format)
    {
        for (const QString &word : words) {
            if (word.isEmpty())
                continue;
            for (qsizetype at = line.indexOf(word, 0, Qt::CaseInsensitive); at >= 0;
                 at = line.indexOf(word, at + word.size(), Qt::CaseInsensitive))
                setFormat(static_cast<int>(at), static_cast<int>(word.size()), format);
        }
    }

    QStringList functions_;
    QStringList bracketed_;
    QTextCharFormat function_;
    QTextCharFormat caption_;
};

} // namespace

FunctionEditor::FunctionEditor(const QString &formula, const QStringList &captions, QWidget *parent)
    : QDialog(parent)
    , text_(new QTextEdit(this))
{
    setWindowTitle(QString::fromUtf8(text::EditFunction));
    setObjectName(QStringLiteral("fieldoraFunctionEditor"));
    text_->setAcceptRichText(false);
    text_->setPlainText(formula);
    new FunctionHighlighter(text_->document(), captions);

    text_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(text_, &QTextEdit::customContextMenuRequested, this, [this](const QPoint &at) {
        QMenu menu(this);
        QAction *undo = menu.addAction(QString::fromUtf8(text::Undo), text_, &QTextEdit::undo);
        undo->setEnabled(text_->document()->isUndoAvailable());
        menu.exec(text_->viewport()->mapToGlobal(at));
    });

    auto *ok = new QPushButton(QString::fromUtf8(text::Ok), this);
    auto *cancel = new QPushButton(QString::fromUtf8(text::Cancel), this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addLayout(buttons);
    resize(420, 220);
}

QString FunctionEditor::formula() const
{
    return text_->toPlainText();
}

} // namespace fieldora
