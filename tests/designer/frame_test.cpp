// The main window: commands, tools per mode, toolbars, docks, autosave, files.
#include "designer/variables_bar.h"
#include "tests/designer/designer_fixture.h"

#include <QDockWidget>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>

using namespace vocara;
using namespace vocara::test;

namespace {

class Frame : public DesignerFixture
{};

// Every command of a menu, submenus included.
void collect(QMenu *menu, QList<QAction *> &into)
{
    for (QAction *action : menu->actions()) {
        if (action->menu())
            collect(action->menu(), into);
        else if (!action->isSeparator())
            into.append(action);
    }
}

} // namespace

TEST_F(Frame, MenusCarryTheirTextsAndNoCommandIsADeadClick)
{
    makeFrame();
    QStringList titles;
    for (QAction *menu : frame->menuBar()->actions())
        titles << menu->text();
    EXPECT_EQ(titles, (QStringList{"&File", "&Edit", "&View", "&Insert", "Settings", "&Help"}));
    EXPECT_EQ(frame->action("&Open...")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_O));
    EXPECT_EQ(frame->action("&Validation")->shortcut(), QKeySequence(Qt::Key_F7));
    // Commands whose part is still to come are there, greyed.
    QList<QAction *> commands;
    for (QAction *menu : frame->menuBar()->actions())
        collect(menu->menu(), commands);
    int waiting = 0;
    for (QAction *command : commands) {
        if (command->property("later").toBool()) {
            EXPECT_FALSE(command->isEnabled()) << command->text().toStdString();
            ++waiting;
        }
    }
    EXPECT_GT(waiting, 0);
    EXPECT_GT(commands.size(), 60);
}

TEST_F(Frame, NodeToolsFollowTheModeAndStayPressed)
{
    makeFrame();
    auto enabled = [&](const char *text) {
        return frame->action(text)->isEnabled();
    };
    openFlow(MenuFlow); // flow mode
    EXPECT_FALSE(enabled("GetMultiDTMF"));
    EXPECT_TRUE(enabled("Transfer PBX"));
    EXPECT_TRUE(enabled("Send Email"));
    frame->fileNew(); // File New: asterisk mode
    ASSERT_TRUE(doc().isAsteriskMode());
    for (const char *greyed :
         {"Transfer PBX", "Send SMS", "Send Fax", "Send Email", "Access Register"})
        EXPECT_FALSE(enabled(greyed)) << greyed;
    EXPECT_TRUE(enabled("GetMultiDTMF"));

    frame->action("Wait")->trigger();
    EXPECT_EQ(view().tool(), Kind::Wait);
    EXPECT_TRUE(frame->action("Wait")->isChecked());
    frame->action("Arrow")->trigger();
    EXPECT_EQ(view().tool(), 50);
    EXPECT_FALSE(frame->action("Wait")->isChecked());
}

TEST_F(Frame, ToolbarSidesComeFromTheSettingsAndAreWrittenBack)
{
    settings->setNumber(Setting::ToolbarMainPosition, 16384);
    settings->setNumber(Setting::ToolbarTruePosition, 0);
    makeFrame();
    EXPECT_EQ(frame->toolBarArea(frame->mainToolBar()), Qt::RightToolBarArea);
    EXPECT_EQ(frame->toolBarArea(frame->nodeToolBar()), Qt::TopToolBarArea);
    frame->addToolBar(Qt::BottomToolBarArea, frame->mainToolBar());
    frame->close();
    IvrSettings reread(temp / "IvrSet.xml", temp.path().string());
    reread.load(dialogs);
    EXPECT_EQ(reread.number(Setting::ToolbarMainPosition), 32768);
    EXPECT_EQ(reread.number(Setting::ToolbarTruePosition), 8192);
    EXPECT_EQ(reread.get(Setting::ViewLeftSize), std::optional<std::string>("0"));
    // The bars' sizes are kept in the per-user profile.
    EXPECT_TRUE(registry
                    .value("HKEY_CURRENT_USER",
                           "Software\\Local AppWizard-Generated Applications\\Vocara\\"
                           "Properties-SCBar-1",
                           "sizeVertCX")
                    .has_value());
}

TEST_F(Frame, DocksToggleWithTheirViewMenuMarks)
{
    makeFrame();
    QAction *properties = frame->action("Properties");
    EXPECT_TRUE(properties->isChecked());
    properties->trigger();
    EXPECT_TRUE(frame->propertiesDock()->isHidden());
    frame->propertiesDock()->show();
    EXPECT_TRUE(properties->isChecked());
    frame->action("Va&riables")->trigger();
    EXPECT_TRUE(frame->variableDock()->isHidden());
    EXPECT_EQ(frame->dockWidgetArea(frame->propertiesDock()), Qt::LeftDockWidgetArea);
}

