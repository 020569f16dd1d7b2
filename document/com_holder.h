// Holder of one reference to a COM interface. Every scene class keeps its Direct3D and D3DX
// interfaces in one of these, so that a reference is released exactly once and the pointer is
// cleared at the same moment.
#pragma once
#include <utility>

template <class T>
class ComHolder {
 public:
  ComHolder() = default;
  ~ComHolder() { Release(); }

  ComHolder(const ComHolder& other) : pointer_(other.pointer_) {
    if (pointer_) pointer_->AddRef();
  }
  ComHolder& operator=(const ComHolder& other) {
    if (this != &other) Set(other.pointer_);
    return *this;
  }
  ComHolder(ComHolder&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
  ComHolder& operator=(ComHolder&& other) noexcept {
    if (this != &other) {
      Release();
      pointer_ = std::exchange(other.pointer_, nullptr);
    }
    return *this;
  }

  // Releases the held interface (if any) and clears the pointer.
  void Release() {
    if (T* old = std::exchange(pointer_, nullptr)) old->Release();
  }

  // Holds `pointer` with a reference of its own; holding what is already held changes nothing.
  void Set(T* pointer) {
    if (pointer == pointer_) return;
    if (pointer) pointer->AddRef();
    Release();
    pointer_ = pointer;
  }

  // Takes over a reference the caller already owns (the result of a creation call).
  void Attach(T* pointer) {
    Release();
    pointer_ = pointer;
  }

  // The slot a creation call writes its new interface into; any held interface is released first.
  T** Out() {
    Release();
    return &pointer_;
  }

  T* Get() const { return pointer_; }
  T* operator->() const { return pointer_; }
  explicit operator bool() const { return pointer_ != nullptr; }

 private:
  T* pointer_ = nullptr;
};
