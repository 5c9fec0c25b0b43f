#pragma once
// The small "P" button of the editor: a left click writes the current
// settings as one preset text line to "<effect>_Preset.txt", a right click
// reads such a line from the clipboard and applies it. Status words appear in
// a text control and are cleared by the button's tick counter.
//
// The file goes beside the module when that folder takes it; plug-in folders
// are often not writable, so the user's documents folder (the desktop where
// there is none) is tried next, and only when that fails too the button shows
// "Error Saving".

#include <atomic>
#include <string>
#include <vector>

#include "IControl.h"

class IPresetSaveButtonControl : public IPanelControl {
 public:
  static constexpr const char* kSaved = "Preset Saved";
  static constexpr const char* kSaveFailed = "Error Saving";
  static constexpr const char* kLoaded = "Preset Loaded";
  // The status word is cleared when the counter passes this many ticks.
  static constexpr int kTicksShown = 144;

  // paramNames: the parameters' source names in index order, at least
  // StoredParamCount of them. loadingFlag: owned by the plug-in, 1 while a
  // clipboard load runs.
  IPresetSaveButtonControl(IEffectBase* owner, const Rect& area, const Colour& colour,
                           const char* const* paramNames, ITextControl* messageControl,
                           std::atomic<int>* loadingFlag);

  void MouseDown(int x, int y, const MouseMods& mods) override;  // [ui thread]
  // Counts one timer tick and clears the status word after kTicksShown + 1
  // ticks; always asks for a redraw. [ui thread]
  bool NeedsRedraw() const override;

  // The actions behind the two buttons. [ui thread]
  bool Save();
  bool Load();

  int TickCounter() const { return tickCounter_; }
  // Where the last successful save went; empty before one.
  const std::string& LastSavedPath() const { return lastSavedPath_; }

 private:
  std::vector<std::string> SaveFolders() const;
  void ShowStatus(const char* text) const;

  const char* const* paramNames_ = nullptr;
  ITextControl* messageControl_ = nullptr;
  std::string presetName_;
  mutable int tickCounter_ = 0;  // window thread only; the redraw query is const
  std::atomic<int>* loadingFlag_ = nullptr;
  std::string lastSavedPath_;
};
