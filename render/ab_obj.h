// The render object: what a slide updates and draws every frame while it is current. It owns the
// clone of the description that made it and deletes it with itself.
#pragma once
#include <memory>

#include <windows.h>

#include "render/ab_obj_constructor.h"

class DS_ABRender;

class DS_ABObj {
 public:
  DS_ABObj() = default;
  DS_ABObj(const DS_ABObj&) = delete;
  DS_ABObj& operator=(const DS_ABObj&) = delete;
  virtual ~DS_ABObj() = default;

  // Draws into the layer's render context.
  virtual void Render(DS_ABRender& layer) = 0;
  // The authoring tool's highlight of the element.
  virtual void DrawSelection(DS_ABRender& layer, int selected) = 0;
  // Once per frame with the absolute scene time in seconds.
  virtual void Update(float time) = 0;
  // Brings the object in step with its description's layout.
  virtual void SyncLayout() = 0;
  // The slide tells its playing-only objects when it starts and stops being shown.
  virtual void SetActive(bool) {}
  // Asked before every Render: true when the object draws from a texture of everything drawn so far.
  virtual bool NeedsBackground() { return false; }
  // Around a device reset: an object gives up whatever it holds in the default pool (its own
  // targets, and the effect parameters that point at such targets) and makes it again after.
  virtual void ReleaseDeviceResources() {}
  virtual void RestoreDeviceResources() {}
  virtual void Restart(int) {}
  virtual bool HitTest(const POINT&, int) { return false; }
  DS_ABObj_Constructor* QueryController() {
    return controller ? controller->QueryFromObject(this) : nullptr;
  }

  // The description clone this object was made from; null until the subclass sets it.
  DS_ABObj_Constructor* Controller() const { return controller.get(); }

 protected:
  std::unique_ptr<DS_ABObj_Constructor> controller;
};
