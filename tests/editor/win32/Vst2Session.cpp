#include "Vst2Session.h"

#include <algorithm>
#include <string>

#include "EditorPlaces.h"
#include "ModuleCheck.h"

std::unique_ptr<Vst2Instance> NewVst2Instance() {
  static std::string error;
  static std::shared_ptr<Vst2Module> module = Vst2Module::Open(WinePath(VELTO_VST2_MODULE), &error);
  if (!module) {
    CHECK_EQ(error, std::string());
    return nullptr;
  }
  std::string why;
  std::unique_ptr<Vst2Instance> plug = Vst2Instance::Create(module, &why);
  if (!plug) {
    CHECK_EQ(why, std::string());
    return nullptr;
  }
  plug->Dispatch(vst2::effOpen);
  plug->Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, 44100.0f);
  plug->Dispatch(vst2::effSetBlockSize, 0, 512);
  plug->Dispatch(vst2::effMainsChanged, 0, 1);
  return plug;
}

Vst2Session::Vst2Session(bool played) : plug(NewVst2Instance()) {
  if (!plug) return;
  if (played) {
    TestChord chord;
    for (size_t start = 0; start < chord.left.size(); start += 512) {
      const int n = static_cast<int>(std::min<size_t>(512, chord.left.size() - start));
      std::vector<double> outL(n), outR(n);
      double* in[] = {chord.left.data() + start, chord.right.data() + start};
      double* out[] = {outL.data(), outR.data()};
      plug->ProcessDouble(in, out, n);
    }
  }
  if (plug->Dispatch(vst2::effEditOpen, 0, 0, host.Handle()) == 1) editor = host.Editor();
  PumpMessages();
}

Vst2Session::~Vst2Session() {
  if (plug && host.Editor()) plug->Dispatch(vst2::effEditClose);
  PumpMessages();
}
