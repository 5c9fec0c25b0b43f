#include "EditorWindowLayer.h"

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
