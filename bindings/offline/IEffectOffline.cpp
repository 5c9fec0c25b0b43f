#include "IEffectOffline.h"

#include <cmath>

IEffectOffline::IEffectOffline(InstanceInfo, int paramCount, const char* channelIOString,
                               int presetCount, const char* effectName, const char* productName,
                               const char* makerName, int version, int uniqueId, int makerId,
                               int latency)
    : IEffectBase(paramCount, channelIOString, presetCount, effectName, productName, makerName,
                  version, uniqueId, makerId, latency, /*api*/ 2) {
  SetInputConnections(0, NumInputs(), true);
  SetOutputConnections(0, NumOutputs(), true);
  SetBlockSize(512);
  transport_.tempo = 120.0;
}

void IEffectOffline::Prepare(double sampleRate, int blockSize) {
  IEffectLock lock(Mutex());
  SetSampleRate(sampleRate);
  SetBlockSize(blockSize);
  Reset();
  NotifyAllParamsChanged();
}

bool IEffectOffline::SetChannels(int channels) {
  if (!LegalIO(channels, channels)) return false;
  IEffectLock lock(Mutex());
  channels_ = channels;
  SetInputConnections(0, NumInputs(), false);
  SetOutputConnections(0, NumOutputs(), false);
  SetInputConnections(0, channels, true);
  SetOutputConnections(0, channels, true);
  return true;
}

void IEffectOffline::SetParameterNormalized(int idx, double normalized) {
  IEffectLock lock(Mutex());
  IEffectParam* param = GetParam(idx);
  if (!param) return;
  param->SetFromNormalized(normalized);
  if (GetGUI()) GetGUI()->ShowParameterValue(idx, param->ToNormalized(), true);
  ParamChanged(idx);
}

bool IEffectOffline::SetParameterValue(int idx, double plain) {
  IEffectLock lock(Mutex());
  IEffectParam* param = GetParam(idx);
  if (!param || !std::isfinite(plain)) return false;
  param->SetValue(plain);
  if (GetGUI()) GetGUI()->ShowParameterValue(idx, param->Value(), false);
  ParamChanged(idx);
  return true;
}

void IEffectOffline::Process(double** inputs, double** outputs, int frames) {
  IEffectLock lock(Mutex());
  AttachInputs(0, channels_, inputs);
  AttachOutputs(0, channels_, outputs);
  RunBlock(frames);
  transport_.samplePos += frames > 0 ? frames : 0;
}

void IEffectOffline::ProcessFloat32(float** inputs, float** outputs, int frames) {
  IEffectLock lock(Mutex());
  AttachInputs(0, channels_, inputs, frames);
  AttachOutputs(0, channels_, outputs);
  RunBlockReplacing32(frames);
  transport_.samplePos += frames > 0 ? frames : 0;
}

void IEffectOffline::BeginParamEdit(int idx) { events_.push_back({HostEvent::kBeginEdit, idx, 0.0}); }
void IEffectOffline::SendParamToHost(int idx, double normalized) {
  events_.push_back({HostEvent::kAutomate, idx, normalized});
}
void IEffectOffline::EndParamEdit(int idx) { events_.push_back({HostEvent::kEndEdit, idx, 0.0}); }
void IEffectOffline::SendPresetChangeToHost() { events_.push_back({HostEvent::kPresetChange, -1, 0.0}); }

int IEffectOffline::SamplePosition() { return static_cast<int>(transport_.samplePos); }

void IEffectOffline::TimeSignature(int* numerator, int* denominator) {
  if (numerator) *numerator = transport_.numerator;
  if (denominator) *denominator = transport_.denominator;
}

void IEffectOffline::TransportTime(ITimeInfo* info) {
  if (info) *info = transport_;
}
