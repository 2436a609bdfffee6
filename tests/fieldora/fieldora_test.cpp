#include "grid_host.h"

#include <QBuffer>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QDesktopServices>
#include <QFileDialog>
#include <QImage>
#include <QLineEdit>
#include <QMessageBox>
#include <QMetaMethod>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>

namespace {

const QString Numbers = QStringLiteral("Numbers");
const QString Other = QStringLiteral("Other");

// Collects the addresses the grid hands to the desktop.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> urls;

public Q_SLOTS:
    void open(const QUrl &url) { urls.append(url); }
};

// A one-request-at-a-time web server on the loopback address.
class PictureServer : public QObject
{
public:
    explicit PictureServer(QByteArray picture)
        : body_(std::move(picture))
    {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *socket = server_.nextPendingConnection();
            request_.clear();
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                request_ += socket->readAll();
                if (!request_.contains("\r\n\r\n"))
                    return;
                if (request_.startsWith("GET /huge")) { // claims more than a picture may be
                    socket->write("HTTP/1.1 200 OK\r\nContent-Length: 17000000\r\n\r\n" +
                                  QByteArray(4096, 'x'));
                    return;
                }
                const bool found = request_.startsWith("GET /pictures/");
                const QByteArray reply = found ? body_ : QByteArray("no such picture");
                socket->write((found ? "HTTP/1.1 200 OK\r\nContent-Type: image/png\r\n"
                                     : "HTTP/1.1 404 Not Found\r\n") +
                              QByteArray("Content-Length: ") + QByteArray::number(reply.size()) +
                              "\r\nConnection: close\r\n\r\n" + reply);
                socket->disconnectFromHost();
            });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        });
    }
    bool listening() const { return server_.isListening(); }
    QString address(const QString &path) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path);
    }
    QByteArray request() const { return request_; }

private:
    QTcpServer server_;
    QByteArray body_;
    QByteArray request_;
};

QByteArray pngBytes(const QColor &color)
{
    QImage image(24, 16, QImage::Format_RGB32);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

void typeInto(QWidget *target, const QString &text)
{
    QTest::keyClick(target, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(target, text);
}

} // namespace

class FieldoraTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void createdByClassIdAndCalledByName();
    void persistedPropertiesAndPrecision();
    void everyRowKindShowsItsValue();
    void secondAddPropertyJoinsTheCategory();
    void setValueReportsTheTwoErrors();
    void setValueConvertsAndFiresNothing();
    void categoriesCollapseAndCloseAllTwiceRestores();
    void splitterStaysWithinItsLimits();
    void typedNumbersAndTheInchMark();
    void everyCommitPathFiresOnceAndOnlyOnChange();
    void escapeCancelsAndKeyboardMoves();
    void hostValueSuppressesTheColourDialog();
    void builtInDialogsCommitOrCancel();
    void functionEditorColoursNamesAndCaptions();
    void linksMailsAndOpenActionsGoToTheDesktop();
    void picturesFromFilesAndTheNetwork();
    void descriptionPaneFollowsTheSelection();
    void stateSavesLoadsAndThePropertyPageEditsIt();
    void hostMayClearWhileAnEventRuns();
    void aboutBoxOpens();
};

void FieldoraTest::createdByClassIdAndCalledByName()
{
    GridHost host;
    const QMetaObject *meta = host.control->metaObject();
    QCOMPARE(QString::fromLatin1(meta->className()), QStringLiteral("CFieldoraCtrl"));

    // Dispatch order: the three properties, then the five methods.
    const int first = meta->propertyOffset();
    QCOMPARE(QString::fromLatin1(meta->property(first).name()), QStringLiteral("ShowDescription"));
    QCOMPARE(QString::fromLatin1(meta->property(first + 1).name()), QStringLiteral("Precision"));
    QCOMPARE(QString::fromLatin1(meta->property(first + 2).name()), QStringLiteral("BorderStyle"));
    int previous = -1;
    for (const char *name : {"Clear()", "AddProperty(QString,QString,QVariant,QString,short,bool)",
                             "SetValue(QString,QVariant)", "CloseAll()", "AboutBox()"}) {
        const int index = meta->indexOfMethod(name);
        QVERIFY2(index > previous, name);
        previous = index;
    }
    QVERIFY(meta->indexOfSignal("PropertyChanged(QString,QVariant)") >= 0);
    QVERIFY(meta->indexOfSignal("ButtonClicked(QString,short,QObject*)") >= 0);

    QString why;
    QVERIFY(!fieldora_host::createControl(QStringLiteral("FIELDORA.Nothing.1"),
                                          {QStringLiteral(FIELDORA_PLUGIN_FILE)}, nullptr, &why));
    QVERIFY(why.contains(QStringLiteral("does not serve")));
    QVERIFY(!fieldora_host::createControl(QStringLiteral("FIELDORA.FieldoraCtrl.1"),
                                          {QStringLiteral("/nonexistent/libfieldora.so")}, nullptr,
                                          &why));
    QVERIFY(!why.isEmpty());
    GridHost page(QStringLiteral("FIELDORA.FieldoraPropPage.1"));
    QCOMPARE(QString::fromLatin1(page.control->metaObject()->className()),
             QStringLiteral("CFieldoraPropPage"));
}

