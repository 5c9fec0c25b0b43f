// Every editor image is compiled into the program, decodes, and has the size
// and frame count the layout draws it with.

#include <memory>

#include "ModuleCheck.h"
#include "ModuleResources.h"
#include "PIX_Png.h"
#include "VeltoImages.h"

MODULE_TEST(Resources, EveryImageIsCompiledInWithItsSizeAndFrames) {
  CHECK_EQ(kVeltoImageCount, 7);
  for (const VeltoImageInfo& info : kVeltoImages) {
    const ResourceBytes bytes = FindPngResource(info.id);
    REQUIRE_TRUE(bytes.data != nullptr);
    std::unique_ptr<PIX_MemBitmap> image = PIX_LoadPngFromMemory(bytes.data, bytes.length);
    REQUIRE_TRUE(image != nullptr);
    CHECK_EQ(image->Width(), info.width);
    CHECK_EQ(image->Height(), info.height);
    // Frames are square here and stack downwards.
    CHECK_EQ(info.height % info.frames, 0);
    CHECK_EQ(info.height / info.frames, info.id == kImgBackground ? 524 : info.width);
  }
}

MODULE_TEST(Resources, UnknownIdsFindNothing) {
  for (int id : {0, -1, 100, 104, 114, 1 << 30}) {
    const ResourceBytes bytes = FindPngResource(id);
    CHECK_TRUE(bytes.data == nullptr);
    CHECK_EQ(bytes.length, size_t{0});
  }
  CHECK_TRUE(FindVeltoImage(104) == nullptr);
  REQUIRE_TRUE(FindVeltoImage(kImgKnobSmall) != nullptr);
  CHECK_EQ(FindVeltoImage(kImgKnobSmall)->frames, 75);
}
