#pragma once
// The editor view createView("editor") hands to the host. It keeps the
// plug-in alive (a counted reference) and embeds the plug-in's editor in the
// host's window when the plug-in has one; without an editor it tells the host
// that no platform is supported, so hosts fall back to their own controls.
// Every call comes from the host's UI thread.

#include <atomic>

#include "Vst3Interfaces.h"

class IEffectVST3;
class Vst3RunLoopLink;

class IEffectVST3View final : public vst3::IPlugView {
 public:
  explicit IEffectVST3View(IEffectVST3* plugin);

  vst3::tresult VST3_API queryInterface(const vst3::TUID iid, void** obj) override;
  vst3::uint32 VST3_API addRef() override;
  vst3::uint32 VST3_API release() override;

  vst3::tresult VST3_API isPlatformTypeSupported(vst3::FIDString type) override;
  vst3::tresult VST3_API attached(void* parent, vst3::FIDString type) override;
  vst3::tresult VST3_API removed() override;
  vst3::tresult VST3_API onWheel(float distance) override;
  vst3::tresult VST3_API onKeyDown(vst3::char16 key, vst3::int16 keyCode, vst3::int16 modifiers) override;
  vst3::tresult VST3_API onKeyUp(vst3::char16 key, vst3::int16 keyCode, vst3::int16 modifiers) override;
  vst3::tresult VST3_API getSize(vst3::ViewRect* size) override;
  vst3::tresult VST3_API onSize(vst3::ViewRect* newSize) override;
  vst3::tresult VST3_API onFocus(vst3::TBool state) override;
  vst3::tresult VST3_API setFrame(vst3::IPlugFrame* frame) override;
  vst3::tresult VST3_API canResize() override;
  vst3::tresult VST3_API checkSizeConstraint(vst3::ViewRect* rect) override;

  // The plug-in's resize request: the next onSize is the host's answer.
  void ExpectNewSize() { expectingNewSize_ = true; }
  vst3::IPlugFrame* Frame() const { return frame_; }
  const vst3::ViewRect& Rect() const { return rect_; }

 private:
  ~IEffectVST3View();
  void StopRunLoop();

  std::atomic<vst3::uint32> refCount_{1};
  IEffectVST3* plugin_;             // counted reference, released with the view
  vst3::IPlugFrame* frame_ = nullptr;  // the host's; not counted, valid until setFrame(null)
  void* systemWindow_ = nullptr;
  vst3::ViewRect rect_{};
  bool expectingNewSize_ = false;
  vst3::Linux::IRunLoop* runLoop_ = nullptr;   // from the frame, counted; Linux hosts only
  Vst3RunLoopLink* runLoopLink_ = nullptr;     // registered with runLoop_ while attached
};
