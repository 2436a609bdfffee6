#pragma once

#include "document/dialplan_settings.h"
#include "document/node_data.h"

#include <QDialog>

#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace vocara {

class AsteriskSettingsForm;

// "Validation Errors": modeless; the validator's lines, and the node of a line chosen by a
// double-click.
class ValidationWindow : public QDialog
{
    Q_OBJECT

public:
    explicit ValidationWindow(QWidget *parent = nullptr);
    // One line per message with the node it is about (NoNode for none).
    void fill(const std::vector<std::string> &lines, const std::vector<NodeId> &nodes);
    QListWidget *list() const { return m_list; }
    QLabel *status() const { return m_status; }

signals:
    void nodeChosen(quint64 id);

private:
    QListWidget *m_list = nullptr;
    QLabel *m_status = nullptr;
    std::vector<NodeId> m_nodes;
};

// The "Hot Keys" text: each key on its line, its description on the next after a tab, every
// line ended by CR LF.
QString hotKeysText();

// Help > Keyboard Shortcuts.
class HotKeysDialog : public QDialog
{
public:
    explicit HotKeysDialog(QWidget *parent = nullptr);
    QPlainTextEdit *text() const { return m_text; }

private:
    QPlainTextEdit *m_text = nullptr;
};

// File > Attach Files: the flow's attached files, stored by "Save Changes".
class AttachFilesDialog : public QDialog
{
    Q_OBJECT

public:
    // Chooses a file to attach; tests answer instead of a file dialog.
    using FilePicker = std::function<QString()>;

    AttachFilesDialog(std::vector<std::string> files, QWidget *parent = nullptr);
    void setFilePicker(FilePicker picker) { m_picker = std::move(picker); }
    std::vector<std::string> files() const;
    QListWidget *list() const { return m_list; }
    QPushButton *browseButton() const { return m_browse; }
    QPushButton *removeButton() const { return m_remove; }
    QPushButton *saveButton() const { return m_save; }

private:
    QListWidget *m_list = nullptr;
    QPushButton *m_browse = nullptr;
    QPushButton *m_remove = nullptr;
    QPushButton *m_save = nullptr;
    FilePicker m_picker;
};

// Settings > Asterisk: the dialplan settings over the form that holds their rules.
class AsteriskSettingsDialog : public QDialog
{
    Q_OBJECT

public:
    AsteriskSettingsDialog(AsteriskSettingsForm &form, QWidget *parent = nullptr);
    QPushButton *okButton() const { return m_ok; }
    QLineEdit *field(std::string_view label) const;
    QCheckBox *box(std::string_view label) const;
    QGroupBox *serverGroup() const { return m_server; }
    QComboBox *dialect() const { return m_dialect; }

    void accept() override;

private:
    void edited();

    AsteriskSettingsForm &m_form;
    QPushButton *m_ok = nullptr;
    QGroupBox *m_server = nullptr;
    QComboBox *m_dialect = nullptr;
    std::vector<std::pair<std::string_view, QLineEdit *>> m_fields;
    std::vector<std::pair<std::string_view, QCheckBox *>> m_boxes;
};

// Help > About: the program's icon, name, version and a link to the user guide.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    AboutDialog(const QString &title, const QString &html, QWidget *parent = nullptr);
    QLabel *text() const { return m_text; }

signals:
    void guideRequested();

private:
    QLabel *m_text = nullptr;
};

} // namespace vocara
