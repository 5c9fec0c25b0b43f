// What no gesture of Velto's layout reaches in a VST2 host, asked of the
// window layer the way the core asks it, with a person answering through
// the keyboard: popup menus, the entry of an integer parameter, growing the
// host's frame, the module's images, the clipboard, folders and the cursor.
// The plug-in is linked into this program (offline binding), so the layer's
// module is the program itself.

#include <cstring>
#include <memory>
#include <string>

#include "EditorPlaces.h"
#include "IControl.h"
#include "IGraphicsWin.h"
#include "ModuleCheck.h"
#include "PIX_Bitmap.h"
#include "Velto.h"
#include "VeltoImages.h"

namespace {
struct LayerRig {
  LayerRig() : plug(static_cast<Velto*>(CreatePlugin(IEffectOffline::InstanceInfo{}))) {
    gui = plug ? dynamic_cast<IGraphicsWin*>(plug->GetGUI()) : nullptr;
    if (gui && gui->OpenWindow(host.Handle())) editor = static_cast<HWND>(gui->WindowHandle());
  }
  ~LayerRig() {
    if (gui) gui->CloseWindow();
  }
  IControl* ControlOf(int paramIdx) const {
    for (int i = 0; i < gui->NumControls(); ++i)
      if (gui->GetControl(i)->ParamIdx() == paramIdx) return gui->GetControl(i);
    return nullptr;
  }

  HostWindow host;
  std::unique_ptr<Velto> plug;
  IGraphicsWin* gui = nullptr;
  HWND editor = nullptr;
};

// Keys a person presses while the menu is up; the menu's own loop reads them.
void QueueKeys(HWND w, std::initializer_list<WPARAM> keys) {
  for (WPARAM k : keys) PostMessageA(w, WM_KEYDOWN, k, 1);
}
}  // namespace

MODULE_TEST(LayerServices, PopupMenuIdsRunOverSubmenusAndMapBack) {
  LayerRig rig;
  REQUIRE_TRUE(rig.editor);
  PopupMenu menu;
  menu.numbering = 2;
  menu.AddItem("first");
  menu.AddItem("more");
  menu.items[1].submenu = std::make_unique<PopupMenu>();
  menu.items[1].submenu->AddItem("inner one");
  menu.items[1].submenu->AddItem("inner two");
  menu.AddItem("last", kItemChecked);
  // Down to "more", into its submenu, down to its second item.
  QueueKeys(rig.editor, {VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN});
  PopupMenu* chosen = rig.gui->ShowPopupMenu(&menu, Rect(10, 10, 60, 30));
  CHECK_TRUE(chosen == menu.items[1].submenu.get());
  CHECK_EQ(menu.items[1].submenu->chosenItem, 1);
  // The item after the submenu.
  QueueKeys(rig.editor, {VK_UP, VK_RETURN});
  chosen = rig.gui->ShowPopupMenu(&menu, Rect(10, 10, 60, 30));
  CHECK_TRUE(chosen == &menu);
  CHECK_EQ(menu.chosenItem, 2);
  // Dismissed.
  QueueKeys(rig.editor, {VK_ESCAPE});
  CHECK_TRUE(rig.gui->ShowPopupMenu(&menu, Rect(10, 10, 60, 30)) == nullptr);
}

MODULE_TEST(LayerServices, OnOffPopupSetsTheParameter) {
  LayerRig rig;
  REQUIRE_TRUE(rig.editor);
  IControl* bypass = rig.ControlOf(places::kBypass);
  REQUIRE_TRUE(bypass);
  Rect r = bypass->Area();
  QueueKeys(rig.editor, {VK_DOWN, VK_DOWN, VK_RETURN});  // "off", then "on"
  rig.gui->EditParameterValue(bypass, places::kBypass, &r);
  CHECK_EQ(rig.plug->GetParam(places::kBypass)->Value(), 1.0);
}

MODULE_TEST(LayerServices, IntegerEntrySwallowsPointsAndLetters) {
  LayerRig rig;
  REQUIRE_TRUE(rig.editor);
  IControl* q = rig.ControlOf(places::kHPQ);
  REQUIRE_TRUE(q);
  Rect r(200, 300, 240, 316);
  rig.gui->EditParameterValue(q, places::kHPQ, &r);
  HWND entry = FindWindowExA(rig.editor, nullptr, "EDIT", nullptr);
  REQUIRE_TRUE(entry);
  RECT box;
  GetWindowRect(entry, &box);
  CHECK_EQ(box.right - box.left, 41);  // the rect with its right and bottom edges
  CHECK_EQ(box.bottom - box.top, 17);
  Type(entry, "2.a");
  char text[16] = {};
  GetWindowTextA(entry, text, sizeof text);
  CHECK_EQ(std::string(text), std::string("2"));
  PressEnter(entry);
  Tick(rig.editor);
  CHECK_EQ(rig.plug->GetParam(places::kHPQ)->Value(), 2.0);
}

