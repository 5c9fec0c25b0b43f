#pragma once
// Writes a bitmap as an RGBA PNG file through libpng: golden images and
// velto-render's editor snapshots.

class PIX_IBitmap;

// Returns false when the file cannot be written.
bool WritePngFile(const char* path, PIX_IBitmap& bitmap);
