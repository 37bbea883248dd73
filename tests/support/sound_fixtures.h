#pragma once

// The sound fixtures made at build time by tests/media/data/make_fixtures.py (sox and oggenc),
// and hand-built WAV files for broken and unusual layouts.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vorn::testing {

std::filesystem::path SoundFixture(std::string_view name);
std::vector<std::uint8_t> SoundFixtureBytes(std::string_view name);

// Appends a chunk: four-character id, u32 little-endian size, body, and the pad byte after an odd
// body. The size may be overridden to lie about the body.
void AppendChunk(std::vector<std::uint8_t>& out, std::string_view id, const std::vector<std::uint8_t>& body,
                 std::int64_t declared_size = -1);
// A 16-byte PCM fmt body.
std::vector<std::uint8_t> PcmFormatBody(int format_tag, int channels, std::uint32_t rate, int block_align, int bits);
// "RIFF" <size of the rest> "WAVE" followed by the chunks.
std::vector<std::uint8_t> RiffWave(const std::vector<std::uint8_t>& chunks);

// Stereo 16-bit samples of an interleaved buffer, one channel.
std::vector<std::int16_t> Channel(const std::vector<std::int16_t>& interleaved, int channels, int channel);
// Changes from negative to non-negative: one per period of a tone.
int RisingZeroCrossings(const std::vector<std::int16_t>& samples);

}  // namespace vorn::testing
