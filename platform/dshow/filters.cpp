#include "platform/dshow/filters.h"

#include <algorithm>

#include "platform/dshow/filter_graph.h"

namespace dshow {

HRESULT Pin::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (riid != IID_IUnknown && riid != IID_IPin) return E_NOINTERFACE;
  AddRef();
  *object = static_cast<IPin*>(this);
  return S_OK;
}

ULONG Pin::AddRef() { return owner_.AddRef(); }
ULONG Pin::Release() { return owner_.Release(); }

HRESULT Pin::ConnectedTo(IPin** pin) {
  if (pin == nullptr) return E_POINTER;
  *pin = peer;
  if (peer == nullptr) return VFW_E_NOT_CONNECTED;
  peer->AddRef();
  return S_OK;
}

Filter::Filter(FilterKind kind, std::u16string filterName, MediaInfo media, std::u16string path)
    : name(std::move(filterName)),
      kind_(kind),
      media_(std::move(media)),
      path_(std::move(path)),
      input_(*this, false, u"Input"),
      output_(*this, true, u"Output") {}

HRESULT Filter::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (riid != IID_IUnknown && riid != IID_IBaseFilter) return E_NOINTERFACE;
  AddRef();
  *object = static_cast<IBaseFilter*>(this);
  return S_OK;
}

ULONG Filter::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT Filter::FindPin(LPCWSTR id, IPin** pin) {
  if (pin == nullptr) return E_POINTER;
  *pin = nullptr;
  if (id == nullptr) return E_POINTER;
  const std::u16string wanted(id);
  for (Pin* candidate : {Input(), OutputPin()}) {
    if (candidate != nullptr && candidate->Id() == wanted) {
      candidate->AddRef();
      *pin = candidate;
      return S_OK;
    }
  }
  return VFW_E_NOT_FOUND;
}

HRESULT Filter::QueryFilterInfo(FILTER_INFO* info) {
  if (info == nullptr) return E_POINTER;
  const size_t length = std::min<size_t>(name.size(), 127);
  std::copy_n(name.begin(), length, info->achName);
  info->achName[length] = 0;
  info->pGraph = graph != nullptr ? graph->AsFilterGraph() : nullptr;
  if (info->pGraph != nullptr) info->pGraph->AddRef();
  return S_OK;
}

void Filter::Disconnect() {
  for (Pin* pin : {Input(), OutputPin()}) {
    if (pin != nullptr && pin->peer != nullptr) {
      pin->peer->peer = nullptr;
      pin->peer = nullptr;
    }
  }
}

}  // namespace dshow
