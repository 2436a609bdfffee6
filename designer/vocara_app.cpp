#include "designer/vocara_app.h"

#include "designer/canvas_export.h"
#include "designer/designer_text.h"
#include "designer/dialog_text.h"
#include "designer/document_adapter.h"
#include "designer/kind_icons.h"
#include "designer/main_frame.h"
#include "designer/qt_text.h"
#include "designer/qt_user_dialogs.h"
#include "designer/recovery_keeper.h"
#include "designer/vocara_view.h"
#include "dialplan/dialplan_export.h"
#include "document/autosave_timer.h"
#include "document/ivr_settings.h"
#include "document/recording_dialogs.h"
#include "platform/folders.h"
#include "platform/registry.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QEventLoop>
#include <QLocale>
#include <QPainter>
#include <QScreen>
#include <QSplashScreen>
#include <QTimer>

#include <clocale>
#include <cstdio>

namespace vocara {

namespace {

// The splash picture: the program's icon and name.
QPixmap splashPicture()
{
    QPixmap picture(420, 200);
    picture.fill(QColor(0x1d, 0x5a, 0x9e));
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    applicationIcon().paint(&painter, QRect(24, 24, 72, 72));
    QFont title = painter.font();
    title.setPointSize(26);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(Qt::white);
    painter.drawText(QRect(112, 30, 290, 60), Qt::AlignLeft | Qt::AlignVCenter, qt(Ui::AppName));
    return picture;
}

void configureDocument(CVocaraDoc &doc, const IvrSettings &settings, AsteriskExporter *exporter)
{
    doc.setUserFolder(userFolder());
    doc.setInstallFolder(installFolder().string());
    doc.setDefaultSaveFolder(settings.defaultSaveFolder());
    doc.setDefaultTreePath(settings.text(Setting::DefaultTreePath));
    doc.setExporter(exporter);
}

} // namespace

CVocaraApp::CVocaraApp(int &argc, char **argv)
    : QApplication(argc, argv)
{
    setApplicationName(qt(Ui::AppName));
    setApplicationVersion(qt(programVersion()));
    setWindowIcon(applicationIcon());
    // Numbers are formatted the same whatever the desktop's language.
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale::c());
}

CVocaraApp::~CVocaraApp()
{
    m_frame.reset();
    m_adapter.reset();
}

int CVocaraApp::run()
{
    QCommandLineParser parser;
    parser.setApplicationDescription(qt(Ui::AboutLine));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption noSplash(QStringLiteral("no-splash"),
                                      QStringLiteral("Start without the splash window."));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"),
                                        QStringLiteral("Start, grab the main window into a PNG "
                                                       "file and exit."),
                                        QStringLiteral("OUT.png"));
    const QCommandLineOption image(QStringLiteral("export-image"),
                                   QStringLiteral("Draw the flow into a picture (.png, .svg, "
                                                  ".pdf) and exit."),
                                   QStringLiteral("OUT"));
    const QCommandLineOption select(QStringLiteral("select"),
                                    QStringLiteral("With --screenshot: select the node at "
                                                   "ROW,COLUMN first."),
                                    QStringLiteral("ROW,COLUMN"));
    const QCommandLineOption dialog(
        QStringLiteral("dialog"),
        QStringLiteral(
            "With --screenshot: grab a dialog instead of the main window (options, "
            "colors, validation, hotkeys, attach, asterisk, userinput, simulator, recovery)."),
        QStringLiteral("NAME"));
    const QCommandLineOption recover(
        QStringLiteral("recover"),
        QStringLiteral("List the unsaved work left by runs that did not end cleanly, and exit."));
    parser.addOptions({noSplash, screenshot, image, select, dialog, recover});
    parser.addPositionalArgument(
        QStringLiteral("file"), QStringLiteral("A flow (.qfl), script (.qsc) or dialplan (.conf)"));
    parser.process(arguments());
    const QStringList files = parser.positionalArguments();
    const QString file = files.isEmpty() ? QString() : files.last();

    if (parser.isSet(recover))
        return listRecovery();
    if (parser.isSet(image)) {
        if (file.isEmpty()) {
            std::fprintf(stderr, "vocara: --export-image needs a flow to draw\n");
            return 2;
        }
        return exportImage(parser.value(image), file);
    }
    const bool grabbing = parser.isSet(screenshot);
    if (!startDesigner(file, !grabbing && !parser.isSet(noSplash), !grabbing))
        return 2;
    if (grabbing) {
        m_frame->resize(1280, 800);
        m_frame->show();
        if (parser.isSet(select)) {
            const QStringList at = parser.value(select).split(QLatin1Char(','));
            const Cell cell{at.value(0).toInt(), at.value(1).toInt()};
            m_frame->view()->selectNode(m_adapter->doc().nodeAt(cell));
        }
        processEvents();
        QWidget *target = m_frame.get();
        if (parser.isSet(dialog)) {
            target = m_frame->openForPicture(parser.value(dialog));
            if (!target) {
                std::fprintf(stderr, "vocara: no dialog called %s here\n",
                             parser.value(dialog).toLocal8Bit().constData());
                return 2;
            }
            processEvents();
        }
        const QString out = parser.value(screenshot);
        if (!target->grab().save(out)) {
            std::fprintf(stderr, "vocara: cannot write %s\n", out.toLocal8Bit().constData());
            return 2;
        }
        m_frame->setAttribute(Qt::WA_DeleteOnClose, false);
        return 0;
    }
    m_frame->showMaximized();
    const int code = exec();
    // A clean exit: no snapshot is left to be offered.
    if (m_recovery)
        m_recovery->finish();
    return code;
}

