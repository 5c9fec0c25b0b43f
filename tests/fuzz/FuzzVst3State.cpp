// The state a host hands back, through setControllerState and setState: the
// first byte says how the stream behaves (piece size for short reads, and
// whether it lies about its counts), the rest is the stream's content.

#include "FuzzVst3Rig.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static FuzzVst3Rig rig;
  if (size < 1 || size > 1 << 16) return -1;
  const int piece = data[0] & 15;  // 0: as much as asked for
  const auto lie = static_cast<FuzzStream::Lie>(data[0] >> 4 & 3);
  FuzzStream stream(data + 1, size - 1, piece, lie);
  rig.Controller()->setControllerState(&stream);
  FuzzStream again(data + 1, size - 1, piece, lie);
  rig.Component()->setState(&again);
  rig.CheckAll();
  return 0;
}
