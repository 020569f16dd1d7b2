// The reference counting shared by every D3DX object: each starts with one reference held by its
// creator and deletes itself on the last Release. The count of live objects lets tests prove that
// nothing a caller obtained was left behind.
#pragma once
#include <atomic>

#include "unknwn.h"

namespace d3dx9 {

// D3DX objects (buffers, meshes, effects, fonts) alive at this moment.
int LiveObjects();

namespace detail {
void CountCreated();
void CountDestroyed();
}  // namespace detail

template <typename Interface>
class ComObject : public Interface {
 public:
  ComObject() { detail::CountCreated(); }
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
    // No caller asks a D3DX object for another interface; say so rather than guess.
    if (object) *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  ~ComObject() override { detail::CountDestroyed(); }

 private:
  std::atomic<ULONG> references_{1};
};

}  // namespace d3dx9
