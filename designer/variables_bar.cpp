#include "designer/variables_bar.h"

#include "designer/designer_text.h"
#include "designer/document_adapter.h"
#include "designer/property_commands.h"
#include "designer/qt_text.h"
#include "document/variable_edits.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>

namespace vocara {

VariablesBar::VariablesBar(DocumentAdapter &adapter, QWidget *parent)
    : QWidget(parent)
    , m_adapter(adapter)
{
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    m_list = new QTreeWidget(this);
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    QStringList headers;
    for (std::string_view column : Ui::VariableColumns)
        headers << qt(column);
    m_list->setHeaderLabels(headers);
    for (int i = 0; i < int(std::size(Ui::VariableColumnWidths)); ++i)
        m_list->setColumnWidth(i, Ui::VariableColumnWidths[i]);
    m_list->header()->setStretchLastSection(true);
    layout->addWidget(m_list, 0, 0, 1, 2);

    auto field = [&](std::string_view caption, int row) {
        auto *label = new QLabel(qt(caption), this);
        auto *edit = new QLineEdit(this);
        label->setBuddy(edit);
        layout->addWidget(label, row, 0);
        layout->addWidget(edit, row, 1);
        return edit;
    };
    m_name = field(Ui::VariableNameLabel, 1);
    m_value = field(Ui::VariableValueLabel, 2);
    m_description = field(Ui::VariableDescriptionLabel, 3);

    auto *buttons = new QHBoxLayout;
    m_add = new QPushButton(qt(Ui::VariableAdd), this);
    m_modify = new QPushButton(qt(Ui::VariableModify), this);
    m_delete = new QPushButton(qt(Ui::VariableDelete), this);
    buttons->addWidget(m_add);
    buttons->addStretch();
    buttons->addWidget(m_modify);
    buttons->addStretch();
    buttons->addWidget(m_delete);
    layout->addLayout(buttons, 4, 0, 1, 2);
    layout->setRowStretch(0, 1);
    setFocusProxy(m_list);

    connect(m_add, &QPushButton::clicked, this, &VariablesBar::add);
    connect(m_modify, &QPushButton::clicked, this, &VariablesBar::modify);
    connect(m_delete, &QPushButton::clicked, this, &VariablesBar::remove);
    connect(m_list, &QTreeWidget::itemSelectionChanged, this, &VariablesBar::rowChosen);
    // Enter in a field adds the variable, as the Add button would.
    for (QLineEdit *edit : {m_name, m_value, m_description})
        connect(edit, &QLineEdit::returnPressed, this, &VariablesBar::add);
    connect(&m_adapter, &DocumentAdapter::variablesChanged, this, &VariablesBar::fill);
    connect(&m_adapter, &DocumentAdapter::documentReset, this, &VariablesBar::fill);
    fill();
}

void VariablesBar::fill()
{
    const QTreeWidgetItem *current = m_list->currentItem();
    const QString chosen = current ? current->text(0) : QString();
    const QSignalBlocker quiet(m_list);
    m_list->clear();
    for (const Variable &variable : m_adapter.doc().variables().items()) {
        auto *item = new QTreeWidgetItem(
            m_list, {qt(variable.name), qt(variable.defaultValue), qt(variable.description)});
        item->setToolTip(2, qt(variable.description));
        if (item->text(0).compare(chosen, Qt::CaseInsensitive) == 0 && !chosen.isEmpty())
            m_list->setCurrentItem(item);
    }
}

void VariablesBar::rowChosen()
{
    const QList<QTreeWidgetItem *> chosen = m_list->selectedItems();
    if (chosen.isEmpty())
        return;
    m_name->setText(chosen.front()->text(0));
    m_value->setText(chosen.front()->text(1));
    m_description->setText(chosen.front()->text(2));
}

namespace {

void follow(const VariableEdits::Outcome &outcome, DocumentAdapter &adapter, const QString &command,
            QLineEdit *name, QLineEdit *value, QLineEdit *description)
{
    if (outcome.variables)
        adapter.undoStack()->push(new VariablesCommand(adapter, command, *outcome.variables));
    if (outcome.clearFields || outcome.clearNameAndValue) {
        name->clear();
        value->clear();
        if (outcome.clearFields)
            description->clear();
    }
    if (outcome.focusName)
        name->setFocus(Qt::OtherFocusReason);
}

} // namespace

void VariablesBar::add()
{
    const VariableEdits::Fields fields{utf8(m_name->text()), utf8(m_value->text()),
                                       utf8(m_description->text())};
    const QString command = qt(Ui::VariableAdd) + QLatin1Char(' ') + m_name->text();
    follow(VariableEdits::add(m_adapter.doc().variables(), fields, m_adapter.doc().dialogs()),
           m_adapter, command, m_name, m_value, m_description);
}

void VariablesBar::modify()
{
    const VariableEdits::Fields fields{utf8(m_name->text()), utf8(m_value->text()),
                                       utf8(m_description->text())};
    const QString command = qt(Ui::VariableModify) + QLatin1Char(' ') + m_name->text();
    follow(VariableEdits::modify(m_adapter.doc().variables(), fields, m_adapter.doc().dialogs()),
           m_adapter, command, m_name, m_value, m_description);
}

void VariablesBar::remove()
{
    const QList<QTreeWidgetItem *> chosen = m_list->selectedItems();
    std::optional<std::string> selected;
    if (!chosen.isEmpty())
        selected = utf8(chosen.front()->text(0));
    const QString command = qt(Ui::VariableDelete) + QLatin1Char(' ') +
                            (chosen.isEmpty() ? QString() : chosen.front()->text(0));
    follow(VariableEdits::remove(m_adapter.doc().variables(), selected, m_adapter.doc().dialogs()),
           m_adapter, command, m_name, m_value, m_description);
}

} // namespace vocara
