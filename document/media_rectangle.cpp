#include "document/media_rectangle.h"

namespace {

ScreenToPictureMap g_ScreenToPicture = nullptr;

}  // namespace

void SetScreenToPicture(ScreenToPictureMap map) { g_ScreenToPicture = map; }

MediaRectangle::MediaRectangle() {
  left = 0;
  right = 0;
  top = 0;
  bottom = 0;
}

MediaRectangle::MediaRectangle(const MediaRectangle& other) : MediaParam() { Assign(other); }

void MediaRectangle::Assign(const MediaRectangle& other) {
  left = other.left.value;
  right = other.right.value;
  top = other.top.value;
  bottom = other.bottom.value;
  centreX = other.centreX.value;
  centreY = other.centreY.value;
}

bool MediaRectangle::HitTest(float x, float y) const {
  float px = 0.0f;
  float py = 0.0f;
  if (!g_ScreenToPicture || !g_ScreenToPicture(x, y, &px, &py)) return false;
  return static_cast<float>(left.value) <= px && px <= static_cast<float>(right.value) &&
         static_cast<float>(top.value) <= py && py <= static_cast<float>(bottom.value);
}

void ReadMediaRectangle(DS_IOF_Virtual** stream, MediaRectangle* rectangle) {
  for (INT* value : {&rectangle->left.value, &rectangle->right.value, &rectangle->top.value,
                     &rectangle->bottom.value, &rectangle->centreX.value, &rectangle->centreY.value})
    (*stream)->ReadInt(value);
}

void WriteMediaRectangle(DS_IOF_Virtual** stream, const MediaRectangle& rectangle) {
  for (const INT* value : {&rectangle.left.value, &rectangle.right.value, &rectangle.top.value,
                           &rectangle.bottom.value, &rectangle.centreX.value, &rectangle.centreY.value})
    (*stream)->WriteInt(value);
}