void FieldoraTest::persistedPropertiesAndPrecision()
{
    GridHost host;
    QCOMPARE(host.control->property("BorderStyle").toInt(), 4);
    QCOMPARE(host.control->property("ShowDescription").toBool(), true);
    QVERIFY(host.control->setProperty("Precision", QVariant::fromValue<short>(5)));
    QCOMPARE(host.control->property("Precision").toInt(), 5);
    host.control->setProperty("Precision", QVariant::fromValue<short>(12));
    QCOMPARE(host.control->property("Precision").toInt(), 5);
    host.control->setProperty("Precision", QVariant::fromValue<short>(-1));
    QCOMPARE(host.control->property("Precision").toInt(), 5);
    host.add(Numbers, QStringLiteral("Gain"), QVariant(1.23456));
    QCOMPARE(host.text(QStringLiteral("Gain")), QStringLiteral("1.23"));
    host.control->setProperty("BorderStyle", QVariant::fromValue<short>(0));
    QCOMPARE(host.control->property("BorderStyle").toInt(), 0);
    host.control->setProperty("BorderStyle", QVariant::fromValue<short>(77)); // kept, drawn plain
    QCOMPARE(host.control->property("BorderStyle").toInt(), 77);
}

void FieldoraTest::everyRowKindShowsItsValue()
{
    GridHost host;
    host.add(Numbers, QStringLiteral("Short"), QVariant::fromValue<short>(-7));
    host.add(Numbers, QStringLiteral("Long"), QVariant(123456));
    host.add(Numbers, QStringLiteral("Single"), QVariant::fromValue(2.5f));
    host.add(Numbers, QStringLiteral("Double"), QVariant(3.14159));
    host.add(Other, QStringLiteral("Text"), QStringLiteral("hello"));
    host.add(Other, QStringLiteral("On"), QVariant(true));
    host.add(Other, QStringLiteral("Off"), QVariant(false));
    host.add(Other, QStringLiteral("Colour"), QVariant(12754312), 5);
    host.add(Other, QStringLiteral("Picture"), QString(), -1);
    host.add(Other, QStringLiteral("Choice"),
             QVariantList{QStringLiteral("A"), QStringLiteral("B")});
    host.add(Other, QStringLiteral("Day"), QVariant(QDate(2026, 12, 9)), 8);
    host.add(Other, QStringLiteral("Button"), QStringLiteral("x"), 11);
    host.add(Other, QStringLiteral("Notes"), QStringLiteral("one\ntwo"), 10);
    host.add(Other, QStringLiteral("Size"), QVariant(QSize(2, 3)));

    QCOMPARE(host.text(QStringLiteral("Short")), QStringLiteral("-7"));
    QCOMPARE(host.text(QStringLiteral("Long")), QStringLiteral("123456"));
    QCOMPARE(host.text(QStringLiteral("Single")), QStringLiteral("2.50"));
    QCOMPARE(host.text(QStringLiteral("Double")), QStringLiteral("3.14"));
    QCOMPARE(host.text(QStringLiteral("Text")), QStringLiteral("hello"));
    QCOMPARE(host.text(QStringLiteral("On")), QStringLiteral("Yes"));
    QCOMPARE(host.text(QStringLiteral("Off")), QStringLiteral("No"));
    QCOMPARE(host.text(QStringLiteral("Colour")), QStringLiteral("RGB (136,157,194)"));
    QCOMPARE(host.text(QStringLiteral("Picture")), QStringLiteral("Nothing selected"));
    QCOMPARE(host.text(QStringLiteral("Choice")), QString());
    QCOMPARE(host.text(QStringLiteral("Day")),
             QLocale().toString(QDate(2026, 12, 9), QLocale::ShortFormat));
    QCOMPARE(host.text(QStringLiteral("Button")), QStringLiteral("Button"));
    QCOMPARE(host.text(QStringLiteral("Notes")), QStringLiteral("one\ntwo"));
    QCOMPARE(host.value(QStringLiteral("Short")).metaType().id(), int(QMetaType::Short));
    QCOMPARE(host.value(QStringLiteral("Single")).metaType().id(), int(QMetaType::Float));
    // Multi-line rows are taller than single-line ones; rows follow each other without gaps.
    QVERIFY(host.row(QStringLiteral("Notes")).height() > host.row(QStringLiteral("Text")).height());
    QCOMPARE(host.row(QStringLiteral("Long")).top(),
             host.row(QStringLiteral("Short")).bottom() + 1);

    const QImage shot = host.control->grab().toImage();
    const QPoint band = host.category(Numbers).center();
    QCOMPARE(shot.pixelColor(QPoint(band.x(), band.y() + 2)), QColor(136, 157, 194));
    QCOMPARE(shot.pixelColor(QPoint(band.x(), host.category(Numbers).top() + 1)),
             QColor(Qt::white));
}

void FieldoraTest::secondAddPropertyJoinsTheCategory()
{
    GridHost host;
    host.add(Numbers, QStringLiteral("One"), QVariant(1));
    host.add(Other, QStringLiteral("Two"), QVariant(2));
    host.add(Numbers, QStringLiteral("Three"), QVariant(3));
    int rows = 0;
    QMetaObject::invokeMethod(host.control.get(), "RowCount", Q_RETURN_ARG(int, rows));
    QCOMPARE(rows, 5); // two categories, three properties
    QVERIFY(host.row(QStringLiteral("Three")).top() > host.row(QStringLiteral("One")).top());
    QVERIFY(host.row(QStringLiteral("Three")).bottom() < host.category(Other).top());
    host.call("Clear");
    QMetaObject::invokeMethod(host.control.get(), "RowCount", Q_RETURN_ARG(int, rows));
    QCOMPARE(rows, 0);
}

