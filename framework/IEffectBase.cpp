#include "IEffectBase.h"

#include <algorithm>
#include <cmath>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "Trace.h"

// ---------------------------------------------------------------------------
// LatencyDelayLine

LatencyDelayLine::LatencyDelayLine(int inputChannels, int outputChannels, int delay)
    : inputChannels_(std::max(inputChannels, 0)), outputChannels_(std::max(outputChannels, 0)) {
  SetDelay(delay);
}

void LatencyDelayLine::SetDelay(int delay) {
  delay_ = std::max(delay, 0);
  buffer_.assign(static_cast<size_t>(inputChannels_) * delay_, 0.0);
  writeIndex_ = 0;
}

void LatencyDelayLine::Process(double** inputs, double** outputs, int frames) {
  const int channels = std::min(inputChannels_, outputChannels_);
  if (delay_ <= 0) {
    for (int c = 0; c < channels; ++c)
      if (inputs[c] != outputs[c]) std::memmove(outputs[c], inputs[c], sizeof(double) * std::max(frames, 0));
    return;
  }
  for (int i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) {
      double& ring = buffer_[static_cast<size_t>(c) * delay_ + writeIndex_];
      const double in = inputs[c][i];  // read before writing: the blocks may be the same
      outputs[c][i] = ring;
      ring = in;
    }
    if (++writeIndex_ >= delay_) writeIndex_ = 0;
  }
}

// ---------------------------------------------------------------------------
// Construction

IEffectBase::IEffectBase(int paramCount, const char* channelIOString, int presetCount,
                         const char* effectName, const char* productName, const char* makerName,
                         int version, int uniqueId, int makerId, int latency, int api)
    : uniqueId_(uniqueId), makerId_(makerId), version_(version), api_(api), latency_(latency) {
  storedParamCount_ = std::max(paramCount, 0);
  for (int i = 0; i < paramCount; ++i) params_.push_back(std::make_unique<IEffectParam>());
  for (int i = 0; i < presetCount; ++i) {
    presets_.push_back(std::make_unique<PresetSlot>());
    // Room for a whole parameter block (and one appended object), so storing
    // the current values into a slot never allocates: hosts may switch
    // programs from the audio thread.
    presets_.back()->state.Reserve(8 * (paramCount + 1));
  }
  CopyText(effectName_, effectName, sizeof effectName_);
  CopyText(productName_, productName, sizeof productName_);
  CopyText(makerName_, makerName, sizeof makerName_);

  ParseIOString(channelIOString);

  char stamp[64];
  TraceTimeStamp(stamp, sizeof stamp);
  VELTO_TRACE("IEffectBase::IEffectBase", "%s:%s", effectName_, stamp);
}

void IEffectBase::ParseIOString(const char* channelIOString) {
  int maxIn = 0, maxOut = 0;
  const char* p = channelIOString ? channelIOString : "";
  while (true) {
    IOConfig config;
    // A configuration that does not parse leaves zeros for the missing numbers.
    std::sscanf(p, "%d-%d", &config.inputs, &config.outputs);
    config.inputs = std::max(config.inputs, 0);
    config.outputs = std::max(config.outputs, 0);
    ioConfigs_.push_back(config);
    maxIn = std::max(maxIn, config.inputs);
    maxOut = std::max(maxOut, config.outputs);
    const char* space = std::strchr(p, ' ');
    if (!space) break;
    p = space + 1;
  }
  inputPtrs_.assign(maxIn, nullptr);
  outputPtrs_.assign(maxOut, nullptr);
  inputs_.resize(maxIn);
  outputs_.resize(maxOut);
  for (int i = 0; i < maxIn; ++i) inputs_[i].slot = &inputPtrs_[i];
  for (int i = 0; i < maxOut; ++i) outputs_[i].slot = &outputPtrs_[i];
  PointSlotsAtScratch();
}

IEffectBase::~IEffectBase() { DestroyEditor(); }

void IEffectBase::DestroyEditor() { editor_.reset(); }

// ---------------------------------------------------------------------------
// Default virtual operations

void IEffectBase::Reset() { IEffectLock lock(lock_); }

void IEffectBase::ParamChanged(int) { IEffectLock lock(lock_); }

void IEffectBase::Activate(bool) { IEffectLock lock(lock_); }

namespace {
// Output k copies input k; outputs without an input are zeroed.
template <typename Sample>
void PassThrough(Sample** inputs, Sample** outputs, int numInputs, int numOutputs, int frames) {
  if (frames <= 0) return;
  for (int k = 0; k < numOutputs; ++k) {
    if (!outputs[k]) continue;
    if (k < numInputs && inputs[k]) {
      if (outputs[k] != inputs[k]) std::memmove(outputs[k], inputs[k], sizeof(Sample) * frames);
    } else {
      std::fill(outputs[k], outputs[k] + frames, Sample(0));
    }
  }
}
}  // namespace

