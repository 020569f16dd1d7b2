#include "meshes.h"

#include <cmath>
#include <sstream>
#include <vector>

namespace library_painter {
namespace {

constexpr float kPi = 3.14159265358979f;

struct Vertex {
  float x, y, z, nx, ny, nz, u, v;
};

// A "Mesh" with normals and texture coordinates from vertices and triangles.
std::string XFile(const std::string& name, const std::vector<Vertex>& vertices, const std::vector<int>& triangles) {
  std::ostringstream out;
  out << "xof 0303txt 0032\nMesh " << name << " {\n  " << vertices.size() << ";\n";
  auto list = [&](auto write) {
    for (size_t i = 0; i < vertices.size(); ++i) {
      out << "  ";
      write(vertices[i]);
      out << (i + 1 == vertices.size() ? ";;\n" : ";,\n");
    }
  };
  auto faces = [&] {
    out << "  " << triangles.size() / 3 << ";\n";
    for (size_t i = 0; i < triangles.size(); i += 3)
      out << "  3;" << triangles[i] << "," << triangles[i + 1] << "," << triangles[i + 2]
          << (i + 3 == triangles.size() ? ";;\n" : ";,\n");
  };
  list([&](const Vertex& v) { out << v.x << ";" << v.y << ";" << v.z; });
  faces();
  out << "  MeshNormals {\n  " << vertices.size() << ";\n";
  list([&](const Vertex& v) { out << v.nx << ";" << v.ny << ";" << v.nz; });
  faces();
  out << "  }\n  MeshTextureCoords {\n  " << vertices.size() << ";\n";
  list([&](const Vertex& v) { out << v.u << ";" << v.v; });
  out << "  }\n}\n";
  return out.str();
}

}  // namespace

std::string ButterflyBodyMesh() {
  constexpr int kRings = 8, kSides = 8;
  std::vector<Vertex> vertices;
  std::vector<int> triangles;
  for (int r = 0; r <= kRings; ++r) {
    const float t = static_cast<float>(r) / kRings;
    const float y = t - 0.5f;
    const float radius = 0.07f * std::sin(kPi * t) + 0.005f;
    for (int s = 0; s <= kSides; ++s) {
      const float a = 2 * kPi * s / kSides;
      vertices.push_back({radius * std::cos(a), y, radius * std::sin(a), std::cos(a), 0, std::sin(a),
                          static_cast<float>(s) / kSides, t});
    }
  }
  for (int r = 0; r < kRings; ++r)
    for (int s = 0; s < kSides; ++s) {
      const int a = r * (kSides + 1) + s, b = a + kSides + 1;
      triangles.insert(triangles.end(), {a, b, a + 1, a + 1, b, b + 1});
    }
  return XFile("Body", vertices, triangles);
}

std::string ButterflyWingMesh() {
  // The outline of a wing: wide near the hinge, rounded at the tip.
  const std::vector<std::pair<float, float>> outline = {{0, -0.35f}, {0.45f, -0.5f}, {0.9f, -0.3f}, {1, 0},
                                                        {0.9f, 0.35f}, {0.5f, 0.5f},  {0, 0.3f}};
  std::vector<Vertex> vertices;
  std::vector<int> triangles;
  for (int side = 0; side < 2; ++side) {
    const float nz = side == 0 ? -1.0f : 1.0f;
    const int first = static_cast<int>(vertices.size());
    vertices.push_back({0, 0, 0, 0, 0, nz, 0, 0.5f});
    for (const auto& [x, y] : outline) vertices.push_back({x, y, 0, 0, 0, nz, x, 0.5f - y});
    const int n = static_cast<int>(outline.size());
    for (int i = 0; i + 1 < n; ++i) {
      if (side == 0)
        triangles.insert(triangles.end(), {first, first + 1 + i, first + 2 + i});
      else
        triangles.insert(triangles.end(), {first, first + 2 + i, first + 1 + i});
    }
  }
  return XFile("Wing", vertices, triangles);
}

std::string ClockFaceMesh() {
  constexpr int kSegments = 32;
  std::vector<Vertex> vertices = {{0, 0, 0, 0, 0, -1, 0.5f, 0.5f}};
  std::vector<int> triangles;
  for (int i = 0; i <= kSegments; ++i) {
    const float a = 2 * kPi * i / kSegments;
    const float x = 0.5f * std::cos(a), y = 0.5f * std::sin(a);
    vertices.push_back({x, y, 0, 0, 0, -1, 0.5f + x, 0.5f - y});
  }
  for (int i = 0; i < kSegments; ++i) triangles.insert(triangles.end(), {0, 2 + i, 1 + i});
  return XFile("Dial", vertices, triangles);
}

}  // namespace library_painter
