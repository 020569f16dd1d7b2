#include "sound_files.h"

#include <lame/lame.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <memory>
#include <vector>

namespace sound {

namespace {

int16_t Sample(float value) {
  return static_cast<int16_t>(std::lround(std::clamp(value, -1.0f, 1.0f) * 32767.0f));
}

void Little(std::vector<uint8_t>& out, uint32_t value, int count) {
  for (int i = 0; i < count; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

bool WriteBytes(const std::vector<uint8_t>& bytes, const std::string& path) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file.flush());
}

struct LameClose {
  void operator()(lame_global_flags* flags) const { lame_close(flags); }
};

}  // namespace

bool WriteWave(const Stereo& sound, const std::string& path) {
  const uint32_t dataBytes = static_cast<uint32_t>(sound.Frames() * 4);
  std::vector<uint8_t> out;
  out.reserve(44 + dataBytes);
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  Little(out, 36 + dataBytes, 4);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  Little(out, 16, 4);
  Little(out, 1, 2);  // PCM
  Little(out, 2, 2);
  Little(out, kRate, 4);
  Little(out, kRate * 4, 4);
  Little(out, 4, 2);
  Little(out, 16, 2);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  Little(out, dataBytes, 4);
  for (size_t i = 0; i < sound.Frames(); ++i) {
    Little(out, static_cast<uint16_t>(Sample(sound.left[i])), 2);
    Little(out, static_cast<uint16_t>(Sample(sound.right[i])), 2);
  }
  return WriteBytes(out, path);
}

bool WriteMp3(const Stereo& sound, const std::string& path, int kilobitsPerSecond) {
  std::unique_ptr<lame_global_flags, LameClose> lame(lame_init());
  if (!lame) return false;
  lame_set_in_samplerate(lame.get(), kRate);
  lame_set_num_channels(lame.get(), 2);
  lame_set_brate(lame.get(), kilobitsPerSecond);
  lame_set_quality(lame.get(), 5);
  lame_set_bWriteVbrTag(lame.get(), 0);
  if (lame_init_params(lame.get()) < 0) return false;

  std::vector<short> left(sound.Frames()), right(sound.Frames());
  for (size_t i = 0; i < sound.Frames(); ++i) {
    left[i] = Sample(sound.left[i]);
    right[i] = Sample(sound.right[i]);
  }
  // The encoder's documented worst case: 1.25 x samples + 7200 bytes.
  std::vector<unsigned char> out(sound.Frames() + sound.Frames() / 4 + 7200);
  const int encoded = lame_encode_buffer(lame.get(), left.data(), right.data(), static_cast<int>(sound.Frames()),
                                         out.data(), static_cast<int>(out.size()));
  if (encoded < 0) return false;
  const int flushed = lame_encode_flush(lame.get(), out.data() + encoded, static_cast<int>(out.size()) - encoded);
  if (flushed < 0) return false;
  out.resize(static_cast<size_t>(encoded + flushed));
  return WriteBytes(std::vector<uint8_t>(out.begin(), out.end()), path);
}

}  // namespace sound
