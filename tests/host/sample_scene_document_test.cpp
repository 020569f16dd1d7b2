// The embedded sample scene document as built: it names every stored class the system registers (and
// every class level the system's own document holds), carries a soundtrack of MP3 frames of one to
// three minutes, and gives its slides sound effects that loop and that play once, each a WAVE file
// the document carries.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "document/class_registry.h"
#include "document/doc_res_manager.h"
#include "slideshow/lake_light.h"
#include "sound/wav_constructor.h"
#include "tests/host/scene_probe.h"

namespace {

using SampleSceneDocumentTest = HostTest;
using Bytes = std::vector<uint8_t>;

Bytes EmbeddedDocument() {
  HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(107), u"DDS");
  if (!found) return {};
  const auto* bytes = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, found)));
  return bytes ? Bytes(bytes, bytes + SizeofResource(nullptr, found)) : Bytes{};
}

// A class name as the document stores it: the string marker, a one-byte length and UTF-16 units.
Bytes StoredName(const ds_string& name) {
  Bytes stored = {0xFF, 0xFE, 0xFF, static_cast<uint8_t>(name.size())};
  for (char16_t c : name) {
    stored.push_back(static_cast<uint8_t>(c & 0xFF));
    stored.push_back(static_cast<uint8_t>(c >> 8));
  }
  return stored;
}

bool Holds(const Bytes& document, const ds_string& name) {
  const Bytes stored = StoredName(name);
  return std::search(document.begin(), document.end(), stored.begin(), stored.end()) != document.end();
}

std::string Narrow(const ds_string& text) { return std::string(text.begin(), text.end()); }

// MPEG-1 layer III frames from the first one on, walked by their own headers; the count of whole
// frames in a row (44.1 kHz frames hold 1152 samples each).
struct Mp3Walk {
  int frames = 0;
  int sampleRate = 0;
  bool reachedEnd = false;
};

