// The flow's variables, dialplan settings and attached files: what the bars and dialogs edit
// besides the nodes.
#include "document/vocara_doc.h"

namespace vocara {

void CVocaraDoc::addOrUpdateVariable(std::string_view name, std::string_view defaultValue,
                                     std::string_view description)
{
    m_variables.addOrUpdate(name, defaultValue, description);
    markModified();
    notify([](DocumentObserver &o) { o.variablesChanged(); });
}

void CVocaraDoc::setVariables(VariableList variables)
{
    m_variables = std::move(variables);
    markModified();
    notify([](DocumentObserver &o) { o.variablesChanged(); });
}

bool CVocaraDoc::removeVariable(std::string_view name)
{
    if (!m_variables.remove(name))
        return false;
    markModified();
    notify([](DocumentObserver &o) { o.variablesChanged(); });
    return true;
}

void CVocaraDoc::setDialplanSettings(const DialplanSettings &settings)
{
    if (m_dialplanSettings == settings)
        return;
    m_dialplanSettings = settings;
    markModified();
    notify([](DocumentObserver &o) { o.settingsChanged(); });
}

void CVocaraDoc::setAttachedFiles(std::vector<std::string> files)
{
    if (m_attachedFiles == files)
        return;
    m_attachedFiles = std::move(files);
    markModified();
    notify([](DocumentObserver &o) { o.settingsChanged(); });
}

} // namespace vocara
