// The system's wide string: UTF-16 code units, compared unit by unit.
#pragma once
#include <string>

using ds_string = std::u16string;
