// The text entry's states and character filters, without a window.

#include <gtest/gtest.h>

#include "IEffectParam.h"
#include "X11TextEntry.h"

TEST(X11TextEntry, FiltersCharactersByParameterKind) {
  IEffectParam real, integer, onOff;
  real.DefineDouble("Gain", 0.0, -12.0, 12.0, 0.01, "dB");
  integer.DefineInt("Q", 1, 0, 2);
  onOff.DefineBool("On", true);
  for (const IEffectParam* p : {&real, &integer, &onOff}) {
    for (char c : std::string("0123456789+-")) EXPECT_TRUE(X11TextEntry::Accepts(p, c)) << c;
    for (char c : std::string("aZ ,e/")) EXPECT_FALSE(X11TextEntry::Accepts(p, c)) << c;
  }
  EXPECT_TRUE(X11TextEntry::Accepts(&real, '.'));
  EXPECT_FALSE(X11TextEntry::Accepts(&integer, '.'));
  EXPECT_FALSE(X11TextEntry::Accepts(&onOff, '.'));
  // Without a parameter any printable character passes.
  EXPECT_TRUE(X11TextEntry::Accepts(nullptr, 'x'));
  EXPECT_FALSE(X11TextEntry::Accepts(nullptr, '\t'));
}

TEST(X11TextEntry, TypingReplacesTheSelectionUpToTheLimit) {
  X11TextEntry entry(nullptr, TextStyle(), Rect(10, 20, 50, 35), "-3.50", 9);
  EXPECT_EQ(entry.Area(), Rect(10, 20, 51, 36));  // right and bottom edges included
  EXPECT_TRUE(entry.AllSelected());
  EXPECT_TRUE(entry.Type('7'));
  EXPECT_EQ(entry.Text(), "7");
  for (char c : std::string("12345678")) entry.Type(c);
  EXPECT_EQ(entry.Text(), "712345678");  // nine characters at most
  EXPECT_FALSE(entry.Type('9'));
  EXPECT_TRUE(entry.Backspace());
  EXPECT_EQ(entry.Text(), "71234567");

  X11TextEntry cleared(nullptr, TextStyle(), Rect(), "12", 9);
  EXPECT_TRUE(cleared.Backspace());  // the selection goes at once
  EXPECT_EQ(cleared.Text(), "");
  EXPECT_FALSE(cleared.Backspace());
}

TEST(X11TextEntry, APressCancelsBeforeTheFirstTickAndCommitsAfter) {
  X11TextEntry early(nullptr, TextStyle(), Rect(), "1", 9);
  EXPECT_EQ(early.GetState(), X11TextEntry::kFocused);
  early.PressInEditor();
  EXPECT_EQ(early.GetState(), X11TextEntry::kCancel);

  for (X11TextEntry::State after : {X11TextEntry::kIdle, X11TextEntry::kPaintedAround}) {
    X11TextEntry later(nullptr, TextStyle(), Rect(), "1", 9);
    later.SetState(after);
    later.PressInEditor();
    EXPECT_EQ(later.GetState(), X11TextEntry::kCommit);
  }
  X11TextEntry keys(nullptr, TextStyle(), Rect(), "1", 9);
  keys.Enter();
  EXPECT_EQ(keys.GetState(), X11TextEntry::kCommit);
  keys.Escape();
  EXPECT_EQ(keys.GetState(), X11TextEntry::kCancel);
}
