// Paints the pictures the executable embeds, at build time, so that the repository holds their
// recipes rather than their bytes:
//   picture_maker landscape KIND WIDTH HEIGHT SEED OUT.jpg
//   picture_maker loading OUT.png       the "Loading..." picture
//   picture_maker banner TITLE OUT.png  the settings dialog's picture
//   picture_maker texture KIND OUT.png  a texture of the sample scene's layers and objects: "glyphs",
//                                       "highlight", "rim", "stand", "flame", "campfire" or "noise"
//   picture_maker sprite KIND OUT.png   a sprite of the sample scene's particles and objects
//   picture_maker mask KIND OUT.png     the mask of one of the sample scene's effect brushes
//   picture_maker streaks N COUNT OUT.png  picture N of COUNT of the blowing sand's sequence
#include <cstdio>
#include <cstdlib>
#include <string>

#include "brush_masks.h"
#include "effect_textures.h"
#include "glass_art.h"
#include "glyph_strip.h"
#include "landscape.h"
#include "sprites.h"
#include "text.h"
#include "wind_streaks.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: picture_maker landscape KIND WIDTH HEIGHT SEED OUT.jpg\n"
               "       picture_maker loading OUT.png\n"
               "       picture_maker banner TITLE OUT.png\n"
               "       picture_maker texture glyphs|highlight|rim|stand|flame|campfire|noise OUT.png\n"
               "       picture_maker sprite KIND OUT.png\n"
               "       picture_maker mask KIND OUT.png\n"
               "       picture_maker streaks N COUNT OUT.png\n");
  return 2;
}

int Written(bool ok, const std::string& path) {
  if (ok) return 0;
  std::fprintf(stderr, "picture_maker: cannot write %s\n", path.c_str());
  return 1;
}

// The scene textures, each at the size its layer or object draws it.
int WriteTexture(const std::string& kind, const std::string& path) {
  using namespace picture;
  if (kind == "glyphs") {
    std::optional<AlphaPicture> strip = PaintGlyphStrip(32, 1024);
    if (!strip) {
      std::fprintf(stderr, "picture_maker: no monospace face found\n");
      return 1;
    }
    return Written(strip->WritePng(path), path);
  }
  if (kind == "highlight") return Written(PaintBallHighlight(256).WritePng(path), path);
  if (kind == "rim") return Written(PaintBallRim(256).WritePng(path), path);
  if (kind == "stand") return Written(PaintBallStand(256, 128).WritePng(path), path);
  if (kind == "flame") return Written(PaintFlameShape(512, 256, 11, 17).WritePng(path), path);
  if (kind == "campfire") return Written(PaintCampfireShape(256, 256, 7, 29).WritePng(path), path);
  if (kind == "noise") return Written(PaintTilingNoise(128, 23).WritePng(path), path);
  std::fprintf(stderr, "picture_maker: no texture named %s\n", kind.c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace picture;
  if (argc < 2) return Usage();
  const std::string command = argv[1];
  if (command == "landscape" && argc == 7) {
    const int width = std::atoi(argv[3]), height = std::atoi(argv[4]);
    if (width < 16 || height < 16 || width > 4096 || height > 4096) return Usage();
    std::optional<Image> image = PaintLandscape(argv[2], width, height, static_cast<uint32_t>(std::strtoul(argv[5], nullptr, 10)));
    if (!image) {
      std::fprintf(stderr, "picture_maker: no landscape named %s\n", argv[2]);
      return 1;
    }
    return Written(image->WriteJpeg(argv[6], 88), argv[6]);
  }
  if (command == "loading" && argc == 3) {
    Image image(256, 256);
    for (int y = 0; y < 256; ++y)
      for (int x = 0; x < 256; ++x) image.At(x, y) = Mix({0.02f, 0.02f, 0.03f}, {0.16f, 0.09f, 0.04f}, y / 255.0f);
    if (!DrawCentredText(image, "Loading...", 36, {0.93f, 0.62f, 0.32f}, 128, 140)) {
      std::fprintf(stderr, "picture_maker: no sans-serif face found\n");
      return 1;
    }
    return Written(image.WritePng(argv[2]), argv[2]);
  }
  if (command == "banner" && argc == 4) {
    std::optional<Image> image = PaintLandscape("sunset", 320, 96, 7);
    if (!image || !DrawCentredText(*image, argv[2], 22, {1.0f, 0.95f, 0.85f}, 160, 56)) return 1;
    return Written(image->WritePng(argv[3]), argv[3]);
  }
  if (command == "texture" && argc == 4) return WriteTexture(argv[2], argv[3]);
  if (command == "sprite" && argc == 4) {
    std::optional<AlphaPicture> sprite = PaintSprite(argv[2]);
    if (!sprite) {
      std::fprintf(stderr, "picture_maker: no sprite named %s\n", argv[2]);
      return 1;
    }
    return Written(sprite->WritePng(argv[3]), argv[3]);
  }
  if (command == "mask" && argc == 4) {
    std::optional<Image> mask = PaintBrushMask(argv[2]);
    if (!mask) {
      std::fprintf(stderr, "picture_maker: no mask named %s\n", argv[2]);
      return 1;
    }
    return Written(mask->WritePng(argv[3]), argv[3]);
  }
  if (command == "streaks" && argc == 5) {
    const int frame = std::atoi(argv[2]), count = std::atoi(argv[3]);
    if (count < 1 || frame < 0 || frame >= count) return Usage();
    return Written(PaintWindStreaks(frame, count).WritePng(argv[4]), argv[4]);
  }
  return Usage();
}
