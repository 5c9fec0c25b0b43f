// The editor of the VST2 module in a real window of our own host, used the
// way a person uses it: every gesture is the window messages the system
// sends for it, every result is read back through the module's exports.

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

#include "EditorPlaces.h"
#include "ModuleCheck.h"
#include "Vst2Session.h"

using namespace places;

namespace {
HWND Entry(HWND editor) { return FindWindowExA(editor, nullptr, "EDIT", nullptr); }

std::string EntryText(HWND editor) {
  char text[64] = {};
  if (HWND e = Entry(editor)) GetWindowTextA(e, text, sizeof text);
  return text;
}
}  // namespace

MODULE_TEST(Vst2Editor, OpensAsChildAndPaintsTheGoldenPicture) {
  Vst2Session s(true);
  REQUIRE_TRUE(s.editor);
  Vst2Instance* plug = s.plug.get();
  HWND editor = s.editor;
  CHECK_TRUE((plug->Effect()->flags & 1) != 0);  // effFlagsHasEditor
  vst2::ERect* rect = nullptr;
  CHECK_EQ(plug->Dispatch(vst2::effEditGetRect, 0, 0, &rect), 1);
  REQUIRE_TRUE(rect);
  CHECK_EQ(rect->right - rect->left, 400);
  CHECK_EQ(rect->bottom - rect->top, 524);
  char title[32] = {};
  GetWindowTextA(editor, title, sizeof title);
  CHECK_EQ(std::string(title), std::string("IEffect"));
  CHECK_TRUE((GetWindowLongPtrA(editor, GWL_STYLE) & WS_CHILD) != 0);
  CHECK_EQ(plug->Dispatch(vst2::effEditIdle), 0);
  Tick(editor);  // the first tick paints everything
  CheckAgainstDefaultGolden(editor, "win_vst2_default");
  CHECK_EQ(plug->Dispatch(vst2::effEditClose), 1);
  CHECK_TRUE(!IsWindow(editor));
}

MODULE_TEST(Vst2Editor, DragsTheDriveKnobUpAndDown) {
  Vst2Session s;
  REQUIRE_TRUE(s.editor);
  Vst2Instance* plug = s.plug.get();
  HWND editor = s.editor;
  const double start = plug->GetParameter(kDrive);
  CHECK_NEAR(start, 0.4, 1e-6);  // 0 dB of -10..15 dB
  plug->ClearCalls();
  DragVertically(editor, kDriveX, kDriveY, -40, 4);  // up 40 pixels
  CHECK_NEAR(plug->GetParameter(kDrive), start + 40 * kLargeKnobPixel, 1e-5);
  CHECK_EQ(plug->CountCalls(vst2::audioMasterBeginEdit), 1);
  CHECK_EQ(plug->CountCalls(vst2::audioMasterEndEdit), 1);
  CHECK_TRUE(plug->CountCalls(vst2::audioMasterAutomate) >= 4);
  DragVertically(editor, kDriveX, kDriveY, 80, 8);  // down 80 pixels
  CHECK_NEAR(plug->GetParameter(kDrive), start - 40 * kLargeKnobPixel, 1e-5);
  // A press without a move changes nothing.
  Click(editor, kDriveX, kDriveY);
  CHECK_NEAR(plug->GetParameter(kDrive), start - 40 * kLargeKnobPixel, 1e-5);
}

MODULE_TEST(Vst2Editor, ClicksStepSwitchesThroughTheirStates) {
  Vst2Session s;
  REQUIRE_TRUE(s.editor);
  Vst2Instance* plug = s.plug.get();
  HWND editor = s.editor;
  CHECK_EQ(plug->GetParameter(kBypass), 0.0f);
  Click(editor, kBypassX, kBypassY);
  CHECK_EQ(plug->GetParameter(kBypass), 1.0f);
  Click(editor, kBypassX, kBypassY);
  CHECK_EQ(plug->GetParameter(kBypass), 0.0f);
  // Three states: 0.5 -> 1 -> 0 -> 0.5.
  CHECK_EQ(plug->GetParameter(kHPQ), 0.5f);
  const float expected[3] = {1.0f, 0.0f, 0.5f};
  for (float e : expected) {
    Click(editor, kHPQX, kHPQY);
    CHECK_EQ(plug->GetParameter(kHPQ), e);
  }
  // A right click steps a switch as well (this host has no parameter menu).
  CHECK_EQ(plug->GetParameter(kHPON), 1.0f);
  Click(editor, kHPONX, kHPONY, true);
  CHECK_EQ(plug->GetParameter(kHPON), 0.0f);
  // A double click counts as a second press.
  Click(editor, kHPONX, kHPONY);
  SendMessageA(editor, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(kHPONX, kHPONY));
  Release(editor, kHPONX, kHPONY);
  CHECK_EQ(plug->GetParameter(kHPON), 0.0f);
}

