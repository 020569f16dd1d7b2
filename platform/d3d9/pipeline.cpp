#include "platform/d3d9/pipeline.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/d3d9/bands.h"
#include "platform/d3d9/clipping.h"
#include "platform/d3d9/raster.h"
#include "platform/d3d9/resources.h"
#include "platform/d3d9/triangle_queue.h"
#include "platform/d3d9/vertex_processing.h"

namespace d3d9 {

UINT VerticesFor(D3DPRIMITIVETYPE type, UINT primitives) {
  if (primitives == 0) return 0;
  switch (type) {
    case D3DPT_POINTLIST: return primitives;
    case D3DPT_LINELIST: return primitives * 2;
    case D3DPT_LINESTRIP: return primitives + 1;
    case D3DPT_TRIANGLELIST: return primitives * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN: return primitives + 2;
    default: return 0;
  }
}

// Positions are XYZ or XYZRHW; every texture-coordinate set is two floats.
UINT FvfSize(DWORD fvf) {
  const DWORD position = fvf & D3DFVF_POSITION_MASK;
  UINT size = 0;
  if (position == D3DFVF_XYZ) {
    size = 12;
  } else if (position == D3DFVF_XYZRHW) {
    size = 16;
  } else {
    return 0;
  }
  if (fvf & D3DFVF_NORMAL) size += 12;
  if (fvf & D3DFVF_PSIZE) size += 4;
  if (fvf & D3DFVF_DIFFUSE) size += 4;
  if (fvf & D3DFVF_SPECULAR) size += 4;
  const DWORD sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  if (sets > 8) return 0;
  return size + sets * 8;
}


namespace {

// Clip-space positions may reach this far (in pixels) beyond the viewport's centre before a triangle
// is cut; the rasterizer's 1/256-pixel fixed point stays exact out to there.
constexpr float kGuardPixels = 16384.f;
constexpr int kColorAttributes = kTexcoord;

// The vertices of a draw, processed once each however many primitives share them.
class VertexCache {
 public:
  VertexCache(const DrawCall& call, const VertexProcessor& processor)
      : call_(call), processor_(processor), vertices_(call.vertexStore != nullptr ? *call.vertexStore : own_) {
    const UINT count = VerticesFor(call.type, call.primitives);
    lowest_ = INT64_MAX;
    int64_t highest = INT64_MIN;
    for (UINT i = 0; i < count; ++i) {
      const int64_t slot = Slot(i);
      lowest_ = std::min(lowest_, slot);
      highest = std::max(highest, slot);
    }
    if (count == 0) return;
    const size_t slots = static_cast<size_t>(highest - lowest_ + 1);
    // Slots are read only once processed, so the store keeps what earlier draws left in it.
    if (vertices_.size() < slots) vertices_.resize(slots);
    done_.assign(slots, 0);
  }

  // The slot of the stream that the draw's i-th vertex reads.
  int64_t Slot(UINT i) const {
    if (call_.indices == nullptr) return int64_t{call_.first} + i;
    uint32_t index;
    if (call_.indices32) {
      std::memcpy(&index, static_cast<const uint8_t*>(call_.indices) + size_t{i} * 4, 4);
    } else {
      uint16_t narrow;
      std::memcpy(&narrow, static_cast<const uint8_t*>(call_.indices) + size_t{i} * 2, 2);
      index = narrow;
    }
    return int64_t{index} + call_.baseVertex;
  }

  const uint8_t* Bytes(UINT i) const { return call_.vertices + static_cast<size_t>(Slot(i)) * call_.stride; }

  const ClipVertex& Get(UINT i) {
    const size_t at = static_cast<size_t>(Slot(i) - lowest_);
    if (!done_[at]) {
      vertices_[at] = processor_.Process(Bytes(i));
      done_[at] = 1;
    }
    return vertices_[at];
  }

  // Processes every vertex the draw reads, on the render threads, so that Get only reads from then on
  // and may be called from several threads.
  void ProcessAll() {
    const UINT count = VerticesFor(call_.type, call_.primitives);
    for (UINT i = 0; i < count; ++i) done_[static_cast<size_t>(Slot(i) - lowest_)] = kWanted;
    constexpr size_t kShare = 512;
    const size_t slots = done_.size();
    ForEachBand(static_cast<int>((slots + kShare - 1) / kShare), [&](int share) {
      const size_t end = std::min(slots, (static_cast<size_t>(share) + 1) * kShare);
      for (size_t at = static_cast<size_t>(share) * kShare; at < end; ++at) {
        if (done_[at] != kWanted) continue;
        vertices_[at] = processor_.Process(call_.vertices + static_cast<size_t>(lowest_ + static_cast<int64_t>(at)) *
                                                                call_.stride);
        done_[at] = 1;
      }
    });
  }

