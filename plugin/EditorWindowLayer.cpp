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

namespace {

PIX_IBitmap* DecodeModulePng(int resourceId) {
  const ResourceBytes bytes = FindPngResource(resourceId);
  if (!bytes.data) return nullptr;
  return editor_drawing::DecodePng(bytes.data, bytes.length).release();
}

}  // namespace

PIX_IBitmap* ModuleGraphics::LoadPngResource(int resourceId, const char* name) {
  if (PIX_IBitmap* image = IGraphicsHeadless::LoadPngResource(resourceId, name)) return image;
  return DecodeModulePng(resourceId);
}

#ifdef VELTO_X11_WINDOW
PIX_IBitmap* ModuleGraphicsX11::LoadPngResource(int resourceId, const char*) { return DecodeModulePng(resourceId); }
#endif

IGraphics* CreateEditorWindowLayer(IEffectBase* owner, int width, int height, int frameRate) {
#ifdef VELTO_X11_WINDOW
  return new ModuleGraphicsX11(owner, width, height, frameRate);
#else
  return new ModuleGraphics(owner, width, height, frameRate);
#endif
}
#endif  // _WIN32
