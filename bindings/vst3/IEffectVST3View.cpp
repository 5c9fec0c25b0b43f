#include "IEffectVST3View.h"

#include <cstring>

#include "IEffectVST3.h"
#include "Vst3RunLoopLink.h"

using namespace vst3;

namespace {
// The window type the editor embeds in on this platform.
#ifdef _WIN32
constexpr const char* kNativeWindowType = kPlatformTypeHWND;
#else
constexpr const char* kNativeWindowType = kPlatformTypeX11EmbedWindowID;
#endif
}  // namespace

IEffectVST3View::IEffectVST3View(IEffectVST3* plugin) : plugin_(plugin) {
  if (plugin_) plugin_->addRef();
}

IEffectVST3View::~IEffectVST3View() {
  StopRunLoop();
  if (runLoop_) runLoop_->release();
#ifndef _WIN32
  // Released while still attached (the host never called removed): the
  // window goes with the view, not with the plug-in much later.
  if (systemWindow_) removed();
#endif
  if (plugin_) {
    plugin_->RemoveView(this);
    plugin_->release();
  }
}

tresult IEffectVST3View::queryInterface(const TUID iid, void** obj) {
  if (!obj) return kInvalidArgument;
  if (FUnknown::iid.Matches(iid) || IPlugView::iid.Matches(iid)) {
    *obj = static_cast<IPlugView*>(this);
    addRef();
    return kResultOk;
  }
  *obj = nullptr;
  return kNoInterface;
}

uint32 IEffectVST3View::addRef() { return ++refCount_; }

uint32 IEffectVST3View::release() {
  const uint32 n = --refCount_;
  if (n == 0) delete this;
  return n;
}

tresult IEffectVST3View::isPlatformTypeSupported(FIDString type) {
  if (plugin_ && plugin_->HostEditor() && type && std::strcmp(type, kNativeWindowType) == 0) return kResultTrue;
  return kResultFalse;
}

tresult IEffectVST3View::attached(void* parent, FIDString type) {
  IEditorLink* gui = plugin_ ? plugin_->HostEditor() : nullptr;
  if (!gui) return kResultFalse;
#ifdef _WIN32
  systemWindow_ = parent;
  if (type && std::strcmp(type, kPlatformTypeHWND) == 0) gui->OpenWindow(parent);
#else
  // Linux: events and the redraw timer come only through the host's run
  // loop; without one the window would stay blank, so it is not opened.
  if (!type || std::strcmp(type, kNativeWindowType) != 0 || !runLoop_) return kResultFalse;
  StopRunLoop();  // attached twice: the window is replaced below
  if (!gui->OpenWindow(parent)) return kResultFalse;
  systemWindow_ = parent;
  runLoopLink_ = new Vst3RunLoopLink(gui);
  if (!runLoopLink_->Start(runLoop_)) {
    StopRunLoop();
    gui->CloseWindow();
    systemWindow_ = nullptr;
    return kResultFalse;
  }
#endif
  plugin_->OnEditorOpen();
  return kResultOk;
}

tresult IEffectVST3View::removed() {
  StopRunLoop();
  if (IEditorLink* gui = plugin_ ? plugin_->HostEditor() : nullptr) {
    plugin_->OnEditorClose();
    gui->CloseWindow();
  }
  systemWindow_ = nullptr;
  return kResultOk;
}

tresult IEffectVST3View::onWheel(float) { return kResultFalse; }
tresult IEffectVST3View::onKeyDown(char16, int16, int16) { return kResultFalse; }
tresult IEffectVST3View::onKeyUp(char16, int16, int16) { return kResultFalse; }
tresult IEffectVST3View::onFocus(TBool) { return kResultFalse; }
tresult IEffectVST3View::checkSizeConstraint(ViewRect*) { return kResultFalse; }
tresult IEffectVST3View::canResize() { return kResultFalse; }

tresult IEffectVST3View::getSize(ViewRect* size) {
  IEditorLink* gui = plugin_ ? plugin_->HostEditor() : nullptr;
  if (!gui || !size) return kResultFalse;
  *size = ViewRect{0, 0, gui->Width(), gui->Height()};
  return kResultOk;
}

tresult IEffectVST3View::onSize(ViewRect* newSize) {
  if (newSize) {
    rect_ = *newSize;
    if (expectingNewSize_) {
      expectingNewSize_ = false;
      if (plugin_) plugin_->OnEditorResize();
    }
  }
  return kResultOk;
}

tresult IEffectVST3View::setFrame(IPlugFrame* frame) {
  // The run loop belongs to the frame: it is held only while the frame is set.
  StopRunLoop();
  if (runLoop_) runLoop_->release();
  runLoop_ = nullptr;
  frame_ = frame;
  void* loop = nullptr;
  if (frame_ && frame_->queryInterface(Linux::IRunLoop::iid.bytes, &loop) == kResultOk)
    runLoop_ = static_cast<Linux::IRunLoop*>(loop);
  return kResultOk;
}

void IEffectVST3View::StopRunLoop() {
  if (!runLoopLink_) return;
  runLoopLink_->Stop();
  runLoopLink_->release();
  runLoopLink_ = nullptr;
}
