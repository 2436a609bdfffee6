// A designer session to be killed: opens FLOW, places COUNT nodes the way the node tools do,
// waits until the recovery snapshot holds the last of them, writes into EXPECTED what a save
// would write, says "ready" and waits to be killed.
// usage: recovery_child FLOW EXPECTED COUNT   (VOCARA_USER_DIR names the user folder)
#include "designer/document_adapter.h"
#include "designer/edit_commands.h"
#include "designer/recovery_keeper.h"
#include "dialplan/dialplan_export.h"
#include "document/node_kind.h"
#include "document/recording_dialogs.h"
#include "platform/atomic_file.h"
#include "platform/folders.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

using namespace vocara;

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 4)
        return 2;
    RecordingDialogs dialogs(Answer::Yes);
    AsteriskExporter exporter;
    DocumentAdapter adapter(dialogs);
    CVocaraDoc &doc = adapter.mutableDoc();
    doc.setUserFolder(userFolder());
    doc.setDefaultSaveFolder(userFolder().string());
    doc.setExporter(&exporter);
    adapter.newDocument();
    if (!adapter.open(QString::fromLocal8Bit(argv[1])))
        return 3;
    RecoveryKeeper keeper(adapter, userFolder() / RecoveryStore::FolderName,
                          RecoveryKeeper::scheduleFromEnvironment());
    if (!keeper.start())
        return 4;
    const int count = std::atoi(argv[3]);
    for (int i = 0; i < count; ++i)
        adapter.undoStack()->push(new AddNodeCommand(adapter, {10 + i, 5 + i}, Kind::SetVar));

    // Ready once the snapshot on disk is the flow as it now stands.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const std::optional<std::string> written =
            readWholeFile(keeper.store().folder() / RecoveryStore::FlowName);
        if (!written || *written != doc.preparedFlowText())
            return;
        poll.stop();
        // What a save would write, without saving: the snapshot must stay.
        if (!doc.save(argv[2], true))
            std::exit(5);
        std::printf("ready\n");
        std::fflush(stdout);
    });
    poll.start(10);
    return app.exec();
}
