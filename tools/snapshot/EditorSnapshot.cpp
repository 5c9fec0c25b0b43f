#include "EditorSnapshot.h"

#include "IEffectBase.h"
#include "IGraphics.h"
#include "PngWriter.h"

PIX_IBitmap* PaintEditor(IEffectBase& plugin) {
  auto* gui = dynamic_cast<IGraphics*>(plugin.GetGUI());
  if (!gui || !gui->BackBuffer()) return nullptr;
  IEffectLock lock(plugin.Mutex());
  gui->RedrawRegion(Rect(0, 0, gui->Width(), gui->Height()));
  return gui->BackBuffer();
}

bool WriteEditorSnapshot(IEffectBase& plugin, const std::string& path, std::string* error) {
  PIX_IBitmap* picture = PaintEditor(plugin);
  if (!picture) {
    *error = "the plug-in has no editor to take a snapshot of";
    return false;
  }
  if (!WritePngFile(path.c_str(), *picture)) {
    *error = "cannot write the snapshot " + path;
    return false;
  }
  return true;
}