void FieldoraTest::setValueReportsTheTwoErrors()
{
    GridHost host;
    host.add(Numbers, QStringLiteral("Count"), QVariant(4));
    host.add(Other, QStringLiteral("Flag"), QVariant(false));
    host.add(Other, QStringLiteral("Day"), QVariant(QDate(2026, 1, 2)));

    QVariantMap result = host.set(QStringLiteral("Nope"), QVariant(1));
    QCOMPARE(result.value(QStringLiteral("Number")).toInt(), 422);
    QCOMPARE(result.value(QStringLiteral("Description")).toString(),
             QStringLiteral("Property \"Nope\" does not exist"));
    // A category is not a property.
    QCOMPARE(host.set(Numbers, QVariant(1)).value(QStringLiteral("Number")).toInt(), 422);

    for (const QVariant &wrong : {QVariant(QStringLiteral("abc")), QVariant(QStringList{"a"}),
                                  QVariant(QStringLiteral("99999999999"))}) {
        result = host.set(QStringLiteral("Count"), wrong);
        QCOMPARE(result.value(QStringLiteral("Number")).toInt(), 380);
        QCOMPARE(result.value(QStringLiteral("Description")).toString(),
                 QStringLiteral("Wrong parameter type"));
    }
    QCOMPARE(host.set(QStringLiteral("Flag"), QVariant(QSize(1, 1)))
                 .value(QStringLiteral("Number"))
                 .toInt(),
             380);
    QCOMPARE(host.set(QStringLiteral("Day"), QStringLiteral("not a day"))
                 .value(QStringLiteral("Number"))
                 .toInt(),
             380);
    QCOMPARE(host.value(QStringLiteral("Count")).toInt(), 4);
}

void FieldoraTest::setValueConvertsAndFiresNothing()
{
    GridHost host;
    host.add(Numbers, QStringLiteral("Count"), QVariant(4));
    host.add(Other, QStringLiteral("Name"), QString());
    host.add(Other, QStringLiteral("Flag"), QVariant(false), 13);
    host.add(Other, QStringLiteral("Mode"), QStringList{"Read", "Write"});

    QCOMPARE(host.set(QStringLiteral("Count"), QStringLiteral(" 12 "))
                 .value(QStringLiteral("Number"))
                 .toInt(),
             0);
    QCOMPARE(host.value(QStringLiteral("Count")), QVariant(12));
    host.set(QStringLiteral("Name"), QStringLiteral("Main"));
    QCOMPARE(host.text(QStringLiteral("Name")), QStringLiteral("Main"));
    host.set(QStringLiteral("Flag"), QVariant(true));
    QCOMPARE(host.text(QStringLiteral("Flag")), QStringLiteral("Yes"));
    host.set(QStringLiteral("Mode"), QStringLiteral("Write"));
    QCOMPARE(host.text(QStringLiteral("Mode")), QStringLiteral("Write"));
    host.set(QStringLiteral("Mode"), QStringList{"Read", "Write", "Append"});
    QCOMPARE(host.text(QStringLiteral("Mode")), QStringLiteral("Write"));
    QCOMPARE(host.changes->count(), 0);

    // A value set while the row's editor is open shows in the editor.
    host.clickValue(QStringLiteral("Name"));
    host.set(QStringLiteral("Name"), QStringLiteral("Other"));
    QCOMPARE(host.editor<QLineEdit>("fieldoraLineEdit")->text(), QStringLiteral("Other"));
    QCOMPARE(host.changes->count(), 0);
}

void FieldoraTest::categoriesCollapseAndCloseAllTwiceRestores()
{
    GridHost host;
    host.add(Numbers, QStringLiteral("One"), QVariant(1));
    host.add(Other, QStringLiteral("Two"), QVariant(2));
    // The glyph is the right 22 pixels of the band.
    const QRect band = host.category(Numbers);
    host.click(QPoint(band.right() - 10, band.center().y() + 2));
    QVERIFY(!host.expanded(Numbers));
    QVERIFY(host.row(QStringLiteral("One")).isEmpty());
    QVERIFY(host.expanded(Other));

    host.call("CloseAll");
    QVERIFY(host.expanded(Numbers));
    QVERIFY(!host.expanded(Other));
    QVERIFY(host.row(QStringLiteral("Two")).isEmpty());
    QVERIFY(!host.row(QStringLiteral("One")).isEmpty());
    host.call("CloseAll");
    QVERIFY(!host.expanded(Numbers));
    QVERIFY(host.expanded(Other));

    // A double click on the caption toggles too; a row added to a closed category stays hidden.
    host.add(Numbers, QStringLiteral("Three"), QVariant(3));
    QVERIFY(host.row(QStringLiteral("Three")).isEmpty());
    QTest::mouseDClick(host.viewport(), Qt::LeftButton, {},
                       host.inViewport(host.category(Numbers).center()));
    QVERIFY(host.expanded(Numbers));
    QVERIFY(!host.row(QStringLiteral("Three")).isEmpty());

    // Closing the category of the selected row drops the selection and its editor.
    host.clickValue(QStringLiteral("Two"));
    QVERIFY(host.editor("fieldoraLineEdit"));
    host.call("CloseAll");
    QCOMPARE(host.control->property("SelectedProperty").toString(), QString());
    QTRY_VERIFY(!host.editor("fieldoraLineEdit"));
}

