#include "media/wave_out.h"

#include <algorithm>
#include <cmath>

#include "foundation/log_line.h"

namespace vorn {
namespace {

constexpr std::uint32_t kCloseSettleMs = 100;
constexpr std::uint32_t kCloseDrainStepMs = 10;
// A device that never hands its blocks back must not hang shutdown.
constexpr std::uint32_t kCloseDrainLimitMs = 2000;

std::int64_t RoundHalfEven(double value) { return static_cast<std::int64_t>(std::nearbyint(value)); }

}  // namespace

TWavBuffer::TWavBuffer(TWavOut& owner, const PcmFormat& format, TStream& stream, std::size_t block_bytes)
    : owner_(owner), format_(format), stream_(stream),
      conversion_(ConversionFor(format.channels, static_cast<int>(format.samples_per_second), format.bits_per_sample)),
      conversion_buffer_(block_bytes) {}

void TWavBuffer::Play() {
  if (!owner_.IsOpen()) return;
  std::lock_guard lock(owner_.lock_);
  playing_ = true;
  paused_ = false;
  ended_ = false;
  if (std::find(owner_.active_.begin(), owner_.active_.end(), this) == owner_.active_.end()) {
    owner_.active_.push_back(this);
  }
}

void TWavBuffer::Pause() {
  if (!owner_.IsOpen()) return;
  std::lock_guard lock(owner_.lock_);
  paused_ = true;
  std::erase(owner_.active_, this);
}

void TWavBuffer::SetPosition(std::int64_t bytes) {
  std::lock_guard lock(owner_.lock_);
  read_position_ = bytes;
}

void TWavBuffer::SetVolume(int volume) {
  std::lock_guard lock(owner_.lock_);
  volume_ = volume;
}

bool TWavBuffer::Repeat() const {
  std::lock_guard lock(owner_.lock_);
  return repeat_;
}

int TWavBuffer::Volume() const {
  std::lock_guard lock(owner_.lock_);
  return volume_;
}

bool TWavBuffer::Playing() const {
  std::lock_guard lock(owner_.lock_);
  return playing_;
}

void TWavBuffer::SetRepeat(bool repeat) {
  std::lock_guard lock(owner_.lock_);
  repeat_ = repeat;
}

bool TWavBuffer::IsFinished() const {
  if (!owner_.IsOpen()) return true;
  std::lock_guard lock(owner_.lock_);
  if (!ended_) return false;
  const std::uint32_t since = owner_.clock_.TimeGetTime() - last_mix_;
  return since > static_cast<std::uint32_t>(2 * owner_.delay_time_ + 10);
}

std::int64_t TWavBuffer::GetPosition() const {
  std::lock_guard lock(owner_.lock_);
  const auto difference = static_cast<std::int32_t>(owner_.clock_.TimeGetTime() - last_mix_);
  const std::int64_t elapsed = std::max<std::int32_t>(0, difference);
  if (2 * owner_.delay_time_ < elapsed) return read_position_;
  const double per_ms = static_cast<double>(format_.bits_per_sample) * format_.channels * format_.samples_per_second / 8000.0;
  const std::int64_t delayed = RoundHalfEven(owner_.delay_time_ * per_ms);
  const std::int64_t played = RoundHalfEven(static_cast<double>(elapsed) * per_ms);
  std::int64_t size = 0;
  try {
    size = stream_.Size();
  } catch (...) {
  }
  return std::clamp<std::int64_t>(read_position_ - delayed + played, 0, std::max<std::int64_t>(size, 0));
}

std::size_t TWavBuffer::ReadSourceLocked(std::size_t count) {
  stream_.Seek(read_position_, SeekOrigin::kBegin);
  const std::int64_t size = stream_.Size();
  std::size_t done = 0;
  while (done < count) {
    if (stream_.Position() >= size) {
      if (!repeat_) break;
      stream_.Seek(0, SeekOrigin::kBegin);
    }
    const std::size_t got = stream_.Read(conversion_buffer_.data() + done, count - done);
    if (got == 0) break;
    done += got;
  }
  read_position_ = stream_.Position();
  return done;
}

bool TWavBuffer::MixLocked(std::int16_t* block) {
  // A source that was never played stays silent even while others keep the output running.
  if (!playing_ || ended_ || paused_ || !owner_.IsOpen()) return false;
  try {
    const std::int64_t size = stream_.Size();
    if (size == 0) return false;
    if (conversion_ == WaveConversion::kUnsupported) return false;
    const std::size_t n = ReadSourceLocked(SourceBytesFor(conversion_, owner_.block_bytes_));
    const std::size_t samples = ConvertInPlace(conversion_, conversion_buffer_.data(), n);
    ended_ = stream_.Size() <= read_position_;
    auto* converted = reinterpret_cast<std::int16_t*>(conversion_buffer_.data());
    MixScaled(block, converted, samples, volume_);
  } catch (const std::exception& error) {
    // A stream that fails underneath ends its sound.
    LogLine(std::string("wave mixer: source ended by a read failure: ") + error.what());
    ended_ = true;
    return false;
  }
  last_mix_ = owner_.clock_.TimeGetTime();
  return true;
}

TWavOut::TWavOut(platform::AudioOutput* audio, platform::Clock& clock, int delay_time_ms)
    : audio_(audio), clock_(clock), delay_time_(delay_time_ms),
      block_bytes_(static_cast<std::size_t>(std::max(delay_time_ms, 0)) * 176400 / 1000 / 4 * 4) {}

TWavOut::~TWavOut() { Close(); }

bool TWavOut::Open() {
  if (open_.load() || audio_ == nullptr) return false;
  if (block_bytes_ == 0 || !audio_->Open()) return false;
  voice_ = std::make_unique<platform::WaveOutVoice>();
  audio_->AddVoice(*voice_);
  {
    std::lock_guard lock(lock_);
    while (pool_.size() < kMinPoolPairs) {
      auto pair = std::make_unique<TMemData>();
      pair->data.assign(block_bytes_ / 2, 0);
      pool_.push_back(std::move(pair));
    }
  }
  stop_.store(false);
  wake_ = clock_.CreateEvent();
  open_.store(true);
  thread_ = std::thread([this] { ThreadLoop(); });
  return true;
}

void TWavOut::ThreadLoop() {
  const std::uint32_t period = static_cast<std::uint32_t>(std::max(delay_time_ / 4, 1));
  while (true) {
    if (wake_->Wait(period)) {
      if (stop_.load()) return;
      continue;
    }
    Fill();
  }
}

void TWavOut::Close() {
  if (!open_.load()) return;
  {
    std::lock_guard lock(lock_);
    voice_->Reset();
    stop_.store(true);
    wake_->Signal();
    clock_.Sleep(kCloseSettleMs);
  }
  if (thread_.joinable()) thread_.join();
  wake_.reset();
  {
    std::lock_guard lock(lock_);
    active_.clear();
    sources_.clear();
    for (std::size_t i = queue_.size(); i-- > 0;) {
      if (!queue_[i]->written) DeleteBlockLocked(i);
    }
  }
  const std::uint32_t start = clock_.TimeGetTime();
  while (true) {
    {
      std::lock_guard lock(lock_);
      for (std::size_t i = queue_.size(); i-- > 0;) {
        if (queue_[i]->memory->header.done.load()) DeleteBlockLocked(i);
      }
      if (queue_.empty()) break;
    }
    if (clock_.TimeGetTime() - start >= kCloseDrainLimitMs) {
      LogLine("wave mixer: the device kept its blocks; closing anyway");
      break;
    }
    clock_.Sleep(kCloseDrainStepMs);
  }
  audio_->RemoveVoice(*voice_);
  {
    std::lock_guard lock(lock_);
    while (!queue_.empty()) DeleteBlockLocked(queue_.size() - 1);
  }
  audio_->Close();
  voice_.reset();
  open_.store(false);
}

TWavBuffer* TWavOut::AddBuffer(const PcmFormat& format, TStream& stream) {
  std::lock_guard lock(lock_);
  sources_.push_back(std::make_unique<TWavBuffer>(*this, format, stream, block_bytes_));
  return sources_.back().get();
}

void TWavOut::RemoveBuffer(TWavBuffer* source) {
  std::lock_guard lock(lock_);
  std::erase(active_, source);
  std::erase_if(sources_, [source](const auto& owned) { return owned.get() == source; });
}

TMemData* TWavOut::TakePairLocked() {
  for (auto& pair : pool_) {
    if (pair->user == nullptr) return pair.get();
  }
  auto pair = std::make_unique<TMemData>();
  pair->data.assign(block_bytes_ / 2, 0);
  pool_.push_back(std::move(pair));
  return pool_.back().get();
}

void TWavOut::DeleteBlockLocked(std::size_t index) {
  queue_[index]->memory->user = nullptr;
  queue_.erase(queue_.begin() + static_cast<std::ptrdiff_t>(index));
}

void TWavOut::Fill() {
  std::lock_guard lock(lock_);
  // A block whose header could not be prepared never reaches the device; it counts as played so
  // the queue cannot stall on it.
  for (std::size_t i = queue_.size(); i-- > 0;) {
    const TWavPrimary& block = *queue_[i];
    if (!block.prepared || block.memory->header.done.load()) DeleteBlockLocked(i);
  }
  for (int round = 0; round < 2; ++round) {
    if (!open_.load() || queue_.size() > 1 || active_.empty()) continue;
    TMemData* pair = TakePairLocked();
    auto block = std::make_unique<TWavPrimary>();
    block->memory = pair;
    pair->user = block.get();
    block->prepared = audio_->PrepareBlock();
    std::fill(pair->data.begin(), pair->data.end(), std::int16_t{0});
    bool contributed = false;
    for (auto& source : sources_) contributed = source->MixLocked(pair->data.data()) || contributed;
    if (!contributed) {
      pair->user = nullptr;
      continue;
    }
    block->written = true;
    pair->header.data = reinterpret_cast<const std::uint8_t*>(pair->data.data());
    pair->header.bytes = block_bytes_;
    if (block->prepared) voice_->Write(pair->header);
    queue_.push_back(std::move(block));
  }
}

bool TWavOut::MixAll(std::int16_t* block) {
  std::lock_guard lock(lock_);
  std::fill(block, block + block_bytes_ / 2, std::int16_t{0});
  bool contributed = false;
  for (auto& source : sources_) contributed = source->MixLocked(block) || contributed;
  return contributed;
}

std::size_t TWavOut::pool_size() const {
  std::lock_guard lock(lock_);
  return pool_.size();
}

std::size_t TWavOut::queued_blocks() const {
  std::lock_guard lock(lock_);
  return queue_.size();
}

std::size_t TWavOut::active_sources() const {
  std::lock_guard lock(lock_);
  return active_.size();
}

}  // namespace vorn
