// The effect texts the screensaver ships (resources/effects, which the resource library holds), for
// tests that put a copy of a library effect into their documents.
#pragma once
#include "tests/support/document_builder.h"

namespace docbuild {

// The bytes of resources/effects/`name`; empty when the file cannot be read.
Bytes EffectFile(const char* name);

}  // namespace docbuild
