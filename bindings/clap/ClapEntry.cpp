// The module's entry: clap_entry, the plug-in factory and the descriptor.

#include <cstring>
#include <mutex>

#include "ClapDescriptor.h"
#include "PluginBinding.h"

namespace {
// Serialises plug-in creation; lives as long as the module is loaded.
std::mutex& ModuleLock() {
  static std::mutex lock;
  return lock;
}
int gInitCount = 0;  // guarded by ModuleLock()

const char* const kFeatures[] = {CLAP_PLUGIN_FEATURE_AUDIO_EFFECT, CLAP_PLUGIN_FEATURE_DISTORTION,
                                 CLAP_PLUGIN_FEATURE_STEREO, nullptr};

const clap_plugin_descriptor_t kDescriptor = {
    CLAP_VERSION_INIT,
    kVeltoClapId,
    "Velto",
    "OXB-Audio",
    "",
    "",
    "",
    "1.0.0",
    "Stereo saturation and tone shaping",
    kFeatures,
};

uint32_t CountPlugins(const clap_plugin_factory_t*) { return 1; }

const clap_plugin_descriptor_t* Descriptor(const clap_plugin_factory_t*, uint32_t index) {
  return index == 0 ? &kDescriptor : nullptr;
}

// [main thread]
const clap_plugin_t* CreateClapPlugin(const clap_plugin_factory_t*, const clap_host_t* host, const char* id) {
  if (!host || !id || std::strcmp(id, kVeltoClapId) != 0 || !clap_version_is_compatible(host->clap_version))
    return nullptr;
  std::lock_guard<std::mutex> lock(ModuleLock());
  if (gInitCount <= 0) return nullptr;
  PluginBinding* plugin = CreatePlugin(PluginBinding::InstanceInfo{host});
  return plugin ? plugin->ClapPlugin() : nullptr;
}

const clap_plugin_factory_t kFactory = {CountPlugins, Descriptor, CreateClapPlugin};

bool EntryInit(const char*) {
  std::lock_guard<std::mutex> lock(ModuleLock());
  ++gInitCount;
  return true;
}

void EntryDeinit() {
  std::lock_guard<std::mutex> lock(ModuleLock());
  if (gInitCount > 0) --gInitCount;
}

const void* EntryFactory(const char* id) {
  return id && std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) == 0 ? &kFactory : nullptr;
}
}  // namespace

const clap_plugin_descriptor_t* VeltoClapDescriptor() { return &kDescriptor; }

extern "C" CLAP_EXPORT const clap_plugin_entry_t clap_entry = {CLAP_VERSION_INIT, EntryInit, EntryDeinit,
                                                                EntryFactory};
