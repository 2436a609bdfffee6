#include "designer/designer_dialogs.h"

#include "designer/dialog_text.h"
#include "designer/qt_text.h"
#include "dialplan/asterisk_settings_form.h"
#include "document/messages.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace vocara {

ValidationWindow::ValidationWindow(QWidget *parent)
    : QDialog(parent, Qt::Tool)
{
    setWindowTitle(qt(Ui::ValidationTitle));
    setModal(false);
    resize(350, 340);
    auto *layout = new QVBoxLayout(this);
    auto *note = new QLabel(qt(Ui::ValidationNote), this);
    note->setWordWrap(true);
    layout->addWidget(note);
    m_list = new QListWidget(this);
    // Long lines scroll sideways rather than wrap: the extent is the widest line.
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_list->setWordWrap(false);
    layout->addWidget(m_list, 1);
    m_status = new QLabel(this);
    layout->addWidget(m_status);
    connect(m_list, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
        const size_t row = static_cast<size_t>(m_list->row(item));
        if (row < m_nodes.size() && m_nodes[row] != NoNode)
            emit nodeChosen(m_nodes[row]);
    });
}

void ValidationWindow::fill(const std::vector<std::string> &lines, const std::vector<NodeId> &nodes)
{
    m_list->clear();
    for (const std::string &line : lines)
        m_list->addItem(qt(line));
    m_nodes = nodes;
    m_status->setText(lines.empty()
                          ? qt(Msg::NoErrors)
                          : qt(Msg::fillIn(Msg::ErrorsFound, {std::to_string(lines.size())})));
}

QString hotKeysText()
{
    QString text;
    for (const Ui::HotKey &hotKey : Ui::HotKeys)
        text += qt(hotKey.key) + QStringLiteral("\r\n\t") + qt(hotKey.description) +
                QStringLiteral("\r\n");
    return text;
}

HotKeysDialog::HotKeysDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(qt(Ui::HotKeysTitle));
    auto *layout = new QVBoxLayout(this);
    m_text = new QPlainTextEdit(this);
    m_text->setReadOnly(true);
    m_text->setPlainText(hotKeysText());
    m_text->setTabStopDistance(4 * m_text->fontMetrics().horizontalAdvance(QLatin1Char(' ')));
    layout->addWidget(m_text);
    auto *buttons = new QDialogButtonBox(this);
    buttons->addButton(qt(Ui::Ok), QDialogButtonBox::AcceptRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    resize(420, 460);
}

AttachFilesDialog::AttachFilesDialog(std::vector<std::string> files, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(qt(Ui::AttachTitle));
    m_picker = [this] {
        return QFileDialog::getOpenFileName(this, QString(), QString(), qt(Ui::AllFilesFilter));
    };
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(qt(Ui::AttachedHeader), this));
    m_list = new QListWidget(this);
    for (const std::string &file : files)
        m_list->addItem(qt(file));
    layout->addWidget(m_list, 1);
    auto *buttons = new QHBoxLayout;
    m_browse = new QPushButton(qt(Ui::AttachBrowse), this);
    m_remove = new QPushButton(qt(Ui::AttachRemove), this);
    m_save = new QPushButton(qt(Ui::AttachSave), this);
    buttons->addWidget(m_browse);
    buttons->addWidget(m_remove);
    buttons->addStretch();
    buttons->addWidget(m_save);
    layout->addLayout(buttons);
    // A path of any length: nothing is cut.
    connect(m_browse, &QPushButton::clicked, this, [this] {
        const QString chosen = m_picker();
        if (!chosen.isEmpty())
            m_list->addItem(chosen);
    });
    connect(m_remove, &QPushButton::clicked, this, [this] { delete m_list->currentItem(); });
    // Remove needs a chosen line.
    auto follow = [this] {
        m_remove->setEnabled(m_list->currentItem() != nullptr);
    };
    connect(m_list, &QListWidget::currentItemChanged, this, follow);
    follow();
    connect(m_save, &QPushButton::clicked, this, &QDialog::accept);
    resize(480, 320);
}

std::vector<std::string> AttachFilesDialog::files() const
{
    std::vector<std::string> files;
    for (int i = 0; i < m_list->count(); ++i)
        files.push_back(utf8(m_list->item(i)->text()));
    return files;
}

