#include "music.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sound {

namespace {

constexpr float kTwoPi = 2.0f * std::numbers::pi_v<float>;
constexpr float kBeat = 0.75f;  // 80 beats a minute
constexpr float kBar = 4.0f * kBeat;

struct Chord {
  int root;   // MIDI note in the bass octave
  bool minor;
  int Third() const { return root + (minor ? 3 : 4); }
  int Fifth() const { return root + 7; }
};

// D, B minor, G, A, and for the quieter middle G, A, F sharp minor, B minor.
constexpr Chord kVerse[] = {{50, false}, {47, true}, {43, false}, {45, false}};
constexpr Chord kBridge[] = {{43, false}, {45, false}, {42, true}, {47, true}};
// The notes of the D major pentatonic scale the melody walks on (D E F# A B over two octaves).
constexpr int kScale[] = {74, 76, 78, 81, 83, 86, 88, 90, 93};

enum class Section { kIntro, kGroove, kSong, kBridge, kFinale, kEnding };

void AddAt(Stereo& out, float start, const std::vector<float>& mono, float gain, float pan) {
  const size_t first = static_cast<size_t>(start * kRate);
  const float l = gain * std::sqrt(1.0f - pan) , r = gain * std::sqrt(pan);
  for (size_t i = 0; i < mono.size(); ++i) out.Add(first + i, mono[i] * l, mono[i] * r);
}

// A soft string-like chord tone: two slightly detuned voices with falling harmonics, slow attack and
// release.
std::vector<float> PadTone(float frequency, float length) {
  std::vector<float> v(static_cast<size_t>((length + 1.2f) * kRate));
  for (size_t i = 0; i < v.size(); ++i) {
    const float t = static_cast<float>(i) / kRate;
    float sum = 0.0f;
    for (int h = 1; h <= 5; ++h)
      sum += (std::sin(kTwoPi * frequency * 1.0015f * h * t) + std::sin(kTwoPi * frequency * 0.9985f * h * t)) / (h * h);
    const float attack = std::min(1.0f, t / 0.9f);
    const float release = t > length ? std::max(0.0f, 1.0f - (t - length) / 1.2f) : 1.0f;
    v[i] = sum * attack * release;
  }
  return v;
}

std::vector<float> BassTone(float frequency, float length) {
  std::vector<float> v(static_cast<size_t>((length + 0.3f) * kRate));
  for (size_t i = 0; i < v.size(); ++i) {
    const float t = static_cast<float>(i) / kRate;
    const float env = std::min(1.0f, t / 0.02f) * std::exp(-t * 1.2f) * (t > length ? std::max(0.0f, 1.0f - (t - length) / 0.3f) : 1.0f);
    v[i] = env * (std::sin(kTwoPi * frequency * t) + 0.3f * std::sin(kTwoPi * 2.0f * frequency * t));
  }
  return v;
}

// A plucked string: a noise burst circulating through a damped delay line.
std::vector<float> Pluck(float frequency, Random& random) {
  const size_t period = static_cast<size_t>(kRate / frequency);
  std::vector<float> line(period);
  for (float& s : line) s = random.Noise();
  std::vector<float> v(static_cast<size_t>(1.4f * kRate));
  size_t at = 0;
  for (size_t i = 0; i < v.size(); ++i) {
    const size_t next = (at + 1) % period;
    const float out = line[at];
    line[at] = 0.4965f * (line[at] + line[next]);
    at = next;
    v[i] = out;
  }
  return v;
}

// A bell-like melody note: a sine with a gentle vibrato and an inharmonic shimmer that fades first.
std::vector<float> BellTone(float frequency, float length) {
  std::vector<float> v(static_cast<size_t>((length + 0.8f) * kRate));
  for (size_t i = 0; i < v.size(); ++i) {
    const float t = static_cast<float>(i) / kRate;
    const float vibrato = 1.0f + 0.003f * std::sin(kTwoPi * 5.0f * t) * std::min(1.0f, t / 0.4f);
    const float env = std::min(1.0f, t / 0.015f) * std::exp(-t * 1.5f) *
                      (t > length ? std::max(0.0f, 1.0f - (t - length) / 0.8f) : 1.0f);
    v[i] = env * (std::sin(kTwoPi * frequency * vibrato * t) + 0.25f * std::exp(-t * 4.0f) * std::sin(kTwoPi * frequency * 2.76f * t) +
                  0.15f * std::sin(kTwoPi * frequency * 2.0f * t));
  }
  return v;
}

Section SectionOf(int bar, int bars) {
  if (bar >= bars - 2) return Section::kEnding;
  if (bar < 4) return Section::kIntro;
  if (bar < 12) return Section::kGroove;
  const int body = bars - 2 - 12;  // song, bridge and finale share what is left
  const int at = bar - 12;
  if (at < body * 2 / 5) return Section::kSong;
  if (at < body * 3 / 5) return Section::kBridge;
  return Section::kFinale;
}

// Two bars of melody over the chord at `start`: a rhythm of quarter and eighth notes walking the scale,
// leaning towards the chord's own notes on strong beats.
void AddPhrase(Stereo& out, float start, const Chord& chord, Random& random, int& position, float gain) {
  static constexpr float kRhythms[][6] = {{1.0f, 1.0f, 0.5f, 0.5f, 1.0f, 4.0f},
                                          {1.5f, 0.5f, 1.0f, 1.0f, 2.0f, 2.0f},
                                          {0.5f, 0.5f, 1.0f, 2.0f, 1.0f, 3.0f}};
  const auto& rhythm = kRhythms[static_cast<int>(random.Next() * 3.0f) % 3];
  float beat = 0.0f;
  for (int n = 0; n < 6 && beat < 8.0f; ++n) {
    const float length = std::min(rhythm[n], 8.0f - beat);
    const int step = static_cast<int>(random.Next() * 5.0f) - 2;  // -2 .. 2
    position = std::clamp(position + step, 0, static_cast<int>(std::size(kScale)) - 1);
    int note = kScale[position];
    if (std::fmod(beat, 2.0f) == 0.0f) {
      // Strong beats take the nearest note of the chord.
      const int tones[] = {chord.root, chord.Third(), chord.Fifth()};
      int best = note;
      for (int tone : tones)
        for (int octave = tone + 24; octave <= tone + 48; octave += 12)
          if (std::abs(octave - note) < std::abs(best - note) || best == note) best = octave;
      if (std::abs(best - note) <= 2) note = best;
    }
    if (random.Next() > 0.12f)
      AddAt(out, start + beat * kBeat, BellTone(NoteFrequency(note), length * kBeat * 0.9f), gain, 0.35f + 0.3f * random.Next());
    beat += length;
  }
}

}  // namespace

