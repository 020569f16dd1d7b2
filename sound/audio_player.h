// The music player: one filter graph for the whole process that plays the slide show's audio files
// and reports their end to the main window as WM_APP. Until the player exists, it has no graph: every
// operation does nothing and no event is ever queued.
#pragma once
#include <windows.h>

#include <dshow.h>

// The music settings, read from the registry each time a file starts; a value absent there keeps
// the one before.
extern DWORD g_SoundVolume;   // 0 to 100
extern DWORD g_SoundBalance;  // read, never applied
extern DWORD g_MuteSound;     // non-zero: no music

struct AudioPlayer {
  // Builds the graph and points its notifications at `window`. FALSE at the first step that fails,
  // keeping what was obtained before it.
  static BOOL Init(HWND window);
  // The next queued event code, or -1 when there is none.
  static LONG GetEvent();
  // Plays the file at `path` from its beginning: through its own source filter, or, when that chain
  // cannot be built, through the graph's own way of rendering a file.
  static void Play(const WCHAR* path);
  // Rebuilds the chain from `source` to the renderer, undoing the previous file's, and runs it from
  // the start; false at the first missing piece.
  static bool RenderSource(IBaseFilter* source);
  static BOOL RenderFileFallback(const WCHAR* path);
  // Seeks the file playing back to its beginning and runs the graph.
  static void Rewind();
  // Stops the graph (its control interface), when there is one.
  static void Stop();
  // The music volume of g_SoundVolume, or silence when `mute`.
  static void ApplyVolume(bool mute);
  // Releases the graph.
  static void Release();

  static IGraphBuilder* graph;
  static IMediaControl* control;
  static IMediaSeeking* seeking;
  static IMediaEventEx* events;
  static IBasicAudio* audio;
};
