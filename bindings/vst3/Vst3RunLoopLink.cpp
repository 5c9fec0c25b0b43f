#include "Vst3RunLoopLink.h"

#include "IEditorLink.h"

using namespace vst3;

tresult Vst3RunLoopLink::queryInterface(const TUID iid, void** obj) {
  if (!obj) return kInvalidArgument;
  if (FUnknown::iid.Matches(iid) || Linux::IEventHandler::iid.Matches(iid)) {
    *obj = static_cast<Linux::IEventHandler*>(this);
  } else if (Linux::ITimerHandler::iid.Matches(iid)) {
    *obj = static_cast<Linux::ITimerHandler*>(this);
  } else {
    *obj = nullptr;
    return kNoInterface;
  }
  addRef();
  return kResultOk;
}

uint32 Vst3RunLoopLink::release() {
  const uint32 n = --refCount_;
  if (n == 0) delete this;
  return n;
}

void Vst3RunLoopLink::onFDIsSet(Linux::FileDescriptor) {
  if (editor_) editor_->WindowIdle();
}

void Vst3RunLoopLink::onTimer() {
  if (editor_) editor_->WindowIdle();
}

bool Vst3RunLoopLink::Start(Linux::IRunLoop* loop) {
  if (!loop || !editor_) return false;
  loop_ = loop;
  const int fd = editor_->WindowEventFd();
  if (fd >= 0) handlerRegistered_ = loop->registerEventHandler(this, fd) == kResultOk;
  const int ms = editor_->TickMilliseconds();
  timerRegistered_ = loop->registerTimer(this, static_cast<Linux::TimerInterval>(ms > 0 ? ms : 33)) == kResultOk;
  return handlerRegistered_ || timerRegistered_;
}

void Vst3RunLoopLink::Stop() {
  if (loop_) {
    if (handlerRegistered_) loop_->unregisterEventHandler(this);
    if (timerRegistered_) loop_->unregisterTimer(this);
  }
  handlerRegistered_ = timerRegistered_ = false;
  loop_ = nullptr;
  editor_ = nullptr;
}
