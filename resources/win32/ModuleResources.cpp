// Resources of the module (DLL or program) this code is linked into.

#include "ModuleResources.h"

#include <windows.h>

ResourceBytes FindPngResource(int resourceId) {
  HMODULE module = nullptr;
  // The module that contains this function, not the host program.
  if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCSTR>(&FindPngResource), &module))
    return {};
  HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(resourceId), "PNG");
  if (!info) return {};
  HGLOBAL handle = LoadResource(module, info);
  const DWORD size = SizeofResource(module, info);
  if (!handle || size == 0) return {};
  const void* data = LockResource(handle);
  if (!data) return {};
  return {static_cast<const unsigned char*>(data), static_cast<size_t>(size)};
}
