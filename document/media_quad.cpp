#include "document/media_quad.h"

MediaQuad::MediaQuad(const MediaQuad& other) : MediaParam() { *this = other; }

MediaQuad& MediaQuad::operator=(const MediaQuad& other) {
  for (int i = 0; i < 4; ++i) corners[i] = other.corners[i].value;
  return *this;
}

void ReadMediaQuad(DS_IOF_Virtual** stream, MediaQuad* quad) {
  for (auto& corner : quad->corners) {
    D3DXVECTOR3& v = corner.value;
    for (float* component : {&v.x, &v.y, &v.z}) (*stream)->ReadFloat(component);
  }
}

void WriteMediaQuad(DS_IOF_Virtual** stream, const MediaQuad& quad) {
  for (const auto& corner : quad.corners) {
    const D3DXVECTOR3& v = corner.value;
    for (const float* component : {&v.x, &v.y, &v.z}) (*stream)->WriteFloat(component);
  }
}
