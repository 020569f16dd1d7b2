// Windows multimedia: the millisecond clock, the wave format, and buffered RIFF reading over memory.
#pragma once
#include "guiddef.h"
#include "minwindef.h"

// Milliseconds since the machine started, on the machine's one clock; wraps after 49.7 days.
DWORD WINAPI timeGetTime();

// The wave format as files store it: 18 bytes, packed, with no padding after cbSize.
#pragma pack(push, 1)
typedef struct tWAVEFORMATEX {
  WORD wFormatTag;
  WORD nChannels;
  DWORD nSamplesPerSec;
  DWORD nAvgBytesPerSec;
  WORD nBlockAlign;
  WORD wBitsPerSample;
  WORD cbSize;
} WAVEFORMATEX, *LPWAVEFORMATEX;
#pragma pack(pop)
typedef const WAVEFORMATEX* LPCWAVEFORMATEX;
static_assert(sizeof(WAVEFORMATEX) == 18);

#define WAVE_FORMAT_PCM 1
#define WAVE_FORMAT_IEEE_FLOAT 3
#define WAVE_FORMAT_EXTENSIBLE 0xFFFE

// The extended wave format: WAVEFORMATEX with cbSize 22, then the valid bits, the speaker mask and
// the sample type as a GUID whose first field is the plain format tag (1 PCM, 3 IEEE float) and whose
// other fields are those of KSDATAFORMAT_SUBTYPE_PCM.
#pragma pack(push, 1)
typedef struct {
  WAVEFORMATEX Format;
  WORD wValidBitsPerSample;
  DWORD dwChannelMask;
  GUID SubFormat;
} WAVEFORMATEXTENSIBLE;
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEXTENSIBLE) == 40);

// RIFF reading. Only memory files are served: an MMIOINFO with fccIOProc FOURCC_MEM, the bytes in
// pchBuffer and their count in cchBuffer, opened without a file name for reading. The bytes are not
// copied; they must outlive the handle.
typedef DWORD FOURCC;
#define mmioFOURCC(a, b, c, d) \
  ((FOURCC)(BYTE)(a) | ((FOURCC)(BYTE)(b) << 8) | ((FOURCC)(BYTE)(c) << 16) | ((FOURCC)(BYTE)(d) << 24))
#define FOURCC_RIFF mmioFOURCC('R', 'I', 'F', 'F')
#define FOURCC_MEM mmioFOURCC('M', 'E', 'M', ' ')

DECLARE_HANDLE(HMMIO);
typedef UINT MMRESULT;

#define MMSYSERR_NOERROR 0
#define MMSYSERR_INVALHANDLE 5
#define MMSYSERR_INVALPARAM 11
#define MMIOERR_CHUNKNOTFOUND 265

#define MMIO_READ 0x00000000
#define MMIO_FINDCHUNK 0x0010
#define MMIO_FINDRIFF 0x0020

#ifndef SEEK_SET
#define SEEK_SET 0
#define SEEK_CUR 1
#define SEEK_END 2
#endif

typedef struct _MMIOINFO {
  DWORD dwFlags;
  FOURCC fccIOProc;
  void* pIOProc;
  UINT wErrorRet;
  void* htask;
  LONG cchBuffer;
  char* pchBuffer;
  char* pchNext;
  char* pchEndRead;
  char* pchEndWrite;
  LONG lBufOffset;
  LONG lDiskOffset;
  DWORD adwInfo[3];
  DWORD dwReserved1;
  DWORD dwReserved2;
  HMMIO hmmio;
} MMIOINFO, *LPMMIOINFO;

typedef struct _MMCKINFO {
  FOURCC ckid;
  DWORD cksize;
  FOURCC fccType;
  DWORD dwDataOffset;
  DWORD dwFlags;
} MMCKINFO, *LPMMCKINFO;
typedef const MMCKINFO* LPCMMCKINFO;

// Null (wErrorRet set) unless `info` describes a memory file with a non-negative length.
HMMIO WINAPI mmioOpenW(LPWSTR fileName, LPMMIOINFO info, DWORD flags);
MMRESULT WINAPI mmioClose(HMMIO file, UINT flags);
// At most `count` bytes from the position, fewer at the end; -1 on a bad handle or count.
LONG WINAPI mmioRead(HMMIO file, char* buffer, LONG count);
// The new position, or -1 when it would lie before the start or after the end.
LONG WINAPI mmioSeek(HMMIO file, LONG offset, int origin);
// Finds the next chunk from the position (MMIO_FINDRIFF: a RIFF chunk of that form type; MMIO_FINDCHUNK:
// that id; no flag: whatever chunk comes next), staying within `parent` when given, and moves to its
// data. A chunk whose declared size runs past its parent or the file still descends; reads stop
// at the end of the bytes.
MMRESULT WINAPI mmioDescend(HMMIO file, LPMMCKINFO chunk, LPCMMCKINFO parent, UINT flags);
