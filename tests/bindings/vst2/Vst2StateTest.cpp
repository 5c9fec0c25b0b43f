// Program and bank chunks, program changes and text entry of values, through
// the module's real exports.

#include <cstring>
#include <string>
#include <vector>

#include "ModuleCheck.h"
#include "ModuleSupport.h"

using namespace vst2;

namespace {
const uint8_t kHeader[8] = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};

// Moves a handful of parameters away from their defaults.
void SetSomeParams(Vst2Instance& plug, float base) {
  plug.SetParameter(vp::kInGain, base);
  plug.SetParameter(vp::kOutGain, 1.0f - base);
  plug.SetParameter(vp::kDrive, base * 0.5f);
  plug.SetParameter(vp::kHighFreq, base * 0.8f);
  plug.SetParameter(vp::kBypass, base > 0.5f ? 1.0f : 0.0f);
  plug.SetParameter(vp::kMix, base * 0.3f);
  plug.SetParameter(vp::kMeterScale, 1.0f - base * 0.9f);
}

std::vector<float> StoredParams(Vst2Instance& plug) {
  std::vector<float> all = ReadParams(plug);
  all.resize(vp::kStored);
  return all;
}
}  // namespace

// ---------------------------------------------------------------------------
// Program chunk

MODULE_TEST(Vst2Chunks, ProgramChunkIsHeaderAndPlainValues) {
  auto plug = NewInstance();
  REQUIRE_TRUE(plug);
  plug->SetParameter(vp::kInGain, 0.75f);  // -12 + 24 x 0.75 dB
  plug->SetParameter(vp::kBypass, 1.0f);
  plug->SetParameter(vp::kMix, 0.0f);
  const std::vector<uint8_t> chunk = GetChunk(*plug, 1);
  REQUIRE_TRUE(chunk.size() == 168u);
  CHECK_TRUE(std::memcmp(chunk.data(), kHeader, 8) == 0);
  CHECK_EQ(ChunkDouble(chunk, 8 + 8 * vp::kInGain), 6.0);
  CHECK_EQ(ChunkDouble(chunk, 8 + 8 * vp::kOutGain), 0.0);
  CHECK_EQ(ChunkDouble(chunk, 8 + 8 * vp::kBypass), 1.0);
  CHECK_EQ(ChunkDouble(chunk, 8 + 8 * vp::kMix), 0.0);
  CHECK_EQ(ChunkDouble(chunk, 8 + 8 * vp::kMeterScale), -24.0);
  // Any non-zero index is the program.
  CHECK_TRUE(GetChunk(*plug, 7) == chunk);
  CHECK_TRUE(GetChunk(*plug, -1) == chunk);
  CHECK_EQ(plug->Dispatch(effGetChunk, 1), 0);  // nowhere to store the address
  // Program chunks are offered, never announced.
  CHECK_EQ(plug->Effect()->flags & effFlagsProgramChunks, 0);
}

MODULE_TEST(Vst2Chunks, ProgramChunkRoundTrip) {
  auto plug = NewInstance();
  REQUIRE_TRUE(plug);
  SetSomeParams(*plug, 0.7f);
  const std::vector<float> saved = StoredParams(*plug);
  const std::vector<uint8_t> chunk = GetChunk(*plug, 1);
  SetSomeParams(*plug, 0.2f);
  CHECK_TRUE(StoredParams(*plug) != saved);
  CHECK_EQ(SetChunk(*plug, 1, chunk), 1);
  CHECK_TRUE(StoredParams(*plug) == saved);
  CHECK_TRUE(GetChunk(*plug, 1) == chunk);

  // Into another instance: same values, and the program there keeps them.
  auto other = NewInstance();
  REQUIRE_TRUE(other);
  CHECK_EQ(SetChunk(*other, 1, chunk), 1);
  CHECK_TRUE(StoredParams(*other) == saved);
  other->Dispatch(effSetProgram, 0, 3);
  other->Dispatch(effSetProgram, 0, 0);
  CHECK_TRUE(StoredParams(*other) == saved);
}

MODULE_TEST(Vst2Chunks, OwnPointerHandedBackLoadsTheSameValues) {
  auto plug = NewInstance();
  REQUIRE_TRUE(plug);
  SetSomeParams(*plug, 0.6f);
  const std::vector<float> saved = StoredParams(*plug);
  for (int index : {1, 0}) {
    void* data = nullptr;
    const intptr_t size = plug->Dispatch(effGetChunk, index, 0, &data);
    REQUIRE_TRUE(size > 0 && data);
    CHECK_EQ(plug->Dispatch(effSetChunk, index, size, data), 1);
    CHECK_TRUE(StoredParams(*plug) == saved);
  }
}