TEST_F(Frame, AutosaveIntervalRules)
{
    settings->setText(Setting::AutoSave, "1");
    settings->setText(Setting::AutoSaveInterval, "0");
    makeFrame();
    EXPECT_FALSE(frame->autoSaveTimer().isActive());
    IvrSettings reread(temp / "IvrSet.xml", temp.path().string());
    reread.load(dialogs);
    EXPECT_EQ(reread.text(Setting::AutoSave), "0"); // written back

    settings->setText(Setting::AutoSave, "1");
    settings->setText(Setting::AutoSaveInterval, "3");
    frame->restartAutoSave();
    EXPECT_TRUE(frame->autoSaveTimer().isActive());
    EXPECT_EQ(frame->autoSaveTimer().interval(), 3 * 60000);
    settings->setText(Setting::AutoSave, "0");
    frame->restartAutoSave();
    EXPECT_FALSE(frame->autoSaveTimer().isActive());
}

TEST_F(Frame, FilesOpenSaveAndComeBackThroughRecentFiles)
{
    makeFrame();
    openFlow(MenuFlow);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("menu.qfl - Vocara"));
    const QString saved = QString::fromStdString((temp / "copy").string());
    frame->setFileChooser(
        [&](CMainFrame::FileChoice choice, const QString &, const QString &filter) {
            EXPECT_EQ(choice, CMainFrame::FileChoice::SaveAs);
            EXPECT_EQ(filter, QStringLiteral("QEN Files (*.qfl)"));
            return saved;
        });
    ASSERT_TRUE(frame->fileSaveAs());
    EXPECT_TRUE(std::filesystem::exists(temp / "copy.qfl")); // the extension is added
    EXPECT_EQ(frame->recentFiles().files().front(),
              QString::fromStdString((temp / "copy.qfl").string()));

    // A second window reads the list back from the registry store.
    frame.reset();
    makeFrame();
    EXPECT_EQ(frame->recentFiles().files().size(), 2);

    // A changed flow asks before File New; Cancel keeps it.
    openFlow(MenuFlow);
    adapter->mutableDoc().setModified(true);
    EXPECT_EQ(frame->windowTitle(), QStringLiteral("menu.qfl* - Vocara"));
    dialogs.queueAnswer(Answer::Cancel);
    EXPECT_FALSE(frame->fileNew());
    EXPECT_EQ(doc().title(), "menu.qfl");
}

TEST_F(Frame, ValidationCountsInTheStatusBarAndAsteriskSettingsNeedTheMode)
{
    makeFrame();
    openFlow(MenuFlow);
    frame->action("&Validation")->trigger();
    EXPECT_EQ(frame->statusBar()->currentMessage(), QStringLiteral("No Errors!"));
    adapter->mutableDoc().setNodeName(doc().nodeAt({30, 0}), "");
    frame->action("&Validation")->trigger();
    EXPECT_EQ(frame->statusBar()->currentMessage(), QStringLiteral("1 Error(s) have been found"));
    frame->action("Asterisk")->trigger();
    EXPECT_EQ(dialogs.texts().back(), "Must be in asterisk mode");
    // Help names the guide it cannot find.
    frame->action("Contains")->trigger();
    EXPECT_EQ(dialogs.texts().back(), "The specified file was not found.");
}

TEST_F(Frame, ExitAsksAboutAChangedFlowAndPanesTakeTurnsWithF6)
{
    makeFrame();
    openFlow(MenuFlow);
    adapter->mutableDoc().setModified(true);
    dialogs.queueAnswer(Answer::Cancel);
    frame->action("E&xit")->trigger();
    EXPECT_TRUE(frame->isVisible()); // cancelled
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"Save changes to menu.qfl?"});

    QApplication::setActiveWindow(frame.get());
    view().setFocus();
    // Each bar passes the focus on to its first control.
    QTest::keyClick(frame.get(), Qt::Key_F6);
    EXPECT_TRUE(frame->propertiesDock()->widget()->hasFocus());
    QTest::keyClick(frame.get(), Qt::Key_F6);
    EXPECT_TRUE(frame->variableDock()->widget()->hasFocus());
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget *>(frame->variablesBar()->list()));
    QTest::keyClick(frame.get(), Qt::Key_F6, Qt::ShiftModifier);
    EXPECT_TRUE(frame->propertiesDock()->widget()->hasFocus());

    // Closing without saving still keeps the flow as autosave.qfl, asking nothing more.
    dialogs.clear();
    dialogs.queueAnswer(Answer::No);
    EXPECT_TRUE(frame->close());
    EXPECT_EQ(dialogs.texts().size(), 1u);
    EXPECT_TRUE(std::filesystem::exists(temp / "autosave.qfl"));
}
