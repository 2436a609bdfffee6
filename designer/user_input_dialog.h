#pragma once

#include "document/vocara_doc.h"

#include <QDialog>

class QCheckBox;
class QListWidget;

namespace vocara {

// "User Input": what a new UserInput node listens for: DTMF keys (with a branch per chosen
// key, or none), speech (ASR).
class UserInputDialog : public QDialog
{
    Q_OBJECT

public:
    explicit UserInputDialog(QWidget *parent = nullptr);

    // The choice as it stands (accepted is set by OK).
    UserInputChoice choice() const;
    QCheckBox *dtmfBox() const { return m_dtmf; }
    QCheckBox *branchesBox() const { return m_branches; }
    QCheckBox *asrBox() const { return m_asr; }
    QListWidget *keyList() const { return m_keys; }

private:
    void updateEnabled();

    QCheckBox *m_dtmf;
    QCheckBox *m_branches;
    QListWidget *m_keys;
    QCheckBox *m_asr;
};

// "Select Node Name": links the selected node to an action node chosen by name; it stays
// open for more links until "Close".
class SelectNodeNameDialog : public QDialog
{
    Q_OBJECT

public:
    SelectNodeNameDialog(const CVocaraDoc &doc, QWidget *parent = nullptr);

signals:
    // The user chose a node and pressed "Link".
    void linkRequested(quint64 target);

private:
    const CVocaraDoc &m_doc;
};

} // namespace vocara
