#pragma once
// Base class of every plug-in object.
//
// One object per plug-in instance: the plug-in class derives from the binding
// class of its module, and the binding derives from IEffectBase. The base owns
// the parameters, the preset slots, the channel records with their scratch
// buffers, the plug-in lock and the attached editor, and sits between the
// binding (which attaches host buffers and runs blocks) and the plug-in's
// ProcessDouble.
//
// Threads: the host's audio thread runs blocks, its user-interface thread the
// requests, the editor its gestures, other threads may automate parameters.
// All of them meet in one recursive lock (Mutex()); nested acquisition by the
// holder is part of the contract (SetParamFromEditor and UnserializeParams
// hold it while ParamChanged takes it again).

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "EffectTypes.h"
#include "IEffectParam.h"
#include "IEditorLink.h"
#include "PresetSlot.h"
#include "StateChunk.h"

struct IOConfig {
  int inputs = 0;
  int outputs = 0;
};

// Host blocks attached for the current call. A channel reads or writes its own
// scratch buffer when it is unconnected or the host gave no block for it.
struct InputChannel {
  bool connected = false;
  double** slot = nullptr;  // this channel's entry in the input pointer array
  std::vector<double> scratch;
  const double* hostBlock = nullptr;       // 64-bit host block of this call
  const float* hostFloatBlock = nullptr;   // 32-bit host block, converted into scratch
  int convertedFrames = 0;                 // samples of hostFloatBlock already in scratch
};

struct OutputChannel {
  bool connected = false;
  double** slot = nullptr;  // this channel's entry in the output pointer array
  float* floatDest = nullptr;  // 32-bit host block the scratch is converted into
  std::vector<double> scratch;
  double* hostBlock = nullptr;  // 64-bit host block of this call
};

// Delays every input channel that has an output by a whole number of samples,
// for pass-through while bypassed with a latency reported to the host.
class LatencyDelayLine {
 public:
  LatencyDelayLine(int inputChannels, int outputChannels, int delay);
  void SetDelay(int delay);
  int Delay() const { return delay_; }
  // frames samples from inputs to outputs. [audio thread, lock held]
  void Process(double** inputs, double** outputs, int frames);

 private:
  std::vector<double> buffer_;  // inputChannels x delay, channel-major
  int writeIndex_ = 0;
  int inputChannels_ = 0;
  int outputChannels_ = 0;
  int delay_ = 0;
};

class IEffectBase {
 public:
  // The largest block the scratch buffers are sized for; longer host blocks
  // are processed in pieces of at most the block size.
  static constexpr int kMaxBlockSize = 65536;

  IEffectBase(int paramCount, const char* channelIOString, int presetCount, const char* effectName,
              const char* productName, const char* makerName, int version, int uniqueId,
              int makerId, int latency, int api);
  virtual ~IEffectBase();
  IEffectBase(const IEffectBase&) = delete;
  IEffectBase& operator=(const IEffectBase&) = delete;

