// Parameter state blocks, chunk headers, preset slots and the presets block.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "AllocationCounter.h"
#include "TestBinding.h"

namespace {
// Twenty stored parameters of mixed kinds, a fixed twenty-first and one
// appended object, as the real plug-in has them.
class StatefulEffect : public TestBinding {
 public:
  StatefulEffect() : TestBinding(21, "1-1 2-2", 20, "Velto", "", "OXB-Audio", 0x10000, 1, 2, 0, 0) {
    for (int i = 0; i < 20; ++i) {
      if (i == 8 || i == 11 || i == 14)
        GetParam(i)->DefineBool("switch", i != 14);
      else if (i == 12 || i == 13)
        GetParam(i)->DefineInt("choice", 2, 0, 4);
      else
        GetParam(i)->DefineDouble("level", 0.0, -12.0, 12.0, 0.01, "dB");
    }
    GetParam(20)->DefineInt("Model", 17, 17, 17);
    SetStoredParamCount(20);
    AppendParam();
  }
  int presetsChanged = 0;
  std::vector<int> changed;
  void OnPresetsChanged() override { ++presetsChanged; }
  void ParamChanged(int idx) override { changed.push_back(idx); }
  void SetAll(double base) {
    for (int i = 0; i < 20; ++i) GetParam(i)->SetValue(base + 0.25 * i);
  }
};

std::vector<uint8_t> Bytes(const StateChunk& c) { return {c.Data(), c.Data() + c.Size()}; }

StateChunk FromBytes(const std::vector<uint8_t>& bytes) {
  StateChunk c;
  c.Assign(bytes.data(), static_cast<int>(bytes.size()));
  return c;
}
}  // namespace

TEST(StateChunkReads, AreLittleEndianAndFailPastTheEnd) {
  StateChunk c;
  c.PutInt32(0x01020304);
  c.PutDouble(1.0);
  c.PutText("ab");
  c.PutByte(7);
  const std::vector<uint8_t> expected = {4, 3, 2, 1, 0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 2, 0, 0, 0, 'a', 'b', 7};
  EXPECT_EQ(Bytes(c), expected);
  int32_t i = 0;
  double d = 0;
  uint8_t b = 0;
  EXPECT_EQ(c.GetInt32(&i, 0), 4);
  EXPECT_EQ(c.GetDouble(&d, 4), 12);
  EXPECT_DOUBLE_EQ(d, 1.0);
  EXPECT_EQ(c.GetByte(&b, 18), 19);
  EXPECT_EQ(c.GetByte(&b, 19), -1);
  EXPECT_EQ(c.GetDouble(&d, 12), -1);
  EXPECT_EQ(c.GetInt32(&i, -4), -1);
  EXPECT_EQ(c.GetInt32(&i, std::numeric_limits<int>::max() - 2), -1);  // no overflow in the check
}

TEST(ParameterState, IsA160ByteBlockOfLittleEndianDoublesThatRoundTrips) {
  StatefulEffect fx;
  fx.SetAll(-3.0);
  StateChunk chunk;
  ASSERT_TRUE(fx.SerializeParams(chunk));
  ASSERT_EQ(chunk.Size(), 160);
  double first;
  std::memcpy(&first, chunk.Data(), 8);
  EXPECT_DOUBLE_EQ(first, -3.0);

  StatefulEffect other;
  fx.changed.clear();
  EXPECT_EQ(other.UnserializeParams(chunk, 0), 160);
  for (int i = 0; i < 20; ++i) EXPECT_DOUBLE_EQ(other.GetParam(i)->Value(), fx.GetParam(i)->Value());
  EXPECT_EQ(other.changed.size(), 22u);  // every parameter object, the extra ones too
  EXPECT_DOUBLE_EQ(other.GetParam(20)->Value(), 17.0);
}

