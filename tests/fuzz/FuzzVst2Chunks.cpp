// effSetChunk with host bytes: the first byte picks the bank (even) or the
// program (odd) chunk, the rest is the chunk exactly as long as the host says.
// Then the program the bytes may have filled is selected, and every
// invariant checked.

#include "FuzzVst2Rig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzVst2Rig rig;
  if (size < 1 || size > 1 << 16) return -1;
  const int index = data[0] & 1;
  rig.SetChunk(index, data + 1, size - 1);
  fuzzcheck::ParamsInRange(rig.Object());
  rig.Dispatch(vst2::effSetProgram, 0, data[0] >> 1 & 31);  // 20..31: past the last program
  char name[64] = {};
  rig.Dispatch(vst2::effGetProgramName, 0, 0, name);
  fuzzcheck::Require(std::memchr(name, 0, sizeof name) != nullptr, "program name not terminated");
  rig.CheckAll(index == 0);
  return 0;
}
