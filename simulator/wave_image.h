#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vocara {

// A RIFF/WAVE file as the number speaker joins prompts: the format, any extra format bytes,
// an optional fact value, and the samples.
struct WaveImage
{
    std::uint16_t formatTag = 1; // 1 is PCM
    std::uint16_t channels = 1;
    std::uint32_t sampleRate = 8000;
    std::uint32_t byteRate = 16000;
    std::uint16_t blockAlign = 2;
    std::uint16_t bitsPerSample = 16;
    std::string extraFormat;    // after the 16 format bytes, for formats other than PCM
    std::int64_t factSize = -1; // -1 without a fact chunk
    std::uint32_t factValue = 0;
    std::string data;
    std::filesystem::path path;
};

// Reads a wave from its bytes, walking the chunks by id and size: unknown chunks are skipped,
// a data size beyond the end is cut to what is there, and a damaged header is an error.
std::optional<WaveImage> parseWave(std::string_view bytes, std::string *error = nullptr);
std::optional<WaveImage> LoadWave(const std::filesystem::path &path, std::string *error = nullptr);

// The samples of both waves, in the second's format; they must share one format.
std::optional<WaveImage> JoinWaves(const WaveImage &first, const WaveImage &second,
                                   std::string *error = nullptr);

// The waves of `files` joined in order into one.
std::optional<WaveImage> JoinWaveFiles(const std::vector<std::filesystem::path> &files,
                                       std::string *error = nullptr);

// The file bytes of a wave; the RIFF size is the length less 8.
std::string serializeWave(const WaveImage &wave);
bool SaveWave(const WaveImage &wave, const std::filesystem::path &path,
              std::string *error = nullptr);

} // namespace vocara

namespace vocara {

// Converts a wave with the sox program to 8-bit A-law at `sampleRate` with `channels`
// channels, its volume multiplied by `volume`. Empty on success, else why it failed.
std::string ConvertWave(const std::filesystem::path &input, const std::filesystem::path &output,
                        int sampleRate, double volume, int channels);

} // namespace vocara
