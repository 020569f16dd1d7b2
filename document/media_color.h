// A colour stored as 0x00BBGGRR (red in the low byte), read as an unsigned 32-bit value.
#pragma once
#include <windows.h>

#include "document/media_param_t.h"

class MediaColor : public MediaParamT<DWORD> {
 public:
  using MediaParamT<DWORD>::MediaParamT;
  using MediaParamT<DWORD>::operator=;
};
