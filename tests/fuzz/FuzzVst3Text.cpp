// getParamValueByString with host text: the first byte picks the parameter
// (the plug-in's own, the preset and bypass switches, or an unknown id), the
// rest is UTF-16 text, ended by the terminator the host puts there. A value
// the plug-in answers must be a normalised value a host can send back.

#include <cmath>

#include "FuzzVst3Rig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzVst3Rig rig;
  if (size < 1 || size > 4096) return -1;
  std::vector<vst3::char16> text((size - 1) / 2 + 1, 0);
  for (size_t i = 0; i + 1 < size - 1; i += 2) text[i / 2] = static_cast<vst3::char16>(data[1 + i] | data[2 + i] << 8);
  const int pick = data[0] % 32;
  const vst3::ParamID id = pick < 24 ? static_cast<vst3::ParamID>(pick)
                           : pick < 28 ? IEffectVST3::kPresetParamId
                           : pick < 31 ? IEffectVST3::kBypassParamId
                                       : 0xFFFFFFFFu;
  vst3::ParamValue value = -12345.0;
  if (rig.Controller()->getParamValueByString(id, text.data(), value) == vst3::kResultOk) {
    fuzzcheck::Require(std::isfinite(value) && value >= 0.0 && value <= 1.0, "text gave a value outside 0..1",
                       static_cast<int>(id), value);
    rig.Controller()->setParamNormalized(id, value);
    Vst3ParamChanges changes;
    changes.Add(id, value);
    rig.Process(&changes);
  }
  rig.CheckAll();
  return 0;
}
