// Global memory blocks: each handle names a block of bytes kept here until GlobalFree.
#include <map>
#include <memory>
#include <mutex>
#include <new>
#include <vector>

#include <windows.h>

namespace {

struct Block {
  std::vector<BYTE> bytes;
  UINT locks = 0;
};

struct Blocks {
  std::mutex mutex;
  std::map<HGLOBAL, std::unique_ptr<Block>> all;
};

Blocks& GetBlocks() {
  static Blocks blocks;
  return blocks;
}

// The lock must be held.
Block* Find(Blocks& blocks, HGLOBAL handle) {
  auto it = blocks.all.find(handle);
  return it == blocks.all.end() ? nullptr : it->second.get();
}

}  // namespace

HGLOBAL WINAPI GlobalAlloc(UINT, SIZE_T bytes) {
  auto block = std::make_unique<Block>();
  try {
    block->bytes.resize(bytes);  // zeroed whatever the flags say
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
  Blocks& blocks = GetBlocks();
  std::lock_guard lock(blocks.mutex);
  HGLOBAL handle = block.get();
  blocks.all.emplace(handle, std::move(block));
  return handle;
}

LPVOID WINAPI GlobalLock(HGLOBAL handle) {
  Blocks& blocks = GetBlocks();
  std::lock_guard lock(blocks.mutex);
  Block* block = Find(blocks, handle);
  if (!block) return nullptr;
  ++block->locks;
  // A block of no bytes still has an address.
  static BYTE nothing = 0;
  return block->bytes.empty() ? &nothing : block->bytes.data();
}

BOOL WINAPI GlobalUnlock(HGLOBAL handle) {
  Blocks& blocks = GetBlocks();
  std::lock_guard lock(blocks.mutex);
  Block* block = Find(blocks, handle);
  if (!block || block->locks == 0) return FALSE;
  return --block->locks > 0;
}

SIZE_T WINAPI GlobalSize(HGLOBAL handle) {
  Blocks& blocks = GetBlocks();
  std::lock_guard lock(blocks.mutex);
  Block* block = Find(blocks, handle);
  return block ? block->bytes.size() : 0;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL handle) {
  Blocks& blocks = GetBlocks();
  std::lock_guard lock(blocks.mutex);
  return blocks.all.erase(handle) ? nullptr : handle;
}
