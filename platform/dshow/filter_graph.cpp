#include "platform/dshow/filter_graph.h"

#include <windows.h>

#include <algorithm>

#include "platform/audio/mixer.h"
#include "platform/dshow/graph_list.h"
#include "platform/dshow/graph_probe.h"
#include "platform/machine/clock.h"

namespace dshow {

namespace {

constexpr int64_t kNanosecondsPerUnit = 100;
constexpr int64_t kUnitsPerSecond = 10'000'000;
constexpr int64_t kFailedEndInterval = 1'000'000'000;

// A snapshot of the graph's filters, each with a reference, walked one at a time.
class FilterEnumerator final : public IEnumFilters {
 public:
  explicit FilterEnumerator(const std::vector<Filter*>& filters) : filters_(filters) {
    for (Filter* filter : filters_) filter->AddRef();
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
    if (object != nullptr) *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE Next(ULONG count, IBaseFilter** filters, ULONG* fetched) override {
    if (filters == nullptr || (count > 1 && fetched == nullptr)) return E_POINTER;
    ULONG taken = 0;
    while (taken < count && next_ < filters_.size()) {
      filters_[next_]->AddRef();
      filters[taken++] = filters_[next_++];
    }
    if (fetched != nullptr) *fetched = taken;
    return taken == count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    const size_t left = filters_.size() - next_;
    next_ += std::min<size_t>(count, left);
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    next_ = 0;
    return S_OK;
  }

 private:
  ~FilterEnumerator() override {
    for (Filter* filter : filters_) filter->Release();
  }

  ULONG refs_ = 1;
  std::vector<Filter*> filters_;
  size_t next_ = 0;
};

// The source upstream of a renderer, when the chain reaches one.
Filter* SourceOf(Filter& renderer) {
  Pin* pin = renderer.Input();
  while (pin != nullptr && pin->peer != nullptr) {
    Filter& upstream = pin->peer->Owner();
    if (upstream.Kind() == FilterKind::Source) return &upstream;
    pin = upstream.Input();
  }
  return nullptr;
}

}  // namespace

FilterGraph::FilterGraph() { AddLiveGraph(this); }

FilterGraph::~FilterGraph() {
  RemoveLiveGraph(this);
  {
    auto held = audio::Mixer::Instance().Hold();
    audio::Mixer::Instance().DropMusic(&voice_);
    voice_.SetSource(nullptr);
  }
  for (Filter* filter : filters_) {
    filter->Disconnect();
    filter->graph = nullptr;
  }
  for (Filter* filter : filters_) filter->Release();
}

HRESULT FilterGraph::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (InterfaceRefused(riid)) return E_NOINTERFACE;
  if (riid == IID_IUnknown || riid == IID_IGraphBuilder || riid == IID_IFilterGraph)
    *object = static_cast<IGraphBuilder*>(this);
  else if (riid == IID_IMediaControl)
    *object = static_cast<IMediaControl*>(this);
  else if (riid == IID_IMediaSeeking)
    *object = static_cast<IMediaSeeking*>(this);
  else if (riid == IID_IMediaEventEx)
    *object = static_cast<IMediaEventEx*>(this);
  else if (riid == IID_IBasicAudio)
    *object = static_cast<IBasicAudio*>(this);
  else
    return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

ULONG FilterGraph::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

void FilterGraph::Insert(Filter* filter) {
  filter->AddRef();
  filter->graph = this;
  filters_.push_back(filter);
}

HRESULT FilterGraph::AddFilter(IBaseFilter* filter, LPCWSTR name) {
  if (filter == nullptr) return E_POINTER;
  std::lock_guard guard(lock_);
  auto* own = static_cast<Filter*>(filter);
  if (own->graph != nullptr) return VFW_E_ALREADY_CONNECTED;
  if (name != nullptr) own->name = name;
  Insert(own);
  return S_OK;
}

HRESULT FilterGraph::RemoveFilter(IBaseFilter* filter) {
  if (filter == nullptr) return E_POINTER;
  std::lock_guard guard(lock_);
  auto* own = static_cast<Filter*>(filter);
  if (own->graph != this) return VFW_E_NOT_IN_GRAPH;
  if (state_ != State_Stopped) return VFW_E_NOT_STOPPED;
  own->Disconnect();
  own->graph = nullptr;
  filters_.erase(std::find(filters_.begin(), filters_.end(), own));
  own->Release();
  SyncVoice();
  return S_OK;
}

HRESULT FilterGraph::EnumFilters(IEnumFilters** filters) {
  if (filters == nullptr) return E_POINTER;
  std::lock_guard guard(lock_);
  *filters = new FilterEnumerator(filters_);
  return S_OK;
}

Filter* FilterGraph::FreeFilter(FilterKind kind, MediaKind media) {
  for (Filter* filter : filters_) {
    if (filter->Kind() != kind || filter->Input()->peer != nullptr) continue;
    if (kind == FilterKind::Decoder && (filter->Media().kind != media || filter->OutputPin()->peer != nullptr))
      continue;
    return filter;
  }
  auto* made = kind == FilterKind::Renderer ? new Filter(kind, u"Audio Renderer", MediaInfo{MediaKind::Pcm, 0, nullptr})
               : media == MediaKind::Wave   ? new Filter(kind, u"Wave Parser", MediaInfo{media, 0, nullptr})
                                            : new Filter(kind, u"Audio Decoder", MediaInfo{media, 0, nullptr});
  Insert(made);
  made->Release();
  return made;
}

HRESULT FilterGraph::RenderPin(Pin* pin) {
  if (!pin->Output()) return E_INVALIDARG;
  if (pin->Owner().graph != this) return VFW_E_NOT_IN_GRAPH;
  if (pin->peer != nullptr) return VFW_E_ALREADY_CONNECTED;
  const MediaKind media =
      pin->Owner().Kind() == FilterKind::Source ? pin->Owner().Media().kind : MediaKind::Pcm;
  if (media == MediaKind::Unknown) return VFW_E_CANNOT_RENDER;
  const FilterKind next = media == MediaKind::Pcm ? FilterKind::Renderer : FilterKind::Decoder;
  Filter* downstream = FreeFilter(next, media);
  pin->peer = downstream->Input();
  downstream->Input()->peer = pin;
  if (next == FilterKind::Renderer) return S_OK;
  const HRESULT rendered = RenderPin(downstream->OutputPin());
  if (FAILED(rendered)) downstream->Disconnect();
  return rendered;
}

HRESULT FilterGraph::Render(IPin* pin) {
  if (pin == nullptr) return E_POINTER;
  std::lock_guard guard(lock_);
  if (state_ != State_Stopped) return VFW_E_NOT_STOPPED;
  const HRESULT rendered = RenderPin(static_cast<Pin*>(pin));
  renderFailed_ = FAILED(rendered);
  // A new chain plays from its start; a failed one ends anew.
  if (SUCCEEDED(rendered)) position_ = 0;
  ended_ = false;
  SyncVoice();
  return rendered;
}

HRESULT FilterGraph::AddSourceFilter(LPCWSTR file, LPCWSTR filterName, IBaseFilter** filter) {
  if (file == nullptr || filter == nullptr) return E_POINTER;
  *filter = nullptr;
  MediaInfo media;
  if (!OpenMedia(file, &media)) return VFW_E_FILE_NOT_FOUND;
  auto* source = new Filter(FilterKind::Source, filterName != nullptr ? filterName : file, std::move(media), file);
  std::lock_guard guard(lock_);
  Insert(source);
  *filter = source;
  return S_OK;
}

HRESULT FilterGraph::RenderFile(LPCWSTR file, LPCWSTR) {
  IBaseFilter* source = nullptr;
  const HRESULT added = AddSourceFilter(file, file, &source);
  std::lock_guard guard(lock_);
  if (FAILED(added)) {
    renderFailed_ = true;
    ended_ = false;
    return added;
  }
  HRESULT rendered = VFW_E_NOT_STOPPED;
  if (state_ == State_Stopped) {
    rendered = RenderPin(static_cast<Filter*>(source)->OutputPin());
    renderFailed_ = FAILED(rendered);
    if (SUCCEEDED(rendered)) position_ = 0;
    ended_ = false;
  }
  // A file that could not be rendered leaves no filter behind to pile up over a long run.
  if (FAILED(rendered)) RemoveFilter(source);
  source->Release();
  SyncVoice();
  return rendered;
}

bool FilterGraph::HasChain() {
  for (Filter* filter : filters_)
    if (filter->Kind() == FilterKind::Renderer && SourceOf(*filter) != nullptr) return true;
  return false;
}

Filter* FilterGraph::PlayingSource() {
  for (Filter* filter : filters_)
    if (filter->Kind() == FilterKind::Renderer)
      if (Filter* source = SourceOf(*filter)) return source;
  return nullptr;
}

void FilterGraph::SyncVoice() {
  audio::Mixer& mixer = audio::Mixer::Instance();
  auto held = mixer.Hold();
  Filter* source = PlayingSource();
  std::shared_ptr<audio::Stream> stream = source != nullptr ? source->Media().stream : nullptr;
  if (stream != stream_) {
    voice_.SetSource(stream.get());
    stream_ = std::move(stream);
  }
  const float gain = audio::GainOf(volume_);
  voice_.SetGain(gain, gain);
  const REFERENCE_TIME position = Position();
  if (state_ == State_Running && stream_ && position < Duration()) {
    // From the clock's position, so that what is heard and what the graph reports agree.
    const uint64_t rate = stream_->Rate();
    const auto units = static_cast<uint64_t>(position);
    voice_.Start(units / kUnitsPerSecond * rate + units % kUnitsPerSecond * rate / kUnitsPerSecond, false);
    mixer.SetMusic(&voice_);
  } else {
    voice_.Stop();
  }
}

REFERENCE_TIME FilterGraph::Duration() {
  REFERENCE_TIME longest = 0;
  for (Filter* filter : filters_)
    if (filter->Kind() == FilterKind::Renderer)
      if (Filter* source = SourceOf(*filter)) longest = std::max(longest, source->Media().duration);
  return longest;
}

REFERENCE_TIME FilterGraph::Position() {
  REFERENCE_TIME position = position_;
  if (state_ == State_Running) position += (machine::clock::Now() - runStart_) / kNanosecondsPerUnit;
  return std::min(position, Duration());
}

void FilterGraph::CheckEnd() {
  if (state_ != State_Running || ended_) return;
  if (!HasChain()) {
    // A file that could not be played ends at once, so that the next one follows; when the one
    // before it ended the same way, a second later, so that a list of such files cannot spin.
    if (!renderFailed_) return;
    const int64_t now = machine::clock::Now();
    if (lastEndFailed_ && now < lastEndTime_ + kFailedEndInterval) return;
    lastEndFailed_ = true;
    lastEndTime_ = now;
  } else {
    if (Position() < Duration()) return;
    lastEndFailed_ = false;
  }
  // The graph stays running at the end, as a finished graph does; it reports the end once.
  ended_ = true;
  events_.push_back(Event{EC_COMPLETE, S_OK, 0});
  if (notifyWindow_ != nullptr) PostMessageW(notifyWindow_, notifyMessage_, 0, notifyInstance_);
}

void FilterGraph::Service() {
  std::lock_guard guard(lock_);
  CheckEnd();
}

HRESULT FilterGraph::Run() {
  std::lock_guard guard(lock_);
  if (state_ == State_Running) return S_OK;
  runStart_ = machine::clock::Now();
  state_ = State_Running;
  CheckEnd();
  SyncVoice();
  return S_OK;
}

HRESULT FilterGraph::Pause() {
  std::lock_guard guard(lock_);
  position_ = Position();
  state_ = State_Paused;
  SyncVoice();
  return S_OK;
}

HRESULT FilterGraph::Stop() {
  std::lock_guard guard(lock_);
  position_ = Position();
  state_ = State_Stopped;
  SyncVoice();
  return S_OK;
}

HRESULT FilterGraph::GetState(LONG, OAFilterState* state) {
  if (state == nullptr) return E_POINTER;
  std::lock_guard guard(lock_);
  *state = state_;
  return S_OK;
}

HRESULT FilterGraph::SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG*, DWORD) {
  std::lock_guard guard(lock_);
  if ((currentFlags & AM_SEEKING_AbsolutePositioning) == 0) return S_OK;
  if (current == nullptr) return E_POINTER;
  if (*current < 0) return E_INVALIDARG;
  position_ = std::min(*current, Duration());
  runStart_ = machine::clock::Now();
  ended_ = false;
  CheckEnd();
  SyncVoice();
  return S_OK;
}

HRESULT FilterGraph::GetDuration(LONGLONG* duration) {
  if (duration == nullptr) return E_POINTER;
  std::lock_guard guard(lock_);
  if (!HasChain()) return E_NOTIMPL;
  *duration = Duration();
  return S_OK;
}

HRESULT FilterGraph::GetCurrentPosition(LONGLONG* position) {
  if (position == nullptr) return E_POINTER;
  std::lock_guard guard(lock_);
  *position = Position();
  return S_OK;
}

HRESULT FilterGraph::GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG) {
  if (code == nullptr || param1 == nullptr || param2 == nullptr) return E_POINTER;
  std::lock_guard guard(lock_);
  CheckEnd();
  if (events_.empty()) return E_ABORT;
  *code = events_.front().code;
  *param1 = events_.front().param1;
  *param2 = events_.front().param2;
  events_.pop_front();
  return S_OK;
}

