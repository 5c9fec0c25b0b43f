#pragma once
// The editor's side of a Linux host's run loop: one object that the host
// calls when the editor's X connection has data (onFDIsSet) and on the redraw
// timer (onTimer); both hand the editor its WindowIdle. The host may keep
// references after the view lets go, so the object is reference-counted and
// forgets the editor when detached. [ui thread]

#include <atomic>

#include "Vst3Interfaces.h"

class IEditorLink;

class Vst3RunLoopLink final : public vst3::Linux::IEventHandler, public vst3::Linux::ITimerHandler {
 public:
  explicit Vst3RunLoopLink(IEditorLink* editor) : editor_(editor) {}

  vst3::tresult VST3_API queryInterface(const vst3::TUID iid, void** obj) override;
  vst3::uint32 VST3_API addRef() override { return ++refCount_; }
  vst3::uint32 VST3_API release() override;
  void VST3_API onFDIsSet(vst3::Linux::FileDescriptor fd) override;
  void VST3_API onTimer() override;

  // Registers the editor's event descriptor and timer; false when the run
  // loop takes neither.
  bool Start(vst3::Linux::IRunLoop* loop);
  // Unregisters from the loop Start used and forgets the editor.
  void Stop();

 private:
  ~Vst3RunLoopLink() = default;
  std::atomic<vst3::uint32> refCount_{1};
  IEditorLink* editor_;
  vst3::Linux::IRunLoop* loop_ = nullptr;  // not counted: the view holds it while attached
  bool handlerRegistered_ = false;
  bool timerRegistered_ = false;
};
