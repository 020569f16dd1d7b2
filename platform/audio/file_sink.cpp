#include "platform/audio/file_sink.h"

#include <chrono>
#include <vector>

#include "platform/audio/mixer.h"
#include "platform/machine/clock.h"
#include "platform/machine/normal_priority.h"

namespace audio {

namespace {

constexpr int64_t kNanosecondsPerSecond = 1'000'000'000;
constexpr size_t kHeaderBytes = 44;
constexpr size_t kChunkFrames = 4096;
constexpr uint32_t kBytesPerFrame = 4;
constexpr auto kPollInterval = std::chrono::milliseconds(10);

void Put32(std::FILE* file, uint32_t value) {
  const unsigned char bytes[4] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8),
                                  static_cast<unsigned char>(value >> 16), static_cast<unsigned char>(value >> 24)};
  std::fwrite(bytes, 1, 4, file);
}

void Put16(std::FILE* file, uint16_t value) {
  const unsigned char bytes[2] = {static_cast<unsigned char>(value), static_cast<unsigned char>(value >> 8)};
  std::fwrite(bytes, 1, 2, file);
}

int16_t ToPcm16(float sample) {
  const float scaled = sample * 32767.0f;
  return static_cast<int16_t>(scaled >= 0 ? scaled + 0.5f : scaled - 0.5f);
}

// Output frames in `nanoseconds` of the clock, without overflowing for long runs.
uint64_t FramesIn(int64_t nanoseconds) {
  if (nanoseconds <= 0) return 0;
  const auto n = static_cast<uint64_t>(nanoseconds);
  return n / kNanosecondsPerSecond * kOutputRate + n % kNanosecondsPerSecond * kOutputRate / kNanosecondsPerSecond;
}

}  // namespace

std::unique_ptr<FileSink> FileSink::Open(Mixer& mixer, const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    TellSilent(("the sound file " + path + " cannot be written").c_str());
    return nullptr;
  }
  std::unique_ptr<FileSink> sink(new FileSink(mixer, file));
  // Kept at normal priority as the speakers' thread is, so that the file hears what they would.
  machine::AtNormalPriority([&] { sink->poller_ = std::thread([s = sink.get()] { s->Poll(); }); });
  return sink;
}

FileSink::FileSink(Mixer& mixer, std::FILE* file)
    : mixer_(mixer), file_(file), start_(machine::clock::Now()), virtualTime_(machine::clock::IsVirtual()) {
  WriteHeader();
}

FileSink::~FileSink() {
  {
    std::lock_guard<std::mutex> guard(quitLock_);
    quitting_ = true;
  }
  wake_.notify_all();
  if (poller_.joinable()) poller_.join();
  {
    std::lock_guard<std::mutex> held(mixer_.Lock());
    CatchUp();
  }
  std::fclose(file_);
}

void FileSink::Poll() {
  std::unique_lock<std::mutex> guard(quitLock_);
  while (!quitting_) {
    guard.unlock();
    mixer_.Hold();
    guard.lock();
    wake_.wait_for(guard, kPollInterval);
  }
}

void FileSink::CatchUp() {
  const int64_t now = machine::clock::Now();
  const auto writtenTime = static_cast<int64_t>(written_ * kNanosecondsPerSecond / kOutputRate);
  if (machine::clock::IsVirtual() != virtualTime_ || now < start_ + writtenTime - kNanosecondsPerSecond / kOutputRate) {
    // The clock changed kind or started again (tests switch it): the file goes on from here,
    // without a gap and without waiting for the old time to come back.
    virtualTime_ = machine::clock::IsVirtual();
    start_ = now - writtenTime;
  }
  const uint64_t due = FramesIn(now - start_);
  if (due <= written_) return;
  std::vector<float> mix(kChunkFrames * 2);
  std::vector<int16_t> pcm(kChunkFrames * 2);
  while (written_ < due) {
    const size_t frames = static_cast<size_t>(std::min<uint64_t>(kChunkFrames, due - written_));
    mixer_.RenderHeld(mix.data(), frames);
    for (size_t i = 0; i < frames * 2; ++i) pcm[i] = ToPcm16(mix[i]);
    // Little-endian samples, as the machine keeps them.
    std::fwrite(pcm.data(), sizeof(int16_t), frames * 2, file_);
    written_ += frames;
  }
  WriteHeader();
}

void FileSink::WriteHeader() {
  // A WAVE file holds at most 4 GiB; a longer run keeps the sizes at their largest.
  const uint64_t data = std::min<uint64_t>(written_ * kBytesPerFrame, 0xFFFFFFFFull - kHeaderBytes);
  std::fseek(file_, 0, SEEK_SET);
  std::fwrite("RIFF", 1, 4, file_);
  Put32(file_, static_cast<uint32_t>(data + kHeaderBytes - 8));
  std::fwrite("WAVEfmt ", 1, 8, file_);
  Put32(file_, 16);
  Put16(file_, 1);  // PCM
  Put16(file_, 2);
  Put32(file_, kOutputRate);
  Put32(file_, kOutputRate * kBytesPerFrame);
  Put16(file_, kBytesPerFrame);
  Put16(file_, 16);
  std::fwrite("data", 1, 4, file_);
  Put32(file_, static_cast<uint32_t>(data));
  std::fseek(file_, 0, SEEK_END);
  std::fflush(file_);
}

}  // namespace audio
