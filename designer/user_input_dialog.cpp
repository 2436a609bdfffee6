#include "designer/user_input_dialog.h"

#include "designer/designer_text.h"
#include "designer/qt_text.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace vocara {

UserInputDialog::UserInputDialog(QWidget *parent)
    : QDialog(parent)
    , m_dtmf(new QCheckBox(qt(Ui::UserInputDtmf), this))
    , m_branches(new QCheckBox(qt(Ui::UserInputBranches), this))
    , m_keys(new QListWidget(this))
    , m_asr(new QCheckBox(qt(Ui::UserInputAsr), this))
{
    setWindowTitle(qt(Ui::UserInputTitle));
    m_keys->setSelectionMode(QAbstractItemView::MultiSelection);
    for (int digit = 0; digit < 10; ++digit)
        m_keys->addItem(QStringLiteral("Digit %1").arg(digit));
    m_keys->addItem(QStringLiteral("Digit *"));
    m_keys->addItem(QStringLiteral("Digit #"));
    m_keys->setMinimumHeight(m_keys->sizeHintForRow(0) * 6);

    auto *keys = new QGroupBox(this);
    auto *keysLayout = new QVBoxLayout(keys);
    keysLayout->addWidget(m_branches);
    keysLayout->addWidget(m_keys);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_dtmf);
    layout->addWidget(keys);
    layout->addWidget(m_asr);
    layout->addWidget(buttons);

    m_dtmf->setChecked(true);
    connect(m_dtmf, &QCheckBox::toggled, this, [this](bool on) {
        if (!on)
            m_branches->setChecked(false);
        updateEnabled();
    });
    connect(m_branches, &QCheckBox::toggled, this, &UserInputDialog::updateEnabled);
    updateEnabled();
}

void UserInputDialog::updateEnabled()
{
    m_branches->setEnabled(m_dtmf->isChecked());
    m_keys->setEnabled(m_dtmf->isChecked() && m_branches->isChecked());
}

UserInputChoice UserInputDialog::choice() const
{
    UserInputChoice choice;
    choice.accepted = result() == QDialog::Accepted;
    choice.dtmf = m_dtmf->isChecked();
    choice.perKeyBranches = choice.dtmf && m_branches->isChecked();
    choice.asr = m_asr->isChecked();
    if (choice.perKeyBranches) {
        // In the list's order, whatever order they were picked in.
        for (int row = 0; row < m_keys->count(); ++row) {
            if (m_keys->item(row)->isSelected())
                choice.keys.push_back(row);
        }
    }
    return choice;
}

SelectNodeNameDialog::SelectNodeNameDialog(const CVocaraDoc &doc, QWidget *parent)
    : QDialog(parent)
    , m_doc(doc)
{
    setWindowTitle(qt(Ui::SelectNodeNameTitle));
    auto *names = new QComboBox(this);
    names->setObjectName(QStringLiteral("names"));
    for (NodeId id : doc.nodesInGridOrder()) {
        const NodeData *node = doc.node(id);
        if (node->kind <= Kind::LastAction)
            names->addItem(qt(node->name), QVariant::fromValue<quint64>(id));
    }
    auto *link = new QPushButton(qt(Ui::LinkButton), this);
    link->setDefault(true);
    auto *close = new QPushButton(qt(Ui::CloseButton), this);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    connect(link, &QPushButton::clicked, this, [this, names] {
        // The name is looked up again: the flow may have changed since the list was filled.
        const std::string name = utf8(names->currentText());
        for (NodeId id : m_doc.nodesInGridOrder()) {
            if (m_doc.node(id)->name == name) {
                emit linkRequested(id);
                return;
            }
        }
    });
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(link);
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(names);
    layout->addLayout(buttons);
    resize(320, sizeHint().height());
}

} // namespace vocara
