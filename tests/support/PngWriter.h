#pragma once
// Writes a bitmap as an RGBA PNG file through libpng, for golden images.

class PIX_IBitmap;

// Returns false when the file cannot be written.
bool WritePngFile(const char* path, PIX_IBitmap& bitmap);
