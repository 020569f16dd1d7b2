// The filters a graph holds: a file's source with its output pin "Output", decoders that turn a
// stream into samples, and the audio renderer at the end of a chain. A pin lives in its filter and
// counts its references there.
#pragma once
#include <atomic>
#include <string>

#include <dshow.h>

#include "platform/dshow/media_file.h"

namespace dshow {

class FilterGraph;
class Filter;

enum class FilterKind { Source, Decoder, Renderer };

class Pin final : public IPin {
 public:
  Pin(Filter& owner, bool output, std::u16string id) : owner_(owner), output_(output), id_(std::move(id)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** pin) override;

  Filter& Owner() const { return owner_; }
  bool Output() const { return output_; }
  const std::u16string& Id() const { return id_; }
  Pin* peer = nullptr;  // the graph connects and breaks pins both ways at once

 private:
  Filter& owner_;
  bool output_;
  std::u16string id_;
};

class Filter final : public IBaseFilter {
 public:
  // A source of the file at `path` holding `media`; a decoder taking `media` in; a renderer.
  Filter(FilterKind kind, std::u16string name, MediaInfo media, std::u16string path = {});
  Filter(const Filter&) = delete;
  Filter& operator=(const Filter&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR id, IPin** pin) override;
  HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* info) override;

  FilterKind Kind() const { return kind_; }
  const std::u16string& Path() const { return path_; }
  // Source: the file's stream; decoder: the stream it takes.
  const MediaInfo& Media() const { return media_; }
  Pin* Input() { return kind_ == FilterKind::Source ? nullptr : &input_; }
  Pin* OutputPin() { return kind_ == FilterKind::Renderer ? nullptr : &output_; }
  void Disconnect();

  FilterGraph* graph = nullptr;  // the graph holding it, which holds a reference
  std::u16string name;

 private:
  ~Filter() override = default;

  std::atomic<ULONG> refs_{1};
  FilterKind kind_;
  MediaInfo media_;
  std::u16string path_;
  Pin input_;
  Pin output_;
};

}  // namespace dshow
