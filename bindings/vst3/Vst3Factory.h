#pragma once
// The module's class factory: one class, the Velto effect (component and
// controller in one object). GetPluginFactory creates the factory on first
// use and hands out counted references to it; the factory forgets itself when
// the last one is released, so a later call builds a new one.

#include <atomic>

#include "Vst3Interfaces.h"

// The class identifier, as four words: the last two are the maker code 'OXBa'
// and the plug-in code 'aX4t'.
constexpr vst3::Uid kVeltoClassId = vst3::MakeUid(0xF2AEE70D, 0x00DE4F4E, 0x4F584261, 0x61583474);

class Vst3Factory final : public vst3::IPluginFactory3 {
 public:
  // The module's factory with one more reference for the caller. [ui thread]
  static Vst3Factory* Acquire();

  vst3::tresult VST3_API queryInterface(const vst3::TUID iid, void** obj) override;
  vst3::uint32 VST3_API addRef() override;
  vst3::uint32 VST3_API release() override;

  vst3::tresult VST3_API getFactoryInfo(vst3::PFactoryInfo* info) override;
  vst3::int32 VST3_API countClasses() override;
  vst3::tresult VST3_API getClassInfo(vst3::int32 index, vst3::PClassInfo* info) override;
  vst3::tresult VST3_API createInstance(vst3::FIDString cid, vst3::FIDString iid, void** obj) override;
  vst3::tresult VST3_API getClassInfo2(vst3::int32 index, vst3::PClassInfo2* info) override;
  vst3::tresult VST3_API getClassInfoUnicode(vst3::int32 index, vst3::PClassInfoW* info) override;
  vst3::tresult VST3_API setHostContext(vst3::FUnknown* context) override;

 private:
  Vst3Factory() = default;
  ~Vst3Factory() = default;
  std::atomic<vst3::uint32> refCount_{1};
};

// The handle the operating system gave the module (the dlopen handle on Linux,
// the module instance on Windows); the editor layer loads its resources from it.
void* VeltoModuleHandle();
