#include "Vst3Factory.h"

#include <mutex>

#include "ModuleInstance.h"
#include "PluginBinding.h"

using namespace vst3;

namespace {
// Serialises plug-in creation and the factory's birth and death; lives as long
// as the module is loaded.
std::mutex& ModuleLock() {
  static std::mutex lock;
  return lock;
}

Vst3Factory* gFactory = nullptr;  // guarded by ModuleLock()
void* gModuleHandle = nullptr;

constexpr const char* kVendor = "OXB-Audio";
constexpr const char* kClassName = "Velto";
constexpr const char* kSubCategories = "Fx|EQ";
constexpr const char* kClassVersion = "1.0.0";
constexpr const char* kSdkVersion = "VST 3.6.0";

// The fields the three class records share; false for an index without a class.
template <class Info>
bool FillClassHead(int32 index, Info* info) {
  if (!info || index != 0) return false;
  for (int i = 0; i < 16; ++i) info->cid[i] = kVeltoClassId.bytes[i];
  info->cardinality = PClassInfo::kManyInstances;
  CopyToField(info->category, kVstAudioEffectClass, sizeof(info->category));
  return true;
}
}  // namespace

void* VeltoModuleHandle() { return gModuleHandle; }

Vst3Factory* Vst3Factory::Acquire() {
  std::lock_guard<std::mutex> lock(ModuleLock());
  if (gFactory) {
    ++gFactory->refCount_;
  } else {
    gFactory = new Vst3Factory();
  }
  return gFactory;
}

tresult Vst3Factory::queryInterface(const TUID iid, void** obj) {
  if (!obj) return kInvalidArgument;
  if (FUnknown::iid.Matches(iid) || IPluginFactory::iid.Matches(iid) || IPluginFactory2::iid.Matches(iid) ||
      IPluginFactory3::iid.Matches(iid)) {
    *obj = static_cast<IPluginFactory3*>(this);
    addRef();
    return kResultOk;
  }
  *obj = nullptr;
  return kNoInterface;
}

uint32 Vst3Factory::addRef() { return ++refCount_; }

uint32 Vst3Factory::release() {
  std::lock_guard<std::mutex> lock(ModuleLock());
  const uint32 n = --refCount_;
  if (n == 0) {
    if (gFactory == this) gFactory = nullptr;
    delete this;
  }
  return n;
}

tresult Vst3Factory::getFactoryInfo(PFactoryInfo* info) {
  if (!info) return kInvalidArgument;
  CopyToField(info->vendor, kVendor, sizeof(info->vendor));
  CopyToField(info->url, "", sizeof(info->url));
  CopyToField(info->email, "", sizeof(info->email));
  info->flags = PFactoryInfo::kUnicode;
  return kResultOk;
}

int32 Vst3Factory::countClasses() { return 1; }

tresult Vst3Factory::getClassInfo(int32 index, PClassInfo* info) {
  if (!FillClassHead(index, info)) return kInvalidArgument;
  CopyToField(info->name, kClassName, sizeof(info->name));
  return kResultOk;
}

tresult Vst3Factory::getClassInfo2(int32 index, PClassInfo2* info) {
  if (!FillClassHead(index, info)) return kInvalidArgument;
  CopyToField(info->name, kClassName, sizeof(info->name));
  info->classFlags = kSimpleModeSupported;
  CopyToField(info->subCategories, kSubCategories, sizeof(info->subCategories));
  CopyToField(info->vendor, "", sizeof(info->vendor));
  CopyToField(info->version, kClassVersion, sizeof(info->version));
  CopyToField(info->sdkVersion, kSdkVersion, sizeof(info->sdkVersion));
  return kResultOk;
}

tresult Vst3Factory::getClassInfoUnicode(int32 index, PClassInfoW* info) {
  if (!FillClassHead(index, info)) return kInvalidArgument;
  CopyToUtf16(info->name, kClassName, 64);
  info->classFlags = kSimpleModeSupported;
  CopyToField(info->subCategories, kSubCategories, sizeof(info->subCategories));
  CopyToUtf16(info->vendor, "", 64);
  CopyToUtf16(info->version, kClassVersion, 64);
  CopyToUtf16(info->sdkVersion, kSdkVersion, 64);
  return kResultOk;
}

// The context is accepted and not kept: nothing in this module needs it.
tresult Vst3Factory::setHostContext(FUnknown*) { return kResultOk; }

tresult Vst3Factory::createInstance(FIDString cid, FIDString iid, void** obj) {
  if (!obj) return kInvalidArgument;
  *obj = nullptr;
  if (!cid || !iid) return kInvalidArgument;
  if (!kVeltoClassId.Matches(cid)) return kResultFalse;
  PluginBinding* plugin = nullptr;
  {
    std::lock_guard<std::mutex> lock(ModuleLock());
    plugin = CreatePlugin(PluginBinding::InstanceInfo{});
  }
  if (!plugin) return kOutOfMemory;
  // The new object holds one reference; the query adds the caller's.
  const tresult result = static_cast<IAudioProcessor*>(plugin)->queryInterface(iid, obj);
  static_cast<IAudioProcessor*>(plugin)->release();
  return result == kResultOk ? kResultOk : kNoInterface;
}

// ---------------------------------------------------------------------------
// Module entry points

#if defined(_WIN32)
// Exported undecorated through Velto.def.
extern "C" int VST3_API DllMain(void* instance, unsigned long reason, void*) {
  if (reason == 1 /* process attach */) gModuleHandle = instance;
  return 1;
}
extern "C" bool InitDll() {
  SetPluginModuleInstance(gModuleHandle);
  return true;
}
extern "C" bool ExitDll() { return true; }
extern "C" IPluginFactory* VST3_API GetPluginFactory() { return Vst3Factory::Acquire(); }
#else
#define VELTO_EXPORT extern "C" __attribute__((visibility("default")))
VELTO_EXPORT bool ModuleEntry(void* sharedLibraryHandle) {
  gModuleHandle = sharedLibraryHandle;
  return true;
}
VELTO_EXPORT bool ModuleExit() { return true; }
VELTO_EXPORT IPluginFactory* GetPluginFactory() { return Vst3Factory::Acquire(); }
#endif
