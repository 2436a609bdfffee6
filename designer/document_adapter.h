#pragma once

#include "document/clip_block.h"
#include "document/document_observer.h"
#include "document/recovery_store.h"
#include "document/vocara_doc.h"

#include <QObject>
#include <QUndoStack>

#include <memory>

namespace vocara {

class UserDialogs;

// The designer's hold on the flow: owns the core document and the undo stack, and announces
// every change the document makes as a signal. Widgets read the document through `doc()` and
// change it only through this adapter (and, for edits, through undo commands on `undoStack()`).
class DocumentAdapter : public QObject
{
    Q_OBJECT

public:
    explicit DocumentAdapter(UserDialogs &dialogs, QObject *parent = nullptr);
    ~DocumentAdapter() override;

    const CVocaraDoc &doc() const { return *m_doc; }
    // For the few owners that configure it (folders, exporter) and for undo commands.
    CVocaraDoc &mutableDoc() { return *m_doc; }
    QUndoStack *undoStack() { return &m_undo; }

    bool newDocument();
    bool open(const QString &path);
    bool save(const QString &path);
    // Opens a recovery snapshot as unsaved work named after its own file.
    bool restore(const RecoverySnapshot &snapshot);
    // Writes the flow into the default save folder as autosave.qfl or autosave.conf: no
    // questions, no server. Used when the designer closes.
    bool writeExitAutosave();
    bool validate();
    void setSimulatorRunning(bool running);

    // What Copy took last, as value snapshots (it outlives the nodes and the flow).
    const std::vector<ClipRecord> &copyList() const { return m_copyList; }
    void setCopyList(std::vector<ClipRecord> records) { m_copyList = std::move(records); }

    // The file name shown in the title bar: the document's title, or "Untitled".
    QString displayName() const;

signals:
    void nodeAdded(quint64 id);
    void nodeRemoved(quint64 id);
    void nodeChanged(quint64 id);
    void nodeMoved(quint64 id);
    void linkAdded(quint64 parent, quint64 child);
    void linkRemoved(quint64 parent, quint64 child);
    void variablesChanged();
    void settingsChanged();
    void modeChanged();
    void modifiedChanged(bool modified);
    // The whole flow was replaced (new, open): views rebuild.
    void documentReset();
    void validated();
    // The path or title changed.
    void titleChanged();

private:
    // Hears the core document and speaks for the adapter.
    class Relay : public DocumentObserver
    {
    public:
        explicit Relay(DocumentAdapter &adapter)
            : m_adapter(adapter)
        {}
        void nodeAdded(NodeId id, Cell) override { emit m_adapter.nodeAdded(id); }
        void nodeRemoved(NodeId id, Cell) override { emit m_adapter.nodeRemoved(id); }
        void nodeChanged(NodeId id) override { emit m_adapter.nodeChanged(id); }
        void nodeMoved(NodeId id, Cell, Cell) override { emit m_adapter.nodeMoved(id); }
        void linkAdded(NodeId parent, NodeId child) override
        {
            emit m_adapter.linkAdded(parent, child);
        }
        void linkRemoved(NodeId parent, NodeId child) override
        {
            emit m_adapter.linkRemoved(parent, child);
        }
        void variablesChanged() override { emit m_adapter.variablesChanged(); }
        void settingsChanged() override { emit m_adapter.settingsChanged(); }
        void modeChanged(DocumentMode) override { emit m_adapter.modeChanged(); }
        void modifiedChanged(bool modified) override { emit m_adapter.modifiedChanged(modified); }
        void documentReset() override { m_adapter.resetAll(); }
        void validated() override { emit m_adapter.validated(); }

    private:
        DocumentAdapter &m_adapter;
    };

    void resetAll();

    Relay m_relay{*this};
    std::unique_ptr<CVocaraDoc> m_doc;
    std::vector<ClipRecord> m_copyList;
    QUndoStack m_undo;
};

} // namespace vocara