void FieldoraTest::splitterStaysWithinItsLimits()
{
    GridHost host;
    host.add(Numbers, QStringLiteral("One"), QVariant(1));
    const int width = host.viewport()->width();
    const int y = host.inViewport(host.row(QStringLiteral("One")).center()).y();
    QCOMPARE(host.control->property("SplitterPosition").toInt(), 50);

    auto drag = [&](int fromX, int toX) {
        QTest::mousePress(host.viewport(), Qt::LeftButton, {}, QPoint(fromX, y));
        QTest::mouseMove(host.viewport(), QPoint(toX, y));
        QTest::mouseRelease(host.viewport(), Qt::LeftButton, {}, QPoint(toX, y));
    };
    drag(width / 2, width / 10);
    QCOMPARE(host.control->property("SplitterPosition").toInt(), 50);
    drag(width / 2 + 3, width * 9 / 10);
    QCOMPARE(host.control->property("SplitterPosition").toInt(), 50);
    drag(width / 2 - 3, width * 30 / 100);
    QCOMPARE(host.control->property("SplitterPosition").toInt(),
             100 * (width * 30 / 100) / width + 1);
    // Pressing away from the splitter is no drag.
    const int now = host.control->property("SplitterPosition").toInt();
    drag(width - 20, width / 2);
    QCOMPARE(host.control->property("SplitterPosition").toInt(), now);
    // The editor follows the splitter.
    host.clickValue(QStringLiteral("One"));
    QWidget *line = host.editor("fieldoraLineEdit");
    QVERIFY(line);
    QCOMPARE(line->parentWidget()->x(), width * now / 100 + 1);
}

void FieldoraTest::typedNumbersAndTheInchMark()
{
    GridHost host;
    host.add(Numbers, QStringLiteral("Single"), QVariant::fromValue(1.0f));
    host.add(Numbers, QStringLiteral("Double"), QVariant(1.0));
    host.add(Numbers, QStringLiteral("Short"), QVariant::fromValue<short>(1));
    host.add(Numbers, QStringLiteral("Long"), QVariant(1));

    auto commitTyped = [&](const QString &caption, const QString &typed) {
        host.clickValue(caption);
        auto *line = host.editor<QLineEdit>("fieldoraLineEdit");
        QVERIFY(line);
        typeInto(line, typed);
        QTest::keyClick(line, Qt::Key_Return);
    };

    commitTyped(QStringLiteral("Single"), QStringLiteral("2\""));
    QCOMPARE(host.value(QStringLiteral("Single")).toFloat(), 50.8f);
    QCOMPARE(host.text(QStringLiteral("Single")), QStringLiteral("50.80"));
    QCOMPARE(host.changes->count(), 1);
    QCOMPARE(host.changes->at(0).at(0).toString(), QStringLiteral("Single"));
    QCOMPARE(host.changes->at(0).at(1).toFloat(), 50.8f);

    commitTyped(QStringLiteral("Double"), QStringLiteral("1.5 \""));
    QCOMPARE(host.value(QStringLiteral("Double")).toDouble(), 1.5 * 25.4);
    QCOMPARE(host.changes->count(), 2);

    // Text that does not parse, a number out of the row's range, an inch mark on an integer:
    // the previous value stays and nothing fires.
    for (const QString &bad : {QStringLiteral("abc"), QStringLiteral("70000"),
                               QStringLiteral("2\""), QStringLiteral("12abc")})
        commitTyped(QStringLiteral("Short"), bad);
    QCOMPARE(host.value(QStringLiteral("Short")), QVariant::fromValue<short>(1));
    QCOMPARE(host.editor<QLineEdit>("fieldoraLineEdit")->text(), QStringLiteral("1"));
    commitTyped(QStringLiteral("Long"), QStringLiteral("3000000000"));
    QCOMPARE(host.value(QStringLiteral("Long")), QVariant(1));
    QCOMPARE(host.changes->count(), 2);

    commitTyped(QStringLiteral("Short"), QStringLiteral("-32768"));
    QCOMPARE(host.value(QStringLiteral("Short")), QVariant::fromValue<short>(-32768));
    QCOMPARE(host.changes->count(), 3);
}