void IEffectBase::ProcessDouble(double** inputs, double** outputs, int frames) {
  PassThrough(inputs, outputs, NumInputs(), NumOutputs(), frames);
}

void IEffectBase::ProcessFloat(float** inputs, float** outputs, int frames) {
  PassThrough(inputs, outputs, NumInputs(), NumOutputs(), frames);
}

bool IEffectBase::NoteName(int, char* text) {
  if (text) text[0] = '\0';
  return false;
}

bool IEffectBase::StateMatches(const double* values, int startIndex) const {
  if (!values || startIndex < 0) return false;
  for (int i = 0; i < NumParams(); ++i) {
    const float a = static_cast<float>(params_[i]->Value());
    const float b = static_cast<float>(values[startIndex + i]);
    if (!(std::fabs(a - b) < 0.00001f)) return false;
  }
  return true;
}

void IEffectBase::SetParamFromEditor(int paramIdx, double normalized) {
  IEffectLock lock(lock_);
  IEffectParam* param = GetParam(paramIdx);
  if (!param) return;
  param->SetFromNormalized(normalized);
  SendParamToHost(paramIdx, normalized);
  ParamChanged(paramIdx);
}

void IEffectBase::AttachEditor(IEditorLink* editor) {
  if (!editor) return;
  IEffectLock lock(lock_);
  for (int i = 0; i < NumParams(); ++i) editor->ShowParameterValue(i, params_[i]->ToNormalized(), true);
  editor->PrepDraw();
  editor_.reset(editor);
}

void IEffectBase::RefreshParamControls() {
  if (!editor_) return;
  for (int i = 0; i < NumParams(); ++i) editor_->ShowParameterValue(i, params_[i]->Value(), false);
}

void IEffectBase::SetLatency(int samples) {
  latency_ = std::max(samples, 0);
  if (delayLine_) delayLine_->SetDelay(latency_);
}

void IEffectBase::CreateDelayLine() {
  delayLine_ = std::make_unique<LatencyDelayLine>(NumInputs(), NumOutputs(), latency_);
}

void IEffectBase::SetBlockSize(int frames) {
  frames = std::clamp(frames, 0, kMaxBlockSize);
  if (frames == blockSize_) return;
  for (InputChannel& in : inputs_) in.scratch.assign(frames, 0.0);
  for (OutputChannel& out : outputs_) out.scratch.assign(frames, 0.0);
  blockSize_ = frames;
  // The scratch storage moved: channels that read or write scratch follow it.
  PointSlotsAtScratch();
}

void IEffectBase::PointSlotsAtScratch() {
  for (InputChannel& in : inputs_) {
    in.hostBlock = nullptr;
    in.hostFloatBlock = nullptr;
    in.convertedFrames = 0;
    *in.slot = in.scratch.data();
  }
  for (OutputChannel& out : outputs_) {
    out.hostBlock = nullptr;
    out.floatDest = nullptr;
    *out.slot = out.scratch.data();
  }
}

// ---------------------------------------------------------------------------
// Parameters

IEffectParam* IEffectBase::GetParam(int idx) {
  return idx >= 0 && idx < NumParams() ? params_[idx].get() : nullptr;
}

const IEffectParam* IEffectBase::GetParam(int idx) const {
  return idx >= 0 && idx < NumParams() ? params_[idx].get() : nullptr;
}

void IEffectBase::NotifyAllParamsChanged() {
  for (int i = 0; i < NumParams(); ++i) ParamChanged(i);
}

void IEffectBase::SetStoredParamCount(int count) {
  storedParamCount_ = std::clamp(count, 0, NumParams());
}

void IEffectBase::AppendParam() { params_.push_back(std::make_unique<IEffectParam>()); }

// ---------------------------------------------------------------------------
// Channels

const IOConfig* IEffectBase::GetIOConfig(int i) const {
  return i >= 0 && i < NumIOConfigs() ? &ioConfigs_[i] : nullptr;
}

bool IEffectBase::LegalIO(int inputs, int outputs) const {
  bool legal = false;
  for (const IOConfig& config : ioConfigs_) {
    if ((inputs < 0 || inputs == config.inputs) && (outputs < 0 || outputs == config.outputs)) {
      legal = true;
      break;
    }
  }
  VELTO_TRACE("IEffectBase::LegalIO", "%d:%d:%s", inputs, outputs, legal ? "legal" : "illegal");
  return legal;
}

void IEffectBase::LimitToStereoIO() {
  if (NumInputs() > 2) SetInputConnections(2, NumInputs() - 2, false);
  if (NumOutputs() > 2) SetOutputConnections(2, NumOutputs() - 2, true);
}

