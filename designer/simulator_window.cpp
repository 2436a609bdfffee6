#include "designer/simulator_window.h"

#include "designer/designer_text.h"
#include "designer/document_adapter.h"
#include "designer/keypad_button.h"
#include "designer/qt_text.h"
#include "designer/simulator_settings_dialog.h"
#include "designer/simulator_text.h"
#include "designer/vocara_view.h"
#include "document/flow_trailer.h"
#include "document/messages.h"
#include "document/user_dialogs.h"
#include "platform/audio.h"
#include "platform/folders.h"
#include "platform/registry.h"
#include "simulator/civr_handler.h"
#include "simulator/civr_handler_thread.h"
#include "simulator/external_actions.h"
#include "simulator/simulator_session.h"

#include <QCloseEvent>
#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QTemporaryFile>
#include <QThread>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace vocara {

namespace {

QPushButton *toolButton(QWidget *parent, const QIcon &icon, const QString &text,
                        std::string_view tip)
{
    auto *button = new QPushButton(icon, text, parent);
    button->setToolTip(qt(tip));
    button->setAccessibleName(qt(tip));
    button->setMinimumHeight(30);
    return button;
}

} // namespace

CIVRSimulatorDlg::CIVRSimulatorDlg(DocumentAdapter &adapter, CVocaraView &view,
                                   SimulatorServices services, QWidget *parent)
    : QDialog(parent)
    , m_adapter(adapter)
    , m_view(view)
    , m_services(std::move(services))
    , m_clock(m_services.timeScale)
    , m_log(m_services.userFolder / SimulatorLog::FileName)
    , m_opened(std::filesystem::file_time_type::clock::now())
{
    setWindowTitle(qt(Ui::SimulatorTitle));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_log.clear();
    // The private speech folder, made now so that a failure is said before the call.
    std::string error;
    if (privateTempFolder("TTSFiles", &error).empty() && m_services.dialogs)
        m_services.dialogs->warn(Msg::fillIn(Msg::RecordFolderFailed, {error}));
    if (m_services.registry && !m_settings.load(*m_services.registry) && m_services.dialogs)
        m_services.dialogs->error(Msg::SettingsNotLoaded);

    auto *layout = new QHBoxLayout(this);
    auto *phone = new QWidget(this);
    auto *phoneLayout = new QVBoxLayout(phone);
    phoneLayout->setContentsMargins(0, 0, 0, 0);
    buildKeypad(phone);
    auto *calls = new QHBoxLayout;
    m_start = toolButton(phone, style()->standardIcon(QStyle::SP_MediaPlay), QString(),
                         Ui::StartSimulation);
    m_stop = toolButton(phone, style()->standardIcon(QStyle::SP_MediaStop), QString(), Ui::HangUp);
    // Green to call, red to hang up, as on a telephone; greyed while not available.
    const QString callButton = QStringLiteral(
        "QPushButton { background: %1; border: 1px solid %2; border-radius: 8px; }"
        "QPushButton:pressed { background: %2; }"
        "QPushButton:disabled { background: palette(button); border-color: palette(mid); }");
    m_start->setStyleSheet(callButton.arg(QStringLiteral("#3fae5a"), QStringLiteral("#2a7d40")));
    m_stop->setStyleSheet(callButton.arg(QStringLiteral("#d9493e"), QStringLiteral("#9e2c24")));
    calls->addWidget(m_start);
    calls->addWidget(m_stop);
    phoneLayout->addLayout(calls);
    auto *tools = new QHBoxLayout;
    m_settingsButton = toolButton(phone, style()->standardIcon(QStyle::SP_FileDialogDetailedView),
                                  QString(), Ui::SimulatorSettingsTip);
    m_treeButton = toolButton(phone, QIcon(), qt(Ui::HideTree), Ui::TreeToggleTip);
    m_close = toolButton(phone, style()->standardIcon(QStyle::SP_DialogCloseButton), QString(),
                         Ui::CloseTip);
    tools->addWidget(m_settingsButton);
    tools->addWidget(m_treeButton);
    tools->addWidget(m_close);
    phoneLayout->addLayout(tools);
    phoneLayout->addStretch();
    layout->addWidget(phone);

    m_treeArea = new QWidget(this);
    auto *treeLayout = new QVBoxLayout(m_treeArea);
    treeLayout->setContentsMargins(0, 0, 0, 0);
    m_tree = new QTreeWidget(m_treeArea);
    m_tree->setHeaderHidden(true);
    m_tree->setUniformRowHeights(true);
    m_tree->setFocusPolicy(Qt::NoFocus);
    m_tree->setMinimumWidth(260);
    treeLayout->addWidget(m_tree, 1);
    m_status = new QLabel(m_treeArea);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    treeLayout->addWidget(m_status);
    layout->addWidget(m_treeArea, 1);

    connect(m_start, &QPushButton::clicked, this, &CIVRSimulatorDlg::start);
    connect(m_stop, &QPushButton::clicked, this, &CIVRSimulatorDlg::stop);
    connect(m_settingsButton, &QPushButton::clicked, this, &CIVRSimulatorDlg::showSettings);
    connect(m_treeButton, &QPushButton::clicked, this, &CIVRSimulatorDlg::toggleTree);
    // Close only hides the window: the worker and a call in progress go on.
    connect(m_close, &QPushButton::clicked, this, &QWidget::hide);
    m_inputTimer.setSingleShot(true);
    connect(&m_inputTimer, &QTimer::timeout, this, [this] { m_session->timerExpired(); });

    m_audio = openAudioDevice(m_clock, [this](std::string_view line) { log(line); });
    m_actions = std::make_unique<SimulatorActions>(*this, *m_services.registry, m_fax, m_clock);
    applySettings();
    m_session = std::make_unique<SimulatorSession>(*this, *m_actions, m_clock, *m_audio,
                                                   m_services.installFolder);
    setRunning(false);
    updateStatus();
}

