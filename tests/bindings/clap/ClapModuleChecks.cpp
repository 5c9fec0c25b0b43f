// Checks of the built CLAP module through its real export, the way a host
// reaches it: clap_entry, the factory, create_plugin, the extensions. One
// program for Linux and Windows (under Wine); it prints every failed check and
// ends with the line "N passed, N failed".
//
//   velto_clap_checks <Velto.clap>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "ClapHost.h"
#include "PlainChecks.h"
#include "IEffectOffline.h"

// The offline module's plug-in factory (plugin/VeltoEntry.cpp).
IEffectOffline* CreatePlugin(IEffectOffline::InstanceInfo info);

namespace {
using namespace plainchecks;

std::shared_ptr<ClapModule> gModule;

// Parameter ids (the plug-in's indices).
constexpr clap_id kInGainId = 0, kLowFreqId = 3, kHPONId = 8, k3BandId = 11, kHPQId = 12, kHPRollOffId = 13,
                  kBypassId = 14, kMixId = 15;
constexpr int kParamCount = 21;
constexpr double kRate = 44100.0;
constexpr int kLeadIn = 12000;  // longer than the first fade-in

std::unique_ptr<ClapPlugin> NewPlugin() {
  std::string error;
  std::unique_ptr<ClapPlugin> p = ClapPlugin::Create(gModule, &error);
  if (!p) std::printf("create: %s\n", error.c_str());
  return p;
}

struct Signal {
  std::vector<double> l, r;
  explicit Signal(int n, int start = 0) : l(n), r(n) {
    for (int i = 0; i < n; ++i) {
      const double t = (start + i) / kRate;
      l[i] = 0.5 * std::sin(2.0 * 3.14159265358979 * 220.0 * t) + 0.1 * std::sin(2.0 * 3.14159265358979 * 3100.0 * t);
      r[i] = 0.4 * std::sin(2.0 * 3.14159265358979 * 330.0 * t);
    }
  }
};

// Runs n samples of the test signal (continuing at start) through a hosted plug-in.
Signal RunClap(ClapPlugin& p, int n, int start) {
  Signal in(n, start), out(n);
  const double* ins[2] = {in.l.data(), in.r.data()};
  double* outs[2] = {out.l.data(), out.r.data()};
  p.Process(ins, outs, n);
  return out;
}

// The offline binding, prepared as the harness prepares the module.
std::unique_ptr<IEffectOffline> NewOffline(int channels = 2) {
  std::unique_ptr<IEffectOffline> p(CreatePlugin(IEffectOffline::InstanceInfo{}));
  p->SetChannels(channels);
  p->Prepare(kRate, 512);
  return p;
}

Signal RunOffline(IEffectOffline& p, int n, int start) {
  Signal in(n, start), out(n);
  double* ins[2] = {in.l.data(), in.r.data()};
  double* outs[2] = {out.l.data(), out.r.data()};
  p.Process(ins, outs, n);
  return out;
}

bool Same(const Signal& a, const Signal& b) { return a.l == b.l && a.r == b.r; }

std::vector<double> Values(ClapPlugin& p) {
  std::vector<double> v;
  for (int i = 0; i < p.NumParams(); ++i) {
    double x = 0.0;
    p.GetParamPlain(p.Info(i)->id, &x);
    v.push_back(x);
  }
  return v;
}

// ---------------------------------------------------------------------------

void EntryFactoryAndDescriptor() {
  gGroup = "entry";
  const clap_plugin_entry_t* entry = gModule->Entry();
  CHECK(clap_version_is_compatible(entry->clap_version));
  CHECK(entry->get_factory("no.such.factory") == nullptr);
  const clap_plugin_factory_t* f = gModule->Factory();
  CHECK(f && f->get_plugin_count(f) == 1);
  if (!f) return;
  const clap_plugin_descriptor_t* d = f->get_plugin_descriptor(f, 0);
  CHECK(d && f->get_plugin_descriptor(f, 1) == nullptr);
  if (!d) return;
  CHECK(std::strcmp(d->id, "com.oxb-audio.velto") == 0);
  CHECK(std::strcmp(d->name, "Velto") == 0 && std::strcmp(d->vendor, "OXB-Audio") == 0);
  CHECK(std::strcmp(d->version, "1.0.0") == 0);
  std::vector<std::string> features;
  for (const char* const* ft = d->features; ft && *ft; ++ft) features.push_back(*ft);
  CHECK((features == std::vector<std::string>{"audio-effect", "distortion", "stereo"}));

  // Refusals: another id, no host, a host of an incompatible CLAP version.
  ClapHostContext host;
  CHECK(f->create_plugin(f, host.Host(), "com.example.other") == nullptr);
  CHECK(f->create_plugin(f, nullptr, d->id) == nullptr);
  clap_host_t future = *host.Host();
  future.clap_version = {0, 9, 0};
  CHECK(f->create_plugin(f, &future, d->id) == nullptr);

  // A plug-in created and destroyed without init, as a scanning host may.
  const clap_plugin_t* p = f->create_plugin(f, host.Host(), d->id);
  CHECK(p && p->desc == d);
  if (p) p->destroy(p);
}

void ExtensionsAndPorts() {
  gGroup = "extensions";
  auto p = NewPlugin();
  CHECK(p != nullptr);
  if (!p) return;
  CHECK(p->Name() == "Velto");
  CHECK(p->Extension<void>(CLAP_EXT_GUI) == nullptr);  // no window layer yet
  CHECK(p->Extension<void>("clap.no-such-extension") == nullptr);
  CHECK(p->Extension<void>(CLAP_EXT_RENDER) != nullptr);

  const auto* ports = p->Extension<clap_plugin_audio_ports_t>(CLAP_EXT_AUDIO_PORTS);
  const auto* configs = p->Extension<clap_plugin_audio_ports_config_t>(CLAP_EXT_AUDIO_PORTS_CONFIG);
  const auto* latency = p->Extension<clap_plugin_latency_t>(CLAP_EXT_LATENCY);
  CHECK(ports && configs && latency);
  if (!ports || !configs || !latency) return;
  const clap_plugin_t* pl = p->Plugin();
  CHECK(ports->count(pl, true) == 1 && ports->count(pl, false) == 1);
  clap_audio_port_info_t info{};
  CHECK(ports->get(pl, 0, true, &info));
  CHECK(info.channel_count == 2 && std::strcmp(info.port_type, CLAP_PORT_STEREO) == 0);
  CHECK((info.flags & CLAP_AUDIO_PORT_IS_MAIN) && (info.flags & CLAP_AUDIO_PORT_SUPPORTS_64BITS));
  CHECK(info.in_place_pair == 0);
  CHECK(!ports->get(pl, 1, true, &info));

  CHECK(configs->count(pl) == 2);
  clap_audio_ports_config_t c0{}, c1{};
  CHECK(configs->get(pl, 0, &c0) && configs->get(pl, 1, &c1) && !configs->get(pl, 2, &c1));
  CHECK(c0.main_input_channel_count == 2 && c0.main_output_channel_count == 2);
  CHECK(c1.main_input_channel_count == 1 && c1.main_output_channel_count == 1);
  CHECK(std::strcmp(c1.main_input_port_type, CLAP_PORT_MONO) == 0);
  CHECK(!configs->select(pl, 77));
  CHECK(configs->select(pl, c1.id));
  CHECK(ports->get(pl, 0, false, &info) && info.channel_count == 1);
  CHECK(configs->select(pl, c0.id));
  CHECK(ports->get(pl, 0, false, &info) && info.channel_count == 2);

  // The reported latency: the oversampling filters' delay.
  CHECK(latency->get(pl) == 31);
  std::string error;
  CHECK(p->Prepare(kRate, 256, 2, &error));
  CHECK(latency->get(pl) == 31);
  CHECK(p->Host().restartRequests == 0);
  // No configuration change while active.
  CHECK(!configs->select(pl, c1.id));

  // The high crossover's ceiling follows the sample rate: after running at
  // 48 kHz the host is told to read the parameters again, once deactivated.
  auto q = NewPlugin();
  if (!q) return;
  const auto* params = q->Extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
  CHECK(q->Info(4) && q->Info(4)->max_value == 22050.0);
  CHECK(q->Prepare(48000.0, 256, 2, &error));
  CHECK(q->Host().rescans == 0);
  q->Deactivate();
  CHECK(q->Host().rescans == 1);
  clap_param_info_t highFreq{};
  CHECK(params->get_info(q->Plugin(), 4, &highFreq) && highFreq.max_value == 24000.0);
  CHECK(q->Prepare(48000.0, 256, 2, &error));
  q->Deactivate();
  CHECK(q->Host().rescans == 1);  // nothing moved the second time
}

void ParameterListAndTexts() {
  gGroup = "params";
  auto p = NewPlugin();
  auto off = NewOffline();
  CHECK(p && p->NumParams() == kParamCount);
  if (!p || p->NumParams() != kParamCount) return;
  const auto* params = p->Extension<clap_plugin_params_t>(CLAP_EXT_PARAMS);
  const clap_plugin_t* pl = p->Plugin();
  clap_param_info_t none{};
  CHECK(!params->get_info(pl, kParamCount, &none));
  double v = 0.0;
  CHECK(!params->get_value(pl, kParamCount, &v));
  char text[64];
  CHECK(!params->value_to_text(pl, 99, 0.0, text, sizeof(text)));

  for (int i = 0; i < kParamCount; ++i) {
    const clap_param_info_t* info = p->Info(i);
    const IEffectParam* ref = off->GetParam(i);
    // Ids are the framework indices: stable across versions and sessions.
    CHECK(info->id == static_cast<clap_id>(i));
    CHECK(std::strcmp(info->name, ref->Name()) == 0);
    CHECK(info->min_value == ref->Min() && info->max_value == ref->Max() && info->default_value == ref->Default());
    CHECK(params->get_value(pl, info->id, &v) && v == ref->Default());
    const bool stepped = ref->Type() != kParamDouble;
    CHECK(((info->flags & CLAP_PARAM_IS_STEPPED) != 0) == stepped);
    CHECK(((info->flags & CLAP_PARAM_IS_ENUM) != 0) == (ref->Type() == kParamBool));
    CHECK((info->flags & CLAP_PARAM_IS_AUTOMATABLE) != 0);

    // Text round trips at both ends, the default and a point inside.
    const double mid = stepped ? std::floor((ref->Min() + ref->Max()) / 2) : ref->Min() + 0.37 * (ref->Max() - ref->Min());
    for (double x : {ref->Min(), ref->Max(), ref->Default(), mid}) {
      char t[CLAP_NAME_SIZE] = {};
      double back = -1e9;
      CHECK(params->value_to_text(pl, info->id, x, t, sizeof(t)));
      CHECK(params->text_to_value(pl, info->id, t, &back));
      // Texts drop digits beyond the display precision (toward zero).
      const double tolerance = std::pow(10.0, -ref->DisplayPrecision());
      if (std::fabs(back - x) > tolerance) std::printf("  param %d: %g -> \"%s\" -> %g\n", i, x, t, back);
      CHECK(std::fabs(back - x) <= tolerance);
    }
  }
  // The framework's texts with the unit; switches by name; short buffers terminated.
  CHECK(params->value_to_text(pl, kInGainId, -3.5, text, sizeof(text)) && std::string(text) == "-3.50 dB");
  CHECK(params->value_to_text(pl, kMixId, 40.0, text, sizeof(text)) && std::string(text) == "40 %");
  CHECK(params->value_to_text(pl, kHPONId, 0.0, text, sizeof(text)) && std::string(text) == "off");
  CHECK(params->text_to_value(pl, kHPONId, "on", &v) && v == 1.0);
  CHECK(params->text_to_value(pl, kLowFreqId, "440 Hz", &v) && v == 440.0);
  CHECK(params->text_to_value(pl, kLowFreqId, "99999", &v) && v == 2500.0);  // clamped
  CHECK(!params->text_to_value(pl, kLowFreqId, "loud", &v));
  CHECK(!params->text_to_value(pl, kLowFreqId, "440 dB", &v));
  CHECK(!params->text_to_value(pl, kLowFreqId, "nan", &v));
  CHECK(params->value_to_text(pl, kInGainId, -3.5, text, 4) && std::strlen(text) == 3);
  // Values no parameter holds still give a text, without a number that overflows.
  CHECK(params->value_to_text(pl, kHPONId, 1e300, text, sizeof(text)) && text[0] != 0);
  CHECK(!params->value_to_text(pl, kInGainId, std::nan(""), text, sizeof(text)));
}

// Parameter events inside a block take effect at their sample.
void SampleAccurateEvents() {
  gGroup = "automation";
  std::string error;
  // Identity: events that change nothing split the block without changing
  // the output, which stays sample for sample the offline binding's dry path.
  auto p = NewPlugin();
  auto off = NewOffline();
  if (!p || !p->Prepare(kRate, 512, 2, &error)) {
    CHECK(false);
    return;
  }
  p->SetParamPlain(kMixId, 0.0);
  off->SetParameterValue(kMixId, 0.0);
  RunClap(*p, kLeadIn, 0);
  RunOffline(*off, kLeadIn, 0);
  for (uint32_t t : {1u, 100u, 333u, 511u}) p->PendingEvents().AddParamValue(kMixId, 0.0, t);
  CHECK(Same(RunClap(*p, 512, kLeadIn), RunOffline(*off, 512, kLeadIn)));

  // The same mix change at sample 200 in one of two otherwise equal runs: the
  // outputs agree up to sample 199 and part at sample 200.
  auto a = NewPlugin(), b = NewPlugin();
  if (!a || !b || !a->Prepare(kRate, 512, 2, &error) || !b->Prepare(kRate, 512, 2, &error)) {
    CHECK(false);
    return;
  }
  for (ClapPlugin* x : {a.get(), b.get()}) {
    x->SetParamPlain(kMixId, 0.0);
    RunClap(*x, kLeadIn, 0);
  }
  b->PendingEvents().AddParamValue(kMixId, 100.0, 200);
  const Signal ya = RunClap(*a, 512, kLeadIn), yb = RunClap(*b, 512, kLeadIn);
  bool equalBefore = true;
  for (int i = 0; i < 200; ++i) equalBefore = equalBefore && ya.l[i] == yb.l[i] && ya.r[i] == yb.r[i];
  CHECK(equalBefore);
  CHECK(ya.l[200] != yb.l[200] && ya.r[200] != yb.r[200]);
  double mixNow = 0.0;
  CHECK(b->GetParamPlain(kMixId, &mixNow) && mixNow == 100.0);

  // 32-bit host buffers through the same split path equal the offline 32-bit path.
  auto q = NewPlugin();
  auto off32 = NewOffline();
  if (!q || !q->Prepare(kRate, 512, 2, &error)) {
    CHECK(false);
    return;
  }
  q->SetParamPlain(kMixId, 0.0);
  off32->SetParameterValue(kMixId, 0.0);
  RunClap(*q, kLeadIn, 0);
  RunOffline(*off32, kLeadIn, 0);
  Signal in(512, kLeadIn);
  std::vector<float> il(in.l.begin(), in.l.end()), ir(in.r.begin(), in.r.end());
  std::vector<float> ql(512), qr(512), ol(512), orr(512);
  float* qin[2] = {il.data(), ir.data()};
  float* qout[2] = {ql.data(), qr.data()};
  float* oout[2] = {ol.data(), orr.data()};
  clap_audio_buffer_t inBuf{qin, nullptr, 2, 0, 0}, outBuf{qout, nullptr, 2, 0, 0};
  ClapInputEvents events;
  events.AddParamValue(kMixId, 0.0, 300);
  ClapOutputEvents sink;
  clap_process_t proc{};
  proc.frames_count = 512;
  proc.audio_inputs = &inBuf;
  proc.audio_outputs = &outBuf;
  proc.audio_inputs_count = proc.audio_outputs_count = 1;
  proc.in_events = events.List();
  proc.out_events = sink.List();
  q->Host().EnterAudio();
  CHECK(q->Plugin()->process(q->Plugin(), &proc) == CLAP_PROCESS_CONTINUE);
  q->Host().LeaveAudio();
  off32->ProcessFloat32(qin, oout, 512);
  CHECK(ql == ol && qr == orr);
}

// Values a host must not be able to push into the DSP.
void EventsClamped() {
  gGroup = "clamping";
  std::string error;
  auto p = NewPlugin();
  if (!p || !p->Prepare(kRate, 256, 2, &error)) {
    CHECK(false);
    return;
  }
  const double inf = std::numeric_limits<double>::infinity();
  auto valueAfter = [&](clap_id id, double sent) {
    p->PendingEvents().AddParamValue(id, sent, 10);
    const Signal y = RunClap(*p, 256, 0);
    bool finite = true;
    for (int i = 0; i < 256; ++i) finite = finite && std::isfinite(y.l[i]) && std::isfinite(y.r[i]);
    CHECK(finite);
    double v = -12345.0;
    p->GetParamPlain(id, &v);
    return v;
  };
  CHECK(valueAfter(kInGainId, 3.0) == 3.0);
  CHECK(valueAfter(kInGainId, std::nan("")) == 3.0);  // ignored, not the default
  CHECK(valueAfter(kInGainId, inf) == 3.0);
  CHECK(valueAfter(kInGainId, 1e300) == 12.0);
  CHECK(valueAfter(kInGainId, -1e300) == -12.0);
  CHECK(valueAfter(kLowFreqId, -inf) == 175.0);
  CHECK(valueAfter(kHPQId, 1.4) == 1.0);          // a choice lands on its nearest step
  CHECK(valueAfter(kHPRollOffId, 1e9) == 4.0);
  CHECK(valueAfter(k3BandId, 0.2) == 0.0);

  // Events the plug-in must not read past or act on: too short for a value
  // event, another event space, an unknown id, a time beyond the block.
  double before = 0.0;
  p->GetParamPlain(kInGainId, &before);
  clap_event_param_value_t ev{};
  ev.header = {sizeof(clap_event_header_t) + 4, 0, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
  ev.param_id = kInGainId;
  ev.value = 1.0;
  p->PendingEvents().AddRaw(&ev.header);
  ev.header.size = sizeof(ev);
  ev.header.space_id = 0x4242;
  p->PendingEvents().AddRaw(&ev.header);
  p->PendingEvents().AddParamValue(999, 1.0, 0);
  RunClap(*p, 64, 0);
  double after = 0.0;
  CHECK(p->GetParamPlain(kInGainId, &after) && after == before);
  p->PendingEvents().AddParamValue(kInGainId, -2.0, 100000);
  RunClap(*p, 64, 0);
  CHECK(p->GetParamPlain(kInGainId, &after) && after == -2.0);
}

void ProcessBeforeActivate() {
  gGroup = "lifecycle";
  auto p = NewPlugin();
  if (!p) {
    CHECK(false);
    return;
  }
  Signal in(64), out(64);
  for (double& s : out.l) s = 7.0;
  double* ins[2] = {in.l.data(), in.r.data()};
  double* outs[2] = {out.l.data(), out.r.data()};
  clap_audio_buffer_t inBuf{nullptr, ins, 2, 0, 0}, outBuf{nullptr, outs, 2, 0, 0};
  clap_process_t proc{};
  proc.frames_count = 64;
  proc.audio_inputs = &inBuf;
  proc.audio_outputs = &outBuf;
  proc.audio_inputs_count = proc.audio_outputs_count = 1;
  auto run = [&]() {
    p->Host().EnterAudio();
    const clap_process_status s = p->Plugin()->process(p->Plugin(), &proc);
    p->Host().LeaveAudio();
    return s;
  };
  CHECK(run() == CLAP_PROCESS_ERROR);
  CHECK(out.l[0] == 7.0 && out.l[63] == 7.0);  // the host's buffer untouched
  CHECK(!p->Plugin()->activate(p->Plugin(), std::nan(""), 1, 64));
  CHECK(!p->Plugin()->activate(p->Plugin(), kRate, 1, 0));
  std::string error;
  CHECK(p->Prepare(kRate, 64, 2, &error));
  CHECK(run() == CLAP_PROCESS_CONTINUE);
  CHECK(out.l[0] != 7.0);
  CHECK(!p->Plugin()->activate(p->Plugin(), kRate, 1, 64));  // already active
  p->Deactivate();
  out.l[0] = 7.0;
  CHECK(run() == CLAP_PROCESS_ERROR && out.l[0] == 7.0);
}

void StateRoundTripAndRefusals() {
  gGroup = "state";
  auto p = NewPlugin();
  if (!p) {
    CHECK(false);
    return;
  }
  p->SetParamPlain(kInGainId, -4.25);
  p->SetParamPlain(kLowFreqId, 321.0);
  p->SetParamPlain(kHPQId, 2.0);
  p->SetParamPlain(kBypassId, 1.0);
  std::vector<uint8_t> saved;
  CHECK(p->SaveState(&saved));
  CHECK(saved.size() == 8 + 160 + 4);
  const uint8_t header[8] = {0x74, 0x66, 0x66, 0x70, 0x00, 0x00, 0x01, 0x00};
  CHECK(saved.size() >= 8 && std::memcmp(saved.data(), header, 8) == 0);
  double in0 = 0.0;
  if (saved.size() >= 16) std::memcpy(&in0, saved.data() + 8, 8);  // little-endian host
  CHECK(in0 == -4.25);
  const std::vector<double> want = Values(*p);

  // Into a fresh instance, the stream handing out 1, 3 or all bytes per read.
  for (int piece : {1, 3, 0}) {
    auto q = NewPlugin();
    CHECK(q && q->LoadState(saved, piece));
    if (q) CHECK(Values(*q) == want);
  }

  // Damaged states are refused whole: values and the saved bytes stay as they were.
  auto q = NewPlugin();
  if (!q) return;
  q->SetParamPlain(kMixId, 55.0);
  const std::vector<double> keep = Values(*q);
  std::vector<uint8_t> keepBytes;
  q->SaveState(&keepBytes);
  std::vector<std::vector<uint8_t>> bad;
  bad.push_back({});
  bad.push_back(std::vector<uint8_t>(saved.begin(), saved.end() - 1));        // short by one byte
  bad.push_back(std::vector<uint8_t>(saved.begin(), saved.begin() + 88));     // half the block
  bad.push_back(saved);
  bad.back().push_back(0);                                                    // one byte too many
  bad.push_back(saved);
  bad.back()[0] = 0x75;                                                       // not our magic
  bad.push_back(saved);
  bad.back()[6] = 0x02;                                                       // a later layout
  bad.push_back(saved);
  const double nan = std::nan("");
  std::memcpy(bad.back().data() + 8 + 8 * 3, &nan, 8);                        // a value that is no number
  bad.push_back(std::vector<uint8_t>(saved.begin() + 8, saved.end()));        // the VST3 bytes, no header
  for (size_t i = 0; i < bad.size(); ++i) {
    CHECK(!q->LoadState(bad[i], 5));
    CHECK(Values(*q) == keep);
  }
  // A stream that fails midway.
  ClapMemoryStream failing(saved);
  failing.FailAfter(100);
  const auto* state = q->Extension<clap_plugin_state_t>(CLAP_EXT_STATE);
  CHECK(state && !state->load(q->Plugin(), failing.In()));
  std::vector<uint8_t> after;
  CHECK(q->SaveState(&after) && after == keepBytes);
}

// With the high-pass off and the mix at 0 the output is the input, late by
// exactly the latency the module reports.
void DryPathLateByTheReportedLatency() {
  gGroup = "latency";
  std::string error;
  auto p = NewPlugin();
  if (!p || !p->Prepare(kRate, 512, 2, &error)) {
    CHECK(false);
    return;
  }
  const auto* latency = p->Extension<clap_plugin_latency_t>(CLAP_EXT_LATENCY);
  const int delay = latency ? static_cast<int>(latency->get(p->Plugin())) : -1;
  CHECK(delay == 31);
  p->SetParamPlain(kMixId, 0.0);
  p->SetParamPlain(kHPONId, 0.0);
  RunClap(*p, kLeadIn, 0);
  const Signal in(512, kLeadIn - delay), out = RunClap(*p, 512, kLeadIn);
  double worst = 0.0;
  for (int i = 0; i < 512; ++i)
    worst = std::fmax(worst, std::fmax(std::fabs(out.l[i] - in.l[i]), std::fabs(out.r[i] - in.r[i])));
  CHECK(worst < 1e-12);
}

// The dry and bypassed paths through the module are the offline binding's,
// sample for sample, in stereo and in the mono configuration.
void SameAsOffline() {
  gGroup = "offline";
  std::string error;
  for (int channels : {2, 1}) {
    for (clap_id id : {kMixId, kBypassId}) {
      const double value = id == kMixId ? 0.0 : 1.0;
      auto p = NewPlugin();
      auto off = NewOffline(channels);
      if (!p || !p->Prepare(kRate, 256, channels, &error)) {
    CHECK(false);
    return;
  }
      p->SetParamNormalized(static_cast<int>(id), value);
      off->SetParameterNormalized(static_cast<int>(id), value);
      bool same = true;
      int start = 0;
      for (int block = 0; block < 120; ++block, start += 256) {
        const Signal a = RunClap(*p, 256, start), b = RunOffline(*off, 256, start);
        if (start < kLeadIn) continue;
        same = same && a.l == b.l && (channels == 1 || a.r == b.r);
      }
      if (!same) std::printf("  %d channel(s), param %u\n", channels, id);
      CHECK(same);
    }
  }
}
}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::printf("usage: %s <Velto.clap>\n0 passed, 1 failed\n", argv[0]);
    return 2;
  }
  std::string error;
  gModule = ClapModule::Load(argv[1], &error);
  gGroup = "module";
  CHECK(gModule != nullptr);
  if (!gModule) {
    std::printf("%s\n", error.c_str());
  } else {
    CHECK(gModule->Symbol("clap_entry") != nullptr);
    EntryFactoryAndDescriptor();
    ExtensionsAndPorts();
    ParameterListAndTexts();
    SampleAccurateEvents();
    EventsClamped();
    ProcessBeforeActivate();
    StateRoundTripAndRefusals();
    DryPathLateByTheReportedLatency();
    SameAsOffline();
    gModule.reset();
  }
  std::printf("%d passed, %d failed\n", gPassed, gFailed);
  return gFailed == 0 ? 0 : 1;
}
