// effString2Parameter with host text: the first byte picks the parameter
// index (some past the last one), the rest is the text, ended by the
// terminator the host puts there. Then every invariant is checked.

#include "FuzzVst2Rig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzVst2Rig rig;
  if (size < 1 || size > 4096) return -1;
  std::vector<char> text(data + 1, data + size);
  text.push_back('\0');
  const int index = static_cast<int8_t>(data[0]);  // -128..127
  rig.Dispatch(vst2::effString2Parameter, index, 0, text.data());
  rig.CheckAll(false);
  return 0;
}
