// The module's exports: VSTPluginMain and the legacy name main.

#include <mutex>
#include <new>

#include "ModuleInstance.h"
#include "PluginBinding.h"

#if defined(_WIN32)
// Exported by name through Velto.def.
#define VELTO_EXPORT

// The loader tells the module its instance handle before any host call; the
// editor's window class and images belong to it.
extern "C" int __stdcall DllMain(void* instance, unsigned long reason, void*) {
  if (reason == 1 /* process attach */) SetPluginModuleInstance(instance);
  return 1;
}
#else
#define VELTO_EXPORT __attribute__((visibility("default")))
#endif

namespace {
// Serialises instance creation across host threads; built on first use and
// destroyed when the module is unloaded.
std::mutex& CreationLock() {
  static std::mutex lock;
  return lock;
}
}  // namespace

extern "C" VELTO_EXPORT vst2::AEffect* VSTCALLBACK VSTPluginMain(vst2::audioMasterCallback host) {
  std::lock_guard<std::mutex> lock(CreationLock());
  IEffectVST* plug = nullptr;
  try {
    IEffectVST::InstanceInfo info;
    info.hostCallback = host;
    plug = CreatePlugin(info);
  } catch (...) {
    // Nothing may unwind into the host.
    return nullptr;
  }
  if (!plug) return nullptr;
  // Slots the plug-in left free become presets of the default values.
  plug->MakePresetFromCurrentValues("Empty", plug->NumPresets());
  vst2::AEffect* effect = plug->GetAEffect();
  if (effect->numPrograms < 1) effect->numPrograms = 1;
  return effect;
}

// The legacy entry takes the callback at its full pointer width: a 64-bit
// host passes a 64-bit function pointer here, as it does to VSTPluginMain.
#if defined(_WIN32)
extern "C" vst2::AEffect* VSTCALLBACK VeltoLegacyMain(vst2::audioMasterCallback host) {
  return VSTPluginMain(host);
}
#else
extern "C" VELTO_EXPORT vst2::AEffect* VeltoLegacyMain(vst2::audioMasterCallback host) __asm__("main");
extern "C" vst2::AEffect* VeltoLegacyMain(vst2::audioMasterCallback host) { return VSTPluginMain(host); }
#endif
