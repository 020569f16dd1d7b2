// RIFF reading over memory files: the bytes stay the caller's, the handle keeps a position.
#include <windows.h>

#include <cstring>

namespace {

struct MemoryFile {
  const char* bytes;
  LONG size;
  LONG position;
};

MemoryFile* FileOf(HMMIO handle) { return reinterpret_cast<MemoryFile*>(handle); }

bool ReadFourcc(const MemoryFile& file, LONG at, FOURCC* value) {
  if (at < 0 || file.size - at < 4) return false;
  std::memcpy(value, file.bytes + at, 4);
  return true;
}

}  // namespace

HMMIO WINAPI mmioOpenW(LPWSTR fileName, LPMMIOINFO info, DWORD flags) {
  if (info == nullptr) return nullptr;
  if (fileName != nullptr || info->fccIOProc != FOURCC_MEM || flags != MMIO_READ || info->cchBuffer < 0 ||
      (info->pchBuffer == nullptr && info->cchBuffer > 0)) {
    info->wErrorRet = MMSYSERR_INVALPARAM;
    return nullptr;
  }
  info->wErrorRet = MMSYSERR_NOERROR;
  auto* file = new MemoryFile{info->pchBuffer, info->cchBuffer, 0};
  info->hmmio = reinterpret_cast<HMMIO>(file);
  return info->hmmio;
}

MMRESULT WINAPI mmioClose(HMMIO handle, UINT) {
  if (handle == nullptr) return MMSYSERR_INVALHANDLE;
  delete FileOf(handle);
  return MMSYSERR_NOERROR;
}

LONG WINAPI mmioRead(HMMIO handle, char* buffer, LONG count) {
  MemoryFile* file = FileOf(handle);
  if (file == nullptr || count < 0 || (buffer == nullptr && count > 0)) return -1;
  const LONG available = file->size - file->position;
  const LONG taken = count < available ? count : available;
  if (taken > 0) std::memcpy(buffer, file->bytes + file->position, static_cast<size_t>(taken));
  file->position += taken;
  return taken;
}

LONG WINAPI mmioSeek(HMMIO handle, LONG offset, int origin) {
  MemoryFile* file = FileOf(handle);
  if (file == nullptr) return -1;
  int64_t base = 0;
  if (origin == SEEK_CUR) base = file->position;
  else if (origin == SEEK_END) base = file->size;
  else if (origin != SEEK_SET) return -1;
  const int64_t target = base + offset;
  if (target < 0 || target > file->size) return -1;
  file->position = static_cast<LONG>(target);
  return file->position;
}

MMRESULT WINAPI mmioDescend(HMMIO handle, LPMMCKINFO chunk, LPCMMCKINFO parent, UINT flags) {
  MemoryFile* file = FileOf(handle);
  if (file == nullptr) return MMSYSERR_INVALHANDLE;
  if (chunk == nullptr) return MMSYSERR_INVALPARAM;
  int64_t end = file->size;
  if (parent != nullptr) {
    const int64_t parentEnd = static_cast<int64_t>(parent->dwDataOffset) + parent->cksize;
    if (parentEnd < end) end = parentEnd;
  }
  const FOURCC wantedId = chunk->ckid;
  const FOURCC wantedType = chunk->fccType;
  int64_t at = file->position;
  while (at + 8 <= end) {
    FOURCC id = 0;
    DWORD size = 0;
    ReadFourcc(*file, static_cast<LONG>(at), &id);
    ReadFourcc(*file, static_cast<LONG>(at + 4), &size);
    const int64_t data = at + 8;
    FOURCC type = 0;
    const bool isRiff = id == FOURCC_RIFF && ReadFourcc(*file, static_cast<LONG>(data), &type);
    bool match = true;
    if (flags & MMIO_FINDRIFF) match = isRiff && type == wantedType;
    else if (flags & MMIO_FINDCHUNK) match = id == wantedId;
    if (match) {
      chunk->ckid = id;
      chunk->cksize = size;
      chunk->fccType = isRiff ? type : 0;
      chunk->dwDataOffset = static_cast<DWORD>(data);
      chunk->dwFlags = 0;
      file->position = static_cast<LONG>(isRiff ? data + 4 : data);
      return MMSYSERR_NOERROR;
    }
    // Chunks are padded to an even length.
    at = data + size + (size & 1);
  }
  return MMIOERR_CHUNKNOTFOUND;
}
