#include "dialplan/asterisk_settings_form.h"

#include "document/messages.h"
#include "document/vocara_doc.h"

namespace vocara {

namespace {

std::string_view builtInDescription(std::string_view name)
{
    for (const auto &variable : BuiltInVariable::All) {
        if (variable.name == name)
            return variable.description;
    }
    return {};
}

// Sets a variable's default, keeping its description, or adds it.
void setVariable(CVocaraDoc &doc, std::string_view name, const std::string &value)
{
    const int index = doc.variables().indexOfIgnoringCase(name);
    const std::string description = index >= 0
                                        ? doc.variables().at(static_cast<size_t>(index)).description
                                        : std::string(builtInDescription(name));
    doc.addOrUpdateVariable(name, value, description);
}

} // namespace

AsteriskSettingsForm::AsteriskSettingsForm(CVocaraDoc &doc)
    : m_doc(doc)
    , m_fields(doc.dialplanSettings())
{
    DialplanSettings stored = m_fields;
    if (stored.RecordedPath.empty())
        stored.RecordedPath = DefaultRecordPath;
    if (stored.SoundFilePath.empty())
        stored.SoundFilePath = DefaultSoundPath;
    if (stored.TTSFilesPath.empty())
        stored.TTSFilesPath = DefaultTtsPath;
    m_doc.setDialplanSettings(stored);
    m_fields = stored;
    if (m_fields.ContextDest.empty())
        m_fields.ContextDest = DefaultContext;
}

void AsteriskSettingsForm::accept()
{
    m_doc.setDialplanSettings(m_fields);
    setVariable(m_doc, "TTSPath", m_fields.TTSFilesPath);
    setVariable(m_doc, "RecordPath", m_fields.RecordedPath);
    m_okEnabled = false;
}

} // namespace vocara
