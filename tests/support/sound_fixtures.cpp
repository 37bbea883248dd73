#include "support/sound_fixtures.h"

#include "support/whole_file.h"

namespace vorn::testing {

std::filesystem::path SoundFixture(std::string_view name) {
  return std::filesystem::path(VORN_BINARY_DIR) / "tests" / "media" / "data" / std::string(name);
}

std::vector<std::uint8_t> SoundFixtureBytes(std::string_view name) { return ReadWholeFile(SoundFixture(name)); }

namespace {

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
  out.push_back(static_cast<std::uint8_t>(v));
  out.push_back(static_cast<std::uint8_t>(v >> 8));
}

}  // namespace

void AppendChunk(std::vector<std::uint8_t>& out, std::string_view id, const std::vector<std::uint8_t>& body,
                 std::int64_t declared_size) {
  out.insert(out.end(), id.begin(), id.end());
  Put32(out, static_cast<std::uint32_t>(declared_size < 0 ? body.size() : declared_size));
  out.insert(out.end(), body.begin(), body.end());
  if (body.size() % 2 == 1) out.push_back(0);
}

std::vector<std::uint8_t> PcmFormatBody(int format_tag, int channels, std::uint32_t rate, int block_align, int bits) {
  std::vector<std::uint8_t> body;
  Put16(body, static_cast<std::uint32_t>(format_tag));  // format tag
  Put16(body, static_cast<std::uint32_t>(channels));    // channels
  Put32(body, rate);                                    // samples per second
  Put32(body, rate * static_cast<std::uint32_t>(block_align));  // bytes per second
  Put16(body, static_cast<std::uint32_t>(block_align)); // block align
  Put16(body, static_cast<std::uint32_t>(bits));        // bits per sample
  return body;
}

std::vector<std::uint8_t> RiffWave(const std::vector<std::uint8_t>& chunks) {
  std::vector<std::uint8_t> out{'R', 'I', 'F', 'F'};
  Put32(out, static_cast<std::uint32_t>(4 + chunks.size()));
  out.insert(out.end(), {'W', 'A', 'V', 'E'});
  out.insert(out.end(), chunks.begin(), chunks.end());
  return out;
}

std::vector<std::int16_t> Channel(const std::vector<std::int16_t>& interleaved, int channels, int channel) {
  std::vector<std::int16_t> out;
  for (std::size_t i = static_cast<std::size_t>(channel); i < interleaved.size(); i += static_cast<std::size_t>(channels)) {
    out.push_back(interleaved[i]);
  }
  return out;
}

int RisingZeroCrossings(const std::vector<std::int16_t>& samples) {
  int count = 0;
  for (std::size_t i = 1; i < samples.size(); ++i) {
    if (samples[i - 1] < 0 && samples[i] >= 0) ++count;
  }
  return count;
}

}  // namespace vorn::testing