MODULE_TEST(Vst2Editor, WheelTurnsAKnobButNotOverItsText) {
  Vst2Session s;
  REQUIRE_TRUE(s.editor);
  Vst2Instance* plug = s.plug.get();
  HWND editor = s.editor;
  CHECK_NEAR(plug->GetParameter(kInGain), 0.5, 1e-6);
  Wheel(editor, kInGainX, kInGainY, 1);
  CHECK_NEAR(plug->GetParameter(kInGain), 0.52, 1e-6);
  Wheel(editor, kInGainX, kInGainY, -2);
  CHECK_NEAR(plug->GetParameter(kInGain), 0.48, 1e-6);
  Wheel(editor, kInGainTextX, kInGainTextY, 3);
  CHECK_NEAR(plug->GetParameter(kInGain), 0.48, 1e-6);
  // Over the background nothing moves.
  const float drive = plug->GetParameter(kDrive);
  Wheel(editor, kEmptyX, kEmptyY, 2);
  CHECK_EQ(plug->GetParameter(kDrive), drive);
}

MODULE_TEST(Vst2Editor, TypedValueIsCommittedByEnter) {
  Vst2Session s;
  REQUIRE_TRUE(s.editor);
  Vst2Instance* plug = s.plug.get();
  HWND editor = s.editor;
  plug->ClearCalls();
  DoubleClick(editor, kInGainTextX, kInGainTextY);
  HWND entry = Entry(editor);
  REQUIRE_TRUE(entry);
  CHECK_EQ(EntryText(editor), std::string("0.00"));
  CHECK_EQ(GetFocus(), entry);
  // The press that opened the entry is ended for the host, though the entry has the focus.
  CHECK_EQ(plug->CountCalls(vst2::audioMasterBeginEdit), 1);
  CHECK_TRUE(plug->CountCalls(vst2::audioMasterEndEdit) >= 1);
  CHECK_TRUE(GetCapture() != editor);
  Type(entry, "6");
  CHECK_EQ(EntryText(editor), std::string("6"));
  Tick(editor);  // sees the entry
  Tick(editor);  // paints around it
  CHECK_TRUE(WriteCapturePng(CaptureWindow(editor), WinePath(VELTO_CAPTURE_DIR) + "/win_vst2_entry.png"));
  PressEnter(entry);
  CHECK_NEAR(plug->GetParameter(kInGain), 0.5, 1e-6);  // applied on the next tick
  Tick(editor);
  CHECK_TRUE(Entry(editor) == nullptr);
  CHECK_NEAR(plug->GetParameter(kInGain), 0.75, 1e-6);  // 6 dB of -12..12
  CHECK_TRUE(plug->CountCalls(vst2::audioMasterAutomate) >= 1);
}

MODULE_TEST(Vst2Editor, EntryFiltersCharactersOfARealValue) {
  Vst2Session s;
  REQUIRE_TRUE(s.editor);
  Vst2Instance* plug = s.plug.get();
  HWND editor = s.editor;
  Click(editor, kMixTextX, kMixTextY);
  HWND entry = Entry(editor);
  REQUIRE_TRUE(entry);
  Type(entry, "5a.x5");
  CHECK_EQ(EntryText(editor), std::string("5.5"));
  SendMessageA(entry, WM_CHAR, VK_BACK, 1);
  CHECK_EQ(EntryText(editor), std::string("5."));
  Type(entry, "0");
  PressEnter(entry);
  Tick(editor);
  CHECK_NEAR(plug->GetParameter(kMix), 0.05, 1e-6);  // 5 % of 0..100
}