MODULE_TEST(LayerServices, ResizeGrowsTheHostFrameThatIsAChild) {
  LayerRig rig;
  REQUIRE_TRUE(rig.gui);
  rig.gui->CloseWindow();
  // The host's frame is a child of its top-level window.
  HWND frame = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, 400, 524, rig.host.Handle(), nullptr,
                               GetModuleHandleA(nullptr), nullptr);
  REQUIRE_TRUE(frame);
  REQUIRE_TRUE(rig.gui->OpenWindow(frame));
  HWND editor = static_cast<HWND>(rig.gui->WindowHandle());
  RECT topBefore, r;
  GetWindowRect(rig.host.Handle(), &topBefore);
  rig.gui->ResizeWindow(450, 600);
  GetWindowRect(editor, &r);
  CHECK_EQ(r.right - r.left, 450);
  CHECK_EQ(r.bottom - r.top, 600);
  GetWindowRect(frame, &r);
  CHECK_EQ(r.right - r.left, 450);
  CHECK_EQ(r.bottom - r.top, 600);
  GetWindowRect(rig.host.Handle(), &r);  // not a child: left alone
  CHECK_EQ(r.right - r.left, topBefore.right - topBefore.left);
  CHECK_EQ(rig.gui->Width(), 450);
  rig.gui->CloseWindow();
  DestroyWindow(frame);
}

MODULE_TEST(LayerServices, ImagesClipboardFoldersAndCursor) {
  LayerRig rig;
  REQUIRE_TRUE(rig.editor);
  std::unique_ptr<PIX_IBitmap> image(rig.gui->LoadPngResource(kImgBackground, "background.PNG"));
  REQUIRE_TRUE(image);
  CHECK_EQ(image->Width(), 400);
  CHECK_EQ(image->Height(), 524);
  CHECK_TRUE(rig.gui->LoadPngResource(kImgBackground, "background.bmp") == nullptr);
  CHECK_TRUE(rig.gui->LoadPngResource(kImgBackground, "background") == nullptr);
  CHECK_TRUE(rig.gui->LoadPngResource(9999, "missing.png") == nullptr);

  CHECK_TRUE(rig.gui->SetClipboardText("kDrive 3.5"));
  std::string text;
  CHECK_TRUE(rig.gui->GetClipboardText(text));
  CHECK_EQ(text, std::string("kDrive 3.5"));

  char host[MAX_PATH] = {}, plugin[MAX_PATH] = {}, desktop[MAX_PATH] = {};
  rig.gui->HostPath(host, sizeof host);
  rig.gui->PluginPath(plugin, sizeof plugin);
  rig.gui->DesktopPath(desktop, sizeof desktop);
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, sizeof exe);
  std::string exeFolder(exe);
  exeFolder = exeFolder.substr(0, exeFolder.find_last_of('\\') + 1);
  CHECK_EQ(std::string(host), exeFolder);
  CHECK_EQ(std::string(plugin), exeFolder);  // the plug-in lives in this program
  CHECK_TRUE(desktop[0] != '\0');
  char tiny[4] = {'x', 'x', 'x', 'x'};
  rig.gui->HostPath(tiny, sizeof tiny);  // cut, never overrun
  CHECK_EQ(tiny[3], '\0');

  SetCursorPos(123, 234);
  rig.gui->HideMouseCursor();
  SetCursorPos(10, 10);
  rig.gui->ShowMouseCursor();
  POINT p;
  GetCursorPos(&p);
  CHECK_EQ(p.x, 123);
  CHECK_EQ(p.y, 234);
  CHECK_EQ(std::string(rig.gui->BackendName()), std::string("Windows GDI"));
}

namespace {
// Answers the next dialog of this thread the way a person does, by its button.
struct DialogAnswer {
  static inline WPARAM button = IDCANCEL;
  static inline HWND owner = nullptr;
  static inline bool seen = false;
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
    HWND dialog = FindWindowA("#32770", nullptr);
    if (!dialog || GetWindowThreadProcessId(dialog, nullptr) != GetCurrentThreadId()) return;
    KillTimer(nullptr, id);
    seen = true;
    owner = GetWindow(dialog, GW_OWNER);
    PostMessageA(dialog, WM_COMMAND, button, 0);
  }
  static void Arm(WPARAM answer) {
    button = answer;
    owner = nullptr;
    seen = false;
    SetTimer(nullptr, 0, 50, OnTimer);
  }
};
}  // namespace

MODULE_TEST(LayerServices, DialogsBelongToTheHostWindowAndCancelCleanly) {
  LayerRig rig;
  REQUIRE_TRUE(rig.editor);
  // Declined: nothing is opened and the answer is false.
  DialogAnswer::Arm(IDNO);
  CHECK_FALSE(rig.gui->OpenURL("https://velto.invalid/", "Velto", "Open the web site?", nullptr));
  CHECK_TRUE(DialogAnswer::seen);
  CHECK_TRUE(DialogAnswer::owner == rig.host.Handle());  // the host's main window
  // A cancelled file prompt gives an empty path.
  char path[MAX_PATH] = "preset.txt";
  DialogAnswer::Arm(IDCANCEL);
  CHECK_FALSE(rig.gui->PromptForFile(path, sizeof path, true, "txt fxp"));
  CHECK_TRUE(DialogAnswer::seen);
  CHECK_EQ(std::string(path), std::string());
}