 private:
  const DrawCall& call_;
  const VertexProcessor& processor_;
  int64_t lowest_ = 0;
  std::vector<ClipVertex> own_;
  std::vector<ClipVertex>& vertices_;
  static constexpr uint8_t kWanted = 2;  // read by the draw, not yet processed
  std::vector<uint8_t> done_;            // 1: processed
};

class Assembler {
 public:
  Assembler(const DrawCall& call, const PixelState& pixels)
      : state_(*call.state),
        pixels_(pixels),
        processor_(state_, pixels.texcoordStages),
        cache_(call, processor_),
        queue_(pixels, state_.Render(D3DRS_CULLMODE)),
        attributes_(kTexcoord + 2 * pixels.texcoordStages) {
    const D3DVIEWPORT9& v = state_.viewport;
    halfWidth_ = static_cast<float>(v.Width) * 0.5f;
    halfHeight_ = static_cast<float>(v.Height) * 0.5f;
    centreX_ = static_cast<float>(v.X) + halfWidth_;
    centreY_ = static_cast<float>(v.Y) + halfHeight_;
    minZ_ = v.MinZ;
    depthRange_ = v.MaxZ - v.MinZ;
    band_.gx = std::max(1.f, kGuardPixels / std::max(halfWidth_, 1.f));
    band_.gy = std::max(1.f, kGuardPixels / std::max(halfHeight_, 1.f));
  }

  void Draw(D3DPRIMITIVETYPE type, UINT primitives) {
    const bool triangles =
        type == D3DPT_TRIANGLELIST || type == D3DPT_TRIANGLESTRIP || type == D3DPT_TRIANGLEFAN;
    if (triangles && primitives >= kSharedPrimitives) {
      // Vertices and triangles are made on the render threads too, a share of the primitives each;
      // the shares' triangles are drawn in their order, as if made one after the other.
      cache_.ProcessAll();
      for (UINT first = 0; first < primitives; first += kGroup) {
        const UINT end = std::min(primitives, first + kGroup);
        queue_.AddShares(static_cast<int>((end - first + kShare - 1) / kShare), [&](int share, TriangleSink& sink) {
          const UINT begin = first + static_cast<UINT>(share) * kShare;
          for (UINT i = begin; i < std::min(end, begin + kShare); ++i) Primitive(type, i, sink);
        });
      }
    } else if (triangles) {
      for (UINT i = 0; i < primitives; ++i) Primitive(type, i, queue_);
    } else if (type == D3DPT_POINTLIST) {
      for (UINT i = 0; i < primitives; ++i) Point(i);
    }
    // Lines are not drawn.
    queue_.Flush();
  }

 private:
  // Draws of at least this many triangles share their making among the render threads, in groups
  // of kGroup primitives of kShare each.
  static constexpr UINT kSharedPrimitives = 1024;
  static constexpr UINT kGroup = 8192;
  static constexpr UINT kShare = 256;

  // Primitive i of a triangle draw.
  template <class Sink>
  void Primitive(D3DPRIMITIVETYPE type, UINT i, Sink& sink) {
    switch (type) {
      case D3DPT_TRIANGLELIST:
        DrawTriangle(3 * i, 3 * i + 1, 3 * i + 2, sink);
        break;
      case D3DPT_TRIANGLESTRIP:
        // Every second triangle of a strip runs the other way round; (i, i + 2, i + 1) keeps the
        // winding of the first and vertex i as the one that gives a flat colour.
        if (i % 2 == 0) {
          DrawTriangle(i, i + 1, i + 2, sink);
        } else {
          DrawTriangle(i, i + 2, i + 1, sink);
        }
        break;
      default:  // D3DPT_TRIANGLEFAN
        DrawTriangle(i + 1, i + 2, 0, sink);
        break;
    }
  }

  ScreenVertex ToScreen(const ClipVertex& c) const {
    ScreenVertex s;
    if (processor_.pretransformed()) {
      s.x = c.pos[0];
      s.y = c.pos[1];
      s.z = c.pos[2];
      s.q = c.pos[3];
    } else {
      const float q = 1.f / c.pos[3];
      s.x = centreX_ + c.pos[0] * q * halfWidth_;
      s.y = centreY_ - c.pos[1] * q * halfHeight_;
      s.z = minZ_ + c.pos[2] * q * depthRange_;
      s.q = q;
    }
    std::copy(c.attr, c.attr + attributes_, s.attr);
    return s;
  }

  template <class Sink>
  void Emit(ScreenVertex a, ScreenVertex b, ScreenVertex c, Sink& sink) {
    // A pre-transformed triangle whose 1 / w cannot be used is drawn without perspective.
    auto usable = [](float q) { return std::isfinite(q) && q > 0.f; };
    if (!usable(a.q) || !usable(b.q) || !usable(c.q)) a.q = b.q = c.q = 1.f;
    sink.Add(a, b, c);
  }

