#pragma once
// Small helpers of the Windows window layer. Includes windows.h.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstring>
#include <string>

#include "EditorTypes.h"

namespace win32util {

// The module (DLL or program) that holds this code.
inline HMODULE ThisModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ThisModule), &module);
  return module;
}

inline COLORREF ToColorRef(const Colour& c) {
  auto byte = [](int v) { return static_cast<BYTE>(v < 0 ? 0 : v > 255 ? 255 : v); };
  return RGB(byte(c.red), byte(c.green), byte(c.blue));
}

// Copies text into a caller's buffer of size bytes, always terminated.
inline void CopyText(const std::string& from, char* to, int size) {
  if (!to || size <= 0) return;
  const size_t n = from.size() < static_cast<size_t>(size - 1) ? from.size() : static_cast<size_t>(size - 1);
  std::memcpy(to, from.data(), n);
  to[n] = '\0';
}

}  // namespace win32util
