#include "IPresetSaveButtonControl.h"

#include "IEffectBase.h"
#include "IGraphics.h"
#include "PresetText.h"

IPresetSaveButtonControl::IPresetSaveButtonControl(IEffectBase* owner, const Rect& area, const Colour& colour,
                                                   const char* const* paramNames, ITextControl* messageControl,
                                                   std::atomic<int>* loadingFlag)
    : IPanelControl(owner, area, colour),
      paramNames_(paramNames),
      messageControl_(messageControl),
      loadingFlag_(loadingFlag) {}

void IPresetSaveButtonControl::MouseDown(int, int, const MouseMods& mods) {
  if (mods.left) Save();
  if (mods.right) Load();
}

bool IPresetSaveButtonControl::NeedsRedraw() const {
  if (++tickCounter_ > kTicksShown) {
    tickCounter_ = 0;
    ShowStatus("");
  }
  return true;
}

void IPresetSaveButtonControl::ShowStatus(const char* text) const {
  if (messageControl_) messageControl_->ShowText(text);
}

std::vector<std::string> IPresetSaveButtonControl::SaveFolders() const {
  std::vector<std::string> folders;
  IGraphics* gui = Graphics();
  if (!gui) return folders;
  char path[1024] = {};
  gui->PluginPath(path, sizeof path);
  folders.emplace_back(path);
  std::string documents = UserDocumentsFolder();
  if (documents.empty()) {
    char desktop[1024] = {};
    gui->DesktopPath(desktop, sizeof desktop);
    documents = desktop;
  }
  folders.push_back(documents);
  return folders;
}

bool IPresetSaveButtonControl::Save() {
  if (!owner_ || !paramNames_) return false;
  const std::string path = SavePresetTextToFirstWritable(owner_, SaveFolders(), paramNames_, presetName_.c_str());
  if (path.empty()) {
    ShowStatus(kSaveFailed);
    return false;
  }
  lastSavedPath_ = path;
  ShowStatus(kSaved);
  return true;
}

bool IPresetSaveButtonControl::Load() {
  if (!owner_ || !paramNames_) return false;
  if (loadingFlag_) loadingFlag_->store(1);
  std::string text;
  IGraphics* gui = Graphics();
  const bool got = gui && gui->GetClipboardText(text);
  const bool loaded = got && LoadPresetText(owner_, paramNames_, text, gui);
  if (loaded) ShowStatus(kLoaded);
  // Cleared on every path: a flag left set would tell the plug-in a load is
  // still running long after the click.
  if (loadingFlag_) loadingFlag_->store(0);
  return loaded;
}
