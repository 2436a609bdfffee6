#include "designer/document_adapter.h"

#include "designer/designer_text.h"
#include "designer/qt_text.h"

namespace vocara {

DocumentAdapter::DocumentAdapter(UserDialogs &dialogs, QObject *parent)
    : QObject(parent)
    , m_doc(std::make_unique<CVocaraDoc>(dialogs))
{
    m_doc->addObserver(&m_relay);
}

DocumentAdapter::~DocumentAdapter()
{
    m_doc->removeObserver(&m_relay);
}

void DocumentAdapter::resetAll()
{
    // Edits of the flow that was replaced cannot be undone in the new one.
    m_undo.clear();
    emit documentReset();
    emit titleChanged();
}

bool DocumentAdapter::newDocument()
{
    const bool made = m_doc->newDocument();
    if (made && m_doc->path().empty()) {
        // A flow begun here is written for today's Asterisk; a file keeps what it says.
        DialplanSettings settings = m_doc->dialplanSettings();
        settings.Dialect = DialplanDialect::Modern;
        m_doc->setDialplanSettings(settings);
        m_doc->setModified(false);
    }
    emit titleChanged();
    return made;
}

bool DocumentAdapter::open(const QString &path)
{
    const bool opened = m_doc->open(utf8(path));
    emit titleChanged();
    return opened;
}

bool DocumentAdapter::restore(const RecoverySnapshot &snapshot)
{
    const bool restored =
        m_doc->restore(snapshot.flowFile.string(), snapshot.mode, snapshot.originalPath);
    emit titleChanged();
    return restored;
}

bool DocumentAdapter::save(const QString &path)
{
    const bool saved = m_doc->save(utf8(path));
    if (saved)
        m_undo.setClean();
    emit titleChanged();
    return saved;
}

bool DocumentAdapter::writeExitAutosave()
{
    return m_doc->saveExitCopy();
}

bool DocumentAdapter::validate()
{
    return m_doc->validateFlow(false);
}

void DocumentAdapter::setSimulatorRunning(bool running)
{
    m_doc->setSimulatorRunning(running);
}

QString DocumentAdapter::displayName() const
{
    return m_doc->title().empty() ? qt(Ui::Untitled) : qt(m_doc->title());
}

} // namespace vocara