CIVRSimulatorDlg::~CIVRSimulatorDlg()
{
    // The workers end first: nothing may call back into a window that is going.
    m_session->close();
    m_session.reset();
    m_actions.reset();
    // The speech files this window's calls made (the folder is private to the user).
    std::error_code error;
    const std::filesystem::path spool = privateTempFolder("TTSFiles");
    if (!spool.empty()) {
        for (const auto &entry : std::filesystem::directory_iterator(spool, error)) {
            if (entry.is_regular_file(error) && entry.last_write_time(error) >= m_opened)
                std::filesystem::remove(entry.path(), error);
        }
    }
}

void CIVRSimulatorDlg::buildKeypad(QWidget *parent)
{
    auto *pad = new QGridLayout;
    pad->setSpacing(6);
    int at = 0;
    for (const Ui::PhoneKey &key : Ui::PhoneKeys) {
        auto *button = new KeypadButton(qt(key.key), qt(key.letters), parent);
        m_keys[qt(key.key)] = button;
        pad->addWidget(button, at / 3, at % 3);
        connect(button, &QAbstractButton::clicked, this,
                [this, key = qt(key.key)] { pressKey(key); });
        ++at;
    }
    static_cast<QVBoxLayout *>(parent->layout())->addLayout(pad);
}

void CIVRSimulatorDlg::applySettings()
{
    m_actions->setSpeechCache(m_settings.dbDsn);
    m_actions->setMailAccount(mailAccountOf(m_settings));
}

void CIVRSimulatorDlg::onWindowThread(std::function<void()> work)
{
    if (QThread::currentThread() == thread())
        work();
    else
        QMetaObject::invokeMethod(this, std::move(work), Qt::QueuedConnection);
}

void CIVRSimulatorDlg::start()
{
    if (m_session->runFlag())
        return;
    m_view.clearSimulatorPath();
    m_dialled.clear();
    m_current.clear();
    m_tree->clear();
    m_items.clear();
    m_bold.clear();
    m_playing.clear();
    m_mirrored = 0;
    const CVocaraDoc &doc = m_adapter.doc();
    const std::string path = doc.path();
    std::string flow = path;
    if (!path.empty() && doc.isAsteriskMode()) {
        // The dialplan's flow goes into a private temporary file, never beside the user's.
        m_extracted = std::make_unique<QTemporaryFile>(QDir::tempPath() +
                                                       QStringLiteral("/vocara-XXXXXX.qfl"));
        if (!m_extracted->open() ||
            (m_extracted->close(), !ExtractFlow(path, utf8(m_extracted->fileName())))) {
            m_extracted.reset();
            if (m_services.dialogs)
                m_services.dialogs->inform(Msg::NoQflStructure);
            return;
        }
        flow = utf8(m_extracted->fileName());
    }
    if (path.empty()) {
        if (m_services.dialogs)
            m_services.dialogs->inform(Ui::NotAValidFile);
        return;
    }
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    m_session->worker().handler().setSpeed(m_settings.simSpeed);
    m_session->start(flow, folder.string() + "/");
    setRunning(true);
    updateStatus();
}

void CIVRSimulatorDlg::stop()
{
    m_session->stop();
    m_view.clearSimulatorPath();
    setRunning(false);
}

void CIVRSimulatorDlg::pressKey(const QString &key)
{
    KeypadButton *button = m_keys.at(key);
    // Shown pressed while its tone plays.
    button->setDown(true);
    button->repaint();
    const KeypadOutcome outcome = m_session->pressKey(utf8(key));
    button->setDown(false);
    if (outcome == KeypadOutcome::Post || outcome == KeypadOutcome::CutAndPost) {
        m_dialled += key;
        updateStatus();
    }
}

void CIVRSimulatorDlg::showSettings()
{
    if (!m_services.registry || !m_services.dialogs)
        return;
    {
        SimulatorSettingsDialog dialog(m_settings, *m_services.registry, *m_services.dialogs, this);
        if (m_runner)
            m_runner(dialog);
        else
            dialog.exec();
    }
    applySettings();
}

