// Makes the meshes of the sample scene at build time, as text .x files:
//   mesh_maker leaf OUT.x    a curled leaf of one unit's length, textured across its whole picture
//   mesh_maker clock OUT.x   a clock's dial: a disc of radius 50 across x and z, its axis y, twelve
//                            o'clock towards +z, which the clock turns to face the viewer and scales
//                            by a hundredth of its size, and whose hands are the same disc squeezed
//   mesh_maker wing OUT.x    a butterfly's wing, 60 units from its hinge on the y axis to its tip
//                            along +x, both faces, the whole picture across it
//   mesh_maker body OUT.x    a butterfly's body, a spindle 50 units long along y
#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Vertex {
  float x, y, z, nx, ny, nz, u, v;
};

// A grid along the leaf (v) and across it (u), bent lengthwise and cupped across, so that it shows
// its shape as it tumbles.
std::vector<Vertex> LeafVertices(int along, int across) {
  auto surface = [](float s, float t) {
    // s along in [-1, 1], t across in [-1, 1]
    return std::array<float, 3>{t * 0.5f, s, 0.25f * s * s + 0.15f * t * t};
  };
  std::vector<Vertex> vertices;
  for (int i = 0; i < along; ++i) {
    for (int j = 0; j < across; ++j) {
      const float s = -1.0f + 2.0f * i / (along - 1), t = -1.0f + 2.0f * j / (across - 1);
      const auto p = surface(s, t);
      const float e = 0.01f;
      const auto ps = surface(s + e, t), pt = surface(s, t + e);
      const float ax = ps[0] - p[0], ay = ps[1] - p[1], az = ps[2] - p[2];
      const float bx = pt[0] - p[0], by = pt[1] - p[1], bz = pt[2] - p[2];
      float nx = by * az - bz * ay, ny = bz * ax - bx * az, nz = bx * ay - by * ax;
      const float n = std::sqrt(nx * nx + ny * ny + nz * nz);
      nx /= n;
      ny /= n;
      nz /= n;
      vertices.push_back({p[0], p[1], p[2], nx, ny, nz, (t + 1.0f) * 0.5f, 1.0f - (s + 1.0f) * 0.5f});
    }
  }
  return vertices;
}

std::vector<Vertex> DialVertices(int segments) {
  std::vector<Vertex> vertices = {{0, 0, 0, 0, -1, 0, 0.5f, 0.5f}};
  for (int i = 0; i <= segments; ++i) {
    const float a = 2.0f * 3.14159265f * static_cast<float>(i) / static_cast<float>(segments);
    const float x = 50.0f * std::sin(a), z = 50.0f * std::cos(a);
    vertices.push_back({x, 0, z, 0, -1, 0, 0.5f + x / 100.0f, 0.5f - z / 100.0f});
  }
  return vertices;
}

bool WriteMesh(const std::string& path, const std::string& name, const std::vector<Vertex>& vertices,
               const std::vector<std::array<int, 3>>& faces) {
  std::ofstream out(path, std::ios::trunc);
  out << "xof 0303txt 0032\nMesh " << name << " {\n  " << vertices.size() << ";\n";
  auto list = [&out](size_t count, auto item) {
    for (size_t k = 0; k < count; ++k) {
      out << "  ";
      item(k);
      out << (k + 1 < count ? ",\n" : ";\n");
    }
  };
  list(vertices.size(), [&](size_t k) { out << vertices[k].x << ";" << vertices[k].y << ";" << vertices[k].z << ";"; });
  out << "  " << faces.size() << ";\n";
  list(faces.size(), [&](size_t k) { out << "3;" << faces[k][0] << "," << faces[k][1] << "," << faces[k][2] << ";"; });
  out << "  MeshNormals {\n  " << vertices.size() << ";\n";
  list(vertices.size(), [&](size_t k) { out << vertices[k].nx << ";" << vertices[k].ny << ";" << vertices[k].nz << ";"; });
  out << "  " << faces.size() << ";\n";
  list(faces.size(), [&](size_t k) { out << "3;" << faces[k][0] << "," << faces[k][1] << "," << faces[k][2] << ";"; });
  out << "  }\n  MeshTextureCoords {\n  " << vertices.size() << ";\n";
  list(vertices.size(), [&](size_t k) { out << vertices[k].u << ";" << vertices[k].v << ";"; });
  out << "  }\n}\n";
  return static_cast<bool>(out.flush());
}

