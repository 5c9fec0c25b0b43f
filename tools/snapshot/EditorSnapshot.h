#pragma once
// A picture of a plug-in's whole editor: every visible control painted into
// the back buffer in list order, as a window would show it after its next
// timer tick.

#include <string>

class IEffectBase;
class PIX_IBitmap;

// Paints the whole editor; returns its back buffer, or null when the plug-in
// has no editor. [ui thread]
PIX_IBitmap* PaintEditor(IEffectBase& plugin);

// Paints the whole editor and writes it to path as a PNG. On failure returns
// false with a message.
bool WriteEditorSnapshot(IEffectBase& plugin, const std::string& path, std::string* error);
