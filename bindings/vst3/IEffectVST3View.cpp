#include "IEffectVST3View.h"

#include <cstring>

#include "IEffectVST3.h"

using namespace vst3;

IEffectVST3View::IEffectVST3View(IEffectVST3* plugin) : plugin_(plugin) {
  if (plugin_) plugin_->addRef();
}

IEffectVST3View::~IEffectVST3View() {
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
  if (plugin_ && plugin_->HostEditor() && type && std::strcmp(type, kPlatformTypeHWND) == 0) return kResultTrue;
  return kResultFalse;
}

tresult IEffectVST3View::attached(void* parent, FIDString type) {
  IEditorLink* gui = plugin_ ? plugin_->HostEditor() : nullptr;
  if (!gui) return kResultFalse;
  systemWindow_ = parent;
  if (type && std::strcmp(type, kPlatformTypeHWND) == 0) gui->OpenWindow(parent);
  plugin_->OnEditorOpen();
  return kResultOk;
}

tresult IEffectVST3View::removed() {
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
  frame_ = frame;
  return kResultOk;
}
