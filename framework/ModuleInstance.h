#pragma once
// The handle the operating system gave the plug-in module when it loaded it
// (the module instance on Windows). The module entry stores it; the editor's
// window layer registers its window class and finds its images with it.
// Null until the module entry has run, and in programs that link the plug-in
// directly (the window layer then uses the module that holds its own code).

// [loader thread or host main thread, before any instance exists]
void SetPluginModuleInstance(void* instance);
void* PluginModuleInstance();
