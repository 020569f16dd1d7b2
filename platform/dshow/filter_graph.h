// The filter graph object: one object behind every interface the player asks for. A rendered
// chain plays on the machine's clock from Run, heard as the mixer's music voice at the graph's
// volume; when it reaches the end of its file the graph queues EC_COMPLETE once and posts the
// notify message to the notify window. A file that could not be rendered ends at once.
#pragma once
#include <atomic>
#include <deque>
#include <mutex>
#include <vector>

#include <dshow.h>

#include "platform/audio/voice.h"
#include "platform/dshow/filters.h"

namespace dshow {

struct GraphProbe;

class FilterGraph final : public IGraphBuilder,
                          public IMediaControl,
                          public IMediaSeeking,
                          public IMediaEventEx,
                          public IBasicAudio {
 public:
  FilterGraph();
  FilterGraph(const FilterGraph&) = delete;
  FilterGraph& operator=(const FilterGraph&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE AddFilter(IBaseFilter* filter, LPCWSTR name) override;
  HRESULT STDMETHODCALLTYPE RemoveFilter(IBaseFilter* filter) override;
  HRESULT STDMETHODCALLTYPE EnumFilters(IEnumFilters** filters) override;
  HRESULT STDMETHODCALLTYPE Render(IPin* pin) override;
  HRESULT STDMETHODCALLTYPE RenderFile(LPCWSTR file, LPCWSTR playList) override;
  HRESULT STDMETHODCALLTYPE AddSourceFilter(LPCWSTR file, LPCWSTR filterName, IBaseFilter** filter) override;

  HRESULT STDMETHODCALLTYPE Run() override;
  HRESULT STDMETHODCALLTYPE Pause() override;
  HRESULT STDMETHODCALLTYPE Stop() override;
  HRESULT STDMETHODCALLTYPE GetState(LONG timeout, OAFilterState* state) override;

  HRESULT STDMETHODCALLTYPE SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop,
                                         DWORD stopFlags) override;
  HRESULT STDMETHODCALLTYPE GetDuration(LONGLONG* duration) override;
  HRESULT STDMETHODCALLTYPE GetCurrentPosition(LONGLONG* position) override;

  HRESULT STDMETHODCALLTYPE GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeout) override;
  HRESULT STDMETHODCALLTYPE FreeEventParams(LONG code, LONG_PTR param1, LONG_PTR param2) override;
  HRESULT STDMETHODCALLTYPE SetNotifyWindow(OAHWND window, LONG message, LONG_PTR instance) override;

  HRESULT STDMETHODCALLTYPE put_Volume(LONG volume) override;
  HRESULT STDMETHODCALLTYPE get_Volume(LONG* volume) override;
  HRESULT STDMETHODCALLTYPE put_Balance(LONG balance) override;
  HRESULT STDMETHODCALLTYPE get_Balance(LONG* balance) override;

  IFilterGraph* AsFilterGraph() { return static_cast<IGraphBuilder*>(this); }
  // Queues the end of the file when the clock has passed it.
  void Service();
  GraphProbe Probe();

 private:
  ~FilterGraph() override;

  struct Event {
    LONG code;
    LONG_PTR param1;
    LONG_PTR param2;
  };

  // With the lock held.
  HRESULT RenderPin(Pin* pin);
  Filter* FreeFilter(FilterKind kind, MediaKind media);
  void Insert(Filter* filter);
  bool HasChain();
  REFERENCE_TIME Duration();
  REFERENCE_TIME Position();
  void CheckEnd();
  // The source whose chain reaches the renderer, if any.
  Filter* PlayingSource();
  // The music voice follows the chain, the state, the position and the volume.
  void SyncVoice();

  std::atomic<ULONG> refs_{1};
  std::recursive_mutex lock_;
  std::vector<Filter*> filters_;  // each with the graph's reference
  OAFilterState state_ = State_Stopped;
  REFERENCE_TIME position_ = 0;  // when stopped or paused; from runStart_ while running
  int64_t runStart_ = 0;         // clock nanoseconds
  bool ended_ = false;
  std::deque<Event> events_;
  HWND notifyWindow_ = nullptr;
  UINT notifyMessage_ = 0;
  LONG_PTR notifyInstance_ = 0;
  LONG volume_ = 0;
  LONG balance_ = 0;
  // The last render or file render failed, so that Run ends at once instead of never.
  bool renderFailed_ = false;
  bool lastEndFailed_ = false;
  int64_t lastEndTime_ = 0;
  std::shared_ptr<audio::Stream> stream_;  // the one the voice reads
  audio::Voice voice_;
};

}  // namespace dshow