Mp3Walk WalkMp3(const uint8_t* bytes, size_t size) {
  static constexpr int kBitrates[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
  static constexpr int kRates[] = {44100, 48000, 32000, 0};
  Mp3Walk walk;
  size_t at = 0;
  // An ID3 tag may come first.
  if (size > 10 && bytes[0] == 'I' && bytes[1] == 'D' && bytes[2] == '3')
    at = 10 + ((bytes[6] & 0x7F) << 21 | (bytes[7] & 0x7F) << 14 | (bytes[8] & 0x7F) << 7 | (bytes[9] & 0x7F));
  while (at + 4 <= size) {
    const uint8_t* h = bytes + at;
    const bool mpeg1Layer3 = h[0] == 0xFF && (h[1] & 0xFE) == 0xFA;
    const int bitrate = kBitrates[h[2] >> 4], rate = kRates[(h[2] >> 2) & 3];
    if (!mpeg1Layer3 || bitrate == 0 || rate == 0) return walk;
    walk.sampleRate = rate;
    at += static_cast<size_t>(144 * bitrate * 1000 / rate + ((h[2] >> 1) & 1));
    if (at > size) return walk;
    ++walk.frames;
  }
  walk.reachedEnd = at == size;
  return walk;
}

// The audio files of the document as stored: each "DS_AudioFile" record's title and blob. The player
// gives the bytes up once it has written them out, so the document is read here as it is embedded.
std::vector<Bytes> StoredAudioFiles(const Bytes& document) {
  std::vector<Bytes> files;
  const Bytes header = StoredName(u"DS_AudioFile");
  auto at = document.begin();
  while ((at = std::search(at, document.end(), header.begin(), header.end())) != document.end()) {
    size_t i = static_cast<size_t>(at - document.begin()) + header.size() + 4;  // past the version
    if (i + 4 > document.size() || document[i] != 0xFF) break;
    const size_t titleLength = document[i + 3];  // the sample's titles are short
    i += 4 + 2 * titleLength;
    if (i + 4 > document.size()) break;
    const size_t size = document[i] | document[i + 1] << 8 | document[i + 2] << 16 | size_t{document[i + 3]} << 24;
    i += 4;
    if (i + size > document.size()) break;
    files.emplace_back(document.begin() + static_cast<std::ptrdiff_t>(i), document.begin() + static_cast<std::ptrdiff_t>(i + size));
    at = document.begin() + static_cast<std::ptrdiff_t>(i + size);
  }
  return files;
}

bool IsWave(const ResourceRecord* record) {
  if (!record || record->Size() < 44) return false;
  const std::string_view bytes(reinterpret_cast<const char*>(record->Bytes()), record->Size());
  return bytes.substr(0, 4) == "RIFF" && bytes.substr(8, 8) == "WAVEfmt ";
}

TEST_F(SampleSceneDocumentTest, NamesEveryRegisteredClassAndEveryClassLevelOfTheSystemsOwnDocument) {
  const Bytes document = EmbeddedDocument();
  ASSERT_FALSE(document.empty());
  std::set<ds_string> names;
  for (const auto& [name, reader] : GetLightRegistry()) names.insert(name);
  for (const auto& [name, reader] : GetSlideRegistry()) names.insert(name);
  // Tests of this program register classes of their own, named "Test...": the product's are the rest.
  for (const auto& [name, reader] : GetConstructorRegistry())
    if (!name.starts_with(u"Test")) names.insert(name);
  EXPECT_EQ(GetLightRegistry().size(), 7u);
  EXPECT_EQ(GetSlideRegistry().size(), 1u);
  // The levels the system's own document is made of, the embedded brushes among them.
  for (const char16_t* level : {u"DS_SlideShow_Light", u"DS_DocResManager", u"DS_AudioFile", u"DSM_Camera",
                                u"DS_FireFX", u"DS_UnderwaterFX", u"DS_FX_Constructor", u"DS_ABObj_Constructor",
                                u"DS_ViewObjCtrl", u"DS_BaseSpriteProp", u"DS_BoundControl", u"DS_Sound_Ctrl"})
    names.insert(level);
  for (const auto& name : names) EXPECT_TRUE(Holds(document, name)) << Narrow(name) << " is not in the document";
}

TEST_F(SampleSceneDocumentTest, CarriesASoundtrackOfOneToThreeMinutesOfMp3Frames) {
  const std::vector<Bytes> files = StoredAudioFiles(EmbeddedDocument());
  ASSERT_FALSE(files.empty());
  for (const Bytes& file : files) {
    const Mp3Walk walk = WalkMp3(file.data(), file.size());
    EXPECT_TRUE(walk.reachedEnd) << "the file is MP3 frames up to its end";
    EXPECT_EQ(walk.sampleRate, 44100);
    const double seconds = walk.frames * 1152.0 / 44100.0;
    EXPECT_GE(seconds, 60.0);
    EXPECT_LE(seconds, 180.0);
  }
}

TEST_F(SampleSceneDocumentTest, GivesItsSlidesLoopingAndOneShotWaveEffects) {
  SceneProbe saver;
  bool looked = false;
  saver.afterRender = [&](SceneProbe& s, UINT, int) {
    DS_SlideShow_Light* show = s.Scene(0).sceneRoot.get();
    if (looked || !show || !show->currentSlide.Get()) return;
    looked = true;

    int looping = 0, oneShot = 0;
    std::set<ds_string> slidesWithSound;
    for (const auto& slide : show->slides) {
      for (const auto& sound : slide->sounds) {
        auto* wav = dynamic_cast<DS_WAV_Constructor*>(sound->Controller());
        ASSERT_NE(wav, nullptr);
        SCOPED_TRACE(Narrow(slide->name.value) + ": " + Narrow(wav->file.path));
        EXPECT_TRUE(IsWave(g_DocResManager->GetFileRecord(wav->file))) << "the document carries the WAVE file";
        EXPECT_GT(wav->volume.value, 0u);
        ++(wav->Loops() ? looping : oneShot);
        if (!wav->Loops()) {
          EXPECT_LE(wav->minimumInterval.value, wav->maximumInterval.value);
        }
        slidesWithSound.insert(slide->name.value);
      }
    }
    EXPECT_GT(looping, 0);
    EXPECT_GT(oneShot, 0);
    // The campfire crackles, the storm rains and thunders, the meadow's birds sing.
    for (const char16_t* name : {u"Campfire", u"Storm", u"Meadow"}) EXPECT_TRUE(slidesWithSound.contains(name)) << Narrow(name);
  };
  saver.stopWhen = [&](SceneProbe&) { return looked; };
  saver.Start(u"s /p " + PreviewParent(160, 120));
  EXPECT_TRUE(looked);
  EXPECT_FALSE(saver.m_errorMode);
}

// The lakes' bump maps are clamped, so a tiling above one would smear the map's edge over the rest
// of the lake (and is held at one): every lake of the scene stores a tiling its layer shows as
// stored.
TEST_F(SampleSceneDocumentTest, StoresLakeBumpTilingsOfAtMostOne) {
  SceneProbe saver;
  int lakes = 0;
  saver.afterRender = [&](SceneProbe& s, UINT, int) {
    DS_SlideShow_Light* show = s.Scene(0).sceneRoot.get();
    if (lakes > 0 || !show || !show->currentSlide.Get()) return;
    for (const auto& slide : show->slides) {
      if (const auto* lake = dynamic_cast<const FakeLake2D*>(slide->layer.Get())) {
        ++lakes;
        EXPECT_LE(lake->bumpTiling.value, 100u) << Narrow(slide->name.value);
      }
    }
  };
  saver.stopWhen = [&](SceneProbe&) { return lakes > 0; };
  saver.Start(u"s /p " + PreviewParent(160, 120));
  EXPECT_GT(lakes, 0);
}

}  // namespace
