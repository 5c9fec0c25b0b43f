#include "EditorRig.h"

namespace rig {

std::vector<unsigned char> ReadDataFile(const char* name) {
  std::vector<unsigned char> bytes;
  const std::string path = std::string(VELTO_EDITOR_TEST_DATA) + "/" + name;
  if (FILE* f = std::fopen(path.c_str(), "rb")) {
    unsigned char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
    std::fclose(f);
  }
  return bytes;
}

Plugin::Plugin(int api) : TestBinding(kParamCount, "2-2", 1, "Rig", "Rig", "Rig", 1, 1, 1, 0, api) {
  GetParam(kGain)->DefineDouble("Gain", 0.0, -12.0, 12.0, 0.01, "dB");
  GetParam(kFreq)->DefineDouble("Freq", 200.0, 20.0, 2000.0, 1.0, "Hz", 2.0);
  GetParam(kMode)->DefineBool("Mode", false);
  GetParam(kChoice)->DefineInt("Choice", 1, 0, 2);
}

Rig::Rig(int width, int height, int api) : plugin(api) {
  gui = new IGraphicsHeadless(&plugin, width, height);
  gui->AddPngResource(kBackgroundId, ReadDataFile("background.png"));
  gui->AddPngResource(kKnobId, ReadDataFile("knob.png"));
  gui->AddPngResource(kSwitchId, ReadDataFile("switch.png"));
  std::vector<unsigned char> broken = ReadDataFile("knob.png");
  broken.resize(broken.size() / 2);
  gui->AddPngResource(kBrokenId, broken);
}

Rig::~Rig() {
  if (!attached) delete gui;
}

void Rig::Attach() {
  plugin.AttachEditor(gui);
  attached = true;
}

void Rig::PaintAll() { gui->RedrawRegion(Rect(0, 0, gui->Width(), gui->Height())); }

}  // namespace rig
