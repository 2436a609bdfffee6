#include "designer/edit_commands.h"
#include "designer/properties_bar.h"
#include "designer/variables_bar.h"
#include "document/messages.h"
#include "tests/designer/designer_fixture.h"

#include <QAbstractScrollArea>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QUndoStack>

using namespace vocara;
using namespace vocara::test;

namespace {

class Bars : public DesignerFixture
{
protected:
    Bars() { makeFrame(); }

    PropertiesBar &bar() const { return *frame->propertiesBar(); }
    VariablesBar &variables() const { return *frame->variablesBar(); }
    QUndoStack &stack() const { return *adapter->undoStack(); }
    NodeId at(Cell cell) const { return doc().nodeAt(cell); }

    QVariant shown(const QString &caption) const { return bar().fieldora().GetValue(caption); }
    QRect rowRect(const QString &caption) const
    {
        QRect rect;
        QMetaObject::invokeMethod(bar().grid(), "RowRect", Q_RETURN_ARG(QRect, rect),
                                  Q_ARG(QString, caption));
        return rect;
    }
    // A click in a row's value column, as a user opens its editor.
    void clickValue(const QString &caption) const
    {
        const QRect rect = rowRect(caption);
        EXPECT_FALSE(rect.isEmpty()) << caption.toStdString();
        QWidget *viewport = bar()
                                .grid()
                                ->findChild<QAbstractScrollArea *>(QStringLiteral("fieldoraGrid"))
                                ->viewport();
        const QPoint point(rect.left() + rect.width() * 3 / 4, rect.center().y());
        QTest::mouseClick(viewport, Qt::LeftButton, {}, viewport->mapFrom(bar().grid(), point));
    }
    template<typename T>
    T *editor(const char *name) const
    {
        for (T *widget : bar().grid()->findChildren<T *>(QString::fromLatin1(name))) {
            if (widget->isVisible())
                return widget;
        }
        return nullptr;
    }
    // Types a new text into a row's line editor and commits it with Enter.
    void type(const QString &caption, const QString &text) const
    {
        clickValue(caption);
        QLineEdit *line = editor<QLineEdit>("fieldoraLineEdit");
        ASSERT_NE(line, nullptr) << caption.toStdString();
        QTest::keyClick(line, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(line, text);
        QTest::keyClick(line, Qt::Key_Return);
    }
    std::vector<NodeKind> childKinds(NodeId id) const
    {
        std::vector<NodeKind> kinds;
        for (NodeId child : doc().node(id)->children)
            kinds.push_back(doc().node(child)->kind);
        return kinds;
    }
    void fill(const QString &name, const QString &value, const QString &description) const
    {
        variables().nameField()->setText(name);
        variables().valueField()->setText(value);
        variables().descriptionField()->setText(description);
    }
    QStringList listedNames() const
    {
        QStringList names;
        for (int i = 0; i < variables().list()->topLevelItemCount(); ++i)
            names << variables().list()->topLevelItem(i)->text(0);
        return names;
    }
};

} // namespace

TEST_F(Bars, TheGridFollowsTheSelectionAndEachCommitIsOneUndoStep)
{
    openFlow(MenuFlow);
    ASSERT_NE(bar().grid(), nullptr);
    EXPECT_EQ(bar().shownNode(), NoNode);
    click(cellCentre({1, 0}));
    const NodeId welcome = at({1, 0});
    EXPECT_EQ(bar().shownNode(), welcome);
    EXPECT_EQ(shown("Node Name").toString(), "Welcome");
    EXPECT_EQ(shown("File Path").toString(), "a.wav");
    EXPECT_EQ(shown("Functionality").toString(), "Play a Wave File");

    const int before = stack().count();
    type("Write ToolTip", "hello");
    EXPECT_EQ(doc().nodeValue(welcome, "Tooltip"), "hello");
    EXPECT_TRUE(doc().isModified());
    // Typing into the same property again is still one step.
    type("Write ToolTip", "hello there");
    EXPECT_EQ(stack().count(), before + 1);
    EXPECT_EQ(stack().undoText(), "Write ToolTip");
    stack().undo();
    EXPECT_EQ(doc().nodeValue(welcome, "Tooltip"), "greets the caller");
    EXPECT_EQ(shown("Write ToolTip").toString(), "greets the caller");
    EXPECT_FALSE(doc().isModified());
    stack().redo();
    EXPECT_EQ(shown("Write ToolTip").toString(), "hello there");

    // A name another node bears is refused without a word; the row shows the old name.
    type("Node Name", "Check");
    EXPECT_EQ(doc().node(welcome)->name, "Welcome");
    EXPECT_EQ(shown("Node Name").toString(), "Welcome");
    EXPECT_TRUE(dialogs.texts().empty());
    type("Node Name", "Greeting");
    EXPECT_EQ(doc().node(welcome)->name, "Greeting");

    // Saved as edited.
    ASSERT_TRUE(frame->fileSave());
    const std::string text = readText(temp / "menu.qfl");
    EXPECT_NE(text.find(R"(Tooltip="hello there" name="Greeting")"), std::string::npos);

    // Another node, then nothing.
    click(cellCentre({2, 0}));
    EXPECT_EQ(shown("Node Name").toString(), "Check");
    QTest::keyClick(&view(), Qt::Key_Escape);
    EXPECT_EQ(bar().shownNode(), NoNode);
    EXPECT_FALSE(bar().notice()->isHidden());
}

TEST_F(Bars, UserInputBranchesFollowTheCheckBoxesAndKeys)
{
    adapter->newDocument(); // an asterisk-mode flow
    auto *add = new AddNodeCommand(*adapter, {2, 0}, Kind::UserInput,
                                   {true, true, true, {1, 2, 11}, false});
    stack().push(add);
    const NodeId input = add->node();
    view().selectNode(input);
    EXPECT_EQ(bar().shownNode(), input);
    EXPECT_EQ(shown("DTMF Enabled").toBool(), true);
    const std::vector<NodeId> branches = doc().node(input)->children;
    ASSERT_EQ(branches.size(), 5u);

    // A click on "DTMF Enabled" unticks it and takes every keypad branch, as one step.
    const int steps = stack().count();
    clickValue("DTMF Enabled");
    QCheckBox *box = editor<QCheckBox>("fieldoraCheckBox");
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->isChecked());
    EXPECT_EQ(stack().count(), steps + 1);
    EXPECT_EQ(doc().nodeValue(input, "dtmf"), "0");
    EXPECT_TRUE(doc().node(input)->children.empty());
    EXPECT_EQ(at({3, 0}), NoNode);
    stack().undo();
    EXPECT_EQ(doc().node(input)->children, branches);
    EXPECT_EQ(shown("DTMF Enabled").toBool(), true);
    stack().redo();
    EXPECT_TRUE(doc().node(input)->children.empty());
    stack().undo();

