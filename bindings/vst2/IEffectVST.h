#pragma once
// The VST2 binding: one plug-in object is plug-in, framework and binding at
// once. It owns the AEffect record the host sees, turns every dispatcher
// opcode, parameter call and process call into framework operations, and
// answers the framework's host-facing operations with host callback calls.
//
// Threads: hosts call the dispatcher, the parameter calls and the three
// process calls from any thread. Every entry point takes the plug-in lock
// (Mutex()) for the whole call, so they are serialised against each other
// and against the editor; effClose releases it before the object goes.

#include "IEffectBase.h"
#include "Vst2Interface.h"

class IEffectVST : public IEffectBase {
 public:
  // What VSTPluginMain hands the plug-in constructor.
  struct InstanceInfo {
    vst2::audioMasterCallback hostCallback = nullptr;
  };

  IEffectVST(InstanceInfo info, int paramCount, const char* channelIOString, int presetCount,
             const char* effectName, const char* productName, const char* makerName, int version,
             int uniqueId, int makerId, int latency);

  // The record returned to the host; lives as long as the object.
  vst2::AEffect* GetAEffect() { return &aeffect_; }

  // ---- Framework host-facing operations, answered through the host callback ----
  void BeginParamEdit(int paramIdx) override;
  void SendParamToHost(int paramIdx, double normalized) override;
  void EndParamEdit(int paramIdx) override;
  void SendPresetChangeToHost() override;
  bool IsOfflineRender() override;
  int SamplePosition() override;
  double Tempo() override;
  void TimeSignature(int* numerator, int* denominator) override;
  void TransportTime(ITimeInfo* info) override;
  int GetHostId() override;
  void ResizeEditor(int width, int height) override;
  void InitForHost() override;  // once per object, from effOpen
  void AttachEditor(IEditorLink* editor) override;
  void SetLatency(int samples) override;
  bool SendMidiMessage(const IMidiMsg& msg) override;
  bool SendSysExMessage(const ISysEx& msg) override;

  // Host extension bits recorded by effCanDo: 1 "hasVendorExtensions",
  // 2 "hasVendorViewAsConfig".
  int HostExtensions() const { return hostExtensions_; }

  // effSetChunk refuses byte counts above this (a bank of this plug-in is
  // below 10 kB; a count this large is a host fault).
  static constexpr int kMaxChunkBytes = 1 << 24;

 private:
  // AEffect entry points: find the object, take the lock, forward.
  static vst2::VstIntPtr VSTCALLBACK VSTDispatcher(vst2::AEffect* effect, vst2::VstInt32 opcode,
                                                   vst2::VstInt32 index, vst2::VstIntPtr value,
                                                   void* ptr, float opt);
  static void VSTCALLBACK VSTProcessFloats(vst2::AEffect* effect, float** inputs, float** outputs,
                                           vst2::VstInt32 frames);
  static void VSTCALLBACK VSTProcessAccumulate(vst2::AEffect* effect, float** inputs, float** outputs,
                                               vst2::VstInt32 frames);
  static void VSTCALLBACK VSTProcessDoubles(vst2::AEffect* effect, double** inputs, double** outputs,
                                            vst2::VstInt32 frames);
  static void VSTCALLBACK VSTWriteParameter(vst2::AEffect* effect, vst2::VstInt32 index, float value);
  static float VSTCALLBACK VSTReadParameter(vst2::AEffect* effect, vst2::VstInt32 index);
  static IEffectVST* FromEffect(vst2::AEffect* effect);

  // One dispatcher request other than effClose. [lock held]
  vst2::VstIntPtr Dispatch(vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value,
                           void* ptr, float opt);
  vst2::VstIntPtr GetChunk(int index, void** data);
  vst2::VstIntPtr SetChunk(int index, vst2::VstIntPtr size, const void* data);
  vst2::VstIntPtr String2Parameter(int index, const char* text);
  vst2::VstIntPtr PinProperties(int index, vst2::VstPinProperties* pin, bool input) const;
  vst2::VstIntPtr ProcessEvents(const vst2::VstEvents* events);
  vst2::VstIntPtr CanDo(const char* query);
  vst2::VstIntPtr VendorSpecific(int index, vst2::VstIntPtr value, void* ptr, float opt);
  void ConnectChannels(const vst2::VstSpeakerArrangement* arrangement, bool input);
  void ProcessBlock32(float** inputs, float** outputs, int frames, bool accumulate);  // [lock held]

  // Every host call goes through here, with our own AEffect first; 0 when the
  // host gave no callback.
  vst2::VstIntPtr HostCall(vst2::VstInt32 opcode, vst2::VstInt32 index = 0, vst2::VstIntPtr value = 0,
                           void* ptr = nullptr, float opt = 0.0f);
  const vst2::VstTimeInfo* HostTime(vst2::VstInt32 wanted);
  void RefreshEditorRect();
  void UpdateArrangements();

  vst2::ERect editorRect_ = {};  // 0, 0, editor height, editor width once attached
  vst2::audioMasterCallback hostCallback_ = nullptr;
  vst2::VstSpeakerArrangement inputArrangement_ = {};   // eight speaker entries stay zero
  vst2::VstSpeakerArrangement outputArrangement_ = {};
  bool hostInitialized_ = false;
  int hostExtensions_ = 0;
  // What effGetChunk handed out; valid until the next get of the same kind
  // (effSetChunk reads from a copy of its own and leaves these alone).
  StateChunk programChunk_;
  StateChunk bankChunk_;
  vst2::AEffect aeffect_ = {};
};
