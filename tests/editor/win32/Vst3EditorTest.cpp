// The editor of the VST3 module, embedded through its view as a host embeds
// it: platform type "HWND", attached to our host window, used with real
// window messages and removed again.

#include <memory>

#include "EditorPlaces.h"
#include "ModuleCheck.h"
#include "Vst3Host.h"

using namespace places;

namespace {
std::shared_ptr<Vst3Module> Module() {
  static std::string error;
  static std::shared_ptr<Vst3Module> module = Vst3Module::Load(WinePath(VELTO_VST3_MODULE), &error);
  if (!module) CHECK_EQ(error, std::string());
  return module;
}

// A prepared instance that has played the golden pictures' chord.
std::unique_ptr<Vst3Plugin> PlayedInstance() {
  std::shared_ptr<Vst3Module> module = Module();
  if (!module) return nullptr;
  std::string error;
  std::unique_ptr<Vst3Plugin> plug = Vst3Plugin::Create(module, &error);
  if (!plug || !plug->Prepare(44100.0, 512, 2, &error)) return nullptr;
  TestChord chord;
  for (size_t start = 0; start < chord.left.size(); start += 512) {
    const int n = static_cast<int>(std::min<size_t>(512, chord.left.size() - start));
    std::vector<double> outL(n), outR(n);
    const double* in[] = {chord.left.data() + start, chord.right.data() + start};
    double* out[] = {outL.data(), outR.data()};
    plug->Process(in, out, n);
  }
  return plug;
}

int CountCalls(Vst3ComponentHandler& handler, Vst3ComponentHandler::Call::Kind kind, vst3::ParamID id) {
  int n = 0;
  for (const auto& call : handler.calls) n += call.kind == kind && call.id == id;
  return n;
}
}  // namespace

MODULE_TEST(Vst3Editor, ViewOpensTheEditorInAnHwndAndRemovesIt) {
  std::unique_ptr<Vst3Plugin> plug = PlayedInstance();
  REQUIRE_TRUE(plug);
  vst3::IPlugView* view = plug->Controller()->createView("editor");
  REQUIRE_TRUE(view);
  CHECK_EQ(view->isPlatformTypeSupported("HWND"), vst3::kResultTrue);
  CHECK_EQ(view->isPlatformTypeSupported("X11EmbedWindowID"), vst3::kResultFalse);
  vst3::ViewRect size{};
  CHECK_EQ(view->getSize(&size), vst3::kResultOk);
  CHECK_EQ(size.right - size.left, 400);
  CHECK_EQ(size.bottom - size.top, 524);
  {
    HostWindow host;
    CHECK_EQ(view->attached(host.Handle(), "HWND"), vst3::kResultOk);
    HWND editor = host.Editor();
    REQUIRE_TRUE(editor);
    Tick(editor);
    CheckAgainstDefaultGolden(editor, "win_vst3_default");

    // The Drive knob tells the host through the component handler.
    plug->Handler().calls.clear();
    DragVertically(editor, kDriveX, kDriveY, -40, 4);
    CHECK_NEAR(plug->GetParamNormalized(kDrive), 0.4 + 40 * kLargeKnobPixel, 1e-6);
    CHECK_EQ(CountCalls(plug->Handler(), Vst3ComponentHandler::Call::kBegin, kDrive), 1);
    CHECK_EQ(CountCalls(plug->Handler(), Vst3ComponentHandler::Call::kEnd, kDrive), 1);
    CHECK_TRUE(CountCalls(plug->Handler(), Vst3ComponentHandler::Call::kPerform, kDrive) >= 4);
    // A left click steps a switch; a right click is the host's (its
    // parameter menu) and leaves the switch alone.
    Click(editor, kBypassX, kBypassY);
    CHECK_NEAR(plug->GetParamNormalized(kBypass), 1.0, 1e-9);
    Click(editor, kBypassX, kBypassY, true);
    CHECK_NEAR(plug->GetParamNormalized(kBypass), 1.0, 1e-9);
    // A typed value.
    HWND entry = OpenEntryAndType(editor, kInGainTextX, kInGainTextY, "-6");
    REQUIRE_TRUE(entry);
    PressEnter(entry);
    Tick(editor);
    CHECK_NEAR(plug->GetParamNormalized(kInGain), 0.25, 1e-6);

    CHECK_EQ(view->removed(), vst3::kResultOk);
    CHECK_TRUE(!IsWindow(editor));
    CHECK_TRUE(host.Editor() == nullptr);
  }
  view->release();
}