void FieldoraTest::everyCommitPathFiresOnceAndOnlyOnChange()
{
    GridHost host;
    host.add(Other, QStringLiteral("Name"), QStringLiteral("old"));
    host.add(Other, QStringLiteral("Other"), QStringLiteral("x"));
    host.add(Other, QStringLiteral("Mode"), QStringList{"Read", "Write"});
    host.add(Other, QStringLiteral("Flag"), QVariant(false), 13);
    host.add(Other, QStringLiteral("Day"), QVariant(QDate(2026, 12, 9)), 8);
    host.add(Other, QStringLiteral("Notes"), QStringLiteral("a"), 10);
    host.set(QStringLiteral("Mode"), QStringLiteral("Read"));
    auto lastChange = [&] {
        return host.changes->last();
    };

    // Enter, then Enter again without a change.
    host.clickValue(QStringLiteral("Name"));
    auto *line = host.editor<QLineEdit>("fieldoraLineEdit");
    typeInto(line, QStringLiteral("new"));
    QTest::keyClick(line, Qt::Key_Return);
    QTest::keyClick(line, Qt::Key_Return);
    QCOMPARE(host.changes->count(), 1);
    QCOMPARE(lastChange().at(1).toString(), QStringLiteral("new"));

    // Leaving the editor (a click on another row) commits once.
    typeInto(line, QStringLiteral("newer"));
    host.clickValue(QStringLiteral("Other"));
    QCOMPARE(host.changes->count(), 2);
    QCOMPARE(lastChange().at(0).toString(), QStringLiteral("Name"));
    QCOMPARE(host.value(QStringLiteral("Name")).toString(), QStringLiteral("newer"));
    // Typing the same text again is no change.
    line = host.editor<QLineEdit>("fieldoraLineEdit");
    typeInto(line, QStringLiteral("x"));
    QTest::keyClick(line, Qt::Key_Return);
    QCOMPARE(host.changes->count(), 2);

    // The drop-down commits as soon as a choice is made.
    host.clickValue(QStringLiteral("Mode"));
    auto *combo = host.editor<QComboBox>("fieldoraDropDown");
    QVERIFY(combo);
    QCOMPARE(combo->currentText(), QStringLiteral("Read"));
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    QCOMPARE(host.changes->count(), 3);
    QCOMPARE(lastChange().at(0).toString(), QStringLiteral("Mode"));
    QCOMPARE(lastChange().at(1).toString(), QStringLiteral("Write"));
    emit combo->activated(combo->currentIndex()); // the same choice again
    QCOMPARE(host.changes->count(), 3);

    // A click in the value column of a check-box row ticks it.
    host.clickValue(QStringLiteral("Flag"));
    QCOMPARE(host.changes->count(), 4);
    QCOMPARE(lastChange().at(1), QVariant(true));
    QCOMPARE(host.editor<QCheckBox>("fieldoraCheckBox")->text(), QStringLiteral("Yes"));
    QTest::keyClick(host.editor("fieldoraCheckBox"), Qt::Key_Space);
    QCOMPARE(host.changes->count(), 5);
    QCOMPARE(lastChange().at(1), QVariant(false));

    // The date picker commits with Enter.
    host.clickValue(QStringLiteral("Day"));
    auto *date = host.editor<QDateTimeEdit>("fieldoraDateTime");
    QVERIFY(date);
    date->setDate(QDate(2027, 1, 31));
    QTest::keyClick(date, Qt::Key_Return);
    QCOMPARE(host.changes->count(), 6);
    QCOMPARE(lastChange().at(1).toDateTime().date(), QDate(2027, 1, 31));
    QTest::keyClick(date, Qt::Key_Return);
    QCOMPARE(host.changes->count(), 6);

    // The multi-line editor: Enter is a new line, Ctrl+Enter or leaving commits.
    host.clickValue(QStringLiteral("Notes"));
    auto *notes = host.editor<QPlainTextEdit>("fieldoraMultiLineEdit");
    QVERIFY(notes);
    QTest::keyClick(notes, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(notes, Qt::Key_Return);
    QTest::keyClicks(notes, QStringLiteral("b"));
    QCOMPARE(host.changes->count(), 6);
    QTest::keyClick(notes, Qt::Key_Return, Qt::ControlModifier);
    QCOMPARE(host.changes->count(), 7);
    QCOMPARE(lastChange().at(1).toString(), QStringLiteral("a\nb"));
    QTest::keyClicks(notes, QStringLiteral("c"));
    host.clickValue(QStringLiteral("Name"));
    QCOMPARE(host.changes->count(), 8);
    QCOMPARE(host.value(QStringLiteral("Notes")).toString(), QStringLiteral("a\nbc"));
}

void FieldoraTest::escapeCancelsAndKeyboardMoves()
{
    GridHost host;
    host.add(Numbers, QStringLiteral("One"), QVariant(1));
    host.add(Numbers, QStringLiteral("Two"), QVariant(2));
    host.add(Other, QStringLiteral("Three"), QVariant(3));
    auto selected = [&] {
        return host.control->property("SelectedProperty").toString();
    };

    host.clickValue(QStringLiteral("One"));
    auto *line = host.editor<QLineEdit>("fieldoraLineEdit");
    typeInto(line, QStringLiteral("9"));
    QTest::keyClick(line, Qt::Key_Escape);
    QCOMPARE(line->text(), QStringLiteral("1"));
    QCOMPARE(host.value(QStringLiteral("One")), QVariant(1));
    QCOMPARE(host.changes->count(), 0);

    // Esc gave the keyboard back to the list: Up and Down walk the rows, categories included.
    QWidget *grid = host.viewport()->parentWidget();
    QVERIFY(grid->hasFocus());
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(selected(), QStringLiteral("Two"));
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(selected(), QString()); // the "Other" category
    QTest::keyClick(grid, Qt::Key_Left);
    QVERIFY(!host.expanded(Other));
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(selected(), QString()); // nothing below a closed category
    QTest::keyClick(grid, Qt::Key_Right);
    QVERIFY(host.expanded(Other));
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(selected(), QStringLiteral("Three"));
    QTest::keyClick(grid, Qt::Key_Up);
    QTest::keyClick(grid, Qt::Key_Up);
    QCOMPARE(selected(), QStringLiteral("Two"));

    // Tab moves into the editor; typing there and Up commits and moves on.
    QTest::keyClick(grid, Qt::Key_Tab);
    line = host.editor<QLineEdit>("fieldoraLineEdit");
    QVERIFY(line->hasFocus());
    typeInto(line, QStringLiteral("22"));
    QTest::keyClick(line, Qt::Key_Up);
    QCOMPARE(host.value(QStringLiteral("Two")), QVariant(22));
    QCOMPARE(selected(), QStringLiteral("One"));
    QCOMPARE(host.changes->count(), 1);

    // Typing on a selected edit-box row starts an edit.
    grid->setFocus();
    QTest::keyClicks(grid, QStringLiteral("7"));
    line = host.editor<QLineEdit>("fieldoraLineEdit");
    QVERIFY(line->hasFocus());
    QTest::keyClick(line, Qt::Key_Return);
    QCOMPARE(host.value(QStringLiteral("One")), QVariant(7));
}

void FieldoraTest::hostValueSuppressesTheColourDialog()
{
    GridHost host;
    host.add(Other, QStringLiteral("Colour"), QVariant(0), 5);
    host.answer.fill = QVariant(0x00FF8000); // blue 0xFF, green 0x80, red 0
    ModalAnswer none([](QWidget *modal) { modal->close(); });
    host.click(host.buttonOf(QStringLiteral("Colour")));
    QVERIFY(!none.answered());
    QCOMPARE(host.answer.names, QStringList{QStringLiteral("Colour")});
    QCOMPARE(host.answer.types, QList<short>{5});
    QCOMPARE(host.text(QStringLiteral("Colour")), QStringLiteral("RGB (0,128,255)"));
    QCOMPARE(host.changes->count(), 1);
    // The same value again is no change.
    host.click(host.buttonOf(QStringLiteral("Colour")));
    QCOMPARE(host.answer.names.size(), 2);
    QCOMPARE(host.changes->count(), 1);
    QCOMPARE(host.control->property("SelectedProperty").toString(), QStringLiteral("Colour"));

    // A push-button row is one button across the row; a disabled one does nothing.
    host.answer.fill = QVariant();
    host.add(Other, QStringLiteral("Apply"), QString(), 11);
    host.add(Other, QStringLiteral("Locked"), QString(), 11, false);
    host.click(host.row(QStringLiteral("Apply")).center());
    QCOMPARE(host.answer.names.last(), QStringLiteral("Apply"));
    QCOMPARE(host.answer.types.last(), short(11));
    host.click(host.row(QStringLiteral("Locked")).center());
    QCOMPARE(host.answer.names.size(), 3);
    QCOMPARE(host.changes->count(), 1);
}

void FieldoraTest::builtInDialogsCommitOrCancel()
{
    GridHost host;
    host.add(Other, QStringLiteral("Colour"), QVariant(0x0000FF), 5);
    host.add(Other, QStringLiteral("Script"), QStringLiteral("Click to Open"), 3);
    host.add(Other, QStringLiteral("Details"), QStringLiteral("..."), 1);

    {
        ModalAnswer pick([](QWidget *modal) {
            auto *dialog = qobject_cast<QColorDialog *>(modal);
            QVERIFY(dialog);
            QCOMPARE(dialog->currentColor(), QColor(255, 0, 0));
            dialog->setCurrentColor(QColor(1, 2, 3));
            dialog->accept();
        });
        host.click(host.buttonOf(QStringLiteral("Colour")));
        QVERIFY(pick.answered());
    }
    QCOMPARE(host.value(QStringLiteral("Colour")), QVariant(1 | (2 << 8) | (3 << 16)));
    QCOMPARE(host.changes->count(), 1);
    {
        ModalAnswer cancel([](QWidget *modal) { qobject_cast<QDialog *>(modal)->reject(); });
        host.click(host.buttonOf(QStringLiteral("Colour")));
        QVERIFY(cancel.answered());
    }
    QCOMPARE(host.changes->count(), 1);

    // An editable open row asks for a file.
    QTemporaryDir folder;
    const QString chosen = folder.filePath(QStringLiteral("menu.qsc"));
    QFile(chosen).open(QIODevice::WriteOnly);
    {
        ModalAnswer open([&](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            QVERIFY(dialog);
            // The name box of the dialog, as a user would type into it.
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            QVERIFY(name);
            name->setText(chosen);
            static_cast<QDialog *>(dialog)->accept();
        });
        host.click(host.buttonOf(QStringLiteral("Script")));
        QVERIFY(open.answered());
    }
    QCOMPARE(host.value(QStringLiteral("Script")).toString(), chosen);
    QCOMPARE(host.changes->count(), 2);

    // A picture row offers the picture files.
    host.add(Other, QStringLiteral("Logo"), QString(), -1);
    {
        ModalAnswer open([&](QWidget *modal) {
            auto *dialog = qobject_cast<QFileDialog *>(modal);
            QVERIFY(dialog);
            QCOMPARE(
                dialog->nameFilters(),
                QStringList{QStringLiteral("Picture files (*.gif *.jpg *.bmp *.ico *.emf *.wmf)")});
            dialog->close();
        });
        host.click(host.buttonOf(QStringLiteral("Logo")));
        QVERIFY(open.answered());
    }
    QCOMPARE(host.changes->count(), 2);

    // A disabled colour row keeps its value: no dialog.
    host.add(Other, QStringLiteral("Fixed"), QVariant(0), 5, false);
    {
        ModalAnswer none([](QWidget *modal) { modal->close(); });
        host.click(host.buttonOf(QStringLiteral("Fixed")));
        QVERIFY(!none.answered());
    }

    // Ellipsis buttons are the host's alone.
    ModalAnswer none([](QWidget *modal) { modal->close(); });
    host.click(host.buttonOf(QStringLiteral("Details")));
    QVERIFY(!none.answered());
    QCOMPARE(host.answer.names.last(), QStringLiteral("Details"));
    QCOMPARE(host.answer.types.last(), short(1));
    QCOMPARE(host.changes->count(), 2);
}

void FieldoraTest::functionEditorColoursNamesAndCaptions()
{
    GridHost host;
    host.add(Numbers, QStringLiteral("Width"), QVariant(1.0));
    host.add(Numbers, QStringLiteral("Formula"), QStringLiteral("round([width])+cosine"), 12);
    QString seen;
    {
        ModalAnswer edit([&](QWidget *modal) {
            auto *text = modal->findChild<QTextEdit *>();
            QVERIFY(text);
            seen = text->toPlainText();
            const QList<QTextLayout::FormatRange> formats =
                text->document()->firstBlock().layout()->formats();
            auto colourAt = [&](int at) {
                for (const auto &range : formats)
                    if (at >= range.start && at < range.start + range.length)
                        return range.format.foreground().color();
                return QColor();
            };
            QCOMPARE(colourAt(0), QColor(0, 0, 255));  // "round", any case
            QCOMPARE(colourAt(6), QColor(0, 128, 64)); // "[width]"
            QCOMPARE(colourAt(15), QColor(0, 0, 255)); // "cos" inside "cosine"
            QCOMPARE(colourAt(5), QColor());           // "("
            text->setPlainText(QStringLiteral("Sqr([Width])"));
            const auto buttons = modal->findChildren<QPushButton *>();
            QStringList names;
            for (QPushButton *button : buttons)
                names.append(button->text());
            QVERIFY(names.contains(QStringLiteral("OK")) &&
                    names.contains(QStringLiteral("Cancel")));
            qobject_cast<QDialog *>(modal)->accept();
        });
        host.click(host.buttonOf(QStringLiteral("Formula")));
        QVERIFY(edit.answered());
        QCOMPARE(edit.title(), QStringLiteral("Edit function"));
    }
    QCOMPARE(seen, QStringLiteral("round([width])+cosine"));
    QCOMPARE(host.value(QStringLiteral("Formula")).toString(), QStringLiteral("Sqr([Width])"));
    QCOMPARE(host.changes->count(), 1);
}

void FieldoraTest::linksMailsAndOpenActionsGoToTheDesktop()
{
    UrlCatcher catcher;
    for (const char *scheme : {"http", "mailto", "file"})
        QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), &catcher, "open");
    GridHost host;
    host.add(Other, QStringLiteral("Help"), QStringLiteral("localhost/help"), 4);
    host.add(Other, QStringLiteral("Support"), QStringLiteral("support@localhost"), 6);
    host.add(Other, QStringLiteral("Readme"), QStringLiteral("/tmp/read me.txt"), 3, false);
    host.click(host.buttonOf(QStringLiteral("Help")));
    host.click(host.buttonOf(QStringLiteral("Support")));
    host.click(host.buttonOf(QStringLiteral("Readme")));
    for (const char *scheme : {"http", "mailto", "file"})
        QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
    QCOMPARE(catcher.urls.size(), 3);
    QCOMPARE(catcher.urls[0], QUrl(QStringLiteral("http://localhost/help")));
    QCOMPARE(catcher.urls[1], QUrl(QStringLiteral("mailto:support@localhost")));
    QCOMPARE(catcher.urls[2], QUrl::fromLocalFile(QStringLiteral("/tmp/read me.txt")));
    QCOMPARE(host.changes->count(), 0);
    QCOMPARE(host.answer.names.size(), 3);
    // A read-only row has no editor, but its value is still shown.
    QVERIFY(!host.editor("fieldoraLineEdit"));
    QCOMPARE(host.text(QStringLiteral("Readme")), QStringLiteral("/tmp/read me.txt"));
}

