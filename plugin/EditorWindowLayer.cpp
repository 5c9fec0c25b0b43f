#include "EditorWindowLayer.h"

#if defined(_WIN32)
// ---- Windows: the editor in a child window of the host's window ----
#include "IGraphicsWin.h"
#include "ModuleInstance.h"

IGraphics* CreateEditorWindowLayer(IEffectBase* owner, int width, int height, int frameRate) {
  auto* gui = new IGraphicsWin(owner, width, height, frameRate);
  gui->SetModuleInstance(PluginModuleInstance());
  return gui;
}

#else
#include "EditorDrawing.h"
#include "PIX_Bitmap.h"
#include "ModuleResources.h"

PIX_IBitmap* ModuleGraphics::LoadPngResource(int resourceId, const char* name) {
  if (PIX_IBitmap* image = IGraphicsHeadless::LoadPngResource(resourceId, name)) return image;
  const ResourceBytes bytes = FindPngResource(resourceId);
  if (!bytes.data) return nullptr;
  return editor_drawing::DecodePng(bytes.data, bytes.length).release();
}

IGraphics* CreateEditorWindowLayer(IEffectBase* owner, int width, int height, int frameRate) {
  return new ModuleGraphics(owner, width, height, frameRate);
}
#endif  // _WIN32
