// Fills the property grid with one row of every kind. Run it to try the grid by hand, or
// with --screenshot FILE.png to save a picture of the window and quit.

#include "fieldora/fieldora_host.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCommandLineParser>
#include <QDate>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

namespace {

class EventLog : public QObject
{
    Q_OBJECT

public:
    explicit EventLog(QLabel *label)
        : label_(label)
    {}

public Q_SLOTS:
    void changed(const QString &name, const QVariant &value)
    {
        label_->setText(QStringLiteral("PropertyChanged: %1 = %2").arg(name, value.toString()));
    }
    void clicked(const QString &name, short buttonType, QObject *)
    {
        label_->setText(QStringLiteral("ButtonClicked: %1 (%2)").arg(name).arg(buttonType));
    }

private:
    QLabel *label_;
};

void add(QWidget *grid, const char *category, const char *caption, const QVariant &value,
         const char *description, short buttonType, bool enabled = true)
{
    QMetaObject::invokeMethod(grid, "AddProperty", Q_ARG(QString, QString::fromUtf8(category)),
                              Q_ARG(QString, QString::fromUtf8(caption)), Q_ARG(QVariant, value),
                              Q_ARG(QString, QString::fromUtf8(description)),
                              Q_ARG(short, buttonType), Q_ARG(bool, enabled));
}

QString makeLogo(const QString &folder)
{
    QImage logo(64, 64, QImage::Format_ARGB32);
    logo.fill(QColor(136, 157, 194));
    QPainter painter(&logo);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::white);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(QRect(14, 14, 36, 36));
    painter.end();
    const QString path = QDir(folder).filePath(QStringLiteral("logo.png"));
    logo.save(path);
    return path;
}

void fill(QWidget *grid, const QString &logo)
{
    add(grid, "Node Description", "Functionality",
        QStringLiteral("Plays a menu prompt and waits for the caller to press a key; each allowed "
                       "key leads to its own branch."),
        "Show Node Functionality", 10, false);
    add(grid, "Node Properties", "Node Name", QStringLiteral("MainMenu"),
        "Here you would put Node Name", 0);
    add(grid, "Node Properties", "Retries", QVariant::fromValue<short>(3),
        "How often the prompt is repeated (16-bit integer)", 0);
    add(grid, "Node Properties", "Timeout", QVariant(5000), "Milliseconds to wait (32-bit integer)",
        0);
    add(grid, "Node Properties", "Gain", QVariant::fromValue(1.5f), "A 32-bit real", 0);
    add(grid, "Node Properties", "Width", QVariant(210.0),
        "Millimetres; type a value ending in \" for inches", 0);
    add(grid, "Node Properties", "Language", QStringList{"English", "Arabic", "Farsi"},
        "A drop-down list commits at once", 0);
    add(grid, "Node Properties", "Enabled", QVariant(true), "A check box", 13);
    add(grid, "Actions", "Prompt file", QStringLiteral("Click to Open"), "Opens a file chooser", 3);
    add(grid, "Actions", "Help page", QStringLiteral("localhost/help"), "Opens a web browser", 4);
    add(grid, "Actions", "Support", QStringLiteral("support@localhost"), "Writes a mail", 6);
    add(grid, "Actions", "Formula", QStringLiteral("Round([Width] / 2) + Int([Timeout])"),
        "Opens the function editor", 12);
    add(grid, "Actions", "Details", QStringLiteral("..."), "The host handles the click", 1);
    add(grid, "Actions", "Apply", QStringLiteral(""), "A push button across the row", 11);
    add(grid, "Dates", "Start date", QVariant(QDate(2026, 12, 9)), "Short date", 8);
    add(grid, "Dates", "Review", QVariant(QDate(2027, 3, 1)), "Long date", 7);
    add(grid, "Dates", "Opening time", QVariant(QDateTime(QDate(2026, 12, 9), QTime(8, 30))),
        "A time", 9);
    add(grid, "Appearance", "Band colour", QVariant(12754312), "A colour dialog", 5);
    add(grid, "Appearance", "Logo", logo, "A picture file", -1);
    add(grid, "Appearance", "Banner", QString(), "No picture chosen yet", -1);
    QVariantMap result;
    QMetaObject::invokeMethod(grid, "SetValue", Q_RETURN_ARG(QVariantMap, result),
                              Q_ARG(QString, QStringLiteral("Language")),
                              Q_ARG(QVariant, QStringLiteral("English")));
}

void press(QWidget *grid, const QString &caption)
{
    QRect row;
    QMetaObject::invokeMethod(grid, "RowRect", Q_RETURN_ARG(QRect, row), Q_ARG(QString, caption));
    auto *list = grid->findChild<QAbstractScrollArea *>();
    if (!list || row.isEmpty())
        return;
    const QPointF at =
        list->viewport()->mapFrom(grid, QPoint(row.width() * 3 / 4, row.center().y()));
    QMouseEvent down(QEvent::MouseButtonPress, at, list->viewport()->mapToGlobal(at),
                     Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(list->viewport(), &down);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("fieldora-demo"));
    QCommandLineParser options;
    options.addHelpOption();
    options.addOption({QStringLiteral("plugin"), QStringLiteral("The plugin file."),
                       QStringLiteral("file"), QStringLiteral(FIELDORA_PLUGIN_FILE)});
    options.addOption({QStringLiteral("screenshot"),
                       QStringLiteral("Save a picture of the window and quit."),
                       QStringLiteral("file")});
    options.addOption({QStringLiteral("select"),
                       QStringLiteral("The row to click before the screenshot."),
                       QStringLiteral("caption"), QStringLiteral("Node Name")});
    options.process(app);

    QWidget window;
    window.setWindowTitle(QStringLiteral("Fieldora"));
    auto *layout = new QVBoxLayout(&window);
    QString why;
    QWidget *grid =
        fieldora_host::createControl(QStringLiteral("FIELDORA.FieldoraCtrl.1"),
                                     {options.value(QStringLiteral("plugin"))}, &window, &why);
    if (!grid) {
        std::fprintf(stderr, "fieldora-demo: %s\n", qPrintable(why));
        return 1;
    }
    auto *status = new QLabel(QStringLiteral("Click a row, edit a value or press a button."));
    layout->addWidget(grid, 1);
    layout->addWidget(status);
    EventLog log(status);
    QObject::connect(grid, SIGNAL(PropertyChanged(QString, QVariant)), &log,
                     SLOT(changed(QString, QVariant)));
    QObject::connect(grid, SIGNAL(ButtonClicked(QString, short, QObject *)), &log,
                     SLOT(clicked(QString, short, QObject *)));

    const QTemporaryDir folder;
    fill(grid, makeLogo(folder.path()));
    window.resize(420, 800);
    window.show();

    const QString screenshot = options.value(QStringLiteral("screenshot"));
    if (screenshot.isEmpty())
        return QApplication::exec();
    QTimer::singleShot(200, &window, [&] {
        press(grid, options.value(QStringLiteral("select")));
        QTimer::singleShot(200, &window, [&] {
            if (!window.grab().save(screenshot)) {
                std::fprintf(stderr, "fieldora-demo: cannot write %s\n", qPrintable(screenshot));
                QApplication::exit(1);
                return;
            }
            QApplication::quit();
        });
    });
    return QApplication::exec();
}

#include "main.moc"
