// A rectangle in layer-picture pixels: four edges with undo histories, then two plain values that
// some owners use (the static object and the clock keep a centre there, a brush an offset).
#pragma once
#include <windows.h>

#include "document/iof_virtual.h"
#include "document/media_param_t.h"

// Maps a back-buffer point into pixels of the current layer picture; false when there is no picture
// to map into. The 2D view, which lives above this library, installs it.
using ScreenToPictureMap = bool (*)(float x, float y, float* pictureX, float* pictureY);
void SetScreenToPicture(ScreenToPictureMap map);

class MediaRectangle : public MediaParam {
 public:
  MediaRectangle();
  MediaRectangle(const MediaRectangle& other);
  MediaRectangle& operator=(const MediaRectangle& other) {
    Assign(other);
    return *this;
  }

  // The edges by assignment (no observer told), the two further values copied.
  void Assign(const MediaRectangle& other);
  // True when the back-buffer point maps into the rectangle, edges included.
  bool HitTest(float x, float y) const;

  MediaParamT<INT> left, right, top, bottom;
  MediaParamTB<INT> centreX, centreY;
};

// Six signed 32-bit values: left, right, top, bottom, then the two further values; stored as read,
// without notification.
void ReadMediaRectangle(DS_IOF_Virtual** stream, MediaRectangle* rectangle);
void WriteMediaRectangle(DS_IOF_Virtual** stream, const MediaRectangle& rectangle);