Stereo MakeMusic(float seconds) {
  const int bars = std::max(8, static_cast<int>(seconds / kBar));
  Stereo out(static_cast<size_t>((bars * kBar + 3.0f) * kRate));
  Random random(2026);
  int melodyPosition = 2;
  for (int bar = 0; bar < bars; ++bar) {
    const Section section = SectionOf(bar, bars);
    const float start = bar * kBar;
    const Chord chord = section == Section::kBridge ? kBridge[bar % 4]
                        : section == Section::kEnding ? kVerse[0]
                                                      : kVerse[bar % 4];

    // The pad holds the chord for the whole bar, an octave above the bass.
    const int padNotes[] = {chord.root + 12, chord.Third() + 12, chord.Fifth() + 12};
    const float padLength = section == Section::kEnding && bar == bars - 1 ? kBar * 0.5f : kBar;
    for (int i = 0; i < 3; ++i)
      AddAt(out, start, PadTone(NoteFrequency(padNotes[i]), padLength), 0.05f, 0.3f + 0.2f * i);

    // Bass on the first beat and a fifth on the fourth, from the first bar on: the piece opens at
    // its level.
    if (section != Section::kBridge) {
      AddAt(out, start, BassTone(NoteFrequency(chord.root - 12), 2.6f * kBeat), 0.28f, 0.5f);
      AddAt(out, start + 3.0f * kBeat, BassTone(NoteFrequency(chord.Fifth() - 12), 0.9f * kBeat), 0.2f, 0.5f);
    }

    // Plucked eighth notes climbing and falling over the chord's notes.
    if (section != Section::kEnding && section != Section::kIntro) {
      const int arpeggio[] = {chord.root + 24, chord.Third() + 24, chord.Fifth() + 24, chord.root + 36,
                              chord.Fifth() + 24, chord.Third() + 24, chord.Fifth() + 24, chord.root + 36};
      const float gain = section == Section::kBridge ? 0.07f : 0.11f;
      for (int i = 0; i < 8; ++i)
        AddAt(out, start + i * 0.5f * kBeat, Pluck(NoteFrequency(arpeggio[i]), random), gain, i % 2 ? 0.7f : 0.3f);
    }

    // The melody sings over every other pair of bars in the song and over every pair in the finale.
    const bool sings = (section == Section::kSong && bar % 4 < 2) || section == Section::kFinale ||
                       (section == Section::kBridge && bar % 4 == 2);
    if (sings && bar % 2 == 0) AddPhrase(out, start, chord, random, melodyPosition, section == Section::kBridge ? 0.1f : 0.14f);
  }
  // Last a closing bell on the tonic.
  AddAt(out, (bars - 1) * kBar, BellTone(NoteFrequency(74), 2.0f), 0.14f, 0.5f);

  Reverberate(out, 0.45f, 0.72f);
  out.Normalise(kMusicPeak);
  // The end: where the reverberation has fallen 40 dB under the peak, after a short fade.
  size_t end = out.Frames();
  const float quiet = kMusicPeak * 0.01f;
  while (end > 0 && std::fabs(out.left[end - 1]) < quiet && std::fabs(out.right[end - 1]) < quiet) --end;
  out.left.resize(end);
  out.right.resize(end);
  // A fade at both ends, so that the piece starts and stops without a click.
  for (size_t i = 0; i < out.Frames(); ++i) {
    const float t = static_cast<float>(i) / kRate, left = static_cast<float>(out.Frames() - i) / kRate;
    const float fade = std::min({1.0f, t / 0.05f, left / 0.3f});
    out.left[i] *= fade;
    out.right[i] *= fade;
  }
  return out;
}

}  // namespace sound
