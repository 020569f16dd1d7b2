// Reference counting shared by every object the stand-in hands out: AddRef and Release return the
// exact count, and the last Release destroys the object.
#pragma once
#include <atomic>

#include <unknwn.h>

namespace d3d9 {

template <class Interface>
class ComObject : public Interface {
 public:
  // The stand-in's objects are reached through their declared interfaces only.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
    if (object != nullptr) *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --refs_;
    if (left == 0) LastRelease();
    return left;
  }

 protected:
  virtual void LastRelease() { delete this; }
  ULONG References() const { return refs_; }

 private:
  std::atomic<ULONG> refs_{1};
};

}  // namespace d3d9
