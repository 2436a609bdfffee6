#include "designer/canvas_painter.h"
#include "designer/designer_dialogs.h"
#include "designer/options_sheet.h"
#include "dialplan/asterisk_settings_form.h"
#include "tests/designer/designer_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QUndoStack>

using namespace vocara;
using namespace vocara::test;

namespace {

class Dialogs : public DesignerFixture
{
protected:
    Dialogs() { makeFrame(); }

    // Runs the next modal dialog through `answer` instead of its event loop.
    template<typename D>
    void answerWith(std::function<void(D &)> answer)
    {
        frame->setDialogRunner([answer](QDialog &dialog) {
            answer(dynamic_cast<D &>(dialog));
            return dialog.result();
        });
    }
    std::string setting(int id) const { return settings->text(id); }
    QUndoStack &stack() const { return *adapter->undoStack(); }
};

} // namespace

TEST_F(Dialogs, OptionsWriteOnlyOnOkAndOnlyThePagesThatWereShown)
{
    const QTimer &timer = frame->autoSaveTimer();
    // An interval outside 1..100 switches autosave off, whatever the box says.
    for (const char *interval : {"0", "150"}) {
        answerWith<OptionsSheet>([&](OptionsSheet &sheet) {
            sheet.autoSaveBox()->setChecked(true);
            sheet.intervalField()->setText(interval);
            sheet.accept();
        });
        frame->action("Customize")->trigger();
        EXPECT_EQ(setting(Setting::AutoSave), "0") << interval;
        EXPECT_EQ(setting(Setting::AutoSaveInterval), interval);
        EXPECT_FALSE(timer.isActive());
    }
    // A good interval: autosave on, the timer restarted with it.
    answerWith<OptionsSheet>([&](OptionsSheet &sheet) {
        EXPECT_FALSE(sheet.intervalField()->isEnabled()); // autosave is off
        sheet.autoSaveBox()->setChecked(true);
        EXPECT_TRUE(sheet.intervalField()->isEnabled());
        sheet.intervalField()->setText("5");
        sheet.toDocumentBox()->setChecked(true);
        sheet.setPathPicker([](bool folder, const QString &) {
            return folder ? QStringLiteral("/srv/flows") : QStringLiteral("/srv/flows/main.qfl");
        });
        for (QPushButton *button : sheet.findChildren<QPushButton *>()) {
            if (button->text() == "..." || button->text() == "....")
                button->click();
        }
        sheet.accept();
    });
    frame->action("Customize")->trigger();
    EXPECT_EQ(setting(Setting::AutoSave), "1");
    EXPECT_EQ(setting(Setting::AutoSaveToDoc), "1");
    EXPECT_EQ(setting(Setting::DefaultSaveFolder), "/srv/flows");
    EXPECT_EQ(setting(Setting::DefaultTreePath), "/srv/flows/main.qfl");
    EXPECT_TRUE(timer.isActive());
    EXPECT_EQ(timer.interval(), 5 * 60 * 1000);
    // Written to the file too.
    IvrSettings reread(temp / "IvrSet.xml", temp.path().string());
    reread.load(dialogs);
    EXPECT_EQ(reread.text(Setting::AutoSaveInterval), "5");

    // Colours: Cancel writes nothing even after a pick; a page never shown writes nothing.
    const std::string lineColour = setting(Setting::LineColorSel);
    answerWith<OptionsSheet>([&](OptionsSheet &sheet) {
        sheet.setColorPicker([](const QColor &) { return QColor(255, 0, 0); });
        sheet.pages()->setCurrentIndex(1);
        sheet.colorButton(Setting::LineColorSel)->click();
        EXPECT_EQ(sheet.color(Setting::LineColorSel), QColor(255, 0, 0));
        sheet.reject();
    });
    frame->action("Customize")->trigger();
    EXPECT_EQ(setting(Setting::LineColorSel), lineColour);
    answerWith<OptionsSheet>([&](OptionsSheet &sheet) {
        sheet.setColorPicker([](const QColor &) { return QColor(255, 0, 0); });
        sheet.colorButton(Setting::LineColorSel)->click();
        sheet.accept();
    });
    frame->action("Customize")->trigger();
    EXPECT_EQ(setting(Setting::LineColorSel), lineColour);
    // Shown and picked: stored as 0x00BBGGRR in decimal; the tooltip colour too.
    answerWith<OptionsSheet>([&](OptionsSheet &sheet) {
        sheet.pages()->setCurrentIndex(1);
        sheet.setColorPicker([](const QColor &) { return QColor(0x12, 0x34, 0x56); });
        sheet.colorButton(Setting::LineColorSel)->click();
        sheet.colorButton(Setting::ToolTipColor)->click();
        sheet.accept();
    });
    frame->action("Customize")->trigger();
    EXPECT_EQ(setting(Setting::LineColorSel), std::to_string(0x563412));
    EXPECT_EQ(storedColor(settings->number(Setting::ToolTipColor)), QColor(0x12, 0x34, 0x56));
}

