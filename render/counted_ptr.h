// Shared owner of a polymorphic scene object (slides, layers, audio entries, render objects).
// Holders share one heap block of object pointer and count; the last release deletes the object
// through its virtual destructor. A block is made even for a null object, so that a stored entry
// whose class could not be read still occupies its place in a list.
#pragma once
#include <cstdint>
#include <utility>

template <class T>
class CountedPtr {
 public:
  CountedPtr() = default;
  explicit CountedPtr(T* object) : block_(new Block{object, 1}) {}
  ~CountedPtr() { Release(); }

  CountedPtr(const CountedPtr& other) : block_(other.block_) {
    if (block_) ++block_->count;
  }
  CountedPtr& operator=(const CountedPtr& other) {
    if (block_ != other.block_) {
      Release();
      block_ = other.block_;
      if (block_) ++block_->count;
    }
    return *this;
  }
  CountedPtr(CountedPtr&& other) noexcept : block_(std::exchange(other.block_, nullptr)) {}
  CountedPtr& operator=(CountedPtr&& other) noexcept {
    if (this != &other) {
      Release();
      block_ = std::exchange(other.block_, nullptr);
    }
    return *this;
  }

  // Gives up this holder's share; the object goes with the last share. The holder is null afterwards.
  // Kept out of line: inlined into a caller that copies holders, the compiler cannot see the shared
  // count and warns of a use after free on the path where the copy would have deleted the block.
  [[gnu::noinline]] void Release() {
    Block* block = std::exchange(block_, nullptr);
    if (!block) return;
    if (--block->count < 1) {
      delete block->object;
      delete block;
    }
  }

  T* Get() const { return block_ ? block_->object : nullptr; }
  T* operator->() const { return Get(); }
  T& operator*() const { return *Get(); }
  bool IsNull() const { return block_ == nullptr; }
  // Holders sharing this object, 0 for a null holder.
  int32_t Count() const { return block_ ? block_->count : 0; }

 private:
  struct Block {
    T* object;
    int32_t count;
  };
  Block* block_ = nullptr;
};