void FieldoraTest::picturesFromFilesAndTheNetwork()
{
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("logo.png"));
    QFile out(file);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(pngBytes(Qt::red));
    out.close();

    GridHost host;
    host.add(Other, QStringLiteral("Logo"), QString(), -1);
    host.add(Other, QStringLiteral("Object"),
             QVariant(QPixmap::fromImage(QImage(8, 8, QImage::Format_RGB32))));
    QCOMPARE(host.text(QStringLiteral("Object")), QString());
    const int plain = host.row(QStringLiteral("Logo")).height();
    host.set(QStringLiteral("Logo"), file);
    QCOMPARE(host.text(QStringLiteral("Logo")), QStringLiteral("logo.png"));
    QVERIFY(host.row(QStringLiteral("Logo")).height() > plain);
    host.set(QStringLiteral("Logo"), folder.filePath(QStringLiteral("missing.png")));
    QCOMPARE(host.text(QStringLiteral("Logo")), QStringLiteral("Nothing selected"));

    PictureServer server(pngBytes(Qt::blue));
    QVERIFY(server.listening());
    host.set(QStringLiteral("Logo"), server.address(QStringLiteral("/pictures/my logo.png")));
    QTRY_COMPARE(host.text(QStringLiteral("Logo")), QStringLiteral("my logo.png"));
    QVERIFY(server.request().startsWith("GET /pictures/my%20logo.png HTTP/1.1\r\n"));
    QVERIFY(server.request().contains("\r\nAccept: */*\r\n"));

    QSignalSpy fetched(host.viewport()->parentWidget(), SIGNAL(pictureLoaded(QString)));
    host.set(QStringLiteral("Logo"), server.address(QStringLiteral("/gone.png")));
    QCOMPARE(host.text(QStringLiteral("Logo")), QStringLiteral("Nothing selected"));
    QVERIFY(fetched.wait()); // the 404 arrives and changes nothing
    QCOMPARE(host.text(QStringLiteral("Logo")), QStringLiteral("Nothing selected"));
    host.set(QStringLiteral("Logo"), server.address(QStringLiteral("/huge.png")));
    QVERIFY(fetched.wait()); // given up at once, not read to the end
    QCOMPARE(host.text(QStringLiteral("Logo")), QStringLiteral("Nothing selected"));

    // Typing a path into the picture row loads it and tells the host.
    host.clickValue(QStringLiteral("Logo"));
    auto *line = host.editor<QLineEdit>("fieldoraLineEdit");
    typeInto(line, file);
    QTest::keyClick(line, Qt::Key_Return);
    QCOMPARE(host.text(QStringLiteral("Logo")), QStringLiteral("logo.png"));
    QCOMPARE(host.changes->count(), 1);
    QCOMPARE(host.changes->last().at(1).toString(), file);
}

