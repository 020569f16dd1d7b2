#include "slideshow/slide_container.h"

#include "document/stream_reads.h"
#include "document/device.h"

namespace {

const ds_string kClassName = u"DS_SlideContainer";
constexpr DWORD kVersion = 2;
// The smallest stored description: a class-name string of one code unit and a version.
constexpr DWORD kMinDescriptionBytes = 3 + 1 + 2 + 4;

const IOF_Virtual_ReaderT_II<DS_SlideContainer, DS_SlideContainer> g_SlideReader;
const bool g_SlideRegistered = RegisterReader(GetSlideRegistry(), kClassName, g_SlideReader);

void CreateObjects(Descriptions& list, RenderObjects* objects) {
  for (const auto& description : list) {
    DS_ABObj* object = description->CreateObject();
    if (object) objects->push_back(CountedPtr<DS_ABObj>(object));
  }
}

}  // namespace

DS_SlideContainer::DS_SlideContainer() { SetDefaults(); }

void DS_SlideContainer::SetDefaults() {
  fadeIn.SetAndNotify(1);
  fadeOut.SetAndNotify(1);
  show.SetAndNotify(10);
}

bool DS_SlideContainer::Save(DS_IOF_Virtual** stream) {
  WriteSlideContainerRecord(stream, *this);
  return true;
}

void DS_SlideContainer::ReleaseDeviceResources() {
  for (const auto& object : objects) object->ReleaseDeviceResources();
  if (layer.Get()) layer->ReleaseDeviceResources();
}

void DS_SlideContainer::Render() {
  if (!layer.Get()) {
    if (g_Device) g_Device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    return;
  }
  int users = layer->HasPostEffect() ? 1 : 0;
  for (const auto& object : objects)
    if (object->NeedsBackground()) ++users;
  if (users > 0) layer->BeginLayerTarget();
  layer->Render(false);
  RenderLayerObjects(*layer, objects, users);
}

void RenderLayerObjects(DS_2D_Light& layer, const RenderObjects& objects, int users) {
  layer.background.Set(layer.picture.texture.Get());
  for (auto object = objects.rbegin(); object != objects.rend(); ++object) {
    if ((*object)->NeedsBackground()) {
      --users;
      IDirect3DTexture9* drawnSoFar =
          users > 0 ? layer.layerTarget.Swap() : layer.EndLayerTarget(false).Current();
      layer.background.Set(drawnSoFar);
    }
    (*object)->Render(layer);
    layer.background.Set(layer.picture.texture.Get());
  }
}

void DS_SlideContainer::PostRender() {
  if (layer.Get()) layer->PostRender();
}

void DS_SlideContainer::AdvanceFrame(float t) {
  if (layer.Get()) layer->AdvanceFrame(t);
  for (const auto& object : objects) object->Update(t);
  for (const auto& sound : sounds) sound->Update(t);
}

void DS_SlideContainer::RestoreDeviceResources() {
  for (const auto& object : objects)
    if (DS_ABObj_Constructor* controller = object->Controller()) controller->Restart();
  if (layer.Get()) layer->RestoreDeviceResources();
  for (const auto& object : objects) object->RestoreDeviceResources();
}

void DS_SlideContainer::Resize(int width, int height) {
  if (layer.Get()) layer->Resize(width, height);
}

void DS_SlideContainer::SetPicturePosition(int mode) {
  if (layer.Get()) layer->SetPicturePosition(mode);
}

void DS_SlideContainer::SetActive(bool active) {
  for (const auto& sound : sounds) sound->SetActive(active);
}

void DS_SlideContainer::CreateRenderObjects() {
  if (layer.Get()) {
    layer->CreateDeviceResources();
    // A provisional target until the slide first becomes current and takes the back buffer's size;
    // it also makes the layer's picture the pixel space the new objects are placed in.
    layer->Resize(1, 1);
  }
  CreateObjects(descriptions, &objects);
  CreateObjects(soundDescriptions, &sounds);
  descriptions.clear();
  soundDescriptions.clear();
}

void ReadControllerList(DS_IOF_Virtual** stream, Descriptions* list) {
  const DWORD count = ReadCount(stream, kMinDescriptionBytes);
  for (DWORD i = 0; i < count && !(*stream)->Failed(); ++i) {
    std::unique_ptr<DS_ABObj_Constructor> description(ReadConstructorByClassName(stream));
    if (description) list->push_back(std::move(description));
  }
}

void WriteControllerList(DS_IOF_Virtual** stream, const RenderObjects& objects) {
  DWORD count = 0;
  for (const auto& object : objects)
    if (object->Controller()) ++count;
  (*stream)->WriteULong(&count);
  for (const auto& object : objects)
    if (DS_ABObj_Constructor* controller = object->Controller()) controller->Save(stream);
}

void ReadSlideContainerFields(DS_IOF_Virtual** stream, DWORD version, DS_SlideContainer& slide) {
  (*stream)->ReadUInt(&slide.fadeIn.value);
  (*stream)->ReadUInt(&slide.fadeOut.value);
  (*stream)->ReadUInt(&slide.show.value);
  (*stream)->ReadInt(&slide.intValue.value);
  (*stream)->ReadString(&slide.name.value);
  slide.layer = CountedPtr<DS_2D_Light>(ReadLightByClassName(stream));
  ReadControllerList(stream, &slide.descriptions);
  if (version > 1) ReadControllerList(stream, &slide.soundDescriptions);
}

void WriteSlideContainerRecord(DS_IOF_Virtual** stream, DS_SlideContainer& slide) {
  (*stream)->WriteString(&kClassName);
  (*stream)->WriteULong(&kVersion);
  WriteSlideContainerFields(stream, slide);
}

void WriteSlideContainerFields(DS_IOF_Virtual** stream, DS_SlideContainer& slide) {
  (*stream)->WriteUInt(&slide.fadeIn.value);
  (*stream)->WriteUInt(&slide.fadeOut.value);
  (*stream)->WriteUInt(&slide.show.value);
  (*stream)->WriteInt(&slide.intValue.value);
  (*stream)->WriteString(&slide.name.value);
  if (slide.layer.Get()) slide.layer->Save(stream);
  WriteControllerList(stream, slide.objects);
  WriteControllerList(stream, slide.sounds);
}

template <>
void IOF_ReadFields<DS_SlideContainer>(DS_IOF_Virtual** stream, DWORD version, DS_SlideContainer& slide) {
  ReadSlideContainerFields(stream, version, slide);
}
