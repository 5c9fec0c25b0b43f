#include "ModuleInstance.h"

#include <atomic>

namespace {
std::atomic<void*> gInstance{nullptr};
}

void SetPluginModuleInstance(void* instance) { gInstance.store(instance); }
void* PluginModuleInstance() { return gInstance.load(); }