HRESULT FilterGraph::FreeEventParams(LONG, LONG_PTR, LONG_PTR) { return S_OK; }

HRESULT FilterGraph::SetNotifyWindow(OAHWND window, LONG message, LONG_PTR instance) {
  std::lock_guard guard(lock_);
  notifyWindow_ = reinterpret_cast<HWND>(window);
  notifyMessage_ = static_cast<UINT>(message);
  notifyInstance_ = instance;
  return S_OK;
}

HRESULT FilterGraph::put_Volume(LONG volume) {
  if (volume < -10000 || volume > 0) return E_INVALIDARG;
  std::lock_guard guard(lock_);
  volume_ = volume;
  SyncVoice();
  return S_OK;
}

HRESULT FilterGraph::get_Volume(LONG* volume) {
  if (volume == nullptr) return E_POINTER;
  std::lock_guard guard(lock_);
  *volume = volume_;
  return S_OK;
}

HRESULT FilterGraph::put_Balance(LONG balance) {
  if (balance < -10000 || balance > 10000) return E_INVALIDARG;
  std::lock_guard guard(lock_);
  balance_ = balance;
  return S_OK;
}

HRESULT FilterGraph::get_Balance(LONG* balance) {
  if (balance == nullptr) return E_POINTER;
  std::lock_guard guard(lock_);
  *balance = balance_;
  return S_OK;
}

GraphProbe FilterGraph::Probe() {
  std::lock_guard guard(lock_);
  GraphProbe probe;
  for (Filter* filter : filters_) {
    FilterProbe entry;
    entry.name = filter->name;
    entry.source = filter->Kind() == FilterKind::Source;
    entry.renderer = filter->Kind() == FilterKind::Renderer;
    entry.connected = (filter->Input() != nullptr && filter->Input()->peer != nullptr) ||
                      (filter->OutputPin() != nullptr && filter->OutputPin()->peer != nullptr);
    probe.filters.push_back(entry);
    if (entry.renderer)
      if (Filter* source = SourceOf(*filter)) probe.playing = source->Path();
  }
  probe.state = state_;
  probe.position = Position();
  probe.duration = Duration();
  probe.volume = volume_;
  probe.queuedEvents = events_.size();
  return probe;
}

}  // namespace dshow
