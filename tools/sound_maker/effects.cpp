#include "effects.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sound {

namespace {

constexpr float kTwoPi = 2.0f * std::numbers::pi_v<float>;

// The effects' peaks. The scene plays them over the soundtrack (peak kMusicPeak, 0.48) at their stored
// volumes (the storm's rain at 80, -10 dB, with its thunder at 85, -7.5 dB): the loudest slide's
// peaks together stay under 0.85, more than 1 dB under full scale, even where they coincide.
constexpr float kCracklePeak = 0.42f;
constexpr float kRainPeak = 0.36f;
constexpr float kThunderPeak = 0.54f;
constexpr float kBirdsPeak = 0.42f;

size_t Frames(float seconds) { return static_cast<size_t>(seconds * kRate); }

// Folds the last `overlap` seconds onto the start with a cross-fade and drops them, so that the
// sound repeats seamlessly. The two sides of the fade are unrelated noise, so their powers add: an
// equal-power fade (sine in, cosine out) keeps the level through the seam, where a linear one dips
// by 3 dB in its middle.
void CloseLoop(Stereo& sound, float overlap) {
  const size_t n = Frames(overlap), keep = sound.Frames() - n;
  for (size_t i = 0; i < n; ++i) {
    const float angle = 0.5f * std::numbers::pi_v<float> * static_cast<float>(i) / static_cast<float>(n);
    const float in = std::sin(angle), out = std::cos(angle);
    sound.left[i] = sound.left[i] * in + sound.left[keep + i] * out;
    sound.right[i] = sound.right[i] * in + sound.right[keep + i] * out;
  }
  sound.left.resize(keep);
  sound.right.resize(keep);
}

Stereo Crackle() {
  Stereo s(Frames(4.5f));
  Random random(11);
  // The roar of the flames: deep, slowly breathing noise.
  LowPass roarL(0.02f), roarR(0.02f), breath(0.0004f);
  for (size_t i = 0; i < s.Frames(); ++i) {
    const float swell = 0.6f + 0.8f * std::fabs(breath(random.Noise() * 8.0f));
    s.left[i] += 5.0f * swell * roarL(random.Noise());
    s.right[i] += 5.0f * swell * roarR(random.Noise());
  }
  // Crackles: short bright bursts, some loud pops among many small ticks.
  for (int k = 0; k < 140; ++k) {
    const size_t at = Frames(random.Between(0.0f, 4.4f));
    const float loud = random.Next() < 0.15f ? random.Between(0.3f, 0.6f) : random.Between(0.06f, 0.2f);
    const float decay = random.Between(250.0f, 900.0f), pan = random.Next();
    float previous = 0.0f;
    for (size_t i = 0; i < Frames(0.03f); ++i) {
      const float noise = random.Noise();
      const float bright = noise - previous;  // a difference keeps the highs
      previous = noise;
      const float v = loud * bright * std::exp(-static_cast<float>(i) / kRate * decay);
      s.Add(at + i, v * (1.0f - pan), v * pan);
    }
  }
  CloseLoop(s, 0.5f);
  s.Normalise(kCracklePeak);
  return s;
}

Stereo Rain() {
  Stereo s(Frames(4.5f));
  Random random(23);
  // A steady hiss: noise with its lowest part taken out.
  LowPass lowL(0.05f), lowR(0.05f), softL(0.5f), softR(0.5f);
  for (size_t i = 0; i < s.Frames(); ++i) {
    const float l = random.Noise(), r = random.Noise();
    s.left[i] += 0.25f * softL(l - lowL(l));
    s.right[i] += 0.25f * softR(r - lowR(r));
  }
  // Drops landing close by: tiny falling blips.
  for (int k = 0; k < 900; ++k) {
    const size_t at = Frames(random.Between(0.0f, 4.45f));
    const float frequency = random.Between(1800.0f, 5200.0f), loud = random.Between(0.02f, 0.12f), pan = random.Next();
    for (size_t i = 0; i < Frames(0.012f); ++i) {
      const float t = static_cast<float>(i) / kRate;
      const float v = loud * std::sin(kTwoPi * frequency * (1.0f - 8.0f * t) * t) * std::exp(-t * 400.0f);
      s.Add(at + i, v * (1.0f - pan), v * pan);
    }
  }
  CloseLoop(s, 0.5f);
  s.Normalise(kRainPeak);
  return s;
}

Stereo Thunder() {
  Stereo s(Frames(6.0f));
  Random random(37);
  // The crack: a bright burst at once.
  LowPass crackL(0.6f), crackR(0.6f);
  for (size_t i = 0; i < Frames(0.35f); ++i) {
    const float t = static_cast<float>(i) / kRate;
    const float env = std::min(1.0f, t / 0.004f) * std::exp(-t * 14.0f);  // a few milliseconds of attack: no click
    s.left[i] += env * crackL(random.Noise());
    s.right[i] += env * crackR(random.Noise());
  }
  // The roll: deep noise swelling in a few waves and dying away.
  LowPass deepL(0.008f), deepR(0.008f), deeperL(0.02f), deeperR(0.02f);
  float waves[4][2];
  for (auto& w : waves) {
    w[0] = random.Between(0.1f, 3.0f);  // when
    w[1] = random.Between(0.5f, 1.0f);  // how loud
  }
  for (size_t i = 0; i < s.Frames(); ++i) {
    const float t = static_cast<float>(i) / kRate;
    float env = std::min(1.0f, t / 0.15f) * std::exp(-t * 0.55f);
    for (const auto& w : waves) env += w[1] * std::exp(-std::pow((t - w[0]) / 0.45f, 2.0f));
    env *= std::max(0.0f, 1.0f - t / 6.0f);
    s.left[i] += 9.0f * env * deeperL(deepL(random.Noise()));
    s.right[i] += 9.0f * env * deeperR(deepR(random.Noise()));
  }
  s.Normalise(kThunderPeak);
  return s;
}

Stereo Birds() {
  Stereo s(Frames(3.0f));
  Random random(41);
  // Two birds answering each other, left and right: trills of quick rising-then-falling whistles.
  float at = 0.05f;
  for (int call = 0; call < 5; ++call) {
    const float pan = call % 2 ? 0.75f : 0.25f;
    const float pitch = random.Between(2600.0f, 3600.0f);
    const int notes = 2 + static_cast<int>(random.Next() * 4.0f);
    for (int n = 0; n < notes; ++n) {
      const float length = random.Between(0.05f, 0.11f), sweep = random.Between(0.3f, 0.8f);
      float phase = 0.0f;
      for (size_t i = 0; i < Frames(length); ++i) {
        const float x = static_cast<float>(i) / static_cast<float>(Frames(length));
        const float frequency = pitch * (1.0f + sweep * std::sin(std::numbers::pi_v<float> * x));
        phase += kTwoPi * frequency / kRate;
        const float v = 0.5f * std::sin(std::numbers::pi_v<float> * x) * std::sin(phase);
        s.Add(Frames(at) + i, v * (1.0f - pan), v * pan);
      }
      at += length + random.Between(0.02f, 0.06f);
    }
    at += random.Between(0.15f, 0.4f);
  }
  Reverberate(s, 0.25f, 0.5f);
  s.Normalise(kBirdsPeak);
  return s;
}

}  // namespace

std::optional<Stereo> MakeEffect(const std::string& kind) {
  if (kind == "crackle") return Crackle();
  if (kind == "rain") return Rain();
  if (kind == "thunder") return Thunder();
  if (kind == "birds") return Birds();
  return std::nullopt;
}

}  // namespace sound
