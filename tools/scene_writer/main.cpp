// scene_writer DESCRIPTION PICTURE_FOLDER OUTPUT: writes the sample scene document that the
// executable embeds. The output appears whole or not at all, so a failed run never leaves a
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
    const auto scene = scene_writer::ParseSceneDescription(ReadText(argv[1]));
    if (scene.slides.empty()) throw std::runtime_error("the scene has no slides");
    const auto document = scene_writer::WriteSceneDocument(scene, [&](const std::string& file) {
      const std::string text = ReadText(pictures / file);
      return scene_writer::Bytes(text.begin(), text.end());
    });
    WriteWhole(argv[3], document);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "scene_writer: %s\n", e.what());
    return 1;
  }
  return 0;
}
