#include "simulator/keypad.h"

namespace vocara {

KeypadOutcome keypadOutcome(const KeypadState &state, std::string_view key)
{
    const bool allowed = !key.empty() && state.allowedKeys.find(key) != std::string::npos;
    if (state.recording)
        return allowed ? KeypadOutcome::StopRecording : KeypadOutcome::Ignore;
    if (!state.promptPlaying)
        return KeypadOutcome::Post;
    if (state.lastRequestSynchronous)
        return KeypadOutcome::Ignore;
    return allowed ? KeypadOutcome::CutAndPost : KeypadOutcome::Ignore;
}

} // namespace vocara
