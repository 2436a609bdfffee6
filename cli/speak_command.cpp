#include "cli/command.h"

#include "document/messages.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/folders.h"
#include "simulator/number_parser.h"
#include "simulator/wave_image.h"

#include <ostream>
#include <unistd.h>

namespace vocara::cli {

int runSpeak(const Arguments &args, std::ostream &out, std::ostream &err)
{
    const std::string &value = args[0];
    const std::string language = args.value("--lang", "English");
    const bool whole = args.has("--whole");
    const bool play = args.has("--play");
    if (language != "English" && language != "Arabic" && language != "Farsi")
        return args.usageError(err, "unknown language '" + language + "'");
    NumberParser parser(language, whole);
    const bool wellFormed = parser.Parse(value);
    if (!wellFormed)
        err << Msg::InvalidDateFormat << '\n';
    for (const std::string &prompt : parser.prompts())
        out << prompt << '\n';
    if (play && !parser.prompts().empty()) {
        const std::filesystem::path folder = installFolder() / "Languages" / language;
        std::vector<std::filesystem::path> files;
        for (const std::string &prompt : parser.prompts())
            files.push_back(folder / prompt);
        std::string error;
        const std::optional<WaveImage> joined = JoinWaveFiles(files, &error);
        const std::filesystem::path spool = privateTempFolder("TTSFiles", &error);
        const std::filesystem::path file = spool / ("speak-" + std::to_string(::getpid()) + ".wav");
        if (!joined || spool.empty() || !SaveWave(*joined, file, &error)) {
            err << error << '\n';
            return ExitFound;
        }
        Clock clock;
        const AudioResult result = openAudioDevice(clock, {})->play(file, {});
        std::error_code ignored;
        std::filesystem::remove(file, ignored);
        if (!result.ok) {
            err << result.error << '\n';
            return ExitFound;
        }
    }
    return wellFormed ? ExitOk : ExitFound;
}

} // namespace vocara::cli