void FieldoraTest::descriptionPaneFollowsTheSelection()
{
    GridHost host;
    host.add(Other, QStringLiteral("Name"), QString(), 0, true,
             QStringLiteral("Here you would put Node Name"));
    host.add(Other, QStringLiteral("Count"), QVariant(1), 0, true, QStringLiteral("How many"));
    auto description = [&] {
        QString text;
        QMetaObject::invokeMethod(host.control.get(), "DescriptionText",
                                  Q_RETURN_ARG(QString, text));
        return text;
    };
    const QRect name = host.row(QStringLiteral("Name"));
    host.click(QPoint(name.left() + 30, name.center().y()));
    QCOMPARE(description(), QStringLiteral("Here you would put Node Name"));
    QVERIFY(!host.editor("fieldoraLineEdit")
                 ->hasFocus()); // a click on the caption keeps the list's keys
    host.clickValue(QStringLiteral("Count"));
    QCOMPARE(description(), QStringLiteral("How many"));

    // Hiding the pane gives its 60 pixels to the list at once.
    QWidget *pane = host.control->findChild<QWidget *>(QStringLiteral("fieldoraDescription"));
    QWidget *grid = host.viewport()->parentWidget();
    const int tall = grid->height();
    QVERIFY(pane->isVisible());
    host.control->setProperty("ShowDescription", false);
    QVERIFY(!pane->isVisible());
    QCOMPARE(grid->height(), tall + 60);
}

