// Music playback: a filter graph that builds a chain from a file's source filter to an audio
// renderer, runs it, seeks in it, sets its volume and reports the end of the file as an event,
// posted to a window as a message. The stand-in plays on the machine's clock and outputs nothing
// audible (see platform/dshow/graph_probe.h).
#pragma once
#include "minwindef.h"
#include "objbase.h"
#include "unknwn.h"
#include "winerror.h"

typedef LONGLONG REFERENCE_TIME;  // 100-nanosecond units
typedef LONG_PTR OAHWND;
typedef LONG_PTR OAEVENT;
typedef LONG OAFilterState;

// {E436EBB3-524F-11CE-9F53-0020AF0BA770}
inline constexpr CLSID CLSID_FilterGraph = {0xE436EBB3, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
// {56A868A9-0AD4-11CE-B03A-0020AF0BA770}
inline constexpr IID IID_IGraphBuilder = {0x56A868A9, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
// {56A8689F-0AD4-11CE-B03A-0020AF0BA770}
inline constexpr IID IID_IFilterGraph = {0x56A8689F, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
// {56A868B1-0AD4-11CE-B03A-0020AF0BA770}
inline constexpr IID IID_IMediaControl = {0x56A868B1, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
// {36B73880-C2C8-11CF-8B46-00805F6CEF60}
inline constexpr IID IID_IMediaSeeking = {0x36B73880, 0xC2C8, 0x11CF, {0x8B, 0x46, 0x00, 0x80, 0x5F, 0x6C, 0xEF, 0x60}};
// {56A868C0-0AD4-11CE-B03A-0020AF0BA770}
inline constexpr IID IID_IMediaEventEx = {0x56A868C0, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
// {56A868B3-0AD4-11CE-B03A-0020AF0BA770}
inline constexpr IID IID_IBasicAudio = {0x56A868B3, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
// {56A86895-0AD4-11CE-B03A-0020AF0BA770}
inline constexpr IID IID_IBaseFilter = {0x56A86895, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
// {56A86891-0AD4-11CE-B03A-0020AF0BA770}
inline constexpr IID IID_IPin = {0x56A86891, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};

#define EC_COMPLETE 0x01

#define AM_SEEKING_NoPositioning 0x0
#define AM_SEEKING_AbsolutePositioning 0x1

enum _FilterState { State_Stopped = 0, State_Paused = 1, State_Running = 2 };

#define VFW_E_ALREADY_CONNECTED ((HRESULT)0x80040204)
#define VFW_E_NOT_FOUND ((HRESULT)0x80040216)
#define VFW_E_CANNOT_RENDER ((HRESULT)0x80040218)
#define VFW_E_NOT_STOPPED ((HRESULT)0x80040224)
#define VFW_E_NOT_IN_GRAPH ((HRESULT)0x8004025F)
#define VFW_E_FILE_NOT_FOUND ((HRESULT)0x80070002)

interface IBaseFilter;
interface IFilterGraph;

typedef struct _FilterInfo {
  WCHAR achName[128];
  IFilterGraph* pGraph;  // with a reference, when the filter is in a graph
} FILTER_INFO;

interface IPin : public IUnknown {
  // The pin at the other end, with a reference; VFW_E_NOT_CONNECTED and null when there is none.
  STDMETHOD(ConnectedTo)(IPin** pin) PURE;
};
#define VFW_E_NOT_CONNECTED ((HRESULT)0x80040209)

interface IBaseFilter : public IUnknown {
  STDMETHOD(FindPin)(LPCWSTR id, IPin** pin) PURE;
  STDMETHOD(QueryFilterInfo)(FILTER_INFO* info) PURE;
};

interface IEnumFilters : public IUnknown {
  STDMETHOD(Next)(ULONG count, IBaseFilter** filters, ULONG* fetched) PURE;
  STDMETHOD(Skip)(ULONG count) PURE;
  STDMETHOD(Reset)() PURE;
};

interface IFilterGraph : public IUnknown {
  // A filter taken out and added again comes back with no connections.
  STDMETHOD(AddFilter)(IBaseFilter* filter, LPCWSTR name) PURE;
  STDMETHOD(RemoveFilter)(IBaseFilter* filter) PURE;
  STDMETHOD(EnumFilters)(IEnumFilters** filters) PURE;
};

interface IGraphBuilder : public IFilterGraph {
  // Connects the output pin through whatever decoder its stream needs (an unconnected one of the
  // graph, or a new one) to an audio renderer (likewise).
  STDMETHOD(Render)(IPin* pin) PURE;
  STDMETHOD(RenderFile)(LPCWSTR file, LPCWSTR playList) PURE;
  // A source filter for the file, with one output pin "Output".
  STDMETHOD(AddSourceFilter)(LPCWSTR file, LPCWSTR filterName, IBaseFilter** filter) PURE;
};

interface IMediaControl : public IUnknown {
  STDMETHOD(Run)() PURE;
  STDMETHOD(Pause)() PURE;
  STDMETHOD(Stop)() PURE;
  STDMETHOD(GetState)(LONG timeout, OAFilterState* state) PURE;
};

interface IMediaEvent : public IUnknown {
  // The oldest queued event; E_ABORT when none arrives within the timeout (milliseconds).
  STDMETHOD(GetEvent)(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeout) PURE;
  STDMETHOD(FreeEventParams)(LONG code, LONG_PTR param1, LONG_PTR param2) PURE;
};

interface IMediaEventEx : public IMediaEvent {
  // Every event queued from now on posts `message` (wParam 0, lParam `instance`) to the window;
  // a null window stops the notices.
  STDMETHOD(SetNotifyWindow)(OAHWND window, LONG message, LONG_PTR instance) PURE;
};

interface IMediaSeeking : public IUnknown {
  STDMETHOD(SetPositions)(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) PURE;
  STDMETHOD(GetDuration)(LONGLONG* duration) PURE;
  STDMETHOD(GetCurrentPosition)(LONGLONG* position) PURE;
};

interface IBasicAudio : public IUnknown {
  // Hundredths of a decibel, -10000 (silence) to 0 (full); others give E_INVALIDARG.
  STDMETHOD(put_Volume)(LONG volume) PURE;
  STDMETHOD(get_Volume)(LONG* volume) PURE;
  STDMETHOD(put_Balance)(LONG balance) PURE;
  STDMETHOD(get_Balance)(LONG* balance) PURE;
};
