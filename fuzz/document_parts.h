// A scene document taken apart into what the seeds recombine: the slide records as stored, the audio
// files and the resource manager's tables. Read with the system's own stream, written with the
// test documents' builder.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/document_builder.h"

namespace seeds {

using docbuild::Bytes;

struct AudioFile {
  std::u16string title;
  Bytes bytes;
  std::u16string fileName;
};

struct DocumentParts {
  std::vector<Bytes> slides;  // each record from its class name to its last field
  std::vector<AudioFile> audioFiles;
  uint32_t managerVersion = 3;
  std::vector<docbuild::FileEntry> images;
  std::vector<docbuild::FrameTimeEntry> frameTimes;
  std::vector<docbuild::FileEntry> others;
  std::vector<docbuild::GuidBlobEntry> guidBlobs;
};

// False when the document cannot be read to its end.
bool ReadDocumentParts(const Bytes& document, DocumentParts* parts);
// A document of the parts, with the system's own header.
Bytes WriteDocument(const DocumentParts& parts);

// The bytes by which a record stores a link to (path, stamp).
Bytes StoredLink(std::u16string_view path, int64_t stamp);
bool Holds(const Bytes& bytes, const Bytes& part);

}  // namespace seeds
