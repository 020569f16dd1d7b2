// JPEG through libjpeg. libjpeg reports errors by calling back into us; we leave the decoder with a
// long jump, so the function that sets the jump point holds nothing but libjpeg's own C structures
// and plain pointers.
#include <csetjmp>
#include <cstdio>

#include <jerror.h>
#include <jpeglib.h>

#include "image.h"

namespace d3dx9 {
namespace {

struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
};

[[noreturn]] void OnError(j_common_ptr info) { std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1); }

void OnMessage(j_common_ptr info, int level) {
  // libjpeg pads a file that ends early with an end marker and only warns; such a picture is
  // missing its lower part, so it counts as damaged.
  if (level < 0 && info->err->msg_code == JWRN_JPEG_EOF) OnError(info);
}

struct Header {
  JDIMENSION width = 0;
  JDIMENSION height = 0;
};

// Reads the header into `header`; when `pixels` already has room for the picture, also the rows.
bool Decode(const uint8_t* data, size_t size, std::vector<uint32_t>* pixels, Header* header) {
  jpeg_decompress_struct info;
  ErrorManager errors;
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = OnError;
  errors.base.emit_message = OnMessage;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  jpeg_calc_output_dimensions(&info);
  if (info.output_components != 3 || info.output_width == 0 || info.output_height == 0 ||
      info.output_width > kMaxImageSide || info.output_height > kMaxImageSide) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  header->width = info.output_width;
  header->height = info.output_height;
  if (pixels->size() != size_t(header->width) * header->height) {
    jpeg_destroy_decompress(&info);
    return true;
  }
  jpeg_start_decompress(&info);
  JSAMPARRAY row = (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                              info.output_width * 3, 1);
  while (info.output_scanline < info.output_height) {
    const JDIMENSION y = info.output_scanline;
    if (jpeg_read_scanlines(&info, row, 1) != 1) {
      jpeg_destroy_decompress(&info);
      return false;
    }
    uint32_t* target = pixels->data() + size_t(y) * info.output_width;
    const JSAMPLE* source = row[0];
    for (JDIMENSION x = 0; x < info.output_width; ++x, source += 3)
      target[x] = 0xFF000000u | uint32_t(source[0]) << 16 | uint32_t(source[1]) << 8 | source[2];
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

bool DecodeJpeg(const uint8_t* data, size_t size, Image& out) {
  // The first pass reads only the header, so that the one allocation (which may throw) happens
  // outside libjpeg, where no long jump can cross it.
  Header header;
  std::vector<uint32_t> pixels;
  if (!Decode(data, size, &pixels, &header)) return false;
  pixels.assign(size_t(header.width) * header.height, 0);
  if (!Decode(data, size, &pixels, &header)) return false;
  out.width = header.width;
  out.height = header.height;
  out.alpha = false;
  out.fileFormat = D3DXIFF_JPG;
  out.pixels = std::move(pixels);
  return true;
}

}  // namespace d3dx9
