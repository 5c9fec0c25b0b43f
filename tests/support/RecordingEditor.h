#pragma once
// An editor that records what the framework and the plug-in tell it.

#include <string>
#include <vector>

#include "IEditorLink.h"

// An editor that records what the framework gives it.
class RecordingEditor : public IEditorLink {
 public:
  struct Shown {
    int param;
    double value;
    bool normalized;
  };
  std::vector<Shown> shown;
  std::vector<std::string> calls;  // everything but parameter values, in order
  int prepared = 0;
  bool* destroyed = nullptr;

  ~RecordingEditor() override {
    if (destroyed) *destroyed = true;
  }
  void ShowParameterValue(int p, double v, bool n) override { shown.push_back({p, v, n}); }
  void PushControlValue(int, double) override {}
  void ClampParameterControls(int p, double lo, double hi) override {
    calls.push_back("clamp " + std::to_string(p) + " " + std::to_string(lo) + " " + std::to_string(hi));
  }
  void HideParameterControls(int p, bool hide) override {
    calls.push_back("hide " + std::to_string(p) + (hide ? " 1" : " 0"));
  }
  void FlagAllForRedraw() override { calls.push_back("redraw"); }
  void SetControlText(int c, const char* text) override {
    calls.push_back("text " + std::to_string(c) + " " + text);
  }
  void SetMeterFloor(int c, double db) override {
    calls.push_back("floor " + std::to_string(c) + " " + std::to_string(db));
  }
  void PrepDraw() override { ++prepared; }
  int Width() const override { return 100; }
  int Height() const override { return 50; }
  bool OpenWindow(void*) override { return false; }
  void CloseWindow() override {}
};
