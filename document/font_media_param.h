// What a font is made from: height, weight, italic switch and face name.
#pragma once
#include <windows.h>

#include "document/ds_string.h"
#include "document/media_param.h"

class FontMediaParam : public MediaParam {
 public:
  INT height = 32;
  INT weight = 700;
  INT italic = 0;
  ds_string faceName = u"Arial";
};
