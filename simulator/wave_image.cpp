#include "simulator/wave_image.h"

#include "document/text_util.h"
#include "platform/atomic_file.h"
#include "platform/spawn.h"

#include <cstdio>

namespace vocara {

namespace {

constexpr std::string_view DifferentFormats = "Can't concatenate waves with different format tags";
constexpr std::string_view NotAWave = "The file is not a RIFF wave file";
constexpr std::string_view DamagedFormat = "The wave file's format chunk is damaged";
constexpr std::string_view NoData = "The wave file has no data chunk";

std::uint32_t read32(std::string_view bytes, size_t at)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
}

std::uint16_t read16(std::string_view bytes, size_t at)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                      static_cast<unsigned char>(bytes[at + 1]) << 8);
}

void put32(std::string &out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

void put16(std::string &out, std::uint16_t value)
{
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

std::nullopt_t fail(std::string *error, std::string_view text)
{
    if (error)
        *error = text;
    return std::nullopt;
}

} // namespace

std::optional<WaveImage> parseWave(std::string_view bytes, std::string *error)
{
    if (bytes.size() < 12 || bytes.substr(0, 4) != "RIFF" || bytes.substr(8, 4) != "WAVE")
        return fail(error, NotAWave);
    WaveImage wave;
    bool haveFormat = false;
    size_t at = 12;
    while (at + 8 <= bytes.size()) {
        const std::string_view id = bytes.substr(at, 4);
        const std::uint64_t declared = read32(bytes, at + 4);
        const size_t body = at + 8;
        const size_t available = bytes.size() - body;
        const size_t size = static_cast<size_t>(std::min<std::uint64_t>(declared, available));
        if (id == "fmt ") {
            if (declared < 16 || size < declared)
                return fail(error, DamagedFormat);
            wave.formatTag = read16(bytes, body);
            wave.channels = read16(bytes, body + 2);
            wave.sampleRate = read32(bytes, body + 4);
            wave.byteRate = read32(bytes, body + 8);
            wave.blockAlign = read16(bytes, body + 12);
            wave.bitsPerSample = read16(bytes, body + 14);
            wave.extraFormat.clear();
            if (wave.formatTag != 1 && size >= 18) {
                const size_t extra = std::min<size_t>(read16(bytes, body + 16), size - 18);
                wave.extraFormat = std::string(bytes.substr(body + 18, extra));
            }
            haveFormat = true;
        } else if (id == "fact" && size >= 4) {
            wave.factSize = static_cast<std::int64_t>(declared);
            wave.factValue = read32(bytes, body);
        } else if (id == "data") {
            if (!haveFormat)
                return fail(error, DamagedFormat);
            wave.data = std::string(bytes.substr(body, size)); // a short file gives what it has
            return wave;
        }
        // Chunks are padded to an even size.
        at = body + size + (size % 2);
        if (size < declared)
            break;
    }
    return fail(error, haveFormat ? NoData : DamagedFormat);
}

std::optional<WaveImage> LoadWave(const std::filesystem::path &path, std::string *error)
{
    std::string reason;
    const std::optional<std::string> bytes = readWholeFile(path, &reason);
    if (!bytes)
        return fail(error, reason);
    std::optional<WaveImage> wave = parseWave(*bytes, error);
    if (wave)
        wave->path = path;
    return wave;
}

std::optional<WaveImage> JoinWaves(const WaveImage &first, const WaveImage &second,
                                   std::string *error)
{
    // Samples of another rate, width or channel count would play as noise.
    if (first.formatTag != second.formatTag || first.channels != second.channels ||
        first.sampleRate != second.sampleRate || first.bitsPerSample != second.bitsPerSample ||
        first.blockAlign != second.blockAlign)
        return fail(error, DifferentFormats);
    WaveImage joined = second;
    joined.factSize = -1;
    joined.data = first.data + second.data;
    std::filesystem::path name = first.path;
    name.replace_extension();
    joined.path = name.string() + second.path.stem().string() + ".wav";
    return joined;
}

std::string serializeWave(const WaveImage &wave)
{
    std::string format;
    put16(format, wave.formatTag);
    put16(format, wave.channels);
    put32(format, wave.sampleRate);
    put32(format, wave.byteRate);
    put16(format, wave.blockAlign);
    put16(format, wave.bitsPerSample);
    if (wave.formatTag > 1) {
        put16(format, static_cast<std::uint16_t>(wave.extraFormat.size()));
        format += wave.extraFormat;
    }
    std::string body = "WAVE";
    body += "fmt ";
    put32(body, static_cast<std::uint32_t>(format.size()));
    body += format;
    if (format.size() % 2)
        body += '\0';
    if (wave.factSize >= 0) {
        body += "fact";
        put32(body, 4);
        put32(body, wave.factValue);
    }
    body += "data";
    put32(body, static_cast<std::uint32_t>(wave.data.size()));
    body += wave.data;
    if (wave.data.size() % 2)
        body += '\0';
    std::string file = "RIFF";
    put32(file, static_cast<std::uint32_t>(body.size()));
    return file + body;
}

bool SaveWave(const WaveImage &wave, const std::filesystem::path &path, std::string *error)
{
    return writeFileAtomically(path, serializeWave(wave), error);
}

} // namespace vocara

namespace vocara {

std::optional<WaveImage> JoinWaveFiles(const std::vector<std::filesystem::path> &files,
                                       std::string *error)
{
    if (files.empty())
        return std::nullopt;
    // A prompt that cannot be read is named in the error.
    auto load = [error](const std::filesystem::path &file) {
        std::optional<WaveImage> wave = LoadWave(file, error);
        if (!wave && error)
            *error = file.string() + ": " + *error;
        return wave;
    };
    std::optional<WaveImage> joined = load(files.front());
    for (size_t i = 1; joined && i < files.size(); ++i) {
        const std::optional<WaveImage> next = load(files[i]);
        joined = next ? JoinWaves(*joined, *next, error) : std::nullopt;
    }
    return joined;
}

std::string ConvertWave(const std::filesystem::path &input, const std::filesystem::path &output,
                        int sampleRate, double volume, int channels)
{
    // The volume is an input option for sox and must be written in the C locale.
    char factor[32];
    std::snprintf(factor, sizeof factor, "%.6f", volume);
    for (char *c = factor; *c; ++c)
        if (*c == ',')
            *c = '.';
    const ProgramResult result =
        runAndWait({"sox", "-v", factor, input.string(), "-r", std::to_string(sampleRate), "-e",
                    "a-law", "-b", "8", "-c", std::to_string(channels), output.string()});
    if (result.succeeded())
        return {};
    std::string why = oneLine(result.errorOutput);
    if (why.empty())
        why = "sox ended with status " + std::to_string(result.exitStatus);
    return why;
}

} // namespace vocara
