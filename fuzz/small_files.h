// Small stand-ins for the files a scene document embeds, so that a seed can carry a whole scene:
// JPEG and PNG pictures become the small pictures given, DDS pictures keep their pixel format and mip
// levels at a few texels, WAVE sounds keep their format and a few frames. Anything else (effects,
// meshes) stays as it is.
#pragma once
#include "tests/support/document_builder.h"

namespace seeds {

struct SmallPictures {
  docbuild::Bytes jpeg;
  docbuild::Bytes png;
};

docbuild::Bytes SmallFile(const docbuild::Bytes& file, const SmallPictures& pictures);

}  // namespace seeds
