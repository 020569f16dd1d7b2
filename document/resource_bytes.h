// The bytes of a "DDS" resource of a module (null: the executable itself).
#pragma once
#include <windows.h>

#include <span>

// Empty when the module has no such resource or it holds no bytes.
std::span<const BYTE> FindDdsResource(HMODULE module, int id);
