#include "x_file.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <map>
#include <new>
#include <optional>
#include <string_view>

namespace d3dx9 {
namespace {

enum class Kind { Name, Number, String, Open, Close, Guid, End };

struct Token {
  Kind kind;
  std::string_view text;
};

// Splits the body into tokens. Commas and semicolons only separate values, so they are dropped:
// the templates fix how many values each object holds. Brackets appear only in template
// declarations, which are skipped whole, so they are dropped too.
bool Tokenize(std::string_view text, std::vector<Token>& tokens) {
  size_t i = 0;
  const size_t n = text.size();
  auto isNameChar = [](char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
           c == '.';
  };
  while (i < n) {
    const char c = text[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ',' || c == ';' || c == '\0' || c == '[' ||
        c == ']') {
      ++i;
    } else if (c == '#' || (c == '/' && i + 1 < n && text[i + 1] == '/')) {
      while (i < n && text[i] != '\n') ++i;
    } else if (c == '{' || c == '}') {
      tokens.push_back({c == '{' ? Kind::Open : Kind::Close, text.substr(i, 1)});
      ++i;
    } else if (c == '"') {
      const size_t end = text.find('"', i + 1);
      if (end == std::string_view::npos) return false;
      tokens.push_back({Kind::String, text.substr(i + 1, end - i - 1)});
      i = end + 1;
    } else if (c == '<') {
      const size_t end = text.find('>', i + 1);
      if (end == std::string_view::npos) return false;
      tokens.push_back({Kind::Guid, text.substr(i + 1, end - i - 1)});
      i = end + 1;
    } else if ((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.') {
      size_t j = i + 1;
      while (j < n && ((text[j] >= '0' && text[j] <= '9') || text[j] == '.' || text[j] == 'e' || text[j] == 'E' ||
                       ((text[j] == '-' || text[j] == '+') && (text[j - 1] == 'e' || text[j - 1] == 'E'))))
        ++j;
      tokens.push_back({Kind::Number, text.substr(i, j - i)});
      i = j;
    } else if (isNameChar(c)) {
      size_t j = i + 1;
      while (j < n && isNameChar(text[j])) ++j;
      tokens.push_back({Kind::Name, text.substr(i, j - i)});
      i = j;
    } else {
      return false;
    }
  }
  tokens.push_back({Kind::End, {}});
  return true;
}

// One mesh as the file states it, before it joins the others.
struct MeshData {
  std::vector<D3DXVECTOR3> positions;
  std::vector<std::vector<DWORD>> faces;  // polygons
  std::vector<D3DXVECTOR3> normals;       // as listed by MeshNormals
  std::vector<std::vector<DWORD>> normalFaces;  // the normal of each polygon corner
  std::vector<float> texcoords;                 // u, v per position
  std::vector<DWORD> faceMaterials;             // per polygon
  std::vector<XMaterial> materials;
  size_t frame = 0;  // the frame that holds the mesh
};

// A frame's own transform and the frame around it; frame 0 is the file itself.
struct FrameNode {
  D3DXMATRIX local;
  size_t parent;
};

constexpr int kMaxDepth = 64;

class Parser {
 public:
  explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

  bool ParseFile(XMesh& out) {
    frames_.push_back(FrameNode{Identity(), 0});
    while (Peek().kind != Kind::End) {
      if (!ParseObject(0, 0)) return false;
    }
    return Merge(out);
  }

 private:
  static D3DXMATRIX Identity() {
    D3DXMATRIX m;
    return *D3DXMatrixIdentity(&m);
  }

  const Token& Peek() const { return tokens_[pos_]; }
  const Token& Next() { return tokens_[pos_ < tokens_.size() - 1 ? pos_++ : pos_]; }
  size_t Remaining() const { return tokens_.size() - 1 - pos_; }

  bool Expect(Kind kind) { return Next().kind == kind; }

  std::optional<DWORD> Count() {
    const Token& t = Next();
    if (t.kind != Kind::Number) return std::nullopt;
    DWORD value = 0;
    const auto [end, error] = std::from_chars(t.text.data(), t.text.data() + t.text.size(), value);
    if (error != std::errc() || end != t.text.data() + t.text.size()) return std::nullopt;
    return value;
  }

  // A count of items that each take at least `tokensEach` more tokens: more than the file holds is
  // damage, never an allocation.
  std::optional<DWORD> BoundedCount(size_t tokensEach) {
    const auto n = Count();
    if (!n || size_t(*n) * tokensEach > Remaining()) return std::nullopt;
    return n;
  }

  bool Float(float& value) {
    const Token& t = Next();
    if (t.kind != Kind::Number) return false;
    const char* first = t.text.data();
    const char* last = first + t.text.size();
    if (first != last && *first == '+') ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    return error == std::errc() && end == last;
  }

  bool Vector(D3DXVECTOR3& v) { return Float(v.x) && Float(v.y) && Float(v.z); }

  // Skips the rest of an object whose opening brace has been read.
  bool SkipBlock() {
    int depth = 1;
    while (depth > 0) {
      const Token& t = Next();
      if (t.kind == Kind::End) return false;
      if (t.kind == Kind::Open) ++depth;
      if (t.kind == Kind::Close) --depth;
    }
    return true;
  }

  // An object: its template name, an optional name and GUID, then its body in braces. A bare
  // brace is a reference to a named object.
  bool ParseObject(size_t frame, int depth) {
    if (depth > kMaxDepth) return false;
    const Token& type = Next();
    if (type.kind == Kind::Open) return SkipBlock();
    if (type.kind != Kind::Name) return false;
    std::string_view name;
    if (Peek().kind == Kind::Name) name = Next().text;
    if (type.text == "template") return Expect(Kind::Open) && SkipBlock();
    if (Peek().kind == Kind::Guid) Next();
    if (!Expect(Kind::Open)) return false;
    if (type.text == "Frame") return ParseFrame(frame, depth);
    if (type.text == "Mesh") return ParseMesh(frame, depth);
    if (type.text == "Material") {
      XMaterial material;
      if (!ParseMaterial(material, depth)) return false;
      if (!name.empty()) namedMaterials_[std::string(name)] = material;
      return true;
    }
    return SkipBlock();
  }

  // The frame's transform may stand anywhere among its children; it applies to all of them, so
  // meshes are placed only once the whole file is read.
  bool ParseFrame(size_t parent, int depth) {
    const size_t frame = frames_.size();
    frames_.push_back(FrameNode{Identity(), parent});
    while (Peek().kind != Kind::Close) {
      if (Peek().kind == Kind::End) return false;
      if (Peek().kind == Kind::Name && Peek().text == "FrameTransformMatrix") {
        if (!OpenChild()) return false;
        D3DXMATRIX& local = frames_[frame].local;
        for (int i = 0; i < 16; ++i)
          if (!Float(local.m[i / 4][i % 4])) return false;
        if (!Expect(Kind::Close)) return false;
        continue;
      }
      if (!ParseObject(frame, depth + 1)) return false;
    }
    Next();
    return true;
  }

  bool ParseMesh(size_t frame, int depth) {
    MeshData mesh;
    mesh.frame = frame;
    const auto vertexCount = BoundedCount(3);
    if (!vertexCount) return false;
    mesh.positions.resize(*vertexCount);
    for (D3DXVECTOR3& p : mesh.positions) {
      if (!Vector(p)) return false;
    }
    if (!ParsePolygons(mesh.faces, *vertexCount)) return false;
    while (Peek().kind != Kind::Close) {
      const Token& t = Peek();
      if (t.kind == Kind::End) return false;
      if (t.kind == Kind::Name && t.text == "MeshNormals") {
        if (!OpenChild() || !ParseNormals(mesh)) return false;
      } else if (t.kind == Kind::Name && t.text == "MeshTextureCoords") {
        if (!OpenChild() || !ParseTexcoords(mesh)) return false;
      } else if (t.kind == Kind::Name && t.text == "MeshMaterialList") {
        if (!OpenChild() || !ParseMaterialList(mesh, depth + 1)) return false;
      } else if (!ParseObject(frame, depth + 1)) {
        return false;
      }
    }
    Next();
    meshes_.push_back(std::move(mesh));
    return true;
  }

  // Reads a child object's header up to its opening brace.
  bool OpenChild() {
    Next();
    if (Peek().kind == Kind::Name) Next();
    if (Peek().kind == Kind::Guid) Next();
    return Expect(Kind::Open);
  }

  bool ParsePolygons(std::vector<std::vector<DWORD>>& faces, DWORD vertexCount) {
    const auto faceCount = BoundedCount(1);
    if (!faceCount) return false;
    faces.resize(*faceCount);
    for (auto& face : faces) {
      const auto corners = BoundedCount(1);
      if (!corners) return false;
      face.resize(*corners);
      for (DWORD& index : face) {
        const auto v = Count();
        if (!v || *v >= vertexCount) return false;
        index = *v;
      }
    }
    return true;
  }

  bool ParseNormals(MeshData& mesh) {
    const auto normalCount = BoundedCount(3);
    if (!normalCount) return false;
    std::vector<D3DXVECTOR3> normals(*normalCount);
    for (D3DXVECTOR3& n : normals)
      if (!Vector(n)) return false;
    std::vector<std::vector<DWORD>> faces;
    if (!ParsePolygons(faces, *normalCount)) return false;
    if (!Expect(Kind::Close)) return false;
    // Normals are indexed per polygon corner, so the polygons must match the mesh's.
    if (faces.size() != mesh.faces.size()) return false;
    for (size_t f = 0; f < faces.size(); ++f)
      if (faces[f].size() != mesh.faces[f].size()) return false;
    mesh.normals = std::move(normals);
    mesh.normalFaces = std::move(faces);
    return true;
  }

  bool ParseTexcoords(MeshData& mesh) {
    const auto count = BoundedCount(2);
    if (!count || *count != mesh.positions.size()) return false;
    mesh.texcoords.resize(size_t(*count) * 2);
    for (float& f : mesh.texcoords)
      if (!Float(f)) return false;
    return Expect(Kind::Close);
  }

  bool ParseMaterialList(MeshData& mesh, int depth) {
    const auto materialCount = Count();
    const auto indexCount = BoundedCount(1);
    if (!materialCount || !indexCount) return false;
    std::vector<DWORD> indices(*indexCount);
    for (DWORD& i : indices) {
      const auto v = Count();
      if (!v || *v >= *materialCount) return false;
      i = *v;
    }
    // A short list repeats its last entry for the remaining faces.
    mesh.faceMaterials.resize(mesh.faces.size());
    for (size_t f = 0; f < mesh.faceMaterials.size(); ++f)
      mesh.faceMaterials[f] = indices.empty() ? 0 : indices[std::min(f, indices.size() - 1)];
    while (Peek().kind != Kind::Close) {
      const Token& t = Next();
      if (t.kind == Kind::Open) {
        // A reference to a material defined earlier in the file.
        const Token& name = Next();
        if (name.kind != Kind::Name || !Expect(Kind::Close)) return false;
        const auto found = namedMaterials_.find(std::string(name.text));
        if (found == namedMaterials_.end()) return false;
        mesh.materials.push_back(found->second);
      } else if (t.kind == Kind::Name && t.text == "Material") {
        std::string_view name;
        if (Peek().kind == Kind::Name) name = Next().text;
        if (Peek().kind == Kind::Guid) Next();
        XMaterial material;
        if (!Expect(Kind::Open) || !ParseMaterial(material, depth + 1)) return false;
        if (!name.empty()) namedMaterials_[std::string(name)] = material;
        mesh.materials.push_back(material);
      } else if (t.kind == Kind::Name) {
        if (Peek().kind == Kind::Name) Next();
        if (Peek().kind == Kind::Guid) Next();
        if (!Expect(Kind::Open) || !SkipBlock()) return false;
      } else {
        return false;
      }
    }
    Next();
    if (mesh.materials.size() != *materialCount) return false;
    return true;
  }

  bool ParseMaterial(XMaterial& out, int depth) {
    if (depth > kMaxDepth) return false;
    D3DMATERIAL9& m = out.material;
    m = D3DMATERIAL9{};
    if (!Float(m.Diffuse.r) || !Float(m.Diffuse.g) || !Float(m.Diffuse.b) || !Float(m.Diffuse.a)) return false;
    m.Ambient = m.Diffuse;
    if (!Float(m.Power)) return false;
    if (!Float(m.Specular.r) || !Float(m.Specular.g) || !Float(m.Specular.b)) return false;
    if (!Float(m.Emissive.r) || !Float(m.Emissive.g) || !Float(m.Emissive.b)) return false;
    m.Specular.a = m.Emissive.a = 1.0f;
    while (Peek().kind != Kind::Close) {
      const Token& t = Next();
      if (t.kind == Kind::End) return false;
      if (t.kind == Kind::Open) {
        if (!SkipBlock()) return false;
        continue;
      }
      if (t.kind != Kind::Name) return false;
      const bool texture = t.text == "TextureFilename" || t.text == "TextureFileName";
      if (Peek().kind == Kind::Name) Next();
      if (Peek().kind == Kind::Guid) Next();
      if (!Expect(Kind::Open)) return false;
      if (texture && Peek().kind == Kind::String) out.textureFile = std::string(Next().text);
      if (!SkipBlock()) return false;
    }
    Next();
    return true;
  }

  // The transform from a frame's space to the file's: its own first, then its parents'. Parents
  // come before their children in the list.
  std::vector<D3DXMATRIX> WorldTransforms() const {
    std::vector<D3DXMATRIX> world(frames_.size());
    world[0] = frames_[0].local;
    for (size_t f = 1; f < frames_.size(); ++f)
      D3DXMatrixMultiply(&world[f], &frames_[f].local, &world[frames_[f].parent]);
    return world;
  }

  // One vertex per distinct pair of position and corner normal: a position whose corners name
  // different normals is split, as a hard edge needs. Without normals the positions stand as
  // they are.
  static void AddVertices(const MeshData& m, const D3DXMATRIX& world, XMesh& out, bool anyNormals,
                          bool anyTexcoords, std::vector<std::vector<DWORD>>& faces) {
    const DWORD base = DWORD(out.positions.size());
    auto add = [&](DWORD position, const D3DXVECTOR3& normal) {
      D3DXVECTOR3 p;
      D3DXVec3TransformCoord(&p, &m.positions[position], &world);
      out.positions.push_back(p);
      if (anyNormals) {
        D3DXVECTOR3 n;
        D3DXVec3TransformNormal(&n, &normal, &world);
        out.normals.push_back(*D3DXVec3Normalize(&n, &n));
      }
      if (anyTexcoords) {
        const bool has = !m.texcoords.empty();
        out.texcoords.push_back(has ? m.texcoords[size_t(position) * 2] : 0.0f);
        out.texcoords.push_back(has ? m.texcoords[size_t(position) * 2 + 1] : 0.0f);
      }
    };
    faces = m.faces;
    if (m.normalFaces.empty()) {
      for (DWORD v = 0; v < DWORD(m.positions.size()); ++v) add(v, D3DXVECTOR3(0, 0, 0));
      for (auto& face : faces)
        for (DWORD& corner : face) corner += base;
      return;
    }
    std::map<std::pair<DWORD, DWORD>, DWORD> vertexOf;
    for (size_t f = 0; f < faces.size(); ++f)
      for (size_t c = 0; c < faces[f].size(); ++c) {
        const auto key = std::make_pair(m.faces[f][c], m.normalFaces[f][c]);
        auto [found, added] = vertexOf.try_emplace(key, DWORD(out.positions.size()));
        if (added) add(key.first, m.normals[key.second]);
        faces[f][c] = found->second;
      }
  }

  bool Merge(XMesh& out) {
    out = XMesh{};
    bool anyNormals = false, anyTexcoords = false;
    for (const MeshData& m : meshes_) {
      anyNormals |= !m.normals.empty();
      anyTexcoords |= !m.texcoords.empty();
    }
    const std::vector<D3DXMATRIX> world = WorldTransforms();
    // Meshes without a material list share one default material, grey as D3DX gives it.
    std::optional<DWORD> defaultMaterial;
    for (const MeshData& m : meshes_) {
      const DWORD materialBase = DWORD(out.materials.size());
      std::vector<std::vector<DWORD>> faces;
      AddVertices(m, world[m.frame], out, anyNormals, anyTexcoords, faces);
      DWORD fallback = 0;
      if (m.materials.empty()) {
        if (!defaultMaterial) {
          XMaterial grey;
          grey.material.Diffuse = grey.material.Ambient = D3DCOLORVALUE{0.5f, 0.5f, 0.5f, 1.0f};
          defaultMaterial = DWORD(out.materials.size());
          out.materials.push_back(grey);
        }
        fallback = *defaultMaterial;
      } else {
        out.materials.insert(out.materials.end(), m.materials.begin(), m.materials.end());
      }
      for (size_t f = 0; f < faces.size(); ++f) {
        const auto& face = faces[f];
        const DWORD material = m.materials.empty() ? fallback : materialBase + m.faceMaterials[f];
        // Polygons become fans around their first corner; lines and points make no triangle.
        for (size_t c = 1; c + 1 < face.size(); ++c) {
          out.indices.insert(out.indices.end(), {face[0], face[c], face[c + 1]});
          out.attributes.push_back(material);
        }
      }
    }
    // A transform can push positions out of range (or divide by a zero w); such a file is damaged.
    for (const D3DXVECTOR3& p : out.positions)
      if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) return false;
    for (D3DXVECTOR3& n : out.normals)
      if (!std::isfinite(n.x) || !std::isfinite(n.y) || !std::isfinite(n.z)) n = D3DXVECTOR3(0, 0, 0);
    return !out.indices.empty();
  }

  std::vector<Token> tokens_;
  size_t pos_ = 0;
  std::vector<MeshData> meshes_;
  std::vector<FrameNode> frames_;
  std::map<std::string, XMaterial> namedMaterials_;
};

}  // namespace

HRESULT ParseXFile(const void* data, size_t size, XMesh& out) {
  out = XMesh{};
  if (!data || size < 16) return D3DXERR_INVALIDDATA;
  const std::string_view text(static_cast<const char*>(data), size);
  // "xof 0303txt 0032": magic, version, format and float size. Only the text format is read.
  if (text.substr(0, 4) != "xof " || text.substr(8, 4) != "txt " ||
      (text.substr(12, 4) != "0032" && text.substr(12, 4) != "0064"))
    return D3DXERR_INVALIDDATA;
  try {
    std::vector<Token> tokens;
    if (!Tokenize(text.substr(16), tokens)) return D3DXERR_INVALIDDATA;
    Parser parser(std::move(tokens));
    if (!parser.ParseFile(out)) {
      out = XMesh{};
      return D3DXERR_INVALIDDATA;
    }
  } catch (const std::bad_alloc&) {
    out = XMesh{};
    return E_OUTOFMEMORY;
  }
  return S_OK;
}

}  // namespace d3dx9
