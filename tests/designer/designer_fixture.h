#pragma once

#include "designer/document_adapter.h"
#include "designer/main_frame.h"
#include "designer/vocara_view.h"
#include "dialplan/dialplan_export.h"
#include "document/ivr_settings.h"
#include "document/recording_dialogs.h"
#include "platform/registry.h"
#include "tests/support/temp_folder.h"

#include <QApplication>
#include <QDialog>
#include <QMenu>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

namespace vocara::test {

// A flow with a start, a menu with three branches, and a long way down.
inline const std::string MenuFlow =
    R"(<?xml standalone="no" ?><QenIvr><Start version="3">)"
    R"(<PlayWave file="a.wav" type="sync" Tooltip="greets the caller" name="Welcome" X="1" Y="0">)"
    R"(<Compare var1="1" op="=" var2="1" Tooltip="" name="Check" X="2" Y="0">)"
    R"(<BranchIf value="True" Tooltip="" name="Yes" X="3" Y="0">)"
    R"(<Hang Tooltip="" name="Bye" X="30" Y="0"/></BranchIf>)"
    R"(<BranchIf value="False" Tooltip="" name="No" X="3" Y="2"/>)"
    R"(</Compare></PlayWave></Start></QenIvr>)";

// The main window over a real document, settings and registry in a temporary folder, with
// every message box answered by the recorder.
class DesignerFixture : public ::testing::Test
{
protected:
    DesignerFixture()
        : registry(temp / "registry")
    {
        settings = std::make_unique<IvrSettings>(temp / "IvrSet.xml", temp.path().string());
        settings->load(dialogs);
    }

    void makeFrame()
    {
        adapter = std::make_unique<DocumentAdapter>(dialogs);
        CVocaraDoc &doc = adapter->mutableDoc();
        doc.setUserFolder(temp.path());
        doc.setDefaultSaveFolder(temp.path().string());
        doc.setExporter(&exporter);
        FrameContext context;
        context.settings = settings.get();
        context.registry = &registry;
        context.dialogs = &dialogs;
        context.installFolder = QString::fromStdString(temp.path().string());
        context.propertyGridPlugins = plugins;
        context.simulatorTimeScale = timeScale;
        if (!installFolder.isEmpty())
            context.installFolder = installFolder;
        frame = std::make_unique<CMainFrame>(*adapter, context);
        // A right-click menu would wait for a click that never comes.
        frame->setMenuRunner([](QMenu &) {});
        frame->setDialogRunner([](QDialog &) { return int(QDialog::Rejected); });
        frame->resize(1000, 700);
        frame->show();
        adapter->newDocument();
        dialogs.clear();
    }

    // Opens a flow written into the temporary folder.
    void openFlow(const std::string &text, const std::string &name = "menu.qfl")
    {
        writeText(temp / name, text);
        ASSERT_TRUE(frame->fileOpen(QString::fromStdString((temp / name).string())));
        dialogs.clear();
    }

    // The flow as a save would write it now (autosave.conf for a dialplan, else autosave.qfl).
    std::string flowText() const
    {
        EXPECT_TRUE(adapter->writeExitAutosave());
        return readText(temp / (doc().isAsteriskMode() ? "autosave.conf" : "autosave.qfl"));
    }
    CVocaraView &view() const { return *frame->view(); }
    QWidget *canvas() const { return frame->view()->viewport(); }
    const CVocaraDoc &doc() const { return adapter->doc(); }
    // The viewport point at the middle of a cell's node box.
    QPoint cellCentre(Cell cell) const
    {
        return view().viewportPoint({cell.column * CellSize + 24, cell.row * CellSize + 24});
    }
    void click(QPoint at, Qt::KeyboardModifiers modifiers = {},
               Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseClick(canvas(), button, modifiers, at);
    }

    TempFolder temp;
    // The property grid's plugin as this build made it.
    QStringList plugins{QStringLiteral(FIELDORA_PLUGIN_FILE)};
    // The simulator's time scale and install folder (tones, sample prompts), when a test wants.
    double timeScale = 1.0;
    QString installFolder;
    RecordingDialogs dialogs{Answer::No};
    Registry registry;
    std::unique_ptr<IvrSettings> settings;
    AsteriskExporter exporter;
    std::unique_ptr<DocumentAdapter> adapter;
    std::unique_ptr<CMainFrame> frame;
};

} // namespace vocara::test
