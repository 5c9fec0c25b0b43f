#pragma once
// The editor's images: resource id, the name passed along with the id, and
// the strip geometry the artwork is drawn to. Every module carries these
// images as "PNG" resources (a resource script on Windows, byte arrays
// compiled in elsewhere).

enum VeltoImageId : int {
  kImgKnobLarge = 101,
  kImgBackground = 102,
  kImgLamp = 103,
  kImgResponseSwitch = 105,
  kImgSlopeSwitch = 106,
  kImgKnobSmall = 112,
  kImgChannelSwitch = 113,
};

struct VeltoImageInfo {
  int id;
  const char* name;
  int width;
  int height;  // the whole strip
  int frames;  // stacked downwards
};

inline constexpr VeltoImageInfo kVeltoImages[] = {
    {kImgBackground, "resources/img/background.png", 400, 524, 1},
    {kImgLamp, "resources/img/button_18_2f.png", 18, 36, 2},
    {kImgResponseSwitch, "resources/img/but_q.png", 20, 60, 3},
    {kImgSlopeSwitch, "resources/img/but_slope.png", 20, 60, 3},
    {kImgChannelSwitch, "resources/img/but_LRMS.png", 20, 60, 3},
    {kImgKnobLarge, "resources/img/knob_64_101f.png", 64, 6464, 101},
    {kImgKnobSmall, "resources/img/knobsmall_32_75f.png", 32, 2400, 75},
};
inline constexpr int kVeltoImageCount = static_cast<int>(sizeof(kVeltoImages) / sizeof(kVeltoImages[0]));

// The entry of an id, or null.
inline const VeltoImageInfo* FindVeltoImage(int id) {
  for (const VeltoImageInfo& info : kVeltoImages)
    if (info.id == id) return &info;
  return nullptr;
}
