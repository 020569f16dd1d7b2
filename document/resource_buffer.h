// The source of the document reader: the document's bytes in memory, bounded by their size.
#pragma once
#include <cstddef>
#include <cstdint>

#include <windows.h>

struct ResourceBuffer {
  ResourceBuffer() = default;
  ResourceBuffer(const void* data, size_t size)
      : cursor(static_cast<const BYTE*>(data)), end(cursor ? cursor + size : nullptr) {}

  size_t Remaining() const { return failed || !cursor ? 0 : static_cast<size_t>(end - cursor); }

  // The next `count` bytes, consumed; null (and the buffer failed for good) when fewer remain.
  const BYTE* Take(uint64_t count) {
    if (failed || count > Remaining()) {
      failed = true;
      return nullptr;
    }
    const BYTE* bytes = cursor;
    cursor += count;
    return bytes;
  }

  const BYTE* cursor = nullptr;  // next unread byte; null when there is no document
  const BYTE* end = nullptr;
  bool failed = false;
};