    // "Allowed Keys" 12# to 23: the 1 and # branches go, a 3 comes after the 2.
    type("Allowed Keys", "23");
    EXPECT_EQ(childKinds(input), (std::vector<NodeKind>{branchKindForKey(2), Kind::BranchIfTimeOut,
                                                        Kind::BranchIfError, branchKindForKey(3)}));
    const NodeId two = doc().node(input)->children[0];
    const NodeId three = doc().node(input)->children[3];
    EXPECT_EQ(doc().node(three)->cell.column, doc().node(two)->cell.column + 1);
    const std::string saved = flowText();
    stack().undo();
    EXPECT_EQ(doc().node(input)->children, branches);
    stack().redo();
    EXPECT_EQ(doc().node(input)->children[3], three); // the same node again
    EXPECT_EQ(flowText(), saved);
}

TEST_F(Bars, ADatabasePasswordShowsItsMask)
{
    adapter->newDocument();
    auto *add = new AddNodeCommand(*adapter, {1, 0}, Kind::DbTransaction);
    stack().push(add);
    view().selectNode(add->node());
    type("User Password", "abc");
    EXPECT_EQ(shown("User Password").toString(), "***");
    EXPECT_EQ(doc().node(add->node())->values[PasswordSlot], "abc");
    EXPECT_EQ(doc().nodeValue(add->node(), "password"), "***");
}

TEST_F(Bars, VariablesAreAddedModifiedAndDeletedAsUndoSteps)
{
    openFlow(MenuFlow);
    const QStringList start = listedNames();
    EXPECT_TRUE(start.contains("lang"));
    fill("count", "0", "calls so far");
    QTest::mouseClick(variables().addButton(), Qt::LeftButton);
    EXPECT_EQ(listedNames(), start + QStringList{"count"});
    EXPECT_TRUE(variables().nameField()->text().isEmpty());
    EXPECT_TRUE(doc().isModified());
    EXPECT_EQ(stack().undoText(), "Add count");

    // Choosing a row fills the fields; Modify changes the value.
    QTreeWidgetItem *row = variables().list()->topLevelItem(int(start.size()));
    variables().list()->setCurrentItem(row);
    EXPECT_EQ(variables().nameField()->text(), "count");
    EXPECT_EQ(variables().descriptionField()->text(), "calls so far");
    variables().valueField()->setText("5");
    QTest::mouseClick(variables().modifyButton(), Qt::LeftButton);
    EXPECT_EQ(doc().variables().at(size_t(start.size())).defaultValue, "5");

    // Refusals, each with its message and nothing changed.
    const int steps = stack().count();
    fill("9lives", "", "");
    QTest::mouseClick(variables().addButton(), Qt::LeftButton);
    fill("timenow", "", "");
    QTest::mouseClick(variables().addButton(), Qt::LeftButton);
    variables().list()->setCurrentItem(variables().list()->topLevelItem(0)); // lang
    QTest::mouseClick(variables().deleteButton(), Qt::LeftButton);
    EXPECT_EQ(dialogs.texts(), (std::vector<std::string>{Msg::VariableStartsWithNumber.data(),
                                                         Msg::ReservedVariableName.data(),
                                                         Msg::CantDeleteBuiltInVariable.data()}));
    EXPECT_EQ(stack().count(), steps);
    EXPECT_TRUE(variables().nameField()->hasFocus() || !frame->isActiveWindow());

    // Deleting a user variable; undo brings it back into the list.
    variables().list()->setCurrentItem(variables().list()->topLevelItem(int(start.size())));
    QTest::mouseClick(variables().deleteButton(), Qt::LeftButton);
    EXPECT_EQ(listedNames(), start);
    stack().undo();
    EXPECT_EQ(listedNames(), start + QStringList{"count"});
    EXPECT_EQ(variables().list()->topLevelItem(int(start.size()))->text(1), "5");

    // A new flow has only its own variables again.
    adapter->mutableDoc().setModified(false);
    ASSERT_TRUE(frame->fileNew());
    EXPECT_FALSE(listedNames().contains("count"));
}

TEST_F(Bars, AMissingPluginIsSaidInOneLine)
{
    frame.reset();
    plugins = {QString::fromStdString((temp / "nowhere" / "libfieldora.so").string())};
    makeFrame();
    EXPECT_EQ(bar().grid(), nullptr);
    EXPECT_TRUE(bar().notice()->text().startsWith(
        "The property grid could not be loaded, so properties cannot be edited here: "));
    openFlow(MenuFlow);
    click(cellCentre({1, 0}));
    EXPECT_EQ(view().selectedNode(), at({1, 0}));
}
