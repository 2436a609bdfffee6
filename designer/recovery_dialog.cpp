#include "designer/recovery_dialog.h"

#include "designer/designer_text.h"
#include "designer/dialog_text.h"
#include "designer/qt_text.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vocara {

RecoveryDialog::RecoveryDialog(std::vector<RecoverySnapshot> snapshots, Discard discard,
                               QWidget *parent)
    : QDialog(parent)
    , m_snapshots(std::move(snapshots))
    , m_discardSnapshot(std::move(discard))
{
    setWindowTitle(qt(Ui::RecoveryTitle));
    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(qt(Ui::RecoveryIntro), this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    m_list = new QTreeWidget(this);
    m_list->setRootIsDecorated(false);
    m_list->setHeaderLabels(
        {qt(Ui::RecoveryFileColumn), qt(Ui::RecoveryTimeColumn), qt(Ui::RecoveryNodesColumn)});
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_list->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    layout->addWidget(m_list, 1);
    auto *hint = new QLabel(qt(Ui::RecoveryHint), this);
    hint->setWordWrap(true);
    layout->addWidget(hint);

    auto *buttons = new QDialogButtonBox(this);
    m_restore = buttons->addButton(qt(Ui::RecoveryRestore), QDialogButtonBox::AcceptRole);
    m_discard = buttons->addButton(qt(Ui::RecoveryDiscard), QDialogButtonBox::DestructiveRole);
    m_later = buttons->addButton(qt(Ui::RecoveryLater), QDialogButtonBox::RejectRole);
    m_restore->setDefault(true);
    connect(m_restore, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_discard, &QPushButton::clicked, this, &RecoveryDialog::discardChosen);
    connect(m_later, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
    layout->addWidget(buttons);
    refill();
    resize(560, 300);
}

void RecoveryDialog::refill()
{
    m_list->clear();
    for (const RecoverySnapshot &snapshot : m_snapshots) {
        const QString file =
            snapshot.originalPath.empty() ? qt(Ui::Untitled) : qt(snapshot.originalPath);
        auto *item =
            new QTreeWidgetItem(m_list, {file,
                                         QDateTime::fromSecsSinceEpoch(snapshot.time)
                                             .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")),
                                         QString::number(snapshot.nodes)});
        item->setToolTip(0, file);
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    }
    if (m_list->topLevelItemCount() > 0)
        m_list->setCurrentItem(m_list->topLevelItem(0));
    m_list->setFocus();
}

const RecoverySnapshot *RecoveryDialog::chosen() const
{
    const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
    return row >= 0 && row < int(m_snapshots.size()) ? &m_snapshots[size_t(row)] : nullptr;
}

void RecoveryDialog::discardChosen()
{
    const int row = m_list->indexOfTopLevelItem(m_list->currentItem());
    if (row < 0 || row >= int(m_snapshots.size()))
        return;
    m_discardSnapshot(m_snapshots[size_t(row)]);
    m_snapshots.erase(m_snapshots.begin() + row);
    if (m_snapshots.empty()) {
        reject();
        return;
    }
    refill();
}

} // namespace vocara