void FieldoraTest::stateSavesLoadsAndThePropertyPageEditsIt()
{
    GridHost host;
    QVariantMap state;
    QMetaObject::invokeMethod(host.control.get(), "SaveState", Q_RETURN_ARG(QVariantMap, state));
    QCOMPARE(state.value(QStringLiteral("Version")).toString(), QStringLiteral("1.0"));
    QCOMPARE(state.value(QStringLiteral("BorderStyle")).toInt(), 4);
    QCOMPARE(state.value(QStringLiteral("ShowDescription")).toBool(), true);

    GridHost other;
    state[QStringLiteral("BorderStyle")] = 2;
    state[QStringLiteral("ShowDescription")] = false;
    QMetaObject::invokeMethod(other.control.get(), "LoadState", Q_ARG(QVariantMap, state));
    QCOMPARE(other.control->property("BorderStyle").toInt(), 2);
    QCOMPARE(other.control->property("ShowDescription").toBool(), false);
    // A state of another version gives the defaults.
    state[QStringLiteral("Version")] = QStringLiteral("2.0");
    QMetaObject::invokeMethod(other.control.get(), "LoadState", Q_ARG(QVariantMap, state));
    QCOMPARE(other.control->property("BorderStyle").toInt(), 4);
    QCOMPARE(other.control->property("ShowDescription").toBool(), true);

    GridHost page(QStringLiteral("FIELDORA.FieldoraPropPage.1"));
    QMetaObject::invokeMethod(page.control.get(), "SetObject",
                              Q_ARG(QObject *, host.control.get()));
    auto *border = page.control->findChild<QComboBox *>(QStringLiteral("fieldoraBorderStyle"));
    auto *show = page.control->findChild<QCheckBox *>(QStringLiteral("fieldoraShowDescription"));
    QCOMPARE(border->currentIndex(), 4);
    QVERIFY(show->isChecked());
    show->click();
    QCOMPARE(host.control->property("ShowDescription").toBool(), false);
    border->setCurrentIndex(1);
    emit border->activated(1);
    QCOMPARE(host.control->property("BorderStyle").toInt(), 1);
}

void FieldoraTest::hostMayClearWhileAnEventRuns()
{
    GridHost host;
    host.add(Other, QStringLiteral("Name"), QStringLiteral("a"));
    host.add(Other, QStringLiteral("Colour"), QVariant(0), 5);
    QObject::connect(host.control.get(), SIGNAL(PropertyChanged(QString, QVariant)),
                     host.control.get(), SLOT(Clear()));
    host.clickValue(QStringLiteral("Name"));
    auto *line = host.editor<QLineEdit>("fieldoraLineEdit");
    typeInto(line, QStringLiteral("b"));
    QTest::keyClick(line, Qt::Key_Return);
    QCOMPARE(host.changes->count(), 1);
    int rows = -1;
    QMetaObject::invokeMethod(host.control.get(), "RowCount", Q_RETURN_ARG(int, rows));
    QCOMPARE(rows, 0);
    QTRY_VERIFY(!host.editor("fieldoraLineEdit"));

    // The host empties the grid from ButtonClicked: the button's own action does not run.
    host.add(Other, QStringLiteral("Colour"), QVariant(0), 5);
    QObject::disconnect(host.control.get(), SIGNAL(PropertyChanged(QString, QVariant)),
                        host.control.get(), SLOT(Clear()));
    QObject::connect(host.control.get(), SIGNAL(ButtonClicked(QString, short, QObject *)),
                     host.control.get(), SLOT(Clear()));
    ModalAnswer none([](QWidget *modal) { modal->close(); });
    host.click(host.buttonOf(QStringLiteral("Colour")));
    QVERIFY(!none.answered());
}

void FieldoraTest::aboutBoxOpens()
{
    GridHost host;
    ModalAnswer close([](QWidget *modal) { qobject_cast<QDialog *>(modal)->accept(); });
    host.call("AboutBox");
    QVERIFY(close.answered());
    QCOMPARE(close.title(), QStringLiteral("About Fieldora"));
}

QTEST_MAIN(FieldoraTest)
#include "fieldora_test.moc"
