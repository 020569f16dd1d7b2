// Reads the scene the executable carries (resource "DDS" 107): the slide-show root and the
// document's resource manager. The loader sits with the slide show because the document's root is a
// slide show.
#pragma once
#include <memory>

#include <windows.h>

#include "document/doc_res_manager.h"
#include "document/iof_virtual.h"
#include "slideshow/slide_show.h"

// Thrown (as this unsigned value) when the document is missing or cannot be read: the host's code for
// "Could not load required media.".
constexpr DWORD kSceneMediaError = 0x8200000b;

// The new root, owned by the caller; the new manager is published in g_DocResManager and belongs to
// the caller too, who takes it from there right after the call. Throws kSceneMediaError when the
// resource is missing, empty or unloadable, or when the document is truncated or corrupt; nothing is
// kept then and g_DocResManager is as before.
std::unique_ptr<DS_SlideShow_Light> LoadSceneDocument();

// The object header (not examined), then the slide list and the audio-file list.
std::unique_ptr<DS_SlideShow_Light> ReadSlideShow(DS_IOF_Virtual** stream);
// The object header, then the tables of the version it names.
std::unique_ptr<DS_DocResManager> ReadDocResManager(DS_IOF_Virtual** stream);
