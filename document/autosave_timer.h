#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace vocara {

class IvrSettings;
class UserDialogs;

// The main frame's autosave timer without the timer itself: what its set-up and its ticks do.
class AutoSaveTimer
{
public:
    static constexpr std::string_view SaveQuestion = "Do You Want Save changes ?";

    // The period to run the timer with, in milliseconds; 0 to leave it stopped. An "AutoSave"
    // without a positive interval is written back as "0".
    int setUp(IvrSettings &settings);

    // One tick: with unsaved changes and "AutoSaveToDoc" set, asks the question and saves on
    // Yes. A tick while the question or its save is still open does nothing.
    void tick(bool unsavedChanges, const IvrSettings &settings, UserDialogs &dialogs,
              const std::function<void()> &save);

private:
    bool m_asking = false;
};

// "1, 2, 0, 5" -> "1.2.0.5": the comma-separated parts, trimmed, joined with ".".
std::string formatVersion(std::string_view text);
// The program's version, from the build.
std::string programVersion();

} // namespace vocara
