// Streams: the part of IStream the system's calls need (reading and seeking over bytes).
#pragma once
#include "minwindef.h"
#include "unknwn.h"

typedef union _ULARGE_INTEGER {
  struct {
    DWORD LowPart;
    DWORD HighPart;
  };
  ULONGLONG QuadPart;
} ULARGE_INTEGER;

#define STREAM_SEEK_SET 0
#define STREAM_SEEK_CUR 1
#define STREAM_SEEK_END 2

// {0000000C-0000-0000-C000-000000000046}
inline constexpr IID IID_IStream = {0x0000000C, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

interface IStream : public IUnknown {
  // Reads at most `count` bytes from the position; fewer at the end (S_FALSE when short).
  STDMETHOD(Read)(void* buffer, ULONG count, ULONG* read) PURE;
  // A position before the start is refused (STG_E_INVALIDFUNCTION).
  STDMETHOD(Seek)(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* position) PURE;
};
typedef IStream* LPSTREAM;

#define STG_E_INVALIDFUNCTION ((HRESULT)0x80030001)
