#pragma once
// A knob drawn from an image strip with its value as text underneath.
//
// Drag up (or right) to increase; a full sweep takes gearing x area height
// pixels, ten times finer with alt and a hundred times with shift. The wheel
// turns it except over the value text. A click on the text edits the value.
// The compare feature: a right click stores the current setting, control-click
// or a double click jumps between the stored setting and the one before it,
// shift + right click returns to the value the editor first received.

#include "IControl.h"

class IKnobMultiControlText : public IKnobControl {
 public:
  IKnobMultiControlText(IEffectBase* owner, const Rect& area, int paramIdx, const FrameStrip& strip,
                        const TextStyle& style);

  bool Paint(IGraphics& graphics) override;
  void MouseDown(int x, int y, const MouseMods& mods) override;
  void MouseDrag(int x, int y, int dx, int dy, const MouseMods& mods) override;
  void MouseDoubleClick(int x, int y, const MouseMods& mods) override;
  void MouseWheel(int x, int y, const MouseMods& mods, int notches) override;

  const Rect& TextArea() const { return textArea_; }
  const Rect& ImageArea() const { return imageArea_; }
  double LastSet() const { return lastSet_; }
  double Previous() const { return previous_; }
  double Stored() const { return stored_; }

 private:
  void CompareToggle();

  Rect textArea_;
  Rect imageArea_;
  FrameStrip strip_;
  double lastPaintedValue_ = 0.0;  // window thread only
  char suffix_[40] = {};
  double lastSet_ = 0.0;
  double previous_ = 0.0;
  double stored_ = 0.0;
};
