#pragma once
// The window layer Velto builds its editor on.
//
// The Windows modules put the editor in a child window of the host's window
// (editor/win32), the Linux modules in an X11 child window (editor/x11). The
// headless layer serves the offline binding: it paints into its back buffer
// and answers HasWindow() with false, so no editor window is offered. Either
// way the images are the module's own "PNG" resources.

#include "IGraphicsHeadless.h"
#ifdef VELTO_X11_WINDOW
#include "IGraphicsX11.h"
#endif

class ModuleGraphics : public IGraphicsHeadless {
 public:
  using IGraphicsHeadless::IGraphicsHeadless;
  bool HasWindow() const override { return false; }
  // Images registered with AddPngResource first, then the module's resources.
  PIX_IBitmap* LoadPngResource(int resourceId, const char* name) override;
};

#ifdef VELTO_X11_WINDOW
class ModuleGraphicsX11 : public IGraphicsX11 {
 public:
  using IGraphicsX11::IGraphicsX11;
  PIX_IBitmap* LoadPngResource(int resourceId, const char* name) override;
};
#endif

// The layer for this platform. [construction]
IGraphics* CreateEditorWindowLayer(IEffectBase* owner, int width, int height, int frameRate);
