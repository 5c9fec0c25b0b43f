#include "SharedLibrary.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

void* OpenSharedLibrary(const std::string& file, std::string* why) {
#if defined(_WIN32)
  HMODULE lib = LoadLibraryA(file.c_str());
  if (!lib && why) *why = "cannot load " + file + " (error " + std::to_string(GetLastError()) + ")";
  return lib;
#else
  // A path without a slash would make dlopen search the library path.
  const std::string path = file.find('/') == std::string::npos ? "./" + file : file;
  void* lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!lib && why) {
    const char* message = dlerror();
    *why = message ? message : "cannot load " + file;
  }
  return lib;
#endif
}

void* SharedLibrarySymbol(void* handle, const char* name) {
  if (!handle) return nullptr;
#if defined(_WIN32)
  // Through the generic function type, which converts to any other.
  return reinterpret_cast<void*>(reinterpret_cast<void (*)()>(GetProcAddress(static_cast<HMODULE>(handle), name)));
#else
  return dlsym(handle, name);
#endif
}

void CloseSharedLibrary(void* handle) {
  if (!handle) return;
#if defined(_WIN32)
  FreeLibrary(static_cast<HMODULE>(handle));
#else
  dlclose(handle);
#endif
}