AsteriskSettingsDialog::AsteriskSettingsDialog(AsteriskSettingsForm &form, QWidget *parent)
    : QDialog(parent)
    , m_form(form)
{
    setWindowTitle(qt(Ui::AsteriskTitle));
    DialplanSettings &fields = form.fields();
    auto *layout = new QVBoxLayout(this);
    auto *paths = new QFormLayout;
    auto addField = [&](QFormLayout *into, std::string_view label, std::string *value) {
        auto *edit = new QLineEdit(qt(*value), this);
        into->addRow(qt(label), edit);
        m_fields.emplace_back(label, edit);
        connect(edit, &QLineEdit::textEdited, this, [this, edit, value] {
            *value = utf8(edit->text());
            edited();
        });
        return edit;
    };
    addField(paths, Ui::SoundFilePath, &fields.SoundFilePath);
    addField(paths, Ui::TtsFilesPath, &fields.TTSFilesPath);
    addField(paths, Ui::RecordFilePath, &fields.RecordedPath);
    QLineEdit *context = addField(paths, Ui::ContextDestination, &fields.ContextDest);
    context->setPlaceholderText(qt(Ui::ContextHint));
    context->setToolTip(qt(Ui::ContextHint));
    auto *hint = new QLabel(qt(Ui::ContextHint), this);
    hint->setForegroundRole(QPalette::PlaceholderText);
    paths->addRow(QString(), hint);
    m_dialect = new QComboBox(this);
    m_dialect->addItem(qt(Ui::ModernDialect));
    m_dialect->addItem(qt(Ui::ClassicDialect));
    m_dialect->setCurrentIndex(fields.Dialect == DialplanDialect::Modern ? 0 : 1);
    paths->addRow(qt(Ui::DialectLabel), m_dialect);
    connect(m_dialect, &QComboBox::activated, this, [this, &fields](int index) {
        fields.Dialect = index == 0 ? DialplanDialect::Modern : DialplanDialect::Classic;
        edited();
    });
    layout->addLayout(paths);

    auto addBox = [&](QLayout *into, std::string_view label, bool *value) {
        auto *box = new QCheckBox(qt(label), this);
        box->setChecked(*value);
        into->addWidget(box);
        m_boxes.emplace_back(label, box);
        connect(box, &QCheckBox::clicked, this, [this, value](bool on) {
            *value = on;
            edited();
        });
        return box;
    };
    addBox(layout, Ui::AllowMonitor, &fields.AllowIVRMonitor);
    addBox(layout, Ui::AllowCallTracking, &fields.AllowIVRCallTracking);
    QCheckBox *server = addBox(layout, Ui::SaveInServer, &fields.CheckServerSave);
    m_server = new QGroupBox(qt(Ui::SavingSetting), this);
    auto *serverForm = new QFormLayout(m_server);
    QLineEdit *ip = addField(serverForm, Ui::ServerIp, &fields.ServerIP);
    const QString part = QStringLiteral("(25[0-5]|2[0-4][0-9]|1?[0-9]?[0-9])");
    ip->setValidator(new QRegularExpressionValidator(
        QRegularExpression(QStringLiteral("^(%1\\.){0,3}%1?$").arg(part)), this));
    addField(serverForm, Ui::ServerPort, &fields.ServerPort)
        ->setValidator(new QRegularExpressionValidator(
            QRegularExpression(QStringLiteral("[0-9]{0,5}")), this));
    addField(serverForm, Ui::ServerPath, &fields.ServerPath);
    layout->addWidget(m_server);
    m_server->setEnabled(form.serverFieldsEnabled());
    connect(server, &QCheckBox::toggled, m_server, &QWidget::setEnabled);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setEnabled(form.okEnabled());
    connect(buttons, &QDialogButtonBox::accepted, this, &AsteriskSettingsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    setMinimumWidth(420);
}

QLineEdit *AsteriskSettingsDialog::field(std::string_view label) const
{
    for (const auto &[name, edit] : m_fields) {
        if (name == label)
            return edit;
    }
    return nullptr;
}

QCheckBox *AsteriskSettingsDialog::box(std::string_view label) const
{
    for (const auto &[name, check] : m_boxes) {
        if (name == label)
            return check;
    }
    return nullptr;
}

void AsteriskSettingsDialog::edited()
{
    m_form.edited();
    m_ok->setEnabled(m_form.okEnabled());
}

void AsteriskSettingsDialog::accept()
{
    if (!m_form.okEnabled())
        return;
    QDialog::accept();
}

AboutDialog::AboutDialog(const QString &title, const QString &html, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(title);
    auto *layout = new QVBoxLayout(this);
    auto *row = new QHBoxLayout;
    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("aboutIcon"));
    icon->setPixmap(windowIcon().pixmap(64, 64));
    icon->setAlignment(Qt::AlignTop);
    row->addWidget(icon);
    m_text = new QLabel(html, this);
    m_text->setTextFormat(Qt::RichText);
    m_text->setWordWrap(true);
    m_text->setTextInteractionFlags(Qt::TextBrowserInteraction);
    connect(m_text, &QLabel::linkActivated, this, &AboutDialog::guideRequested);
    row->addWidget(m_text, 1);
    layout->addLayout(row);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    setMinimumWidth(380);
}

} // namespace vocara
