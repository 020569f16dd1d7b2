#include "platform/d3d9/clipping.h"

#include <cmath>
#include <utility>

namespace d3d9 {

namespace {

constexpr int kPlanes = 6;

float Distance(const ClipVertex& v, int plane, const ClipBand& band) {
  const float x = v.pos[0];
  const float y = v.pos[1];
  const float z = v.pos[2];
  const float w = v.pos[3];
  switch (plane) {
    case 0: return z;
    case 1: return w - z;
    case 2: return x + band.gx * w;
    case 3: return band.gx * w - x;
    case 4: return y + band.gy * w;
    default: return band.gy * w - y;
  }
}

ClipVertex Cut(const ClipVertex& inside, const ClipVertex& outside, float dIn, float dOut, int attributes) {
  const float t = dIn / (dIn - dOut);
  ClipVertex r;
  for (int k = 0; k < 4; ++k) r.pos[k] = inside.pos[k] + t * (outside.pos[k] - inside.pos[k]);
  for (int k = 0; k < attributes; ++k) r.attr[k] = inside.attr[k] + t * (outside.attr[k] - inside.attr[k]);
  return r;
}

}  // namespace

int OutCode(const ClipVertex& v, const ClipBand& band) {
  for (float c : v.pos) {
    if (!std::isfinite(c)) return (1 << kPlanes) - 1;
  }
  int code = 0;
  for (int plane = 0; plane < kPlanes; ++plane) {
    if (!(Distance(v, plane, band) >= 0.f)) code |= 1 << plane;
  }
  return code;
}

int ClipTriangle(const ClipVertex& a, const ClipVertex& b, const ClipVertex& c, int codes, const ClipBand& band,
                 int attributes, ClipVertex out[kMaxClippedVertices]) {
  ClipVertex buffer[kMaxClippedVertices];
  ClipVertex* from = out;
  ClipVertex* to = buffer;
  from[0] = a;
  from[1] = b;
  from[2] = c;
  int count = 3;
  for (int plane = 0; plane < kPlanes && count > 0; ++plane) {
    if (!(codes & (1 << plane))) continue;
    int next = 0;
    for (int i = 0; i < count; ++i) {
      const ClipVertex& p = from[i];
      const ClipVertex& q = from[(i + 1) % count];
      const float dp = Distance(p, plane, band);
      const float dq = Distance(q, plane, band);
      const bool pIn = dp >= 0.f;
      const bool qIn = dq >= 0.f;
      if (pIn) to[next++] = p;
      if (pIn && !qIn) to[next++] = Cut(p, q, dp, dq, attributes);
      if (!pIn && qIn) to[next++] = Cut(q, p, dq, dp, attributes);
    }
    count = next;
    std::swap(from, to);
  }
  if (from != out) {
    for (int i = 0; i < count; ++i) out[i] = from[i];
  }
  return count;
}

}  // namespace d3d9
