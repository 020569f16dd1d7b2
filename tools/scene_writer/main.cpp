// scene_writer DESCRIPTION PICTURE_FOLDER OUTPUT: writes the sample scene document that the
// executable embeds, with the pictures of PICTURE_FOLDER and the effect files of the folder
// "effects" beside the description. The output appears whole or not at all, so a failed run never leaves a
// half-written scene for the resource compiler to pick up.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

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
  if (argc != 4) {
    std::fprintf(stderr, "usage: scene_writer DESCRIPTION PICTURE_FOLDER OUTPUT\n");
    return 2;
  }
  try {
    const std::filesystem::path pictures = argv[2];
    const std::filesystem::path effects = std::filesystem::path(argv[1]).parent_path() / "effects";
    const auto scene = scene_writer::ParseSceneDescription(ReadText(argv[1]));
    if (scene.slides.empty()) throw std::runtime_error("the scene has no slides");
    auto reader = [](const std::filesystem::path& folder) {
      return [folder](const std::string& file) {
        const std::string text = ReadText(folder / file);
        return scene_writer::Bytes(text.begin(), text.end());
      };
    };
    const auto document = scene_writer::WriteSceneDocument(scene, reader(pictures), reader(effects));
    WriteWhole(argv[3], document);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "scene_writer: %s\n", e.what());
    return 1;
  }
  return 0;
}