// The butterfly is drawn at its size in picture pixels (100 percent is one unit a pixel), so its
// meshes are made in pixels: a wing of 60, a body of 50.
bool WriteWing(const std::string& path) {
  const std::vector<std::array<float, 2>> outline = {{0, -0.35f}, {0.45f, -0.5f}, {0.9f, -0.3f}, {1, 0},
                                                     {0.9f, 0.35f}, {0.5f, 0.5f},  {0, 0.3f}};
  constexpr float kLength = 60.0f;
  std::vector<Vertex> vertices;
  std::vector<std::array<int, 3>> faces;
  for (int side = 0; side < 2; ++side) {
    const float nz = side == 0 ? -1.0f : 1.0f;
    const int first = static_cast<int>(vertices.size());
    vertices.push_back({0, 0, 0, 0, 0, nz, 0, 0.5f});
    for (const auto& [x, y] : outline) vertices.push_back({x * kLength, y * kLength, 0, 0, 0, nz, x, 0.5f - y});
    const int n = static_cast<int>(outline.size());
    for (int i = 0; i + 1 < n; ++i)
      faces.push_back(side == 0 ? std::array<int, 3>{first, first + 1 + i, first + 2 + i}
                                : std::array<int, 3>{first, first + 2 + i, first + 1 + i});
  }
  return WriteMesh(path, "Wing", vertices, faces);
}

bool WriteBody(const std::string& path) {
  constexpr int kRings = 8, kSides = 8;
  constexpr float kLength = 50.0f, kPi = 3.14159265f;
  std::vector<Vertex> vertices;
  std::vector<std::array<int, 3>> faces;
  for (int r = 0; r <= kRings; ++r) {
    const float t = static_cast<float>(r) / kRings;
    const float radius = kLength * (0.07f * std::sin(kPi * t) + 0.005f);
    for (int k = 0; k <= kSides; ++k) {
      const float a = 2.0f * kPi * static_cast<float>(k) / kSides;
      vertices.push_back({radius * std::cos(a), (t - 0.5f) * kLength, radius * std::sin(a), std::cos(a), 0, std::sin(a),
                          static_cast<float>(k) / kSides, t});
    }
  }
  for (int r = 0; r < kRings; ++r)
    for (int k = 0; k < kSides; ++k) {
      const int a = r * (kSides + 1) + k, b = a + kSides + 1;
      faces.push_back({a, b, a + 1});
      faces.push_back({a + 1, b, b + 1});
    }
  return WriteMesh(path, "Body", vertices, faces);
}

bool WriteLeaf(const std::string& path) {
  const int along = 7, across = 3;
  std::vector<std::array<int, 3>> faces;
  for (int i = 0; i + 1 < along; ++i)
    for (int j = 0; j + 1 < across; ++j) {
      const int a = i * across + j, b = a + 1, c = a + across, d = c + 1;
      faces.push_back({a, c, b});
      faces.push_back({b, c, d});
    }
  return WriteMesh(path, "Leaf", LeafVertices(along, across), faces);
}

bool WriteDial(const std::string& path) {
  const int segments = 48;
  std::vector<std::array<int, 3>> faces;
  for (int i = 0; i < segments; ++i) faces.push_back({0, 1 + i, 2 + i});
  return WriteMesh(path, "Dial", DialVertices(segments), faces);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string kind = argc == 3 ? argv[1] : "";
  bool (*const write)(const std::string&) = kind == "leaf"    ? WriteLeaf
                                            : kind == "clock" ? WriteDial
                                            : kind == "wing"  ? WriteWing
                                            : kind == "body"  ? WriteBody
                                                              : nullptr;
  if (!write) {
    std::fprintf(stderr, "usage: mesh_maker leaf|clock|wing|body OUT.x\n");
    return 2;
  }
  if (!write(argv[2])) {
    std::fprintf(stderr, "mesh_maker: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
