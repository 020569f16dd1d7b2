// Four corners of a quad, each an (x, y, z) vector, in layer-picture pixels.
#pragma once
#include <d3dx9math.h>

#include "document/iof_virtual.h"
#include "document/media_param_t.h"

class MediaQuad : public MediaParam {
 public:
  MediaQuad() = default;
  MediaQuad(const MediaQuad& other);
  MediaQuad& operator=(const MediaQuad& other);

  MediaParamTB<D3DXVECTOR3> corners[4];
};

// Twelve floats, corner by corner x, y, z; stored as read, without notification.
void ReadMediaQuad(DS_IOF_Virtual** stream, MediaQuad* quad);
void WriteMediaQuad(DS_IOF_Virtual** stream, const MediaQuad& quad);