TEST(ParameterState, AShortBlockRestoresWhatItHasAndZeroesTheRestClamped) {
  StatefulEffect fx;
  fx.SetAll(2.0);
  StateChunk full;
  fx.SerializeParams(full);
  StateChunk half;
  half.Assign(full.Data(), 80);

  StatefulEffect other;
  EXPECT_EQ(other.UnserializeParams(half, 0), -1);
  for (int i = 0; i < 10; ++i) EXPECT_DOUBLE_EQ(other.GetParam(i)->Value(), fx.GetParam(i)->Value());
  EXPECT_DOUBLE_EQ(other.GetParam(15)->Value(), 0.0);
  EXPECT_DOUBLE_EQ(other.GetParam(12)->Value(), 0.0);

  StateChunk empty;
  EXPECT_EQ(other.UnserializeParams(empty, 0), -1);
  EXPECT_EQ(other.UnserializeParams(full, -1), -1);
}

TEST(ParameterState, NonFiniteStoredValuesLoadTheDefault) {
  StatefulEffect fx;
  StateChunk chunk;
  for (int i = 0; i < 20; ++i)
    chunk.PutDouble(i % 2 ? std::numeric_limits<double>::quiet_NaN() : -std::numeric_limits<double>::infinity());
  auto* editor = new RecordingEditor;
  fx.AttachEditor(editor);
  editor->shown.clear();
  EXPECT_EQ(fx.UnserializeParams(chunk, 0), 160);
  for (int i = 0; i < 20; ++i) {
    EXPECT_DOUBLE_EQ(fx.GetParam(i)->Value(), fx.GetParam(i)->Default()) << i;
    EXPECT_TRUE(std::isfinite(editor->shown[i].value));
  }
}

TEST(ChunkHeader, IsTheMagicAndVersionAndIsOptionalOnRead) {
  StateChunk chunk;
  chunk.PutByte(0xAA);
  IEffectBase::WriteChunkHeader(chunk);  // clears first
  EXPECT_EQ(Bytes(chunk), (std::vector<uint8_t>{0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00}));

  int pos = 0;
  EXPECT_EQ(IEffectBase::ReadChunkHeader(chunk, &pos), 0x00010000);
  EXPECT_EQ(pos, 8);

  StateChunk bare = FromBytes({1, 2, 3, 4, 5, 6, 7, 8});
  pos = 0;
  EXPECT_EQ(IEffectBase::ReadChunkHeader(bare, &pos), 0);
  EXPECT_EQ(pos, 0);

  StateChunk magicOnly = FromBytes({0x74, 0x66, 0x66, 0x70, 0x00});
  pos = 0;
  EXPECT_EQ(IEffectBase::ReadChunkHeader(magicOnly, &pos), 0);
  EXPECT_EQ(pos, -1);

  pos = -1;
  EXPECT_EQ(IEffectBase::ReadChunkHeader(chunk, &pos), 0);
  EXPECT_EQ(pos, -1);
}

TEST(Presets, NamedPresetsStoreTheStoredCountAndFillGapsWithCurrentValues) {
  StatefulEffect fx;
  fx.GetParam(3)->SetValue(4.5);
  fx.MakePresetFromCurrentValues("-", 1);
  // Every pair but index 3; index 5 holds the unset marker itself.
  fx.MakePresetFromNamedParams("Named", 19, 0, 1.0, 1, 2.0, 2, 3.0, 4, 5.0, 5, 9.999e-8, 6, 7.0, 7,
                               -7.0, 8, 0, 9, 1.5, 10, 2.5, 11, 0, 12, 3, 13, 4, 14, 1, 15, 6.0,
                               16, -6.0, 17, 0.5, 18, 11.0, 19, -11.0);
  const PresetSlot* named = fx.GetPreset(1);
  ASSERT_TRUE(named->initialized);
  EXPECT_STREQ(named->name, "Named");
  ASSERT_EQ(named->state.Size(), 160);  // not one value per parameter object
  EXPECT_TRUE(fx.LoadPreset(1));
  EXPECT_DOUBLE_EQ(fx.GetParam(0)->Value(), 1.0);
  EXPECT_DOUBLE_EQ(fx.GetParam(3)->Value(), 4.5);   // missing pair: current value
  EXPECT_DOUBLE_EQ(fx.GetParam(5)->Value(), 0.0);   // marker: current value
  EXPECT_DOUBLE_EQ(fx.GetParam(8)->Value(), 0.0);
  EXPECT_DOUBLE_EQ(fx.GetParam(12)->Value(), 3.0);
  EXPECT_DOUBLE_EQ(fx.GetParam(19)->Value(), -11.0);
  EXPECT_EQ(fx.CurrentPreset(), 1);
  EXPECT_EQ(fx.presetsChanged, 1);
}

