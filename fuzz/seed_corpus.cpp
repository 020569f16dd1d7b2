// Writes the seed documents of the scene's fuzz corpus into the folder given: the smallest
// document, an empty header, managers of versions 1 to 3 carrying pictures, other files, frame
// times and GUID blobs, some with an audio file; one document per slide of the sample scene (which
// holds every stored class) with that slide alone and an empty manager, so that the mutations reach
// every record's reader; the whole sample scene with small pictures and sounds in place of its
// megabytes, so that its pictures, meshes, sounds and effects are decoded, built and drawn together;
// and one document per effect of the resource library, with a slide that uses it and the files that
// slide names, the effect's text among them.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "fuzz/document_parts.h"
#include "fuzz/small_files.h"
#include "tests/support/document_builder.h"

namespace {

using docbuild::Bytes;
using docbuild::DocumentBuilder;

// A 2 x 2 picture of 24-bit pixels.
Bytes TinyBmp() {
  Bytes b{'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0, 2, 0, 0, 0, 2, 0, 0, 0, 1, 0, 24, 0};
  b.resize(54, 0);
  for (int row = 0; row < 2; ++row) b.insert(b.end(), {0x20, 0x80, 0xF0, 0xF0, 0x80, 0x20, 0, 0});
  return b;
}

bool Write(const std::string& folder, const char* name, const Bytes& bytes) {
  const std::string path = folder + "/" + name;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

Bytes WithManager(uint32_t version, bool audio) {
  DocumentBuilder doc;
  doc.String(u"KVT v 4.0.0").Header(u"DS_SlideShow_Light", 1).U32(0);
  if (audio) {
    doc.U32(1).Header(u"DS_AudioFile", 1).String(u"Theme").Blob(Bytes{'I', 'D', '3', 0, 1, 2}, u"C:\\music\\theme.mp3");
  } else {
    doc.U32(0);
  }
  const std::vector<docbuild::FileEntry> images = {
      {u"C:\\pictures\\tiny.bmp", 1, {docbuild::Embedded(u"C:\\pictures\\tiny.bmp", TinyBmp())}},
      {u"", 5, {}},
  };
  const std::vector<docbuild::FrameTimeEntry> times = {{u"C:\\pictures\\tiny.bmp", 1, {0.5f, 0.25f}}};
  const std::vector<docbuild::FileEntry> others = {
      {u"vaultkit.dll", 7, {docbuild::LibraryCopy(7, u"vaultkit.dll", Bytes{1, 2, 3})}}};
  const std::vector<docbuild::GuidBlobEntry> guids = {
      {u"{01234567-89AB-CDEF-0123-456789ABCDEF}", u"text", 1, TinyBmp(), u"text.bmp"}};
  doc.DocResManager(version, images, times, others, guids);
  return doc.Document();
}

bool ReadFile(const char* path, Bytes* bytes) {
  FILE* file = std::fopen(path, "rb");
  if (!file) return false;
  uint8_t chunk[65536];
  for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) bytes->insert(bytes->end(), chunk, chunk + got);
  const bool read = !std::ferror(file);
  std::fclose(file);
  return read;
}

constexpr size_t kSmallMusicBytes = 4096;  // the first frames of a soundtrack

// The whole scene with small files in place of its pictures and sounds.
seeds::DocumentParts WithSmallFiles(seeds::DocumentParts parts, const seeds::SmallPictures& pictures) {
  for (auto* table : {&parts.images, &parts.others})
    for (auto& entry : *table)
      for (auto& record : entry.records) record.bytes = seeds::SmallFile(record.bytes, pictures);
  for (auto& entry : parts.guidBlobs) entry.blob = seeds::SmallFile(entry.blob, pictures);
  for (auto& audio : parts.audioFiles) audio.bytes.resize(std::min(audio.bytes.size(), kSmallMusicBytes));
  return parts;
}

// The scene with its copies of the library's pictures named, as embedded files are: a named record's
// own bytes are decoded, where a nameless copy gives way to the library's resource when the library
// is at hand (as it is beside the fuzz target).
seeds::DocumentParts WithNamedCopies(seeds::DocumentParts parts) {
  for (auto& entry : parts.images)
    for (auto& record : entry.records)
      if (record.name.empty() && record.id != 0) {
        const std::string id = std::to_string(record.id);
        record.name = record.library + u"#" + std::u16string(id.begin(), id.end());
        record.id = 0;
        record.library.clear();
      }
  return parts;
}

// The ids of the resource library's effects, as its script names them ("ID RCDATA "FILE"").
std::set<int32_t> LibraryEffects(const char* script) {
  std::set<int32_t> effects;
  std::ifstream in(script);
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    int32_t id = 0;
    std::string type;
    if (words >> id >> type && type == "RCDATA")
      effects.insert(id);
  }
  return effects;
}

template <typename Entry>
std::vector<Entry> NamedBy(const Bytes& slide, const std::vector<Entry>& table) {
  std::vector<Entry> named;
  for (const Entry& entry : table)
    if (seeds::Holds(slide, seeds::StoredLink(entry.path, entry.stamp))) named.push_back(entry);
  return named;
}

// The first slide of the scene that links to library effect `id`, alone with the files it names (the
// scene carries a copy of every library resource its records link to, so the effect's text is among
// them) but no other library effect: those the slide also uses come from the library, so that the
// documents of effects that share a slide differ. Empty when no slide uses the effect or the scene
// does not carry it.
Bytes EffectDocument(const seeds::DocumentParts& scene, int32_t id, const std::set<int32_t>& effects) {
  const Bytes link = seeds::StoredLink(u"vaultkit.dll", id);
  for (const Bytes& slide : scene.slides) {
    if (!seeds::Holds(slide, link)) continue;
    seeds::DocumentParts parts;
    parts.slides = {slide};
    parts.images = NamedBy(slide, scene.images);
    parts.frameTimes = NamedBy(slide, scene.frameTimes);
    parts.others = NamedBy(slide, scene.others);
    std::erase_if(parts.others, [&](const docbuild::FileEntry& entry) {
      return entry.path == u"vaultkit.dll" && entry.stamp != id && effects.contains(static_cast<int32_t>(entry.stamp));
    });
    parts.guidBlobs = scene.guidBlobs;
    const bool carried = std::any_of(parts.others.begin(), parts.others.end(), [id](const docbuild::FileEntry& entry) {
      return entry.path == u"vaultkit.dll" && entry.stamp == id;
    });
    return carried ? seeds::WriteDocument(parts) : Bytes{};
  }
  return {};
}

// One slide in a document of its own, with no music and an empty manager.
Bytes AloneInADocument(const Bytes& slide) {
  DocumentBuilder doc;
  doc.String(u"KVT v 4.0.0").Header(u"DS_SlideShow_Light", 1).U32(1).Raw(slide).U32(0);
  doc.DocResManager(3, {}, {}, {}, {});
  return doc.Document();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 6) {
    std::fprintf(stderr, "usage: scene_seed_corpus FOLDER SAMPLE_SCENE SMALL_JPEG SMALL_PNG LIBRARY_SCRIPT\n");
    return 2;
  }
  const std::string folder = argv[1];
  Bytes sample;
  seeds::SmallPictures pictures;
  const std::pair<const char*, Bytes*> inputs[] = {{argv[2], &sample}, {argv[3], &pictures.jpeg}, {argv[4], &pictures.png}};
  for (const auto& [path, bytes] : inputs) {
    if (!ReadFile(path, bytes)) {
      std::fprintf(stderr, "scene_seed_corpus: cannot read %s\n", path);
      return 1;
    }
  }
  seeds::DocumentParts scene;
  if (!seeds::ReadDocumentParts(sample, &scene) || scene.slides.empty()) {
    std::fprintf(stderr, "scene_seed_corpus: the sample scene %s cannot be read\n", argv[2]);
    return 1;
  }
  const seeds::DocumentParts small = WithSmallFiles(scene, pictures);
  bool written = Write(folder, "scene-small-files.dds", seeds::WriteDocument(small)) &&
                 Write(folder, "scene-small-files-named-copies.dds", seeds::WriteDocument(WithNamedCopies(small)));
  const std::set<int32_t> effects = LibraryEffects(argv[5]);
  for (const int32_t id : effects) {
    const Bytes document = EffectDocument(small, id, effects);
    if (document.empty()) {
      std::fprintf(stderr, "scene_seed_corpus: no slide of the sample scene uses and carries library effect %d\n", id);
      return 1;
    }
    written = written && Write(folder, ("effect-" + std::to_string(id) + ".dds").c_str(), document);
  }
  for (size_t i = 0; i < scene.slides.size(); ++i) {
    const std::string name = "slide-" + std::to_string(i + 1) + ".dds";
    written = written && Write(folder, name.c_str(), AloneInADocument(scene.slides[i]));
  }
  DocumentBuilder emptyHeader;
  emptyHeader.String(u"").Header(u"DS_SlideShow_Light", 1).U32(0).U32(0).DocResManager(1, {}, {}, {}, {});
  written = written && Write(folder, "minimal.dds", docbuild::MinimalDocument()) &&
            Write(folder, "empty-header.dds", emptyHeader.Document()) &&
            Write(folder, "manager-1.dds", WithManager(1, false)) &&
            Write(folder, "manager-2-audio.dds", WithManager(2, true)) &&
            Write(folder, "manager-3.dds", WithManager(3, false)) &&
            Write(folder, "manager-3-audio.dds", WithManager(3, true));
  if (!written) {
    std::fprintf(stderr, "scene_seed_corpus: cannot write into %s\n", folder.c_str());
    return 1;
  }
  return 0;
}
