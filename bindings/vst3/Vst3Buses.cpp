#include "Vst3Buses.h"

using namespace vst3;

SpeakerArrangement ArrangementForChannels(int channels) {
  switch (channels) {
    case 1: return SpeakerArr::kMono;
    case 2: return SpeakerArr::kStereo;
    case 3: return SpeakerArr::k30Music;
    case 4: return SpeakerArr::kBFormat1stOrder;
    case 5: return SpeakerArr::k50;
    case 6: return SpeakerArr::k51;
    default: return SpeakerArr::kEmpty;
  }
}

int ChannelsOfArrangement(SpeakerArrangement arrangement) {
  int n = 0;
  for (; arrangement; arrangement &= arrangement - 1) ++n;
  return n;
}

namespace {
Vst3Bus MakeAudioBus(const char* name, SpeakerArrangement arrangement, BusType type, uint32 flags) {
  Vst3Bus bus;
  bus.name = name ? name : "";
  bus.type = type;
  bus.flags = flags;
  bus.arrangement = arrangement;
  bus.channels = ChannelsOfArrangement(arrangement);
  bus.active = (flags & BusInfo::kDefaultActive) != 0;
  return bus;
}
}  // namespace

std::vector<Vst3Bus>* Vst3BusLists::List(MediaType type, BusDirection dir) {
  if (type == kAudio) return dir == kInput ? &audioIn_ : dir == kOutput ? &audioOut_ : nullptr;
  if (type == kEvent) return dir == kInput ? &eventIn_ : dir == kOutput ? &eventOut_ : nullptr;
  return nullptr;
}

Vst3Bus* Vst3BusLists::Get(MediaType type, BusDirection dir, int index) {
  std::vector<Vst3Bus>* list = List(type, dir);
  if (!list || index < 0 || index >= static_cast<int>(list->size())) return nullptr;
  return &(*list)[index];
}

void Vst3BusLists::AddAudio(BusDirection dir, const char* name, SpeakerArrangement arrangement,
                            BusType type, uint32 flags) {
  if (std::vector<Vst3Bus>* list = List(kAudio, dir)) list->push_back(MakeAudioBus(name, arrangement, type, flags));
}

void Vst3BusLists::AddEvent(BusDirection dir, const char* name, int channels, BusType type, uint32 flags) {
  std::vector<Vst3Bus>* list = List(kEvent, dir);
  if (!list) return;
  Vst3Bus bus = MakeAudioBus(name, 0, type, flags);
  bus.channels = channels;
  list->push_back(bus);
}

void Vst3BusLists::ReplaceAudio(BusDirection dir, int index, const char* name,
                                SpeakerArrangement arrangement, BusType type, uint32 flags) {
  std::vector<Vst3Bus>* list = List(kAudio, dir);
  if (!list || index < 0) return;
  if (index < static_cast<int>(list->size()))
    (*list)[index] = MakeAudioBus(name, arrangement, type, flags);
  else
    list->push_back(MakeAudioBus(name, arrangement, type, flags));
}

void Vst3BusLists::Clear() {
  audioIn_.clear();
  audioOut_.clear();
  eventIn_.clear();
  eventOut_.clear();
}

int32 Vst3BusLists::Count(MediaType type, BusDirection dir) {
  std::vector<Vst3Bus>* list = List(type, dir);
  return list ? static_cast<int32>(list->size()) : 0;
}

tresult Vst3BusLists::Info(MediaType type, BusDirection dir, int32 index, BusInfo& info) {
  const Vst3Bus* bus = Get(type, dir, index);
  if (!bus) return kInvalidArgument;  // the caller's record stays untouched
  info.mediaType = type;
  info.direction = dir;
  info.channelCount = bus->channels;
  CopyToUtf16(info.name, bus->name.c_str(), 128);
  info.busType = bus->type;
  info.flags = bus->flags;
  return kResultOk;
}

tresult Vst3BusLists::Activate(MediaType type, BusDirection dir, int32 index, bool state) {
  Vst3Bus* bus = Get(type, dir, index);
  if (!bus) return kInvalidArgument;
  bus->active = state;
  return kResultOk;
}

tresult Vst3BusLists::Arrangement(BusDirection dir, int32 index, SpeakerArrangement& arr) {
  const Vst3Bus* bus = Get(kAudio, dir, index);
  if (!bus) return kResultFalse;
  arr = bus->arrangement;
  return kResultOk;
}