void CIVRSimulatorDlg::toggleTree()
{
    const int width = m_treeArea->width() + layout()->spacing();
    if (m_treeButton->text() == qt(Ui::HideTree)) {
        m_treeArea->hide();
        resize(this->width() - width, height());
        m_treeButton->setText(qt(Ui::ShowTree));
    } else {
        m_treeArea->show();
        resize(this->width() + width, height());
        m_treeButton->setText(qt(Ui::HideTree));
    }
}

void CIVRSimulatorDlg::setRunning(bool running)
{
    m_start->setEnabled(!running);
    m_stop->setEnabled(running);
}

void CIVRSimulatorDlg::updateStatus()
{
    m_status->setText(qt(Msg::fillIn(Ui::CallStatus, {utf8(m_current), utf8(m_dialled)})));
}

void CIVRSimulatorDlg::traceChanged(const TraceTree &tree, int item)
{
    // On the interpreter's thread: the window gets copies, never the tree itself.
    const std::vector<TraceTree::Item> &items = tree.items();
    if (items.size() != m_mirrored || item < 0 || size_t(item) >= items.size()) {
        m_mirrored = items.size();
        onWindowThread([this, copy = items] { mirror(copy); });
        return;
    }
    onWindowThread([this, item, copy = items[size_t(item)]] { mirrorItem(item, copy); });
}

void CIVRSimulatorDlg::mirror(const std::vector<TraceTree::Item> &items)
{
    m_tree->clear();
    m_items.assign(items.size(), nullptr);
    m_bold.assign(items.size(), false);
    m_playing.assign(items.size(), false);
    for (size_t i = 0; i < items.size(); ++i) {
        const TraceTree::Item &item = items[i];
        QTreeWidgetItem *parent =
            item.parent >= 0 && size_t(item.parent) < i ? m_items[size_t(item.parent)] : nullptr;
        m_items[i] = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_tree);
    }
    for (size_t i = 0; i < items.size(); ++i)
        mirrorItem(int(i), items[i]);
}

void CIVRSimulatorDlg::mirrorItem(int index, const TraceTree::Item &item)
{
    if (index < 0 || size_t(index) >= m_items.size())
        return;
    QTreeWidgetItem *row = m_items[size_t(index)];
    row->setText(0, qt(item.text));
    m_bold[size_t(index)] = item.bold;
    showBold(index);
    row->setExpanded(item.expanded);
    if (item.highlighted) {
        m_tree->setCurrentItem(row);
        m_tree->scrollToItem(row);
    }
    row->setSelected(item.highlighted);
}

void CIVRSimulatorDlg::promptShown(int item, bool playing)
{
    onWindowThread([this, item, playing] {
        if (item < 0 || size_t(item) >= m_items.size())
            return;
        m_playing[size_t(item)] = playing;
        showBold(item);
    });
}

void CIVRSimulatorDlg::showBold(int index)
{
    // Bold while it runs or waits (the interpreter says) or while its prompt plays.
    QTreeWidgetItem *row = m_items[size_t(index)];
    QFont font = row->font(0);
    font.setBold(m_bold[size_t(index)] || m_playing[size_t(index)]);
    row->setFont(0, font);
}

void CIVRSimulatorDlg::nodeReported(int row, int column)
{
    onWindowThread([this, row, column] {
        const NodeId id = m_adapter.doc().nodeAt({row, column});
        if (id == NoNode)
            return;
        m_view.highlightRunningNode(id, false);
        m_current = qt(m_adapter.doc().node(id)->name);
        updateStatus();
    });
}

void CIVRSimulatorDlg::nodeTraced(std::string_view label)
{
    m_log.write(label);
}

void CIVRSimulatorDlg::message(std::string_view text)
{
    onWindowThread([this, text = std::string(text)] {
        if (m_services.dialogs)
            m_services.dialogs->inform(text);
    });
}

void CIVRSimulatorDlg::runEnded()
{
    onWindowThread([this] {
        setRunning(false);
        m_extracted.reset();
    });
}

void CIVRSimulatorDlg::log(std::string_view line)
{
    m_log.write(line);
}

void CIVRSimulatorDlg::startInputTimer(int seconds)
{
    onWindowThread([this, seconds] {
        const auto wait = m_clock.scaled(std::chrono::milliseconds(std::max(seconds, 0) * 1000LL));
        m_inputTimer.start(int(std::min<long long>(wait.count(), INT32_MAX)));
    });
}

void CIVRSimulatorDlg::stopInputTimer()
{
    onWindowThread([this] { m_inputTimer.stop(); });
}

void CIVRSimulatorDlg::keyPressEvent(QKeyEvent *event)
{
    // The keyboard is a keypad too: digits, * and # (main keys or the numeric keypad), Enter
    // to start, Esc to hang up.
    const QString text = event->text();
    if (text.size() == 1 && m_keys.count(text)) {
        pressKey(text);
        return;
    }
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_start->isEnabled())
            start();
        return;
    case Qt::Key_Escape:
        if (m_stop->isEnabled())
            stop();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CIVRSimulatorDlg::closeEvent(QCloseEvent *event)
{
    event->accept();
    emit closed();
}

} // namespace vocara