bool IEffectBase::IsInputConnected(int ch) const {
  return ch >= 0 && ch < NumInputs() && inputs_[ch].connected;
}

bool IEffectBase::IsOutputConnected(int ch) const {
  return ch >= 0 && ch < NumOutputs() && outputs_[ch].connected;
}

void IEffectBase::SetInputConnections(int first, int count, bool connected) {
  const int last = std::min(NumInputs(), first + std::max(count, 0));
  for (int i = std::max(first, 0); i < last; ++i) {
    InputChannel& in = inputs_[i];
    if (!connected && in.connected) {
      // Silence from now on, not whatever the last converted block left.
      std::fill(in.scratch.begin(), in.scratch.end(), 0.0);
    }
    in.connected = connected;
    if (!connected) {
      in.hostBlock = nullptr;
      in.hostFloatBlock = nullptr;
      *in.slot = in.scratch.data();
    }
  }
}

void IEffectBase::SetOutputConnections(int first, int count, bool connected) {
  const int last = std::min(NumOutputs(), first + std::max(count, 0));
  for (int i = std::max(first, 0); i < last; ++i) {
    OutputChannel& out = outputs_[i];
    out.connected = connected;
    if (!connected) {
      out.hostBlock = nullptr;
      out.floatDest = nullptr;
      *out.slot = out.scratch.data();
    }
  }
}

// ---------------------------------------------------------------------------
// Host facts

namespace {
struct HostName {
  const char* text;
  int id;
};
// Searched in this order; the first hit decides.
constexpr HostName kHostNames[] = {
    {"cubase", 3},      {"reaper", 1},     {"nuendo", 4},     {"cakewalk", 5},
    {"samplitude", 8},  {"fruity", 7},     {"live", 9},       {"melodyne", 12},
    {"vstmanlib", 13},  {"aulab", 14},     {"garageband", 22}, {"forte", 15},
    {"chainer", 16},    {"audition", 17},  {"orion", 18},     {"sawstudio", 20},
    {"logic", 21},      {"digital", 23},   {"audiomulch", 25}, {"presonus", 26},
    {"vst3plugintesthost", 27}, {"protools", 2}, {"ardour", 28}, {"standalone", 24},
};
}  // namespace

int IEffectBase::LookUpHost(const char* name) {
  char lower[256];
  int n = 0;
  if (name) {
    for (; n < 255 && name[n]; ++n) lower[n] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[n])));
  }
  lower[n] = '\0';
  for (const HostName& entry : kHostNames)
    if (std::strstr(lower, entry.text)) return entry.id;
  return 0;
}

void IEffectBase::SetHost(const char* hostName, int hostVersion) {
  host_ = LookUpHost(hostName);
  hostVersion_ = hostVersion;
  VELTO_TRACE("IEffectBase::SetHost", "host_%sknown:%s:v%d.%d.%d", host_ == 0 ? "un" : "",
              hostName ? hostName : "", (hostVersion >> 16) & 0xFFFF, (hostVersion >> 8) & 0xFF,
              hostVersion & 0xFF);
}

void IEffectBase::SetSampleRate(double rate) {
  if (rate > 0.0 && rate < 1e7) sampleRate_ = rate;  // also rejects NaN
}

// ---------------------------------------------------------------------------
// Processing entry

void IEffectBase::AttachInputs(int first, int count, double** blocks) {
  if (!blocks) return;
  const int last = std::min(NumInputs(), first + std::max(count, 0));
  int next = 0;
  for (int i = std::max(first, 0); i < last; ++i) {
    InputChannel& in = inputs_[i];
    if (!in.connected) continue;
    in.hostFloatBlock = nullptr;
    in.hostBlock = blocks[next++];
    *in.slot = in.hostBlock ? const_cast<double*>(in.hostBlock) : in.scratch.data();
  }
}

void IEffectBase::AttachInputs(int first, int count, float** blocks, int frames) {
  if (!blocks) return;
  const int last = std::min(NumInputs(), first + std::max(count, 0));
  int next = 0;
  for (int i = std::max(first, 0); i < last; ++i) {
    InputChannel& in = inputs_[i];
    if (!in.connected) continue;
    in.hostBlock = nullptr;
    in.hostFloatBlock = blocks[next++];
    // Only what fits the scratch buffer now; longer blocks convert piece by piece.
    const int n = std::clamp(frames, 0, blockSize_);
    in.convertedFrames = in.hostFloatBlock ? n : 0;
    if (in.hostFloatBlock) std::copy(in.hostFloatBlock, in.hostFloatBlock + n, in.scratch.begin());
    *in.slot = in.scratch.data();
  }
}

