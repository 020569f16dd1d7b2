// One slide of the slide show: its fade-in, show and fade-out times, a name, the 2D light layer that
// draws its picture and serves as render context, and the render objects made from the descriptions
// the document stores for it. The first description list becomes the drawn objects, the second the
// objects that only play with the slide (its sounds).
#pragma once
#include <memory>
#include <vector>

#include <windows.h>

#include "document/class_registry.h"
#include "document/ds_string.h"
#include "document/iof_item.h"
#include "document/media_param_t.h"
#include "render/ab_obj.h"
#include "render/ab_obj_constructor.h"
#include "render/counted_ptr.h"
#include "slideshow/light_2d.h"

using Descriptions = std::vector<std::unique_ptr<DS_ABObj_Constructor>>;
using RenderObjects = std::vector<CountedPtr<DS_ABObj>>;

class DS_SlideContainer : public DS_IOF_Item {
 public:
  DS_SlideContainer();
  DS_SlideContainer(const DS_SlideContainer&) = delete;
  DS_SlideContainer& operator=(const DS_SlideContainer&) = delete;
  ~DS_SlideContainer() override = default;

  bool Save(DS_IOF_Virtual** stream) override;
  virtual void ReleaseDeviceResources();

  CountedPtr<DS_2D_Light> GetLayer() const { return layer; }
  // The layer's picture, then the drawn objects from the last to the first, each that needs it
  // handed a texture of everything drawn before it. A slide without a layer draws black.
  void Render();
  // The layer's post effect and border quads.
  void PostRender();
  // The layer's camera, then every object and every sound, in list order, with the scene time.
  void AdvanceFrame(float t);
  // The slide is about to be shown: its drawn objects' descriptions restart, its layer restores its
  // device state.
  void RestoreDeviceResources();
  void Resize(int width, int height);
  void SetPicturePosition(int mode);
  // Switches the sounds on or off; the drawn objects are not told.
  void SetActive(bool active);
  // Once at scene start: the layer's device objects, then one render object per description; the
  // descriptions are deleted afterwards.
  void CreateRenderObjects();
  void SetDefaults();

  MediaParamT<UINT> fadeIn;
  MediaParamT<UINT> fadeOut;
  MediaParamT<UINT> show;
  MediaParamT<INT> intValue;  // stored and read; playback does not use it
  MediaParamTB<ds_string> name;
  CountedPtr<DS_2D_Light> layer;
  RenderObjects objects;
  RenderObjects sounds;
  // As read from the document, owned until CreateRenderObjects turns them into objects.
  Descriptions descriptions;
  Descriptions soundDescriptions;
};

// Draws the objects from the last to the first into the layer. `users` counts the objects that need
// the background, plus 1 when the layer has a post effect: while users remain after an object, the
// layer's pair swaps; the last user ends the layer target and draws onto the back buffer.
void RenderLayerObjects(DS_2D_Light& layer, const RenderObjects& objects, int users);

// A ULong count and that many descriptions read through the constructor registry. Entries whose
// class could not be read are not kept; reading stops once the stream has failed.
void ReadControllerList(DS_IOF_Virtual** stream, Descriptions* list);
// The count and the record of the description clone of every object.
void WriteControllerList(DS_IOF_Virtual** stream, const RenderObjects& objects);

void ReadSlideContainerFields(DS_IOF_Virtual** stream, DWORD version, DS_SlideContainer& slide);
void WriteSlideContainerRecord(DS_IOF_Virtual** stream, DS_SlideContainer& slide);
void WriteSlideContainerFields(DS_IOF_Virtual** stream, DS_SlideContainer& slide);

// The reading step of the slide registry's "DS_SlideContainer" reader.
template <>
void IOF_ReadFields<DS_SlideContainer>(DS_IOF_Virtual** stream, DWORD version, DS_SlideContainer& slide);