TEST_F(Dialogs, TheValidationWindowListsTheErrorsAndFindsTheirNodes)
{
    openFlow(MenuFlow);
    frame->action("&Validation")->trigger();
    ValidationWindow &window = frame->validationWindow();
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.isModal());
    EXPECT_EQ(window.list()->count(), 0);
    EXPECT_EQ(window.status()->text(), "No Errors!");

    // Two nodes with errors, far down the canvas.
    const NodeId bye = doc().nodeAt({30, 0});
    adapter->mutableDoc().setNodeName(bye, "");
    adapter->mutableDoc().setNodeValue(doc().nodeAt({1, 0}), "file", "");
    EXPECT_EQ(frame->action("&Validation")->shortcut(), QKeySequence(Qt::Key_F7));
    frame->action("&Validation")->trigger();
    ASSERT_EQ(window.list()->count(), 2);
    EXPECT_EQ(window.status()->text(), "2 Error(s) have been found");
    // The list scrolls sideways for long lines rather than cutting them.
    EXPECT_EQ(window.list()->item(0)->text().toStdString(), doc().errorLines()[0]);

    // A double-click selects the line's node and brings it into view.
    const int row = doc().errorNodes()[0] == bye ? 0 : 1;
    QListWidgetItem *item = window.list()->item(row);
    const QRect rect = window.list()->visualItemRect(item);
    // As a user does it: the first click of the two selects the line.
    QTest::mouseClick(window.list()->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(window.list()->viewport(), Qt::LeftButton, {}, rect.center());
    EXPECT_EQ(view().selectedNode(), bye);
    const QPoint at = view().viewportPoint({24, 30 * CellSize + 24});
    EXPECT_TRUE(view().viewport()->rect().contains(at));
}

TEST_F(Dialogs, HotKeysTextIsExact)
{
    const QString expected = QStringLiteral(
        "CTRL+C\r\n\tCopy the Selected Nodes if exist\r\n"
        "CTRL+X\r\n\tCut the Selected Nodes if exist\r\n"
        "CTRL+V\r\n\tPaste the nodes in clipboard if exist\r\n"
        "CTRL+Z\r\n\tUndo Delete the nodes if exist\r\n"
        "LEFT\r\n\tMoves the Call Flow view left\r\n"
        "UP\r\n\tMoves the Call Flow view up\r\n"
        "RIGHT\r\n\tMoves the Call Flow view right\r\n"
        "DOWN\r\n\tMoves the Call Flow view down\r\n"
        "CTRL+LEFT\r\n\tMoves the Selected Action left\r\n"
        "CTRL+UP\r\n\tMoves the Selected Action up\r\n"
        "CTRL+RIGHT\r\n\tMoves the Selected Action right\r\n"
        "CTRL+DOWN\r\n\tMoves the Selected Action down\r\n"
        "DEL\r\n\tDeletes the current selected Action or Link\r\n"
        "ESC\r\n\tClears the current Link selection if any\r\n"
        "RightClick\r\n\tShow the right click menu\r\n"
        "MouseScroll UP/DOWN\r\n\tMoves the Call Flow view Up and Down\r\n"
        "MouseScroll UP/DOWN +RightDown\r\n\tMoves the Call Flow view Left and Right\r\n");
    EXPECT_EQ(hotKeysText().toUtf8(), expected.toUtf8());
    bool shown = false;
    answerWith<HotKeysDialog>([&](HotKeysDialog &dialog) {
        shown = true;
        EXPECT_EQ(dialog.windowTitle(), "Keyboard Shortcuts");
        EXPECT_TRUE(dialog.text()->isReadOnly());
        EXPECT_EQ(dialog.text()->toPlainText(), QString(expected).remove(QLatin1Char('\r')));
    });
    frame->action("Keyboard Shortcuts")->trigger();
    EXPECT_TRUE(shown);
}

TEST_F(Dialogs, AttachedFilesAreSavedAsOneUndoStep)
{
    openFlow(MenuFlow);
    // A long path is kept whole.
    const std::string longPath = "/srv/" + std::string(300, 'p') + "/prompt.wav";
    answerWith<AttachFilesDialog>([&](AttachFilesDialog &dialog) {
        dialog.setFilePicker([&] { return QString::fromStdString(longPath); });
        dialog.browseButton()->click();
        dialog.setFilePicker([] { return QStringLiteral("/srv/menu.wav"); });
        dialog.browseButton()->click();
        dialog.list()->setCurrentRow(1);
        dialog.removeButton()->click();
        dialog.browseButton()->click();
        dialog.saveButton()->click();
    });
    frame->action("Attach Files")->trigger();
    EXPECT_EQ(doc().attachedFiles(), (std::vector<std::string>{longPath, "/srv/menu.wav"}));
    EXPECT_EQ(stack().count(), 1);
    EXPECT_TRUE(doc().isModified());
    stack().undo();
    EXPECT_TRUE(doc().attachedFiles().empty());
    EXPECT_FALSE(doc().isModified());
    // Closed without "Save Changes": nothing changes.
    answerWith<AttachFilesDialog>([&](AttachFilesDialog &dialog) {
        dialog.setFilePicker([] { return QStringLiteral("/srv/other.wav"); });
        dialog.browseButton()->click();
        dialog.reject();
    });
    frame->action("Attach Files")->trigger();
    EXPECT_TRUE(doc().attachedFiles().empty());
}

