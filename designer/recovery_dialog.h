#pragma once

#include "document/recovery_store.h"

#include <QDialog>

#include <functional>
#include <vector>

class QPushButton;
class QTreeWidget;

namespace vocara {

// "Recover Unsaved Work": the snapshots left by runs that did not end cleanly, newest first,
// each with its file (or "Untitled"), the time of its last change and its node count.
// Restore closes the dialog with the chosen one; Discard removes the chosen one and stays
// while others are left; Later closes and keeps them all for the next start.
class RecoveryDialog : public QDialog
{
    Q_OBJECT

public:
    using Discard = std::function<void(const RecoverySnapshot &)>;
    RecoveryDialog(std::vector<RecoverySnapshot> snapshots, Discard discard,
                   QWidget *parent = nullptr);

    QTreeWidget *list() const { return m_list; }
    QPushButton *restoreButton() const { return m_restore; }
    QPushButton *discardButton() const { return m_discard; }
    QPushButton *laterButton() const { return m_later; }
    // The snapshot to restore once the dialog was accepted.
    const RecoverySnapshot *chosen() const;

private:
    void discardChosen();
    void refill();

    std::vector<RecoverySnapshot> m_snapshots;
    Discard m_discardSnapshot;
    QTreeWidget *m_list = nullptr;
    QPushButton *m_restore = nullptr;
    QPushButton *m_discard = nullptr;
    QPushButton *m_later = nullptr;
};

} // namespace vocara
