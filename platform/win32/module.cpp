#include "platform/win32/module.h"

#include <algorithm>
#include <cstring>
#include <list>
#include <map>

#include "platform/machine/machine.h"
#include "platform/win32/module_file.h"
#include "platform/win32/resource_names.h"

namespace win32 {
namespace {

struct ModuleRecord {
  std::u16string fileName;
  std::vector<ModuleExport> exports;
  ResourceTable resources;
  int loads = 0;
};

struct Modules {
  ModuleRecord executable;
  std::list<ModuleRecord> libraries;  // a list keeps every record, and so every handle, in place
  std::map<std::u16string, int, LessNoCase> loadCalls;
};

// Reached through a function so that the generated resource file can register the executable's table
// during static initialisation, whatever the order of the translation units.
Modules& All() {
  static Modules modules;
  return modules;
}

HMODULE HandleOf(ModuleRecord& record) { return reinterpret_cast<HMODULE>(&record); }

ModuleRecord* Library(HMODULE module) {
  for (auto& record : All().libraries)
    if (HandleOf(record) == module) return &record;
  return nullptr;
}

ModuleRecord* Known(HMODULE module) {
  if (!module || module == HandleOf(All().executable)) return &All().executable;
  return Library(module);
}

ModuleRecord* ByName(std::u16string_view fileName) {
  for (auto& record : All().libraries)
    if (EqualNoCase(record.fileName, fileName)) return &record;
  return nullptr;
}

// A library the machine description declares missing cannot be loaded even when a test registered it.
bool MissingOnMachine(std::u16string_view fileName) {
  const auto& missing = machine::Current().faults.missingLibraries;
  return std::any_of(missing.begin(), missing.end(), [&](const std::u16string& name) { return EqualNoCase(name, fileName); });
}

}  // namespace

HMODULE RegisterModule(std::u16string fileName, std::vector<ModuleExport> exports, ResourceTable resources) {
  All().libraries.push_back(ModuleRecord{std::move(fileName), std::move(exports), resources, 0});
  return HandleOf(All().libraries.back());
}

void UnregisterModule(HMODULE module) {
  All().libraries.remove_if([&](ModuleRecord& record) { return HandleOf(record) == module; });
}

int LoadLibraryCalls(std::u16string_view fileName) {
  auto& calls = All().loadCalls;
  auto it = calls.find(std::u16string(fileName));
  return it == calls.end() ? 0 : it->second;
}

std::optional<ResourceTable> ModuleResources(HMODULE module) {
  ModuleRecord* record = Known(module);
  if (!record || (record != &All().executable && record->loads == 0)) return std::nullopt;
  return record->resources;
}

ResourceTable SetModuleResources(HMODULE module, ResourceTable table) {
  ModuleRecord* record = Known(module);
  if (!record) return {};
  ResourceTable previous = record->resources;
  record->resources = table;
  return previous;
}

}  // namespace win32

using namespace win32;

HMODULE WINAPI GetModuleHandleW(LPCWSTR moduleName) {
  if (!moduleName) return HandleOf(All().executable);
  ModuleRecord* record = ByName(moduleName);
  return record && record->loads > 0 ? HandleOf(*record) : nullptr;
}

HMODULE WINAPI LoadLibraryW(LPCWSTR fileName) {
  if (!fileName) return nullptr;
  ++All().loadCalls[fileName];
  if (MissingOnMachine(fileName)) return nullptr;
  ModuleRecord* record = ByName(fileName);
  if (!record) {
    // Not made known by a test: the library file beside the executable, when there is one.
    std::optional<ResourceTable> table = LoadModuleFile(fileName);
    if (!table) return nullptr;
    record = &All().libraries.emplace_back(ModuleRecord{fileName, {}, *table, 0});
  }
  ++record->loads;
  return HandleOf(*record);
}

FARPROC WINAPI GetProcAddress(HMODULE module, LPCSTR procName) {
  ModuleRecord* record = Library(module);
  // Exports by ordinal (a small integer in place of the name) are not kept.
  if (!record || record->loads == 0 || !procName || IS_INTRESOURCE(procName)) return nullptr;
  for (const auto& entry : record->exports)
    if (entry.name == procName) return entry.function;
  return nullptr;
}

BOOL WINAPI FreeLibrary(HMODULE module) {
  if (module && module == HandleOf(All().executable)) return TRUE;
  ModuleRecord* record = Library(module);
  if (!record || record->loads == 0) return FALSE;
  --record->loads;
  return TRUE;
}
