#pragma once
// The in-place text entry of the X11 editor: the text being typed over a
// control and the states of its life, without any X call.
//
// States: kFocused when it opens, kIdle after a tick, kPaintedAround after a
// tick that repainted the editor around it, kCancel and kCommit when asked
// to close (the next tick closes it). A press in the editor commits, except
// while the entry still has its first state, where it cancels: the click that
// opened the entry must not also close it with a value.

#include <string>

#include "EditorTypes.h"

class IControl;
class IEffectParam;

class X11TextEntry {
 public:
  enum State { kIdle = 0, kFocused = 1, kPaintedAround = 2, kCancel = 3, kCommit = 4 };

  X11TextEntry(IControl* control, const TextStyle& style, const Rect& rect, const char* text, int limit);

  IControl* Control() const { return control_; }
  const std::string& Text() const { return text_; }
  const TextStyle& Style() const { return style_; }
  TextStyle& Style() { return style_; }
  // The field covers the rect including its right and bottom edges.
  Rect Area() const { return Rect(rect_.left, rect_.top, rect_.right + 1, rect_.bottom + 1); }
  bool AllSelected() const { return allSelected_; }
  State GetState() const { return state_; }
  void SetState(State s) { state_ = s; }

  // One typed character (Latin-1); returns true when the text changed.
  // Characters the parameter cannot take are swallowed; the first character
  // typed replaces the selected text.
  bool Type(char c);
  bool Backspace();
  void Enter() { state_ = kCommit; }
  void Escape() { state_ = kCancel; }
  // A mouse press in the editor window.
  void PressInEditor() { state_ = state_ == kFocused ? kCancel : kCommit; }

  // Whether a character may be typed into the entry of this parameter (null:
  // a control without one takes everything).
  static bool Accepts(const IEffectParam* param, char c);

 private:
  IControl* control_;
  TextStyle style_;
  Rect rect_;
  std::string text_;
  int limit_;
  bool allSelected_ = true;
  State state_ = kFocused;
};