  template <class Sink>
  void DrawTriangle(UINT ia, UINT ib, UINT ic, Sink& sink) {
    const int64_t sa = cache_.Slot(ia);
    const int64_t sb = cache_.Slot(ib);
    const int64_t sc = cache_.Slot(ic);
    if (sa == sb || sb == sc || sa == sc) return;  // degenerate: the turns of joined strips
    const ClipVertex& a = cache_.Get(ia);
    ClipVertex b = cache_.Get(ib);
    ClipVertex c = cache_.Get(ic);
    if (pixels_.flat) {
      std::copy(a.attr, a.attr + kColorAttributes, b.attr);
      std::copy(a.attr, a.attr + kColorAttributes, c.attr);
    }
    if (processor_.pretransformed()) {
      Emit(ToScreen(a), ToScreen(b), ToScreen(c), sink);
      return;
    }
    const int ca = OutCode(a, band_);
    const int cb = OutCode(b, band_);
    const int cc = OutCode(c, band_);
    if (ca & cb & cc) return;
    if ((ca | cb | cc) == 0) {
      sink.Add(ToScreen(a), ToScreen(b), ToScreen(c));
      return;
    }
    ClipVertex polygon[kMaxClippedVertices];
    const int count = ClipTriangle(a, b, c, ca | cb | cc, band_, attributes_, polygon);
    if (count < 3) return;
    const ScreenVertex first = ToScreen(polygon[0]);
    ScreenVertex previous = ToScreen(polygon[1]);
    for (int i = 2; i < count; ++i) {
      const ScreenVertex next = ToScreen(polygon[i]);
      sink.Add(first, previous, next);
      previous = next;
    }
  }

  // A point is a square of the point size centred on it; with point sprites on, every stage's
  // coordinates run from (0, 0) at its top left to (1, 1) at its bottom right.
  void Point(UINT i) {
    const ClipVertex& c = cache_.Get(i);
    if (!processor_.pretransformed() && (OutCode(c, band_) & 3) != 0) return;
    ScreenVertex centre = ToScreen(c);
    if (processor_.pretransformed() && !(std::isfinite(centre.q) && centre.q > 0.f)) centre.q = 1.f;
    float size = processor_.hasPointSize() ? processor_.PointSize(cache_.Bytes(i))
                                           : FloatOf(state_.Render(D3DRS_POINTSIZE));
    const float lowest = FloatOf(state_.Render(D3DRS_POINTSIZE_MIN));
    const float highest = FloatOf(state_.Render(D3DRS_POINTSIZE_MAX));
    if (!(size >= lowest)) size = lowest;
    if (!(size <= highest)) size = highest;
    if (!(size > 0.f) || !std::isfinite(centre.x) || !std::isfinite(centre.y)) return;
    const float half = size * 0.5f;
    ScreenVertex corner[4] = {centre, centre, centre, centre};
    for (int k = 0; k < 4; ++k) {
      corner[k].x += (k & 1) ? half : -half;
      corner[k].y += (k & 2) ? half : -half;
    }
    if (state_.Render(D3DRS_POINTSPRITEENABLE) != FALSE) {
      for (int k = 0; k < 4; ++k) {
        for (int s = 0; s < pixels_.texcoordStages; ++s) {
          corner[k].attr[kTexcoord + 2 * s] = (k & 1) ? 1.f : 0.f;
          corner[k].attr[kTexcoord + 2 * s + 1] = (k & 2) ? 1.f : 0.f;
        }
      }
    }
    queue_.Add(corner[0], corner[1], corner[2], false);
    queue_.Add(corner[1], corner[3], corner[2], false);
  }

  const DeviceState& state_;
  const PixelState& pixels_;
  VertexProcessor processor_;
  VertexCache cache_;
  TriangleQueue queue_;
  int attributes_;
  ClipBand band_{};
  float halfWidth_ = 0.f;
  float halfHeight_ = 0.f;
  float centreX_ = 0.f;
  float centreY_ = 0.f;
  float minZ_ = 0.f;
  float depthRange_ = 1.f;
};

}  // namespace

void Render(const DrawCall& call) {
  if (call.state == nullptr || call.target == nullptr) return;
  const PixelState pixels = MakePixelState(*call.state, call.target, call.depth, call.program);
  if (pixels.clipLeft >= pixels.clipRight || pixels.clipTop >= pixels.clipBottom) return;
  Assembler assembler(call, pixels);
  assembler.Draw(call.type, call.primitives);
}

}  // namespace d3d9