TEST(Presets, LoadingAnEmptySlotMakesTheNextUserPreset) {
  StatefulEffect fx;
  fx.MakePresetFromCurrentValues("-", 1);
  EXPECT_TRUE(fx.LoadPreset(5));
  EXPECT_STREQ(fx.PresetName(5), "user preset 1");
  EXPECT_TRUE(fx.LoadPreset(7));
  EXPECT_STREQ(fx.PresetName(7), "user preset 2");
  EXPECT_FALSE(fx.LoadPreset(20));
  EXPECT_FALSE(fx.LoadPreset(-1));
  EXPECT_STREQ(fx.PresetName(20), "");
  EXPECT_EQ(fx.CurrentPreset(), 7);
}

TEST(Presets, RecallingOrFillingASlotAllocatesNothing) {
  StatefulEffect fx;
  fx.MakePresetFromCurrentValues("-", 1);
  fx.changed.reserve(1000);  // the test plug-in's own record of ParamChanged calls
  AllocationCounter counter;
  EXPECT_TRUE(fx.LoadPreset(9));  // an empty slot takes the current values
  EXPECT_TRUE(fx.LoadPreset(0));
  fx.ModifyCurrentPreset();
  EXPECT_EQ(counter.Count(), 0);
}

TEST(Presets, ModifyCurrentPresetStoresValuesAndKeepsTheNameWhenEmpty) {
  StatefulEffect fx;
  fx.MakePresetFromCurrentValues("-", 3);
  EXPECT_STREQ(fx.PresetName(2), "-");
  fx.MakePresetFromCurrentValues(nullptr, 1);
  EXPECT_STREQ(fx.PresetName(3), "Empty");
  fx.GetParam(0)->SetValue(6.0);
  fx.ModifyCurrentPreset("");
  EXPECT_STREQ(fx.PresetName(0), "-");
  fx.ModifyCurrentPreset("Mine");
  EXPECT_STREQ(fx.PresetName(0), "Mine");
  fx.GetParam(0)->SetValue(-6.0);
  fx.LoadPreset(0);
  EXPECT_DOUBLE_EQ(fx.GetParam(0)->Value(), 6.0);
}

TEST(PresetsBlock, AllTwentySlotsRoundTripRecordByRecord) {
  StatefulEffect fx;
  fx.MakePresetFromCurrentValues("-", 1);
  for (int p = 1; p < 7; ++p) {
    fx.MakePresetFromNamedParams(("Factory " + std::to_string(p)).c_str(), 3, 0, 1.0 * p, 12, p % 5,
                                 8, p % 2);
  }
  for (int p = 7; p < 20; ++p) {
    fx.SetAll(-2.0 + 0.1 * p);
    fx.MakePresetFromCurrentValues(("Slot " + std::to_string(p)).c_str(), 1);
  }
  fx.LoadPreset(4);
  StateChunk block;
  ASSERT_TRUE(fx.SerializePresets(block));

  StatefulEffect other;
  EXPECT_EQ(other.UnserializePresets(block, 0), block.Size());
  for (int p = 0; p < 20; ++p) {
    EXPECT_STREQ(other.PresetName(p), fx.PresetName(p));
    EXPECT_TRUE(other.GetPreset(p)->initialized);
    EXPECT_EQ(other.GetPreset(p)->state, fx.GetPreset(p)->state) << p;
  }
  // The reader recalls the reader's own current preset (slot 0 here).
  EXPECT_DOUBLE_EQ(other.GetParam(0)->Value(), 0.0);
  StateChunk again;
  other.SerializePresets(again);
  EXPECT_EQ(again, block);
}

