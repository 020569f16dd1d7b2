#include "fuzz/document_parts.h"

#include <algorithm>

#include "document/class_registry.h"
#include "document/iof_reader.h"
#include "document/resource_buffer.h"
#include "document/resource_record.h"
#include "render/counted_ptr.h"
#include "slideshow/slide_container.h"

namespace seeds {

namespace {

docbuild::Record RecordOf(const ResourceRecord& record) {
  return {record.id, record.library, Bytes(record.Bytes(), record.Bytes() + record.Size()), record.name};
}

void ReadFileTable(DS_IOF_Virtual* stream, std::vector<docbuild::FileEntry>* table) {
  DWORD count = 0;
  stream->ReadULong(&count);
  for (DWORD i = 0; i < count && !stream->Failed(); ++i) {
    docbuild::FileEntry entry;
    DWORD records = 0;
    stream->ReadString(&entry.path);
    stream->ReadInt64(&entry.stamp);
    stream->ReadULong(&records);
    for (DWORD r = 0; r < records && !stream->Failed(); ++r) {
      ResourceRecord record;
      stream->ReadResourceRecord(&record);
      entry.records.push_back(RecordOf(record));
    }
    table->push_back(std::move(entry));
  }
}

void ReadFrameTimes(DS_IOF_Virtual* stream, std::vector<docbuild::FrameTimeEntry>* table) {
  DWORD count = 0;
  stream->ReadULong(&count);
  for (DWORD i = 0; i < count && !stream->Failed(); ++i) {
    docbuild::FrameTimeEntry entry;
    DWORD times = 0;
    stream->ReadString(&entry.path);
    stream->ReadInt64(&entry.stamp);
    stream->ReadULong(&times);
    entry.times.resize(stream->Holds(uint64_t{times} * 4) ? times : 0);
    for (float& time : entry.times) stream->ReadFloat(&time);
    table->push_back(std::move(entry));
  }
}

void ReadGuidBlobs(DS_IOF_Virtual* stream, std::vector<docbuild::GuidBlobEntry>* table) {
  DWORD count = 0;
  stream->ReadULong(&count);
  for (DWORD i = 0; i < count && !stream->Failed(); ++i) {
    docbuild::GuidBlobEntry entry;
    ResourceRecord blob;
    stream->ReadString(&entry.guidText);
    stream->ReadString(&entry.name);
    stream->ReadByte(&entry.flag);
    stream->ReadBlob(&blob);
    entry.blob.assign(blob.Bytes(), blob.Bytes() + blob.Size());
    entry.blobName = blob.name;
    table->push_back(std::move(entry));
  }
}

}  // namespace

bool ReadDocumentParts(const Bytes& document, DocumentParts* parts) {
  ResourceBuffer buffer(document.data(), document.size());
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  ds_string text;
  DWORD version = 0, count = 0;
  stream->ReadString(&text);
  stream->ReadString(&text);
  stream->ReadULong(&version);
  stream->ReadULong(&count);
  for (DWORD i = 0; i < count && !stream->Failed(); ++i) {
    const BYTE* start = buffer.cursor;
    const CountedPtr<DS_SlideContainer> slide(ReadSlideByClassName(&stream));
    if (!slide.Get()) return false;
    parts->slides.emplace_back(start, buffer.cursor);
  }
  stream->ReadULong(&count);
  for (DWORD i = 0; i < count && !stream->Failed(); ++i) {
    AudioFile audio;
    ResourceRecord blob;
    stream->ReadString(&text);
    stream->ReadULong(&version);
    stream->ReadString(&audio.title);
    stream->ReadBlob(&blob);
    audio.bytes.assign(blob.Bytes(), blob.Bytes() + blob.Size());
    audio.fileName = blob.name;
    parts->audioFiles.push_back(std::move(audio));
  }
  stream->ReadString(&text);
  stream->ReadULong(&parts->managerVersion);
  ReadFileTable(stream, &parts->images);
  ReadFrameTimes(stream, &parts->frameTimes);
  if (parts->managerVersion != 1) ReadFileTable(stream, &parts->others);
  if (parts->managerVersion != 1 && parts->managerVersion != 2) ReadGuidBlobs(stream, &parts->guidBlobs);
  return !stream->Failed();
}

Bytes WriteDocument(const DocumentParts& parts) {
  docbuild::DocumentBuilder doc;
  doc.String(u"KVT v 4.0.0").Header(u"DS_SlideShow_Light", 1).U32(static_cast<uint32_t>(parts.slides.size()));
  for (const Bytes& slide : parts.slides) doc.Raw(slide);
  doc.U32(static_cast<uint32_t>(parts.audioFiles.size()));
  for (const AudioFile& audio : parts.audioFiles)
    doc.Header(u"DS_AudioFile", 1).String(audio.title).Blob(audio.bytes, audio.fileName);
  doc.DocResManager(parts.managerVersion, parts.images, parts.frameTimes, parts.others, parts.guidBlobs);
  return doc.Document();
}

Bytes StoredLink(std::u16string_view path, int64_t stamp) {
  docbuild::DocumentBuilder link;
  link.Link(path, stamp);
  return link.Document();
}

bool Holds(const Bytes& bytes, const Bytes& part) {
  return std::search(bytes.begin(), bytes.end(), part.begin(), part.end()) != bytes.end();
}

}  // namespace seeds