MODULE_TEST(Vst2Editor, EntryIsCancelledByWheelFocusLossOrAnEarlyPress) {
  Vst2Session s;
  REQUIRE_TRUE(s.editor);
  Vst2Instance* plug = s.plug.get();
  HWND editor = s.editor;
  // The wheel, once a tick has seen the entry.
  REQUIRE_TRUE(OpenEntryAndType(editor, kOutGainTextX, kOutGainTextY, "9"));
  Tick(editor);
  Wheel(editor, kOutGainTextX, kOutGainTextY, 1);
  Tick(editor);
  CHECK_TRUE(Entry(editor) == nullptr);
  CHECK_NEAR(plug->GetParameter(kOutGain), 0.5, 1e-6);
  // Losing the focus.
  REQUIRE_TRUE(OpenEntryAndType(editor, kOutGainTextX, kOutGainTextY, "9"));
  SetFocus(s.host.Handle());
  Tick(editor);
  CHECK_TRUE(Entry(editor) == nullptr);
  CHECK_NEAR(plug->GetParameter(kOutGain), 0.5, 1e-6);
  // A press before any tick has seen the entry.
  REQUIRE_TRUE(OpenEntryAndType(editor, kOutGainTextX, kOutGainTextY, "9"));
  Click(editor, kEmptyX, kEmptyY);
  Tick(editor);
  CHECK_TRUE(Entry(editor) == nullptr);
  CHECK_NEAR(plug->GetParameter(kOutGain), 0.5, 1e-6);
  // A press after a tick commits.
  REQUIRE_TRUE(OpenEntryAndType(editor, kOutGainTextX, kOutGainTextY, "3"));
  Tick(editor);
  Tick(editor);
  Click(editor, kEmptyX, kEmptyY);
  Tick(editor);
  CHECK_TRUE(Entry(editor) == nullptr);
  CHECK_NEAR(plug->GetParameter(kOutGain), 0.625, 1e-6);  // 3 dB of -12..12
}

MODULE_TEST(Vst2Editor, KeysTheEditorDoesNotUseGoToTheHostWindow) {
  Vst2Session s;
  REQUIRE_TRUE(s.editor);
  HWND editor = s.editor;
  SendMessageA(editor, WM_KEYDOWN, 'A', 1);
  SendMessageA(editor, WM_KEYUP, 'A', 1 | (3u << 30));
  SendMessageA(editor, WM_KEYDOWN, VK_F5, 1);
  CHECK_EQ(s.host.KeysReceived(), 3);
}

MODULE_TEST(Vst2Editor, PresetButtonSavesAFileAndLoadsTheClipboard) {
  Vst2Session s;
  REQUIRE_TRUE(s.editor);
  Vst2Instance* plug = s.plug.get();
  HWND editor = s.editor;
  std::string folder = WinePath(VELTO_VST2_MODULE);
  folder = folder.substr(0, folder.find_last_of("\\/") + 1);
  const std::string file = folder + "Velto_Preset.txt";
  DeleteFileA(file.c_str());
  plug->SetParameter(kDrive, 0.7f);
  Click(editor, kPresetX, kPresetY);
  std::ifstream in(file);
  REQUIRE_TRUE(in.good());
  std::stringstream line;
  line << in.rdbuf();
  in.close();
  CHECK_TRUE(line.str().find("kDrive") != std::string::npos);
  // The saved line comes back from the clipboard with a right click.
  plug->SetParameter(kDrive, 0.1f);
  REQUIRE_TRUE(OpenClipboard(s.host.Handle()));
  EmptyClipboard();
  const std::string text = line.str();
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  std::memcpy(GlobalLock(block), text.c_str(), text.size() + 1);
  GlobalUnlock(block);
  SetClipboardData(CF_TEXT, block);
  CloseClipboard();
  Click(editor, kPresetX, kPresetY, true);
  CHECK_NEAR(plug->GetParameter(kDrive), 0.7, 1e-4);
  DeleteFileA(file.c_str());
}