void IEffectBase::AttachOutputs(int first, int count, double** blocks) {
  if (!blocks) return;
  const int last = std::min(NumOutputs(), first + std::max(count, 0));
  int next = 0;
  for (int i = std::max(first, 0); i < last; ++i) {
    OutputChannel& out = outputs_[i];
    if (!out.connected) continue;
    out.floatDest = nullptr;
    out.hostBlock = blocks[next++];
    *out.slot = out.hostBlock ? out.hostBlock : out.scratch.data();
  }
}

void IEffectBase::AttachOutputs(int first, int count, float** blocks) {
  if (!blocks) return;
  const int last = std::min(NumOutputs(), first + std::max(count, 0));
  int next = 0;
  for (int i = std::max(first, 0); i < last; ++i) {
    OutputChannel& out = outputs_[i];
    if (!out.connected) continue;
    out.hostBlock = nullptr;
    out.floatDest = blocks[next++];
    *out.slot = out.scratch.data();
  }
}

bool IEffectBase::UsesScratch() const {
  for (const InputChannel& in : inputs_)
    if (!in.hostBlock) return true;
  for (const OutputChannel& out : outputs_)
    if (!out.hostBlock) return true;
  return false;
}

void IEffectBase::PreparePiece(int offset, int frames) {
  for (InputChannel& in : inputs_) {
    if (in.hostBlock) {
      *in.slot = const_cast<double*>(in.hostBlock) + offset;
    } else if (in.hostFloatBlock && (offset > 0 || in.convertedFrames < frames)) {
      std::copy(in.hostFloatBlock + offset, in.hostFloatBlock + offset + frames, in.scratch.begin());
      *in.slot = in.scratch.data();
    }
  }
  for (OutputChannel& out : outputs_)
    if (out.hostBlock) *out.slot = out.hostBlock + offset;
}

void IEffectBase::FinishPiece(int offset, int frames, BlockKind kind) {
  if (kind == BlockKind::k64) return;
  for (OutputChannel& out : outputs_) {
    if (!out.connected || !out.floatDest) continue;
    const double* src = *out.slot;
    float* dest = out.floatDest + offset;
    if (kind == BlockKind::kReplace32) {
      for (int i = 0; i < frames; ++i) dest[i] = static_cast<float>(src[i]);
    } else {
      for (int i = 0; i < frames; ++i) dest[i] += static_cast<float>(src[i]);
    }
  }
}

// Runs a block in pieces that fit the scratch buffers. Blocks with every
// channel on a 64-bit host buffer need no scratch and run whole.
void IEffectBase::RunPieces(int frames, BlockKind kind, bool passThrough) {
  auto process = [&](int n) {
    if (passThrough) {
      if (latency_ != 0 && delayLine_)
        delayLine_->Process(inputPtrs_.data(), outputPtrs_.data(), n);
      else
        IEffectBase::ProcessDouble(inputPtrs_.data(), outputPtrs_.data(), n);
    } else {
      ProcessDouble(inputPtrs_.data(), outputPtrs_.data(), n);
    }
  };
  frames = std::max(frames, 0);
  const bool scratch = UsesScratch();
  if (frames == 0 || !scratch || frames <= blockSize_) {
    if (scratch && frames > 0) PreparePiece(0, frames);
    process(frames);
    FinishPiece(0, frames, kind);
  } else if (blockSize_ > 0) {
    for (int done = 0; done < frames;) {
      const int n = std::min(blockSize_, frames - done);
      PreparePiece(done, n);
      process(n);
      FinishPiece(done, n, kind);
      done += n;
    }
  } else {
    // No block size yet, so no scratch to work in: the host hears silence.
    if (kind == BlockKind::kAccumulate32) return;
    for (OutputChannel& out : outputs_) {
      if (out.hostBlock) std::fill(out.hostBlock, out.hostBlock + frames, 0.0);
      if (out.floatDest) std::fill(out.floatDest, out.floatDest + frames, 0.0f);
    }
  }
  // Host blocks are only valid for this call: the next call attaches afresh,
  // and a channel it does not attach falls back to its scratch buffer.
  PointSlotsAtScratch();
}

void IEffectBase::RunBlock(int frames) { RunPieces(frames, BlockKind::k64, false); }
void IEffectBase::RunBlockReplacing32(int frames) { RunPieces(frames, BlockKind::kReplace32, false); }
void IEffectBase::RunBlockAccumulating32(int frames) { RunPieces(frames, BlockKind::kAccumulate32, false); }
void IEffectBase::PassThroughBlock(int frames) { RunPieces(frames, BlockKind::k64, true); }
void IEffectBase::PassThroughBlock32(int frames) { RunPieces(frames, BlockKind::kReplace32, true); }

void IEffectBase::ZeroScratchBuffers() {
  for (InputChannel& in : inputs_) std::fill(in.scratch.begin(), in.scratch.end(), 0.0);
  for (OutputChannel& out : outputs_) std::fill(out.scratch.begin(), out.scratch.end(), 0.0);
}
