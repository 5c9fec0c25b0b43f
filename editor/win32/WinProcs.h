#pragma once
// The window procedures of the editor window and of its value entry. They
// reach the editor's private state as a friend of IGraphicsWin.
#include "Win32Util.h"

class IGraphicsWin;

struct IGraphicsWinProcs {
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT Handle(IGraphicsWin* gui, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK EntryProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
};
