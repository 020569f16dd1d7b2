// Writes the small seed documents of the scene's fuzz corpus into the folder given: the smallest
// document, an empty header, managers of versions 1 to 3 carrying pictures, other files, frame
// times and GUID blobs, some with an audio file, and one document per slide of the sample scene
// (which holds every stored class) with that slide alone and an empty manager, so that the
// mutations reach every record's reader without the sample's megabytes of pictures and sounds.
#include <cstdio>
#include <string>
#include <vector>

#include "document/class_registry.h"
#include "document/iof_reader.h"
#include "document/resource_buffer.h"
#include "render/counted_ptr.h"
#include "slideshow/slide_container.h"
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

// The bytes of each slide record of a document, as the slide registry reads them.
std::vector<Bytes> SlideRecords(const Bytes& document) {
  ResourceBuffer buffer(document.data(), document.size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  ds_string text;
  DWORD version = 0, count = 0;
  stream->ReadString(&text);
  stream->ReadString(&text);
  stream->ReadULong(&version);
  stream->ReadULong(&count);
  std::vector<Bytes> slides;
  for (DWORD i = 0; i < count && !stream->Failed(); ++i) {
    const BYTE* start = buffer.cursor;
    const CountedPtr<DS_SlideContainer> slide(ReadSlideByClassName(&stream));
    if (!stream->Failed()) slides.emplace_back(start, buffer.cursor);
  }
  return slides;
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
  if (argc != 3) {
    std::fprintf(stderr, "usage: scene_seed_corpus FOLDER SAMPLE_SCENE\n");
    return 2;
  }
  const std::string folder = argv[1];
  Bytes sample;
  if (!ReadFile(argv[2], &sample)) {
    std::fprintf(stderr, "scene_seed_corpus: cannot read %s\n", argv[2]);
    return 1;
  }
  const std::vector<Bytes> slides = SlideRecords(sample);
  if (slides.empty()) {
    std::fprintf(stderr, "scene_seed_corpus: no slide could be read from %s\n", argv[2]);
    return 1;
  }
  for (size_t i = 0; i < slides.size(); ++i) {
    const std::string name = "slide-" + std::to_string(i + 1) + ".dds";
    if (!Write(folder, name.c_str(), AloneInADocument(slides[i]))) {
      std::fprintf(stderr, "scene_seed_corpus: cannot write into %s\n", folder.c_str());
      return 1;
    }
  }
  DocumentBuilder emptyHeader;
  emptyHeader.String(u"").Header(u"DS_SlideShow_Light", 1).U32(0).U32(0).DocResManager(1, {}, {}, {}, {});
  const bool written = Write(folder, "minimal.dds", docbuild::MinimalDocument()) &&
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