  // ---- Virtual operations, overridden by the bindings and the plug-in ----
  virtual void Reset();                       // [lock taken]
  virtual void ParamChanged(int paramIdx);    // [lock taken]
  // Default: pass-through; output k copies input k, outputs without an input are zeroed.
  virtual void ProcessDouble(double** inputs, double** outputs, int frames);  // [audio thread, lock held]
  virtual void ProcessFloat(float** inputs, float** outputs, int frames);
  virtual void OnEditorOpen() {}
  virtual void OnEditorClose() {}
  virtual void Activate(bool active);
  virtual void ProcessMidiMessage(const IMidiMsg& msg) { SendMidiMessage(msg); }
  virtual void ProcessSysEx(const ISysEx& /*msg*/) {}
  virtual bool NoteName(int note, char* text);
  virtual bool SaveState(StateChunk& chunk) { return SerializeParams(chunk); }
  virtual int LoadState(const StateChunk& chunk, int pos) { return UnserializeParams(chunk, pos); }
  virtual bool StateMatches(const double* values, int startIndex) const;
  virtual void OnEditorResize() {}
  virtual void OnHostKnown() {}
  virtual void SetParamFromEditor(int paramIdx, double normalized);  // [ui thread]
  // Host-facing operations, supplied by the binding.
  virtual void BeginParamEdit(int paramIdx) = 0;
  virtual void SendParamToHost(int paramIdx, double normalized) = 0;
  virtual void EndParamEdit(int paramIdx) = 0;
  virtual void SendPresetChangeToHost() = 0;
  virtual bool IsOfflineRender() { return false; }
  virtual int SamplePosition() = 0;
  virtual double Tempo() = 0;
  virtual void TimeSignature(int* numerator, int* denominator) = 0;
  virtual void TransportTime(ITimeInfo* info) = 0;
  virtual int GetHostId() { return host_; }
  virtual int PluginApi() const { return api_; }
  virtual void ResizeEditor(int width, int height) = 0;
  virtual void InitForHost() {}
  virtual void AttachEditor(IEditorLink* editor);
  // Shows the host's context menu of a parameter at editor coordinates x, y;
  // only hosts with such a menu do anything. [ui thread]
  virtual void ShowHostParamMenu(int /*paramIdx*/, int /*x*/, int /*y*/) {}
  virtual void SetLatency(int samples);
  virtual bool SendMidiMessage(const IMidiMsg& msg) = 0;
  virtual bool SendSysExMessage(const ISysEx& /*msg*/) { return false; }
  virtual void RefreshParamControls();
  virtual void OnPresetsChanged() {}
  virtual void SetBlockSize(int frames);

  // ---- Parameters ----
  int NumParams() const { return static_cast<int>(params_.size()); }
  IEffectParam* GetParam(int idx);
  const IEffectParam* GetParam(int idx) const;
  void NotifyAllParamsChanged();
  int StoredParamCount() const { return storedParamCount_; }

  // ---- Identity ----
  const char* EffectName() const { return effectName_; }
  const char* ProductName() const { return productName_; }
  const char* MakerName() const { return makerName_; }
  int UniqueId() const { return uniqueId_; }
  int MakerId() const { return makerId_; }
  int Version() const { return version_; }

  // ---- Channels ----
  int NumInputs() const { return static_cast<int>(inputs_.size()); }
  int NumOutputs() const { return static_cast<int>(outputs_.size()); }
  int NumIOConfigs() const { return static_cast<int>(ioConfigs_.size()); }
  const IOConfig* GetIOConfig(int i) const;
  bool LegalIO(int inputs, int outputs) const;
  void LimitToStereoIO();
  bool IsInputConnected(int ch) const;
  bool IsOutputConnected(int ch) const;
  std::vector<std::string>& InputBusLabels() { return inputBusLabels_; }
  std::vector<std::string>& OutputBusLabels() { return outputBusLabels_; }

  // ---- Host facts ----
  void SetHost(const char* hostName, int hostVersion);
  static int LookUpHost(const char* name);
  int HostVersion() const { return hostVersion_; }
  // Rates that are not finite or not positive are ignored.
  void SetSampleRate(double rate);
  double GetSampleRate() const { return sampleRate_; }
  int GetBlockSize() const { return blockSize_; }
  int GetLatency() const { return latency_; }

  // ---- Processing entry, called by the bindings with the lock held ----
  void SetInputConnections(int first, int count, bool connected);
  void SetOutputConnections(int first, int count, bool connected);
  void AttachInputs(int first, int count, double** blocks);
  void AttachInputs(int first, int count, float** blocks, int frames);
  void AttachOutputs(int first, int count, double** blocks);
  void AttachOutputs(int first, int count, float** blocks);
  void RunBlock(int frames);                          // 64-bit
  void RunBlockReplacing32(int frames);               // 32-bit, outputs overwritten
  void RunBlockAccumulating32(int frames);            // 32-bit, outputs added to
  void PassThroughBlock(int frames);                  // 64-bit
  void PassThroughBlock32(int frames);
  void ZeroScratchBuffers();
  double** InputPointers() { return inputPtrs_.data(); }
  double** OutputPointers() { return outputPtrs_.data(); }

