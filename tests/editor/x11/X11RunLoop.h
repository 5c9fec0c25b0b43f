#pragma once
// A host's run loop and plug-in frame for VST3 editors on Linux: descriptors
// polled and timers run on the test's thread, every registration counted.

#include <poll.h>

#include <atomic>
#include <chrono>
#include <utility>
#include <vector>

#include "Vst3Interfaces.h"

inline long long RunLoopNowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

namespace vst3 {
class TestRunLoop : public Linux::IRunLoop {
 public:
  tresult VST3_API queryInterface(const TUID iid, void** obj) override {
    if (!obj) return kInvalidArgument;
    if (FUnknown::iid.Matches(iid) || Linux::IRunLoop::iid.Matches(iid)) {
      *obj = this;
      addRef();
      return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 VST3_API addRef() override { return ++refs_; }
  uint32 VST3_API release() override { return --refs_; }
  tresult VST3_API registerEventHandler(Linux::IEventHandler* handler, Linux::FileDescriptor fd) override {
    if (!handler || fd < 0) return kInvalidArgument;
    handler->addRef();
    handlers_.push_back({handler, fd});
    return kResultOk;
  }
  tresult VST3_API unregisterEventHandler(Linux::IEventHandler* handler) override {
    for (size_t i = 0; i < handlers_.size(); ++i)
      if (handlers_[i].first == handler) {
        handlers_.erase(handlers_.begin() + static_cast<long>(i));
        handler->release();
        return kResultOk;
      }
    return kInvalidArgument;
  }
  tresult VST3_API registerTimer(Linux::ITimerHandler* handler, Linux::TimerInterval ms) override {
    if (!handler || ms == 0) return kInvalidArgument;
    handler->addRef();
    timers_.push_back({handler, static_cast<long long>(ms), RunLoopNowMs()});
    return kResultOk;
  }
  tresult VST3_API unregisterTimer(Linux::ITimerHandler* handler) override {
    for (size_t i = 0; i < timers_.size(); ++i)
      if (timers_[i].handler == handler) {
        timers_.erase(timers_.begin() + static_cast<long>(i));
        handler->release();
        return kResultOk;
      }
    return kInvalidArgument;
  }
  // One turn of the host's loop: readable descriptors, then due timers.
  void Turn() {
    for (size_t i = 0; i < handlers_.size(); ++i) {
      pollfd p{handlers_[i].second, POLLIN, 0};
      if (poll(&p, 1, 0) > 0) handlers_[i].first->onFDIsSet(handlers_[i].second);
    }
    const long long now = RunLoopNowMs();
    for (size_t i = 0; i < timers_.size(); ++i)
      if (now - timers_[i].last >= timers_[i].interval) {
        timers_[i].last = now;
        timers_[i].handler->onTimer();
      }
  }
  size_t Registered() const { return handlers_.size() + timers_.size(); }
  long long TimerInterval() const { return timers_.empty() ? 0 : timers_[0].interval; }
  int Refs() const { return static_cast<int>(refs_.load()) - 1; }

 private:
  struct Timer {
    Linux::ITimerHandler* handler;
    long long interval;
    long long last;
  };
  std::atomic<uint32> refs_{1};
  std::vector<std::pair<Linux::IEventHandler*, int>> handlers_;
  std::vector<Timer> timers_;
};

class TestFrame : public IPlugFrame {
 public:
  explicit TestFrame(TestRunLoop* loop) : loop_(loop) {}
  tresult VST3_API queryInterface(const TUID iid, void** obj) override {
    if (!obj) return kInvalidArgument;
    if (loop_ && Linux::IRunLoop::iid.Matches(iid)) return loop_->queryInterface(iid, obj);
    if (FUnknown::iid.Matches(iid) || IPlugFrame::iid.Matches(iid)) {
      *obj = this;
      return kResultOk;
    }
    *obj = nullptr;
    return kNoInterface;
  }
  uint32 VST3_API addRef() override { return 2; }
  uint32 VST3_API release() override { return 1; }
  tresult VST3_API resizeView(IPlugView* view, ViewRect* newSize) override {
    return view && newSize ? view->onSize(newSize) : kInvalidArgument;
  }

 private:
  TestRunLoop* loop_;
};

}  // namespace vst3