MODULE_TEST(Vst2Chunks, BlockHandedOutSurvivesALoad) {
  // A host may still be copying what effGetChunk gave it while another
  // thread loads a chunk: the block stays valid until the next get.
  auto plug = NewInstance();
  REQUIRE_TRUE(plug);
  SetSomeParams(*plug, 0.4f);
  void* data = nullptr;
  const intptr_t size = plug->Dispatch(effGetChunk, 1, 0, &data);
  REQUIRE_TRUE(size == 168 && data);
  const std::vector<uint8_t> before(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
  auto other = NewInstance();
  REQUIRE_TRUE(other);
  CHECK_EQ(SetChunk(*plug, 1, GetChunk(*other, 1)), 1);
  CHECK_TRUE(std::memcmp(data, before.data(), before.size()) == 0);
}

MODULE_TEST(Vst2Chunks, HeaderlessBlockIsReadAsProgram) {
  auto source = NewInstance();
  REQUIRE_TRUE(source);
  SetSomeParams(*source, 0.8f);
  const std::vector<float> saved = StoredParams(*source);
  const std::vector<uint8_t> chunk = GetChunk(*source, 1);
  const std::vector<uint8_t> block(chunk.begin() + 8, chunk.end());
  REQUIRE_TRUE(block.size() == 160u);
  for (int index : {1, 0}) {
    auto plug = NewInstance();
    REQUIRE_TRUE(plug);
    CHECK_EQ(SetChunk(*plug, index, block), 1);
    CHECK_TRUE(StoredParams(*plug) == saved);
    // Read as a program: the current preset took the values, the names stayed.
    CHECK_EQ(plug->DispatchText(effGetProgramNameIndexed, 1), std::string("Gentle Loudness"));
    plug->Dispatch(effSetProgram, 0, 5);
    plug->Dispatch(effSetProgram, 0, 0);
    CHECK_TRUE(StoredParams(*plug) == saved);
  }
}

MODULE_TEST(Vst2Chunks, OldVersionHeaderIsReadAsProgram) {
  auto source = NewInstance();
  REQUIRE_TRUE(source);
  SetSomeParams(*source, 0.35f);
  const std::vector<float> saved = StoredParams(*source);
  std::vector<uint8_t> chunk = GetChunk(*source, 1);
  chunk[6] = 0x00;  // version 0x00000000 ... 0x0000ffff
  chunk[5] = 0x80;
  auto plug = NewInstance();
  REQUIRE_TRUE(plug);
  CHECK_EQ(SetChunk(*plug, 0, chunk), 1);
  CHECK_TRUE(StoredParams(*plug) == saved);
  CHECK_EQ(plug->DispatchText(effGetProgramNameIndexed, 2), std::string("Stereo Wide"));
}

MODULE_TEST(Vst2Chunks, BankRoundTripKeepsEverySlot) {
  auto plug = NewInstance();
  REQUIRE_TRUE(plug);
  // Give every slot its own name and values.
  std::vector<std::vector<float>> values(vp::kPresets);
  for (int p = 0; p < vp::kPresets; ++p) {
    plug->Dispatch(effSetProgram, 0, p);
    SetSomeParams(*plug, 0.05f + 0.045f * p);
    const std::string name = "slot " + std::to_string(p);
    plug->Dispatch(effSetProgramName, 0, 0, const_cast<char*>(name.c_str()));
    values[p] = StoredParams(*plug);
  }
  plug->Dispatch(effSetProgram, 0, 4);
  const std::vector<uint8_t> bank = GetChunk(*plug, 0);
  REQUIRE_TRUE(bank.size() > 8u);
  CHECK_TRUE(std::memcmp(bank.data(), kHeader, 8) == 0);
  // 20 records of length, name, flag and 160 value bytes.
  size_t expected = 8;
  for (int p = 0; p < vp::kPresets; ++p) expected += 4 + ("slot " + std::to_string(p)).size() + 1 + 160;
  CHECK_EQ(bank.size(), expected);

  auto copy = NewInstance();
  REQUIRE_TRUE(copy);
  CHECK_EQ(SetChunk(*copy, 0, bank), 1);
  for (int p = 0; p < vp::kPresets; ++p) {
    CHECK_EQ(copy->DispatchText(effGetProgramNameIndexed, p), "slot " + std::to_string(p));
    copy->Dispatch(effSetProgram, 0, p);
    CHECK_TRUE(StoredParams(*copy) == values[p]);
  }
  copy->Dispatch(effSetProgram, 0, 4);
  CHECK_TRUE(GetChunk(*copy, 0) == bank);
}

MODULE_TEST(Vst2Chunks, BadCountsAndPointersAreRefusedWithoutChange) {
  auto source = NewInstance();
  REQUIRE_TRUE(source);
  SetSomeParams(*source, 0.9f);
  std::vector<uint8_t> chunk = GetChunk(*source, 1);
  std::vector<uint8_t> bank = GetChunk(*source, 0);

  auto plug = NewInstance();
  REQUIRE_TRUE(plug);
  SetSomeParams(*plug, 0.3f);
  const std::vector<float> before = StoredParams(*plug);
  for (int index : {0, 1}) {
    CHECK_EQ(plug->Dispatch(effSetChunk, index, 168, nullptr), 0);
    CHECK_EQ(plug->Dispatch(effSetChunk, index, -1, chunk.data()), 0);
    CHECK_EQ(plug->Dispatch(effSetChunk, index, -168, chunk.data()), 0);
    CHECK_EQ(plug->Dispatch(effSetChunk, index, 0, chunk.data()), 0);
    CHECK_EQ(plug->Dispatch(effSetChunk, index, static_cast<intptr_t>(INT32_MAX), chunk.data()), 0);
#if INTPTR_MAX == INT64_MAX
    CHECK_EQ(plug->Dispatch(effSetChunk, index, (static_cast<intptr_t>(1) << 32) + 168, chunk.data()), 0);
#endif
    CHECK_TRUE(StoredParams(*plug) == before);
  }
  // A program cut short, with and without header; a header alone.
  for (size_t length : {size_t(8 + 80), size_t(80), size_t(8), size_t(4), size_t(167)}) {
    std::vector<uint8_t> cut(chunk.begin(), chunk.begin() + length);
    if (length == 80) cut.assign(chunk.begin() + 8, chunk.begin() + 88);
    CHECK_EQ(SetChunk(*plug, 1, cut), 0);
    CHECK_TRUE(StoredParams(*plug) == before);
  }
  // A bank cut inside a record is refused.
  std::vector<uint8_t> cutBank(bank.begin(), bank.begin() + 8 + 4 + 1 + 1 + 50);
  CHECK_EQ(SetChunk(*plug, 0, cutBank), 0);
  // A name length running past the end.
  std::vector<uint8_t> badName(kHeader, kHeader + 8);
  for (uint8_t b : {0xff, 0xff, 0xff, 0x7f}) badName.push_back(b);
  CHECK_EQ(SetChunk(*plug, 0, badName), 0);
}

// ---------------------------------------------------------------------------
// Programs

MODULE_TEST(Vst2Programs, SwitchingKeepsTheValuesOfThePresetLeft) {
  auto plug = NewInstance();
  REQUIRE_TRUE(plug);
  plug->Dispatch(effSetProgram, 0, 8);
  SetSomeParams(*plug, 0.66f);
  const std::vector<float> edited = StoredParams(*plug);
  plug->Dispatch(effSetProgram, 0, 2);  // a factory preset
  CHECK_EQ(plug->Dispatch(effGetProgram), 2);
  CHECK_TRUE(StoredParams(*plug) != edited);
  const std::vector<float> factory = StoredParams(*plug);
  plug->Dispatch(effSetProgram, 0, 8);
  CHECK_TRUE(StoredParams(*plug) == edited);
  plug->Dispatch(effSetProgram, 0, 2);
  CHECK_TRUE(StoredParams(*plug) == factory);
  // Host program changes are not echoed back to the host.
  CHECK_EQ(plug->CountCalls(audioMasterUpdateDisplay), 0);
}

MODULE_TEST(Vst2Programs, OutOfRangeProgramsChangeNothing) {
  auto plug = NewInstance();
  REQUIRE_TRUE(plug);
  plug->Dispatch(effSetProgram, 0, 3);
  const std::vector<float> values = StoredParams(*plug);
  std::vector<intptr_t> bad = {-1, 20, 21, 1000};
#if INTPTR_MAX == INT64_MAX
  bad.push_back((static_cast<intptr_t>(1) << 32) + 1);  // not program 1
#endif
  for (intptr_t program : bad) {
    plug->Dispatch(effSetProgram, 0, program);
    CHECK_EQ(plug->Dispatch(effGetProgram), 3);
    CHECK_TRUE(StoredParams(*plug) == values);
  }
}

// ---------------------------------------------------------------------------
// Parameter values from the host

MODULE_TEST(Vst2Params, TextToParameter) {
  auto plug = NewInstance();
  REQUIRE_TRUE(plug);
  auto set = [&plug](int index, const char* text) {
    return plug->Dispatch(effString2Parameter, index, 0, const_cast<char*>(text));
  };
  // Numbers on continuous parameters, clamped into the range.
  CHECK_EQ(set(vp::kInGain, "6"), 1);
  CHECK_NEAR(plug->GetParameter(vp::kInGain), 0.75, 1e-6);
  CHECK_EQ(set(vp::kInGain, "-3.5 dB"), 1);
  CHECK_EQ(plug->DispatchText(effGetParamDisplay, vp::kInGain), std::string("-3.50"));
  CHECK_EQ(set(vp::kInGain, "1e9"), 1);
  CHECK_EQ(plug->GetParameter(vp::kInGain), 1.0f);
  CHECK_EQ(set(vp::kInGain, "-400"), 1);
  CHECK_EQ(plug->GetParameter(vp::kInGain), 0.0f);
  CHECK_EQ(set(vp::kInGain, "abc"), 1);  // no number reads as 0
  CHECK_NEAR(plug->GetParameter(vp::kInGain), 0.5, 1e-6);
  CHECK_EQ(set(vp::kInGain, "nan"), 1);  // not a number: the minimum
  CHECK_EQ(plug->GetParameter(vp::kInGain), 0.0f);
  CHECK_EQ(set(vp::kMix, "inf"), 1);
  CHECK_EQ(plug->GetParameter(vp::kMix), 1.0f);
  // Display texts match exactly or not at all.
  CHECK_EQ(set(vp::kBypass, "on"), 1);
  CHECK_EQ(plug->GetParameter(vp::kBypass), 1.0f);
  CHECK_EQ(set(vp::kBypass, "Off"), 0);
  CHECK_EQ(set(vp::kBypass, "0"), 0);
  CHECK_EQ(plug->GetParameter(vp::kBypass), 1.0f);
  CHECK_EQ(set(vp::kBypass, "off"), 1);
  CHECK_EQ(plug->GetParameter(vp::kBypass), 0.0f);
  // Null text: accepted, nothing changes; indices outside the parameters: refused.
  CHECK_EQ(plug->Dispatch(effString2Parameter, vp::kMix), 1);
  CHECK_EQ(plug->GetParameter(vp::kMix), 1.0f);
  CHECK_EQ(set(-1, "1"), 0);
  CHECK_EQ(set(22, "1"), 0);
  CHECK_EQ(plug->Dispatch(effString2Parameter, 99), 0);
}

MODULE_TEST(Vst2Params, HostWritesAreClampedAndOutOfRangeIndicesIgnored) {
  auto plug = NewInstance();
  REQUIRE_TRUE(plug);
  plug->SetParameter(vp::kInGain, 7.0f);
  CHECK_EQ(plug->GetParameter(vp::kInGain), 1.0f);
  plug->SetParameter(vp::kInGain, -3.0f);
  CHECK_EQ(plug->GetParameter(vp::kInGain), 0.0f);
  plug->SetParameter(vp::kInGain, 0.5f);
  float nan;
  const uint32_t nanBits = 0x7fc00000u;
  std::memcpy(&nan, &nanBits, 4);
  plug->SetParameter(vp::kInGain, nan);
  CHECK_NEAR(plug->GetParameter(vp::kInGain), 0.5, 1e-6);
  const std::vector<float> before = ReadParams(*plug);
  for (int index : {-1, 22, 100000}) {
    plug->SetParameter(index, 0.3f);
    CHECK_EQ(plug->GetParameter(index), 0.0f);
  }
  CHECK_TRUE(ReadParams(*plug) == before);
  // Writes from the host are not reported back to it.
  CHECK_EQ(plug->CountCalls(audioMasterAutomate), 0);
}
