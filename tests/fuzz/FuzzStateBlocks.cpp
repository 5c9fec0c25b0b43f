// The framework's readers of stored state: the parameter block (one set of
// values) and the presets block (every slot, names and values). The first
// byte picks the reader (and, for presets, the slot recalled after the read);
// the rest is the block. Then the invariants are checked.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "FuzzChecks.h"
#include "Velto.h"

namespace {

struct Rig {
  std::unique_ptr<IEffectOffline> fx;
  StateChunk goodParams, goodPresets;
  bool presetsTouched = false;

  Rig() {
    VeltoRandomSeed::UseFixedSeed(1);
    fx.reset(CreatePlugin(IEffectOffline::InstanceInfo{}));
    fx->Prepare(48000.0, 64);
    fx->LoadPreset(3);
    fx->SerializeParams(goodParams);
    fx->SerializePresets(goodPresets);
  }

  void ProcessFinite() { fuzzcheck::ProcessFinite(*fx); }

  // The known good blocks load in full and give the same bytes back.
  void GoodStateLoads() {
    if (presetsTouched) {
      fx->LoadPreset(3);  // the slot the good blocks were saved with
      fuzzcheck::Require(fx->UnserializePresets(goodPresets, 0) == goodPresets.Size(), "good presets refused");
      StateChunk presets;
      fx->SerializePresets(presets);
      fuzzcheck::Require(presets == goodPresets, "good presets did not round-trip");
      presetsTouched = false;
    }
    fuzzcheck::Require(fx->UnserializeParams(goodParams, 0) == goodParams.Size(), "good state refused");
    StateChunk params;
    fx->SerializeParams(params);
    fuzzcheck::Require(params == goodParams, "good state did not round-trip");
  }
};
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static Rig rig;
  if (size < 1 || size > 1 << 16) return -1;
  StateChunk chunk;
  chunk.Assign(data + 1, static_cast<int>(size - 1));
  IEffectBase& fx = *rig.fx;
  if (data[0] & 1) {
    fx.UnserializePresets(chunk, 0);
    fuzzcheck::ParamsInRange(fx);
    fx.LoadPreset(data[0] >> 1 & 31);  // 20..31: past the last slot
    rig.presetsTouched = true;
  } else {
    fx.UnserializeParams(chunk, 0);
  }
  fuzzcheck::ParamsInRange(fx);
  rig.ProcessFinite();
  rig.GoodStateLoads();
  return 0;
}
