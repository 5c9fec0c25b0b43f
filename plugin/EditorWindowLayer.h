#pragma once
// The window layer Velto builds its editor on.
//
// No platform window layer exists yet, so the editor lives on the headless
// layer: it paints into its back buffer, finds its images among the module's
// own "PNG" resources, and answers HasWindow() with false so that the
// bindings offer hosts no editor window.

#include "IGraphicsHeadless.h"

class ModuleGraphics : public IGraphicsHeadless {
 public:
  using IGraphicsHeadless::IGraphicsHeadless;
  bool HasWindow() const override { return false; }
  // Images registered with AddPngResource first, then the module's resources.
  PIX_IBitmap* LoadPngResource(int resourceId, const char* name) override;
};

// On Windows the editor lives in a child window of the host's window
// (editor/win32); ModuleGraphics is not used there.

// The layer for this platform. [construction]
IGraphics* CreateEditorWindowLayer(IEffectBase* owner, int width, int height, int frameRate);
