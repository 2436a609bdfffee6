#pragma once

#include "document/dialplan_settings.h"

#include <string>

namespace vocara {

class CVocaraDoc;

// What the "Asterisk's Setting" dialog does, without the dialog: the fields it shows, when
// its server fields and OK are enabled, and what OK stores.
class AsteriskSettingsForm
{
public:
    static constexpr const char *DefaultRecordPath = "/home/RecordedFiles/";
    static constexpr const char *DefaultSoundPath = "var/lib/asterisk/sounds/";
    static constexpr const char *DefaultTtsPath = "/home/TTSFiles/";
    static constexpr const char *DefaultContext = "[context-setting]";

    // Opening: the document's values, with empty paths set to their defaults (in the
    // document too, at once) and an empty destination shown as the default context.
    explicit AsteriskSettingsForm(CVocaraDoc &doc);

    DialplanSettings &fields() { return m_fields; }
    const DialplanSettings &fields() const { return m_fields; }

    // Any edit enables OK.
    void edited() { m_okEnabled = true; }
    bool okEnabled() const { return m_okEnabled; }
    bool serverFieldsEnabled() const { return m_fields.CheckServerSave; }

    // OK: every field into the document, and the TTSPath and RecordPath variables.
    void accept();

private:
    CVocaraDoc &m_doc;
    DialplanSettings m_fields;
    bool m_okEnabled = false;
};

} // namespace vocara
