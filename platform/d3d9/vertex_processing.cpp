#include "platform/d3d9/vertex_processing.h"

#include <cmath>
#include <cstring>

namespace d3d9 {

namespace {

D3DMATRIX Multiply(const D3DMATRIX& a, const D3DMATRIX& b) {
  D3DMATRIX r;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
    }
  }
  return r;
}

float ReadFloat(const uint8_t* p) {
  float v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

Color ReadColor(const uint8_t* p) {
  DWORD c;
  std::memcpy(&c, p, sizeof c);
  constexpr float k = 1.f / 255.f;
  return {static_cast<float>((c >> 16) & 0xff) * k, static_cast<float>((c >> 8) & 0xff) * k,
          static_cast<float>(c & 0xff) * k, static_cast<float>(c >> 24) * k};
}

Color FromValue(const D3DCOLORVALUE& v) { return {v.r, v.g, v.b, v.a}; }

float Saturate(float v) { return v < 0.f ? 0.f : (v > 1.f ? 1.f : v); }

}  // namespace

VertexProcessor::VertexProcessor(const DeviceState& state, int stages)
    : state_(state),
      fvf_(state.fvf),
      stages_(stages),
      pretransformed_((state.fvf & D3DFVF_POSITION_MASK) == D3DFVF_XYZRHW),
      lighting_(state.Render(D3DRS_LIGHTING) != FALSE && !pretransformed_),
      specularOn_(state.Render(D3DRS_SPECULARENABLE) != FALSE),
      localViewer_(state.Render(D3DRS_LOCALVIEWER) != FALSE),
      normalize_(state.Render(D3DRS_NORMALIZENORMALS) != FALSE),
      colorVertex_(state.Render(D3DRS_COLORVERTEX) != FALSE) {
  int at = pretransformed_ ? 16 : 12;
  if (fvf_ & D3DFVF_NORMAL) {
    normalAt_ = at;
    at += 12;
  }
  if (fvf_ & D3DFVF_PSIZE) {
    sizeAt_ = at;
    at += 4;
  }
  if (fvf_ & D3DFVF_DIFFUSE) {
    diffuseAt_ = at;
    at += 4;
  }
  if (fvf_ & D3DFVF_SPECULAR) {
    specularAt_ = at;
    at += 4;
  }
  texAt_ = at;
  texSets_ = static_cast<int>((fvf_ & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT);

  worldView_ = Multiply(state.world, state.view);
  worldViewProjection_ = Multiply(worldView_, state.projection);

  // Normals go to camera space by the inverse transpose of the upper 3 x 3 of world x view, so that
  // scaled and sheared worlds keep them perpendicular to their surfaces.
  const auto& m = worldView_.m;
  const float c00 = m[1][1] * m[2][2] - m[1][2] * m[2][1];
  const float c01 = m[1][2] * m[2][0] - m[1][0] * m[2][2];
  const float c02 = m[1][0] * m[2][1] - m[1][1] * m[2][0];
  const float det = m[0][0] * c00 + m[0][1] * c01 + m[0][2] * c02;
  if (std::fabs(det) > 1e-20f) {
    const float inv = 1.f / det;
    // Rows of the inverse transpose are the cofactor rows divided by the determinant.
    normalMatrix_[0][0] = c00 * inv;
    normalMatrix_[0][1] = c01 * inv;
    normalMatrix_[0][2] = c02 * inv;
    normalMatrix_[1][0] = (m[0][2] * m[2][1] - m[0][1] * m[2][2]) * inv;
    normalMatrix_[1][1] = (m[0][0] * m[2][2] - m[0][2] * m[2][0]) * inv;
    normalMatrix_[1][2] = (m[0][1] * m[2][0] - m[0][0] * m[2][1]) * inv;
    normalMatrix_[2][0] = (m[0][1] * m[1][2] - m[0][2] * m[1][1]) * inv;
    normalMatrix_[2][1] = (m[0][2] * m[1][0] - m[0][0] * m[1][2]) * inv;
    normalMatrix_[2][2] = (m[0][0] * m[1][1] - m[0][1] * m[1][0]) * inv;
  } else {
    for (int i = 0; i < 3; ++i) {
      for (int j = 0; j < 3; ++j) normalMatrix_[i][j] = m[i][j];
    }
  }

  if (!lighting_) return;
  const DWORD ambient = state.Render(D3DRS_AMBIENT);
  constexpr float k = 1.f / 255.f;
  ambient_ = {static_cast<float>((ambient >> 16) & 0xff) * k, static_cast<float>((ambient >> 8) & 0xff) * k,
              static_cast<float>(ambient & 0xff) * k, static_cast<float>(ambient >> 24) * k};
  // Only directional lights shine; their direction is given in world space.
  const auto& v = state.view.m;
  for (const Light& light : state.lights) {
    if (!light.enabled || light.light.Type != D3DLIGHT_DIRECTIONAL) continue;
    const D3DVECTOR& d = light.light.Direction;
    Vec3 c{d.x * v[0][0] + d.y * v[1][0] + d.z * v[2][0], d.x * v[0][1] + d.y * v[1][1] + d.z * v[2][1],
           d.x * v[0][2] + d.y * v[1][2] + d.z * v[2][2]};
    const float length = std::sqrt(c.x * c.x + c.y * c.y + c.z * c.z);
    if (!(length > 0.f)) continue;
    DirectionalLight& out = lights_[lightCount_++];
    out.toLight = {-c.x / length, -c.y / length, -c.z / length};
    out.diffuse = light.light.Diffuse;
    out.specular = light.light.Specular;
    out.ambient = light.light.Ambient;
  }
}

float VertexProcessor::PointSize(const uint8_t* vertex) const { return ReadFloat(vertex + sizeAt_); }

ClipVertex VertexProcessor::Process(const uint8_t* vertex) const {
  ClipVertex out;
  const Color white{1.f, 1.f, 1.f, 1.f};
  const Color diffuse = diffuseAt_ >= 0 ? ReadColor(vertex + diffuseAt_) : white;
  const Color specular = specularAt_ >= 0 ? ReadColor(vertex + specularAt_) : Color{};
  const float x = ReadFloat(vertex);
  const float y = ReadFloat(vertex + 4);
  const float z = ReadFloat(vertex + 8);

  if (pretransformed_) {
    const float rhw = ReadFloat(vertex + 12);
    out.pos[0] = x;
    out.pos[1] = y;
    out.pos[2] = z;
    out.pos[3] = rhw;  // the pipeline turns rhw into q directly
    float* a = out.attr;
    a[kDiffuse] = diffuse.r;
    a[kDiffuse + 1] = diffuse.g;
    a[kDiffuse + 2] = diffuse.b;
    a[kDiffuse + 3] = diffuse.a;
    a[kSpecular] = specular.r;
    a[kSpecular + 1] = specular.g;
    a[kSpecular + 2] = specular.b;
    TexCoords(vertex + texAt_, Vec3{0.f, 0.f, 0.f}, Vec3{0.f, 0.f, 0.f}, out.attr);
    return out;
  }

  const auto& p = worldViewProjection_.m;
  for (int j = 0; j < 4; ++j) out.pos[j] = x * p[0][j] + y * p[1][j] + z * p[2][j] + p[3][j];

  const auto& wv = worldView_.m;
  const Vec3 camera{x * wv[0][0] + y * wv[1][0] + z * wv[2][0] + wv[3][0],
                    x * wv[0][1] + y * wv[1][1] + z * wv[2][1] + wv[3][1],
                    x * wv[0][2] + y * wv[1][2] + z * wv[2][2] + wv[3][2]};
  Vec3 normal{0.f, 0.f, 0.f};
  if (normalAt_ >= 0) {
    const float nx = ReadFloat(vertex + normalAt_);
    const float ny = ReadFloat(vertex + normalAt_ + 4);
    const float nz = ReadFloat(vertex + normalAt_ + 8);
    const auto& n = normalMatrix_;
    normal = {nx * n[0][0] + ny * n[1][0] + nz * n[2][0], nx * n[0][1] + ny * n[1][1] + nz * n[2][1],
              nx * n[0][2] + ny * n[1][2] + nz * n[2][2]};
    if (normalize_) {
      const float length = std::sqrt(normal.x * normal.x + normal.y * normal.y + normal.z * normal.z);
      if (length > 0.f) normal = {normal.x / length, normal.y / length, normal.z / length};
    }
  }

  if (lighting_) {
    Shade(camera, normal, diffuse, specular, out.attr);
  } else {
    float* a = out.attr;
    a[kDiffuse] = diffuse.r;
    a[kDiffuse + 1] = diffuse.g;
    a[kDiffuse + 2] = diffuse.b;
    a[kDiffuse + 3] = diffuse.a;
    a[kSpecular] = specular.r;
    a[kSpecular + 1] = specular.g;
    a[kSpecular + 2] = specular.b;
  }
  TexCoords(vertex + texAt_, camera, normal, out.attr);
  return out;
}

// Direct3D 9's lighting equation in camera space: emissive + ambient x (global ambient + light
// ambients) + diffuse x sum(light diffuse x N.L), alpha from the diffuse source; specular by the
// Blinn half vector where the light reaches the front of the surface. Without a normal in the FVF
// N is zero and only emissive and ambient remain.
void VertexProcessor::Shade(const Vec3& position, const Vec3& normal, const Color& vertexDiffuse,
                            const Color& vertexSpecular, float* attr) const {
  const D3DMATERIAL9& material = state_.material;
  auto source = [&](D3DRENDERSTATETYPE which, const D3DCOLORVALUE& fallback) {
    if (colorVertex_) {
      const DWORD from = state_.Render(which);
      if (from == D3DMCS_COLOR1 && diffuseAt_ >= 0) return vertexDiffuse;
      if (from == D3DMCS_COLOR2 && specularAt_ >= 0) return vertexSpecular;
    }
    return FromValue(fallback);
  };
  const Color md = source(D3DRS_DIFFUSEMATERIALSOURCE, material.Diffuse);
  const Color ma = source(D3DRS_AMBIENTMATERIALSOURCE, material.Ambient);
  const Color ms = source(D3DRS_SPECULARMATERIALSOURCE, material.Specular);
  const Color me = source(D3DRS_EMISSIVEMATERIALSOURCE, material.Emissive);

  Color ambient = ambient_;
  Color diffuse{};
  Color specular{};
  Vec3 toEye{0.f, 0.f, 1.f};
  if (localViewer_ && specularOn_) {
    const float length = std::sqrt(position.x * position.x + position.y * position.y + position.z * position.z);
    if (length > 0.f) toEye = {-position.x / length, -position.y / length, -position.z / length};
  }
  for (int i = 0; i < lightCount_; ++i) {
    const DirectionalLight& l = lights_[i];
    ambient.r += l.ambient.r;
    ambient.g += l.ambient.g;
    ambient.b += l.ambient.b;
    const float nl = normal.x * l.toLight.x + normal.y * l.toLight.y + normal.z * l.toLight.z;
    if (!(nl > 0.f)) continue;
    diffuse.r += l.diffuse.r * nl;
    diffuse.g += l.diffuse.g * nl;
    diffuse.b += l.diffuse.b * nl;
    if (!specularOn_) continue;
    Vec3 h{toEye.x + l.toLight.x, toEye.y + l.toLight.y, toEye.z + l.toLight.z};
    const float length = std::sqrt(h.x * h.x + h.y * h.y + h.z * h.z);
    if (!(length > 0.f)) continue;
    const float nh = (normal.x * h.x + normal.y * h.y + normal.z * h.z) / length;
    if (!(nh > 0.f)) continue;
    const float power = std::pow(nh, material.Power);
    specular.r += l.specular.r * power;
    specular.g += l.specular.g * power;
    specular.b += l.specular.b * power;
  }
  attr[kDiffuse] = Saturate(me.r + ma.r * ambient.r + md.r * diffuse.r);
  attr[kDiffuse + 1] = Saturate(me.g + ma.g * ambient.g + md.g * diffuse.g);
  attr[kDiffuse + 2] = Saturate(me.b + ma.b * ambient.b + md.b * diffuse.b);
  attr[kDiffuse + 3] = Saturate(md.a);
  attr[kSpecular] = Saturate(ms.r * specular.r);
  attr[kSpecular + 1] = Saturate(ms.g * specular.g);
  attr[kSpecular + 2] = Saturate(ms.b * specular.b);
}

// Each stage takes the set its TEXCOORDINDEX names, or a camera-space vector it generates, then the
// stage's texture matrix when TEXTURETRANSFORMFLAGS asks for one. A two-element set enters the
// matrix as (u, v, 1, 0), so its translation is the third row, as in Direct3D 9; a generated vector
// enters as (x, y, z, 1).
void VertexProcessor::TexCoords(const uint8_t* sets, const Vec3& position, const Vec3& normal, float* attr) const {
  for (int s = 0; s < stages_; ++s) {
    const DWORD index = state_.Stage(static_cast<DWORD>(s), D3DTSS_TEXCOORDINDEX);
    const DWORD generate = index & 0xffff0000u;
    float in[4] = {0.f, 0.f, 1.f, 0.f};
    if (generate == D3DTSS_TCI_PASSTHRU || pretransformed_) {
      const int set = static_cast<int>(index & 0xffffu);
      if (set < texSets_) {
        in[0] = ReadFloat(sets + set * 8);
        in[1] = ReadFloat(sets + set * 8 + 4);
      } else {
        in[2] = 0.f;
      }
    } else {
      Vec3 v{0.f, 0.f, 0.f};
      if (generate == D3DTSS_TCI_CAMERASPACEPOSITION) {
        v = position;
      } else if (generate == D3DTSS_TCI_CAMERASPACENORMAL) {
        v = normal;
      } else if (generate == D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR) {
        // R = 2 (E.N) N - E with E the unit vector from the vertex to the eye.
        Vec3 e{0.f, 0.f, 1.f};
        if (localViewer_) {
          const float length =
              std::sqrt(position.x * position.x + position.y * position.y + position.z * position.z);
          if (length > 0.f) e = {-position.x / length, -position.y / length, -position.z / length};
        }
        Vec3 n = normal;
        const float nl = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        if (nl > 0.f) n = {n.x / nl, n.y / nl, n.z / nl};
        const float en = 2.f * (e.x * n.x + e.y * n.y + e.z * n.z);
        v = {en * n.x - e.x, en * n.y - e.y, en * n.z - e.z};
      }
      in[0] = v.x;
      in[1] = v.y;
      in[2] = v.z;
      in[3] = 1.f;
    }
    float u = in[0];
    float t = in[1];
    const DWORD flags = state_.Stage(static_cast<DWORD>(s), D3DTSS_TEXTURETRANSFORMFLAGS);
    const DWORD count = flags & 0xffu;
    if (count != D3DTTFF_DISABLE && !pretransformed_) {
      const auto& m = state_.texture[static_cast<size_t>(s)].m;
      float o[4];
      for (int j = 0; j < 4; ++j) o[j] = in[0] * m[0][j] + in[1] * m[1][j] + in[2] * m[2][j] + in[3] * m[3][j];
      u = o[0];
      t = o[1];
      // Projected coordinates are divided by their last element per vertex.
      if ((flags & D3DTTFF_PROJECTED) && count >= 2 && count <= 4) {
        const float d = o[count - 1];
        if (d != 0.f) {
          u /= d;
          t = count == 2 ? 1.f : t / d;
        }
      }
    }
    attr[kTexcoord + 2 * s] = u;
    attr[kTexcoord + 2 * s + 1] = t;
  }
}

}  // namespace d3d9
