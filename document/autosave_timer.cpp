#include "document/autosave_timer.h"

#include "document/ivr_settings.h"
#include "document/user_dialogs.h"

#ifndef VOCARA_VERSION
#define VOCARA_VERSION "0, 0, 0"
#endif

namespace vocara {

int AutoSaveTimer::setUp(IvrSettings &settings)
{
    if (settings.number(Setting::AutoSave) == 0)
        return 0;
    const int period = settings.autoSaveIntervalMs();
    if (period <= 0)
        settings.setText(Setting::AutoSave, "0");
    return period > 0 ? period : 0;
}

void AutoSaveTimer::tick(bool unsavedChanges, const IvrSettings &settings, UserDialogs &dialogs,
                         const std::function<void()> &save)
{
    if (m_asking || !unsavedChanges || settings.number(Setting::AutoSaveToDoc) == 0)
        return;
    // The timer goes on firing while the question is open: those ticks are dropped.
    m_asking = true;
    if (dialogs.ask(SaveQuestion, Question::YesNoCancel) == Answer::Yes && save)
        save();
    m_asking = false;
}

std::string formatVersion(std::string_view text)
{
    std::string out;
    size_t start = 0;
    for (;;) {
        const size_t comma = text.find(',', start);
        std::string_view part = text.substr(
            start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        while (!part.empty() && part.front() == ' ')
            part.remove_prefix(1);
        while (!part.empty() && part.back() == ' ')
            part.remove_suffix(1);
        out += (start == 0 ? "" : ".") + std::string(part);
        if (comma == std::string_view::npos)
            return out;
        start = comma + 1;
    }
}

std::string programVersion()
{
    static const std::string version = formatVersion(VOCARA_VERSION);
    return version;
}

} // namespace vocara