TEST_F(Dialogs, AsteriskSettingsNeedAnEditAndSetThePathVariables)
{
    adapter->newDocument(); // an asterisk-mode flow
    answerWith<AsteriskSettingsDialog>([&](AsteriskSettingsDialog &dialog) {
        // The defaults, shown and already stored; OK waits for an edit.
        EXPECT_EQ(dialog.field("Record File Path")->text(), "/home/RecordedFiles/");
        EXPECT_EQ(dialog.field("Context Destination")->text(), "[context-setting]");
        EXPECT_FALSE(dialog.okButton()->isEnabled());
        EXPECT_FALSE(dialog.serverGroup()->isEnabled());
        dialog.box("Save in Asterisk Server")->click();
        EXPECT_TRUE(dialog.serverGroup()->isEnabled());
        EXPECT_TRUE(dialog.okButton()->isEnabled());
        QTest::keyClicks(dialog.field("ServerIP"), "10.0.0.300");
        EXPECT_EQ(dialog.field("ServerIP")->text(), "10.0.0.30"); // a part above 255 stops
        dialog.field("TTSFiles Path")->clear();
        QTest::keyClicks(dialog.field("TTSFiles Path"), "/var/tts/");
        dialog.accept();
    });
    frame->action("Asterisk")->trigger();
    const DialplanSettings &stored = doc().dialplanSettings();
    EXPECT_TRUE(stored.CheckServerSave);
    EXPECT_EQ(stored.ServerIP, "10.0.0.30");
    EXPECT_EQ(stored.TTSFilesPath, "/var/tts/");
    const VariableList &variables = doc().variables();
    EXPECT_EQ(variables.at(size_t(variables.indexOfIgnoringCase("TTSPath"))).defaultValue,
              "/var/tts/");
    ASSERT_EQ(stack().count(), 1);
    stack().undo();
    EXPECT_FALSE(doc().dialplanSettings().CheckServerSave);
    EXPECT_EQ(variables.at(size_t(variables.indexOfIgnoringCase("TTSPath"))).defaultValue,
              "/home/TTSFiles/");

    // Outside asterisk mode the dialog does not open.
    openFlow(MenuFlow);
    frame->action("Asterisk")->trigger();
    EXPECT_EQ(dialogs.texts().back(), "Must be in asterisk mode");
}

TEST_F(Dialogs, NewFlowsAreForTodaysAsteriskAndTheDialogChoosesTheDialect)
{
    adapter->newDocument();
    EXPECT_EQ(doc().dialplanSettings().Dialect, DialplanDialect::Modern);
    EXPECT_FALSE(doc().isModified()); // nothing to save in a flow just begun
    answerWith<AsteriskSettingsDialog>([&](AsteriskSettingsDialog &dialog) {
        ASSERT_NE(dialog.dialect(), nullptr);
        EXPECT_EQ(dialog.dialect()->currentText(), "Asterisk 18 and later");
        EXPECT_FALSE(dialog.okButton()->isEnabled());
        // Chosen with the keyboard, as the combo box lets one.
        dialog.dialect()->setFocus();
        QTest::keyClick(dialog.dialect(), Qt::Key_Down);
        EXPECT_EQ(dialog.dialect()->currentText(), "Asterisk 1.4 (classic)");
        EXPECT_TRUE(dialog.okButton()->isEnabled());
        dialog.accept();
    });
    frame->action("Asterisk")->trigger();
    EXPECT_EQ(doc().dialplanSettings().Dialect, DialplanDialect::Classic);
    stack().undo();
    EXPECT_EQ(doc().dialplanSettings().Dialect, DialplanDialect::Modern);

    // A file keeps what it says: the sample menu says nothing, so it stays classic.
    openFlow(MenuFlow);
    EXPECT_EQ(doc().dialplanSettings().Dialect, DialplanDialect::Classic);
}

TEST_F(Dialogs, AboutShowsTheIconAndLeadsToTheGuide)
{
    bool shown = false;
    answerWith<AboutDialog>([&](AboutDialog &about) {
        shown = true;
        const auto *icon = about.findChild<QLabel *>(QStringLiteral("aboutIcon"));
        ASSERT_NE(icon, nullptr);
        EXPECT_FALSE(icon->pixmap().isNull());
        EXPECT_TRUE(about.text()->text().contains(QStringLiteral("Read the user guide")));
        // The link opens the guide; this install folder has none, and says so.
        emit about.text()->linkActivated(QStringLiteral("guide"));
    });
    frame->action("&About Vocara...")->trigger();
    EXPECT_TRUE(shown);
    EXPECT_EQ(dialogs.texts().back(), "The specified file was not found.");
}
