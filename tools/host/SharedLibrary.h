#pragma once
// Loading a plug-in module file the way the operating system's loader does,
// for the three hosts of the harness. [host main thread]

#include <string>

// Loads the file with every symbol bound at once. On failure returns null and
// puts the loader's own reason into *why (it names the file on Linux).
void* OpenSharedLibrary(const std::string& file, std::string* why);
// An exported symbol, or null.
void* SharedLibrarySymbol(void* handle, const char* name);
void CloseSharedLibrary(void* handle);
