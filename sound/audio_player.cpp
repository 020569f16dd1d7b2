#include "sound/audio_player.h"

#include <algorithm>
#include <cmath>
#include <vector>

DWORD g_SoundVolume = 100;
DWORD g_SoundBalance = 50;
DWORD g_MuteSound = 0;

IGraphBuilder* AudioPlayer::graph = nullptr;
IMediaControl* AudioPlayer::control = nullptr;
IMediaSeeking* AudioPlayer::seeking = nullptr;
IMediaEventEx* AudioPlayer::events = nullptr;
IBasicAudio* AudioPlayer::audio = nullptr;

namespace {

constexpr LONG kSilence = -10000;
constexpr DWORD kFullVolume = 100;
constexpr LONG kNoEvent = -1;

// The source filter of the file playing, with a reference: the next file's chain takes it out of
// the graph, so that a long run does not collect one source (and its open file) per file played.
IBaseFilter* g_currentSource = nullptr;

template <class T>
void ReleaseAndClear(T*& pointer) {
  if (pointer != nullptr) pointer->Release();
  pointer = nullptr;
}

void RewindAndRun() {
  LONGLONG start = 0;
  AudioPlayer::seeking->SetPositions(&start, AM_SEEKING_AbsolutePositioning, nullptr, AM_SEEKING_NoPositioning);
  AudioPlayer::control->Run();
}

}  // namespace

BOOL AudioPlayer::Init(HWND window) {
  // A player made before (a second start in one process) is given up rather than leaked.
  Release();
  CoInitialize(nullptr);
  if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                              IID_IGraphBuilder, reinterpret_cast<void**>(&graph))))
    return FALSE;
  if (FAILED(graph->QueryInterface(IID_IMediaControl, reinterpret_cast<void**>(&control)))) return FALSE;
  if (FAILED(graph->QueryInterface(IID_IMediaSeeking, reinterpret_cast<void**>(&seeking)))) return FALSE;
  if (FAILED(graph->QueryInterface(IID_IMediaEventEx, reinterpret_cast<void**>(&events)))) return FALSE;
  if (FAILED(graph->QueryInterface(IID_IBasicAudio, reinterpret_cast<void**>(&audio)))) return FALSE;
  if (FAILED(events->SetNotifyWindow(reinterpret_cast<OAHWND>(window), WM_APP, 0))) return FALSE;
  return TRUE;
}

LONG AudioPlayer::GetEvent() {
  if (!events) return kNoEvent;
  LONG code = 0;
  LONG_PTR param1 = 0;
  LONG_PTR param2 = 0;
  if (FAILED(events->GetEvent(&code, &param1, &param2, 0))) return kNoEvent;
  events->FreeEventParams(code, param1, param2);
  return code;
}

void AudioPlayer::Play(const WCHAR* path) {
  if (path == nullptr) return;
  IBaseFilter* source = nullptr;
  if (graph && FAILED(graph->AddSourceFilter(path, path, &source))) source = nullptr;
  const bool rendered = RenderSource(source);
  if (!rendered) {
    // A source that could not take part leaves the graph again.
    if (source && graph) graph->RemoveFilter(source);
    if (control) control->Stop();
    RenderFileFallback(path);
  }
  if (source) source->Release();
}

bool AudioPlayer::RenderSource(IBaseFilter* source) {
  if (!source) return false;
  IPin* output = nullptr;
  if (FAILED(source->FindPin(u"Output", &output)) || !output) return false;
  if (!control || !seeking || !graph) {
    output->Release();
    return false;
  }
  control->Stop();
  IEnumFilters* enumerator = nullptr;
  if (FAILED(graph->EnumFilters(&enumerator)) || !enumerator) {
    output->Release();
    return false;
  }
  // Taking each filter out and putting it back breaks every connection, so the previous file's
  // chain is undone while its decoders and renderer stay for reuse; the previous source goes.
  std::vector<IBaseFilter*> filters;
  enumerator->Reset();
  IBaseFilter* filter = nullptr;
  while (enumerator->Next(1, &filter, nullptr) == S_OK && filter) {
    filters.push_back(filter);
    filter = nullptr;
  }
  enumerator->Release();
  if (filters.empty()) {
    output->Release();
    return false;
  }
  for (IBaseFilter* each : filters) {
    graph->RemoveFilter(each);
    if (each != g_currentSource || each == source) graph->AddFilter(each, nullptr);
    each->Release();
  }
  ReleaseAndClear(g_currentSource);
  const HRESULT rendered = graph->Render(output);
  output->Release();
  if (FAILED(rendered)) return false;
  source->AddRef();
  g_currentSource = source;
  RewindAndRun();
  return true;
}

BOOL AudioPlayer::RenderFileFallback(const WCHAR* path) {
  if (!graph) return FALSE;
  graph->RenderFile(path, nullptr);
  LONGLONG duration = 0;
  if (seeking) seeking->GetDuration(&duration);
  if (control) control->Run();
  return TRUE;
}

void AudioPlayer::Rewind() {
  if (control && seeking) RewindAndRun();
}

void AudioPlayer::Stop() {
  if (control) control->Stop();
}

void AudioPlayer::ApplyVolume(bool mute) {
  if (!audio) return;
  // A registry value above 100 would ask for more than full volume, which the graph refuses.
  const DWORD volume = std::min(g_SoundVolume, kFullVolume);
  const LONG level = mute ? kSilence
                          : static_cast<LONG>(std::trunc((static_cast<double>(volume) - 100.0) * 100.0 *
                                                         0.4000000059604645));
  audio->put_Volume(level);
}

void AudioPlayer::Release() {
  ReleaseAndClear(g_currentSource);
  ReleaseAndClear(audio);
  ReleaseAndClear(events);
  ReleaseAndClear(seeking);
  ReleaseAndClear(control);
  ReleaseAndClear(graph);
}