  // ---- Presets and state ----
  bool SerializeParams(StateChunk& chunk);
  int UnserializeParams(const StateChunk& chunk, int pos);
  static void WriteChunkHeader(StateChunk& chunk);
  static int ReadChunkHeader(const StateChunk& chunk, int* pos);
  void MakePresetFromCurrentValues(const char* name, int count);
  // pairCount pairs of (int index, value): int values for bool/int/enum
  // parameters, double values for real ones.
  void MakePresetFromNamedParams(const char* name, int pairCount, ...);
  bool LoadPreset(int idx);
  const char* PresetName(int idx) const;
  void ModifyCurrentPreset(const char* newName = nullptr);
  bool SerializePresets(StateChunk& chunk);
  int UnserializePresets(const StateChunk& chunk, int pos);
  int NumPresets() const { return static_cast<int>(presets_.size()); }
  int CurrentPreset() const { return currentPreset_; }
  const PresetSlot* GetPreset(int idx) const;

  // ---- Editor ----
  IEditorLink* GetGUI() const { return editor_.get(); }
  // The editor hosts may open a window of: none while the attached editor
  // has no window layer on this platform.
  IEditorLink* HostEditor() const { return editor_ && editor_->HasWindow() ? editor_.get() : nullptr; }

  std::recursive_mutex& Mutex() const { return lock_; }

  static constexpr int kStateMagic = 0x70666674;  // 'pfft' read big-endian; bytes 74 66 66 70
  static constexpr int kStateVersion = 0x00010000;

 protected:
  // The plug-in lowers the stored count so that trailing parameters stay out
  // of state and presets.
  void SetStoredParamCount(int count);
  // Appends one parameter object that no definition call reaches.
  void AppendParam();
  // Destroys the attached editor; bindings call it before the object goes.
  void DestroyEditor();
  int host_ = -1;
  int hostVersion_ = 0;
  bool hasDelayLine() const { return delayLine_ != nullptr; }
  void CreateDelayLine();
  // Both flags give the capability facts bindings describe to hosts.
  bool isInstrument_ = false;
  bool doesMidi_ = false;
  bool doesStateChunks_ = false;
  bool hasSidechain_ = false;

 private:
  enum class BlockKind { k64, kReplace32, kAccumulate32 };
  void ParseIOString(const char* channelIOString);
  void RunPieces(int frames, BlockKind kind, bool passThrough);
  bool UsesScratch() const;
  void PreparePiece(int offset, int frames);
  void FinishPiece(int offset, int frames, BlockKind kind);
  void PointSlotsAtScratch();
  PresetSlot* FirstFreePreset();

  std::vector<IOConfig> ioConfigs_;
  mutable std::recursive_mutex lock_;
  int storedParamCount_ = 0;
  char effectName_[128] = {};
  char productName_[128] = {};
  char makerName_[128] = {};
  int uniqueId_ = 0;
  int makerId_ = 0;
  int version_ = 0;
  int api_ = 0;
  int currentPreset_ = 0;
  double sampleRate_ = 44100.0;
  int blockSize_ = 0;
  int latency_ = 0;
  std::unique_ptr<LatencyDelayLine> delayLine_;
  std::unique_ptr<IEditorLink> editor_;
  std::vector<std::unique_ptr<IEffectParam>> params_;
  std::vector<std::unique_ptr<PresetSlot>> presets_;
  std::vector<double*> inputPtrs_;
  std::vector<double*> outputPtrs_;
  std::vector<InputChannel> inputs_;
  std::vector<OutputChannel> outputs_;
  std::vector<std::string> inputBusLabels_;
  std::vector<std::string> outputBusLabels_;
};

using IEffectLock = std::lock_guard<std::recursive_mutex>;
