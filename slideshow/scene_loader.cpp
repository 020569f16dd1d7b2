#include "slideshow/scene_loader.h"

#include <exception>

#include "document/iof_reader.h"
#include "document/resource_buffer.h"

std::unique_ptr<DS_SlideShow_Light> ReadSlideShow(DS_IOF_Virtual** stream) {
  ds_string name;
  DWORD version = 0;
  (*stream)->ReadString(&name);
  (*stream)->ReadULong(&version);
  auto show = std::make_unique<DS_SlideShow_Light>();
  ReadSlideList(stream, *show);
  ReadAudioFileList(stream, *show);
  return show;
}

std::unique_ptr<DS_DocResManager> ReadDocResManager(DS_IOF_Virtual** stream) {
  ds_string name;
  DWORD version = 0;
  (*stream)->ReadString(&name);
  (*stream)->ReadULong(&version);
  auto manager = std::make_unique<DS_DocResManager>();
  manager->ReadTables(stream, version);
  return manager;
}

namespace {

// Reads the whole document; the root and the manager are still the caller's to keep or drop.
struct LoadedScene {
  std::unique_ptr<DS_SlideShow_Light> show;
  std::unique_ptr<DS_DocResManager> manager;
};

LoadedScene ReadDocument(const void* bytes, DWORD size) {
  ResourceBuffer buffer(bytes, size);
  DS_IOF_R<ResourceBuffer> reader(&buffer);
  DS_IOF_Virtual* stream = &reader;
  // The header names the authoring tool's format; its text is not examined.
  ds_string header;
  stream->ReadString(&header);
  LoadedScene scene;
  scene.show = ReadSlideShow(&stream);
  scene.manager = ReadDocResManager(&stream);
  // A document cut short or corrupted leaves the stream failed: a half-read scene is never played.
  if (stream->Failed()) scene = {};
  return scene;
}

}  // namespace

std::unique_ptr<DS_SlideShow_Light> LoadSceneDocument() {
  const HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(107), u"DDS");
  const DWORD size = found ? SizeofResource(nullptr, found) : 0;
  const HGLOBAL loaded = size > 0 ? LoadResource(nullptr, found) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (bytes == nullptr) throw kSceneMediaError;

  // Building the manager publishes its store; a refused document leaves the current manager (and
  // its store) as they were.
  DS_DocResManager* const previous = g_DocResManager;
  LoadedScene scene;
  try {
    scene = ReadDocument(bytes, size);
  } catch (const std::exception&) {
    // Memory running out on an outsized document is a document that cannot be loaded.
    scene = {};
  }
  if (!scene.show) {
    SetCurrentDocResManager(previous);
    throw kSceneMediaError;
  }
  SetCurrentDocResManager(scene.manager.release());
  return std::move(scene.show);
}
