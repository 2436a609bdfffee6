#pragma once

#include <QWidget>

class QLineEdit;
class QPushButton;
class QTreeWidget;

namespace vocara {

class DocumentAdapter;

// The "Variable" bar's contents: the flow's variables in a list, three fields and the Add,
// Modify and Del buttons. Each change is one undo command; the list follows the flow.
class VariablesBar : public QWidget
{
    Q_OBJECT

public:
    explicit VariablesBar(DocumentAdapter &adapter, QWidget *parent = nullptr);

    QTreeWidget *list() const { return m_list; }
    QLineEdit *nameField() const { return m_name; }
    QLineEdit *valueField() const { return m_value; }
    QLineEdit *descriptionField() const { return m_description; }
    QPushButton *addButton() const { return m_add; }
    QPushButton *modifyButton() const { return m_modify; }
    QPushButton *deleteButton() const { return m_delete; }

    // Rebuilds the list from the flow's variables, keeping the chosen row where it can.
    void fill();

private:
    void add();
    void modify();
    void remove();
    void rowChosen();

    DocumentAdapter &m_adapter;
    QTreeWidget *m_list = nullptr;
    QLineEdit *m_name = nullptr;
    QLineEdit *m_value = nullptr;
    QLineEdit *m_description = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_modify = nullptr;
    QPushButton *m_delete = nullptr;
};

} // namespace vocara
