// Writes the small seed documents of the loader's fuzz corpus into the folder given: the smallest
// document, an empty header, and managers of versions 1 to 3 carrying pictures, other files, frame
// times and GUID blobs, some with an audio file.
#include <cstdio>
#include <string>

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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: scene_seed_corpus FOLDER\n");
    return 2;
  }
  const std::string folder = argv[1];
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
