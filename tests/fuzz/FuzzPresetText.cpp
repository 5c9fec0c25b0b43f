// The preset text read back from the clipboard: the parser alone (what it
// keeps must name stored parameters and fit its capacity), then the whole
// load the preset button does, on the offline plug-in. Then the invariants
// are checked, and a known good line must still load and give itself back.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "FuzzChecks.h"
#include "PresetText.h"
#include "Velto.h"

namespace {

struct Rig {
  std::unique_ptr<IEffectOffline> fx;
  std::string goodText;

  Rig() {
    VeltoRandomSeed::UseFixedSeed(1);
    fx.reset(CreatePlugin(IEffectOffline::InstanceInfo{}));
    fx->Prepare(48000.0, 64);
    fx->LoadPreset(3);
    IEffectLock lock(fx->Mutex());
    goodText = FormatPresetText(*fx, kVeltoParamNames, "good");
  }

  void ProcessFinite() { fuzzcheck::ProcessFinite(*fx); }

  void GoodTextLoads() {
    fuzzcheck::Require(LoadPresetText(fx.get(), kVeltoParamNames, goodText, nullptr), "good text refused");
    IEffectLock lock(fx->Mutex());
    fuzzcheck::Require(FormatPresetText(*fx, kVeltoParamNames, "good") == goodText, "good text did not round-trip");
  }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Rig rig;
  if (size > PresetTextParser::kMaxTextLength + 16) return -1;
  const std::string text(reinterpret_cast<const char*>(data), size);
  IEffectOffline& fx = *rig.fx;

  PresetTextParser parser(fx, kVeltoParamNames);
  parser.Parse(text);
  fuzzcheck::Require(parser.Count() >= 0 && parser.Count() <= parser.Capacity(), "parser count past capacity",
                     parser.Count());
  for (int i = 0; i < parser.Count(); ++i)
    fuzzcheck::Require(parser.IndexAt(i) >= 0 && parser.IndexAt(i) < fx.StoredParamCount(),
                       "parser kept an unknown parameter", i, parser.IndexAt(i));

  LoadPresetText(&fx, kVeltoParamNames, text, nullptr);
  fuzzcheck::ParamsInRange(fx);
  rig.ProcessFinite();
  rig.GoodTextLoads();
  return 0;
}
