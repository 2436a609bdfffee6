#pragma once

#include <string>
#include <string_view>

namespace vocara {

// What the window sees when a keypad key is pressed.
struct KeypadState
{
    bool recording = false;
    std::string allowedKeys;
    bool lastRequestSynchronous = false;
    bool promptPlaying = false;
};

enum class KeypadOutcome {
    Post,          // the key goes to the interpreter
    CutAndPost,    // the playing prompt stops, then the key goes to the interpreter
    StopRecording, // the recording ends; nothing is posted
    Ignore,        // the key is dropped
};

// Which of the above a key press leads to. The same rules serve the simulator window and the
// scripted caller of headless runs.
KeypadOutcome keypadOutcome(const KeypadState &state, std::string_view key);

} // namespace vocara