int CVocaraApp::listRecovery()
{
    RecoveryStore store(userFolder() / RecoveryStore::FolderName);
    const std::vector<RecoverySnapshot> left = store.peekLeftOvers();
    if (left.empty())
        std::printf("%s\n", std::string(Ui::RecoveryNothing).c_str());
    for (const RecoverySnapshot &snapshot : left) {
        const QString when = QDateTime::fromSecsSinceEpoch(snapshot.time)
                                 .toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        std::printf("%s\t%s\t%zu\n",
                    snapshot.originalPath.empty() ? std::string(Ui::Untitled).c_str()
                                                  : snapshot.originalPath.c_str(),
                    when.toUtf8().constData(), snapshot.nodes);
    }
    return 0;
}

bool CVocaraApp::startDesigner(const QString &file, bool splash, bool session)
{
    m_dialogs = std::make_unique<QtUserDialogs>();
    m_registry = std::make_unique<Registry>(registryFolder());
    m_settings = IvrSettings::forUserFolder();
    m_settings->load(*m_dialogs);
    m_exporter = std::make_unique<AsteriskExporter>();
    m_adapter = std::make_unique<DocumentAdapter>(*m_dialogs);
    configureDocument(m_adapter->mutableDoc(), *m_settings, m_exporter.get());

    FrameContext context;
    context.settings = m_settings.get();
    context.registry = m_registry.get();
    context.dialogs = m_dialogs.get();
    context.installFolder = qt(installFolder().string());
    m_frame = std::make_unique<CMainFrame>(*m_adapter, context);
    m_dialogs->setParent(m_frame.get());

    if (splash)
        showSplash();
    m_adapter->newDocument();
    if (session) {
        m_recovery =
            std::make_unique<RecoveryKeeper>(*m_adapter, userFolder() / RecoveryStore::FolderName,
                                             RecoveryKeeper::scheduleFromEnvironment());
        // Restored work comes first; a file named as well is opened after it, with the
        // usual question about the unsaved changes.
        if (m_recovery->start())
            m_frame->offerRecovery(*m_recovery);
    }
    if (!file.isEmpty())
        m_frame->fileOpen(file);
    return true;
}

void CVocaraApp::showSplash()
{
    QSplashScreen screen(splashPicture());
    screen.show();
    QEventLoop loop;
    int line = 0;
    const int count = int(std::size(Ui::SplashLines));
    QTimer step;
    connect(&step, &QTimer::timeout, &loop, [&] {
        if (line == count) {
            loop.quit();
            return;
        }
        QString text = qt(Ui::SplashLines[line]);
        if (line == 0)
            text += QStringLiteral("   ") + qt(Ui::VersionPrefix) + qt(programVersion());
        screen.showMessage(text, Qt::AlignBottom | Qt::AlignLeft, Qt::white);
        ++line;
        // The last line stays a little longer.
        step.setInterval(line == count ? 500 : 200);
    });
    step.start(0);
    loop.exec();
    screen.close();
}

int CVocaraApp::exportImage(const QString &output, const QString &flow)
{
    // No window and no message box: what opening says goes to standard error.
    RecordingDialogs dialogs(Answer::No);
    auto settings = IvrSettings::forUserFolder();
    settings->load(dialogs);
    AsteriskExporter exporter;
    CVocaraDoc doc(dialogs);
    configureDocument(doc, *settings, &exporter);
    doc.newDocument();
    const bool opened = doc.open(utf8(flow));
    for (const std::string &text : dialogs.texts())
        std::fprintf(stderr, "%s\n", text.c_str());
    if (!opened)
        return 2;
    QString error;
    if (!exportCanvasImage(doc, output, &error)) {
        std::fprintf(stderr, "vocara: %s\n", error.toLocal8Bit().constData());
        return 2;
    }
    return 0;
}

} // namespace vocara