TEST(PresetsBlock, UninitialisedSlotsAndEmptyNamesAreReadAsWritten) {
  StatefulEffect fx;
  fx.MakePresetFromCurrentValues("First", 1);
  StateChunk block;
  block.PutText("Alpha");
  block.PutByte(1);
  for (int i = 0; i < 20; ++i) block.PutDouble(1.0);
  block.PutText("");  // takes the name read for the slot before it
  block.PutByte(0);
  // Two records of twenty: the third is cut short, the first two are applied.
  EXPECT_EQ(fx.UnserializePresets(block, 0), -1);
  EXPECT_STREQ(fx.PresetName(0), "Alpha");
  EXPECT_TRUE(fx.GetPreset(0)->initialized);
  EXPECT_DOUBLE_EQ(fx.GetParam(19)->Value(), 1.0);  // the current preset was recalled
  EXPECT_STREQ(fx.PresetName(1), "Alpha");
  EXPECT_FALSE(fx.GetPreset(1)->initialized);
}

TEST(PresetsBlock, CutOrCorruptRecordsStopWithoutReadingOutOfBounds) {
  StatefulEffect source;
  source.MakePresetFromCurrentValues("Zero", 1);
  source.MakePresetFromCurrentValues("One", 1);
  StateChunk good;
  source.SerializePresets(good);

  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
  };
  std::vector<uint8_t> cutInState(good.Data(), good.Data() + 4 + 4 + 1 + 100);
  std::vector<uint8_t> negative = {0xFF, 0xFF, 0xFF, 0xFF, 'x', 1};
  std::vector<uint8_t> tooLong = {0x00, 0x01, 0x00, 0x00};  // 256 bytes
  tooLong.resize(4 + 300, 'n');
  std::vector<uint8_t> pastEnd = {50, 0, 0, 0, 'a', 'b'};
  std::vector<uint8_t> absurd = {0xFF, 0xFF, 0xFF, 0x7F};
  std::vector<uint8_t> noFlag = {1, 0, 0, 0, 'q'};
  const Case cases[] = {{"cut in the state", cutInState}, {"negative name length", negative},
                        {"name above 255", tooLong},      {"name past the end", pastEnd},
                        {"absurd name length", absurd},   {"flag missing", noFlag},
                        {"three bytes", {1, 0, 0}}};
  for (const Case& c : cases) {
    StatefulEffect fx;
    fx.MakePresetFromCurrentValues("Keep", 20);
    StateChunk chunk = FromBytes(c.bytes);
    EXPECT_EQ(fx.UnserializePresets(chunk, 0), -1) << c.what;
    EXPECT_STREQ(fx.PresetName(19), "Keep") << c.what;
    EXPECT_EQ(fx.GetPreset(19)->state.Size(), 160) << c.what;
  }

  StatefulEffect fx;
  StateChunk empty;
  EXPECT_EQ(fx.UnserializePresets(empty, 0), -1);
}

TEST(PresetsBlock, WithoutSlotsNothingIsWrittenAndTheWriteSucceeds) {
  TestBinding fx(1, "2-2", 0, "T", "", "M", 1, 1, 1, 0, 0);
  StateChunk chunk;
  EXPECT_TRUE(fx.SerializePresets(chunk));
  EXPECT_EQ(chunk.Size(), 0);
}

TEST(StateMatching, ComparesEveryParameterAsSinglePrecision) {
  StatefulEffect fx;
  std::vector<double> values(2 + fx.NumParams(), 0.0);
  for (int i = 0; i < fx.NumParams(); ++i) values[2 + i] = fx.GetParam(i)->Value();
  EXPECT_TRUE(fx.StateMatches(values.data(), 2));
  values[2 + 4] += 1e-7;
  EXPECT_TRUE(fx.StateMatches(values.data(), 2));
  values[2 + 4] += 1e-3;
  EXPECT_FALSE(fx.StateMatches(values.data(), 2));
}
