// Makes the meshes of the sample scene at build time, as text .x files:
//   mesh_maker leaf OUT.x   a curled leaf of one unit's length, textured across its whole picture
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

bool WriteLeaf(const std::string& path) {
  const int along = 7, across = 3;
  const auto vertices = LeafVertices(along, across);
  std::vector<std::array<int, 3>> faces;
  for (int i = 0; i + 1 < along; ++i)
    for (int j = 0; j + 1 < across; ++j) {
      const int a = i * across + j, b = a + 1, c = a + across, d = c + 1;
      faces.push_back({a, c, b});
      faces.push_back({b, c, d});
    }
  std::ofstream out(path, std::ios::trunc);
  out << "xof 0303txt 0032\n// a leaf, one unit long\nMesh Leaf {\n  " << vertices.size() << ";\n";
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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || std::string(argv[1]) != "leaf") {
    std::fprintf(stderr, "usage: mesh_maker leaf OUT.x\n");
    return 2;
  }
  if (!WriteLeaf(argv[2])) {
    std::fprintf(stderr, "mesh_maker: cannot write %s\n", argv[2]);
    return 1;
  }
  return 0;
}
