#include "cli/command.h"

#include "platform/audio.h"
#include "platform/clock.h"

#include <ostream>

namespace vocara::cli {

int runPlay(const Arguments &args, std::ostream &, std::ostream &err)
{
    Clock clock;
    std::unique_ptr<AudioDevice> audio = openAudioDevice(clock, {});
    const AudioResult result = audio->play(args[0], {});
    if (!result.ok) {
        err << args[0] << ": " << result.error << '\n';
        return ExitFound;
    }
    return ExitOk;
}

} // namespace vocara::cli
