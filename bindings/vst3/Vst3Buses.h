#pragma once
// Audio and event buses as the host sees them, and the bus lists of one
// component (one list per media type and direction). [ui thread]

#include <string>
#include <vector>

#include "Vst3Interfaces.h"

// Speaker arrangement for a channel count: 1 mono, 2 stereo, 3 music 3.0,
// 4 first-order B-format, 5 5.0, 6 5.1; anything else the empty arrangement.
vst3::SpeakerArrangement ArrangementForChannels(int channels);
// Number of speakers (set bits) in an arrangement.
int ChannelsOfArrangement(vst3::SpeakerArrangement arrangement);

struct Vst3Bus {
  std::string name;
  vst3::BusType type = vst3::kMain;
  vst3::uint32 flags = 0;
  vst3::SpeakerArrangement arrangement = 0;  // audio buses
  int channels = 0;                          // the arrangement's count, or the event channels
  bool active = false;                       // starts as kDefaultActive says
};

class Vst3BusLists {
 public:
  void AddAudio(vst3::BusDirection dir, const char* name, vst3::SpeakerArrangement arrangement,
                vst3::BusType type, vst3::uint32 flags);
  void AddEvent(vst3::BusDirection dir, const char* name, int channels, vst3::BusType type,
                vst3::uint32 flags);
  // Replaces audio bus index in place (or appends it when the list is shorter).
  void ReplaceAudio(vst3::BusDirection dir, int index, const char* name,
                    vst3::SpeakerArrangement arrangement, vst3::BusType type, vst3::uint32 flags);
  void Clear();

  // Null for a media type, direction or index that does not exist.
  std::vector<Vst3Bus>* List(vst3::MediaType type, vst3::BusDirection dir);
  Vst3Bus* Get(vst3::MediaType type, vst3::BusDirection dir, int index);

  // The component's answers.
  vst3::int32 Count(vst3::MediaType type, vst3::BusDirection dir);
  vst3::tresult Info(vst3::MediaType type, vst3::BusDirection dir, vst3::int32 index, vst3::BusInfo& info);
  vst3::tresult Activate(vst3::MediaType type, vst3::BusDirection dir, vst3::int32 index, bool state);
  vst3::tresult Arrangement(vst3::BusDirection dir, vst3::int32 index, vst3::SpeakerArrangement& arr);

 private:
  std::vector<Vst3Bus> audioIn_, audioOut_, eventIn_, eventOut_;
};
