#include "ModuleSupport.h"

#include <cmath>

#include "ModuleCheck.h"

namespace {
std::string ModulePath() {
  std::string path = VELTO_VST2_MODULE;
#if defined(_WIN32)
  // Built on Linux, run under Wine: the Unix root is drive Z.
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
#endif
  return path;
}
}  // namespace

std::shared_ptr<Vst2Module> TestModule() {
  static std::string error;
  static std::shared_ptr<Vst2Module> module = Vst2Module::Open(ModulePath(), &error);
  if (!module) {
    CHECK_EQ(error, std::string());
  }
  return module;
}

std::unique_ptr<Vst2Instance> NewInstance(const Vst2HostScript& script, bool legacy) {
  std::shared_ptr<Vst2Module> module = TestModule();
  if (!module) return nullptr;
  std::string error;
  std::unique_ptr<Vst2Instance> plug = Vst2Instance::Create(module, &error, legacy, script);
  if (!plug) {
    CHECK_EQ(error, std::string());
  }
  return plug;
}

std::unique_ptr<Vst2Instance> ReadyInstance(double rate, int block) {
  std::unique_ptr<Vst2Instance> plug = NewInstance();
  if (!plug) return nullptr;
  plug->Dispatch(vst2::effOpen);
  plug->Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
  plug->Dispatch(vst2::effSetBlockSize, 0, block);
  plug->Dispatch(vst2::effMainsChanged, 0, 1);
  return plug;
}

std::vector<uint8_t> GetChunk(Vst2Instance& plug, int index) {
  void* data = nullptr;
  const intptr_t size = plug.Dispatch(vst2::effGetChunk, index, 0, &data);
  if (size <= 0 || !data) return {};
  const uint8_t* bytes = static_cast<const uint8_t*>(data);
  return std::vector<uint8_t>(bytes, bytes + size);
}

intptr_t SetChunk(Vst2Instance& plug, int index, const std::vector<uint8_t>& bytes) {
  std::vector<uint8_t> copy = bytes;  // the host's own buffer, gone after the call
  return plug.Dispatch(vst2::effSetChunk, index, static_cast<intptr_t>(copy.size()), copy.data());
}

std::vector<float> ReadParams(Vst2Instance& plug) {
  std::vector<float> values;
  for (int i = 0; i < vp::kDeclared; ++i) values.push_back(plug.GetParameter(i));
  return values;
}

double ChunkDouble(const std::vector<uint8_t>& bytes, size_t offset) {
  uint64_t bits = 0;
  for (int i = 0; i < 8 && offset + i < bytes.size(); ++i) bits |= static_cast<uint64_t>(bytes[offset + i]) << (8 * i);
  double v;
  std::memcpy(&v, &bits, 8);
  return v;
}

StereoSignal TestSignal(int frames, unsigned seed) {
  StereoSignal s;
  uint32_t state = seed * 2654435761u + 1u;
  for (int i = 0; i < frames; ++i) {
    state = state * 1664525u + 1013904223u;
    const float noise = static_cast<float>(static_cast<int32_t>(state) / 2147483648.0) * 0.05f;
    s.left.push_back(0.5f * static_cast<float>(std::sin(0.0571 * i)) + noise);
    s.right.push_back(0.4f * static_cast<float>(std::sin(0.0373 * i + 1.0)) - noise);
  }
  return s;
}

bool AllFinite(const std::vector<float>& v) {
  for (float x : v)
    if (!std::isfinite(x)) return false;
  return true;
}

bool AllZero(const std::vector<float>& v) {
  for (float x : v)
    if (x != 0.0f) return false;
  return true;
}
