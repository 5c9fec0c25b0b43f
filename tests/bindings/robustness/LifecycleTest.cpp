// A thousand lives of each module: create, set up, process, save, load,
// close. Under the linux-asan preset LeakSanitizer sees anything left
// behind, and a run under valgrind (fewer lives: VELTO_LIVES) whatever the
// loaded module does wrong; VST3 reference counts must come back to zero
// every time.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "ModuleRig.h"

using namespace vst3;

namespace {
constexpr int kBlock = 64;
const int kLives = std::getenv("VELTO_LIVES") ? std::atoi(std::getenv("VELTO_LIVES")) : 1000;
}  // namespace

TEST(Lifecycle, AThousandVst2LivesLeaveNothingBehind) {
  std::vector<uint8_t> state;
  for (int life = 0; life < kLives; ++life) {
    auto plug = ReadyVst2(life % 2 ? 48000.0 : 44100.0, kBlock);
    ASSERT_TRUE(plug) << life;
    HostBlock<float> in(kBlock, 0, 0.25f), out(kBlock);
    plug->SetParameter(life % 21, 0.75f);
    plug->ProcessReplacing(in.ptrs, out.ptrs, kBlock);
    ASSERT_TRUE(out.Finite()) << life;
    void* data = nullptr;
    const intptr_t size = plug->Dispatch(vst2::effGetChunk, life % 2, 0, &data);
    ASSERT_GT(size, 0) << life;
    if (!state.empty()) {
      EXPECT_EQ(plug->Dispatch(vst2::effSetChunk, 1, static_cast<intptr_t>(state.size()), state.data()), 1);
    }
    if (life % 2) state.assign(static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
    plug->Dispatch(vst2::effMainsChanged, 0, 0);
    plug->Close();
  }
}

TEST(Lifecycle, AThousandVst3LivesReleaseEveryReference) {
  std::vector<unsigned char> state;
  for (int life = 0; life < kLives; ++life) {
    Vst3Rig rig;
    ASSERT_TRUE(rig.Initialize()) << life;
    ASSERT_TRUE(rig.Setup(life % 2 ? 48000.0 : 96000.0, kBlock, life % 3 ? kSample32 : kSample64)) << life;
    rig.comp->setActive(1);
    rig.proc->setProcessing(1);
    Vst3ParamChanges changes;
    changes.Add(static_cast<ParamID>(life % 21), 0.75);
    if (life % 3) {
      HostBlock<float> in(kBlock, 0, 0.25f), out(kBlock);
      rig.Run(in.ptrs, out.ptrs, kBlock, &changes);
      ASSERT_TRUE(out.Finite()) << life;
    } else {
      HostBlock<double> in(kBlock, 0, 0.25), out(kBlock);
      rig.Run(in.ptrs, out.ptrs, kBlock, &changes);
      ASSERT_TRUE(out.Finite()) << life;
    }
    Vst3MemoryStream saved;
    ASSERT_EQ(rig.ctrl->getControllerState(&saved), kResultOk) << life;
    if (!state.empty()) {
      Vst3MemoryStream previous(state);
      EXPECT_EQ(rig.ctrl->setControllerState(&previous), kResultOk) << life;
    }
    state = saved.Bytes();
    rig.proc->setProcessing(0);
    rig.comp->setActive(0);
    ASSERT_EQ(rig.Close(), 0u) << life;
    ASSERT_EQ(rig.app.References(), 0) << life;
    ASSERT_EQ(rig.handler.References(), 0) << life;
    ASSERT_EQ(changes.References(), 0) << life;
    ASSERT_EQ(saved.References(), 0) << life;
  }
}
