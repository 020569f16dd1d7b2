// scene_writer DESCRIPTION LIBRARY_SCRIPT OUTPUT FOLDER...: writes the sample scene document that the
// executable embeds, with copies of the resources of the library (whose script names their files)
// that it uses. The files the description and the script name (pictures, sounds, meshes, effects) are
// taken from the first of the folders that holds them. The output appears whole or not at all, so a failed run never leaves
// a half-written scene for the resource compiler to pick up.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "library_script.h"
#include "scene_document.h"

namespace {

std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + path.string());
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteWhole(const std::filesystem::path& path, const scene_writer::Bytes& bytes) {
  const auto temporary = std::filesystem::path(path.string() + ".tmp");
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + temporary.string());
  }
  std::filesystem::rename(temporary, path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: scene_writer DESCRIPTION LIBRARY_SCRIPT OUTPUT FOLDER...\n");
    return 2;
  }
  try {
    const std::vector<std::filesystem::path> folders(argv + 4, argv + argc);
    const auto scene = scene_writer::ParseSceneDescription(ReadText(argv[1]));
    if (scene.slides.empty()) throw std::runtime_error("the scene has no slides");
    scene_writer::Assets assets(
        [&folders](const std::string& file) {
          for (const auto& folder : folders) {
            if (std::filesystem::is_regular_file(folder / file)) {
              const std::string text = ReadText(folder / file);
              return scene_writer::Bytes(text.begin(), text.end());
            }
          }
          throw std::runtime_error("no folder holds " + file);
        },
        scene_writer::ParseLibraryScript(ReadText(argv[2])));
    const auto document = scene_writer::WriteSceneDocument(scene, assets);
    WriteWhole(argv[3], document.bytes);
    if (!document.uncarried.empty()) {
      std::string ids;
      for (int64_t id : document.uncarried) ids += (ids.empty() ? "" : ", ") + std::to_string(id);
      std::printf("scene_writer: resources left to the library: %s\n", ids.c_str());
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "scene_writer: %s\n", e.what());
    return 1;
  }
  return 0;
}
