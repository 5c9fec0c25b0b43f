#pragma once
// The VST 3 binding: one object that is audio processor and edit controller at
// once (a single-component effect), and through IEffectBase also the plug-in.
//
// The host sees the parameters 'prst' (preset selector), 'bpas' (host bypass)
// and every framework parameter that has a type, by its framework index. The
// audio side takes parameter changes from the process call's queues (the last
// point of each queue); the controller side answers the host's questions and
// keeps what the host set.
//
// Threads: process runs on the host's audio thread, everything else on its UI
// thread. process, state calls, set-up and parameter writes take the plug-in
// lock; the remaining controller queries read values the UI thread owns.

#include <atomic>
#include <string>
#include <vector>

#include "IEffectBase.h"
#include "Vst3Buses.h"
#include "Vst3Interfaces.h"
#include "Vst3Parameters.h"

class IEffectVST3View;

class IEffectVST3 : public IEffectBase,
                    public vst3::IUnitInfo,
                    public vst3::IComponent,
                    public vst3::IAudioProcessor,
                    public vst3::IEditController,
                    public vst3::IEditController2,
                    public vst3::IConnectionPoint {
 public:
  // What the factory hands to a new instance: nothing so far.
  struct InstanceInfo {};

  static constexpr vst3::ParamID kPresetParamId = 0x70727374;  // 'prst'
  static constexpr vst3::ParamID kBypassParamId = 0x62706173;  // 'bpas'
  static constexpr vst3::ProgramListID kProgramListId = 0x70727374;  // 'prst'

  IEffectVST3(InstanceInfo info, int paramCount, const char* channelIOString, int presetCount,
              const char* effectName, const char* productName, const char* makerName, int version,
              int uniqueId, int makerId, int latency);
  ~IEffectVST3() override;

  // ---- FUnknown (one implementation for every base) [any thread] ----
  vst3::tresult VST3_API queryInterface(const vst3::TUID iid, void** obj) override;
  vst3::uint32 VST3_API addRef() override;
  vst3::uint32 VST3_API release() override;

  // ---- IPluginBase (reached through IComponent and IEditController) [ui thread] ----
  vst3::tresult VST3_API initialize(vst3::FUnknown* context) override;
  vst3::tresult VST3_API terminate() override;

  // ---- IComponent [ui thread] ----
  vst3::tresult VST3_API getControllerClassId(vst3::TUID classId) override;
  vst3::tresult VST3_API setIoMode(vst3::IoMode mode) override;
  vst3::int32 VST3_API getBusCount(vst3::MediaType type, vst3::BusDirection dir) override;
  vst3::tresult VST3_API getBusInfo(vst3::MediaType type, vst3::BusDirection dir, vst3::int32 index,
                                    vst3::BusInfo& bus) override;
  vst3::tresult VST3_API getRoutingInfo(vst3::RoutingInfo& inInfo, vst3::RoutingInfo& outInfo) override;
  vst3::tresult VST3_API activateBus(vst3::MediaType type, vst3::BusDirection dir, vst3::int32 index,
                                     vst3::TBool state) override;
  vst3::tresult VST3_API setActive(vst3::TBool state) override;
  vst3::tresult VST3_API setState(vst3::IBStream* state) override;
  vst3::tresult VST3_API getState(vst3::IBStream* state) override;

  // ---- IAudioProcessor ----
  vst3::tresult VST3_API setBusArrangements(vst3::SpeakerArrangement* inputs, vst3::int32 numIns,
                                            vst3::SpeakerArrangement* outputs,
                                            vst3::int32 numOuts) override;  // [ui thread]
  vst3::tresult VST3_API getBusArrangement(vst3::BusDirection dir, vst3::int32 index,
                                           vst3::SpeakerArrangement& arr) override;
  vst3::tresult VST3_API canProcessSampleSize(vst3::int32 symbolicSampleSize) override;
  vst3::uint32 VST3_API getLatencySamples() override;
  vst3::tresult VST3_API setupProcessing(vst3::ProcessSetup& setup) override;  // [ui thread, lock taken]
  vst3::tresult VST3_API setProcessing(vst3::TBool state) override;
  vst3::tresult VST3_API process(vst3::ProcessData& data) override;  // [audio thread, lock taken]
  vst3::uint32 VST3_API getTailSamples() override;

  // ---- IEditController [ui thread] ----
  vst3::tresult VST3_API setComponentState(vst3::IBStream* state) override;
  vst3::tresult VST3_API setControllerState(vst3::IBStream* state) override;  // [lock taken]
  vst3::tresult VST3_API getControllerState(vst3::IBStream* state) override;  // [lock taken]
  vst3::int32 VST3_API getParameterCount() override;
  vst3::tresult VST3_API getParameterInfo(vst3::int32 paramIndex, vst3::ParameterInfo& info) override;
  vst3::tresult VST3_API getParamStringByValue(vst3::ParamID id, vst3::ParamValue valueNormalized,
                                               vst3::String128 string) override;
  vst3::tresult VST3_API getParamValueByString(vst3::ParamID id, vst3::TChar* string,
                                               vst3::ParamValue& valueNormalized) override;
  vst3::ParamValue VST3_API normalizedParamToPlain(vst3::ParamID id, vst3::ParamValue valueNormalized) override;
  vst3::ParamValue VST3_API plainParamToNormalized(vst3::ParamID id, vst3::ParamValue plainValue) override;
  vst3::ParamValue VST3_API getParamNormalized(vst3::ParamID id) override;
  vst3::tresult VST3_API setParamNormalized(vst3::ParamID id, vst3::ParamValue value) override;  // [lock taken]
  vst3::tresult VST3_API setComponentHandler(vst3::IComponentHandler* handler) override;
  vst3::IPlugView* VST3_API createView(vst3::FIDString name) override;

  // ---- IEditController2 [ui thread] ----
  vst3::tresult VST3_API setKnobMode(vst3::KnobMode mode) override;
  vst3::tresult VST3_API openHelp(vst3::TBool onlyCheck) override;
  vst3::tresult VST3_API openAboutBox(vst3::TBool onlyCheck) override;

  // ---- IConnectionPoint: nothing to exchange, component and controller are one ----
  vst3::tresult VST3_API connect(vst3::IConnectionPoint* other) override;
  vst3::tresult VST3_API disconnect(vst3::IConnectionPoint* other) override;
  vst3::tresult VST3_API notify(vst3::IMessage* message) override;

  // ---- IUnitInfo [ui thread] ----
  vst3::int32 VST3_API getUnitCount() override;
  vst3::tresult VST3_API getUnitInfo(vst3::int32 unitIndex, vst3::UnitInfo& info) override;
  vst3::int32 VST3_API getProgramListCount() override;
  vst3::tresult VST3_API getProgramListInfo(vst3::int32 listIndex, vst3::ProgramListInfo& info) override;
  vst3::tresult VST3_API getProgramName(vst3::ProgramListID listId, vst3::int32 programIndex,
                                        vst3::String128 name) override;
  vst3::tresult VST3_API getProgramInfo(vst3::ProgramListID listId, vst3::int32 programIndex,
                                        vst3::CString attributeId, vst3::String128 attributeValue) override;
  vst3::tresult VST3_API hasProgramPitchNames(vst3::ProgramListID listId, vst3::int32 programIndex) override;
  vst3::tresult VST3_API getProgramPitchName(vst3::ProgramListID listId, vst3::int32 programIndex,
                                             vst3::int16 midiPitch, vst3::String128 name) override;
  vst3::UnitID VST3_API getSelectedUnit() override;
  vst3::tresult VST3_API selectUnit(vst3::UnitID unitId) override;
  vst3::tresult VST3_API getUnitByBus(vst3::MediaType type, vst3::BusDirection dir, vst3::int32 busIndex,
                                      vst3::int32 channel, vst3::UnitID& unitId) override;
  vst3::tresult VST3_API setUnitProgramData(vst3::int32 listOrUnitId, vst3::int32 programIndex,
                                            vst3::IBStream* data) override;

  // ---- Framework operations towards the host ----
  void BeginParamEdit(int paramIdx) override;
  void SendParamToHost(int paramIdx, double normalized) override;
  void EndParamEdit(int paramIdx) override;
  void SendPresetChangeToHost() override {}
  bool IsOfflineRender() override;
  int SamplePosition() override;
  double Tempo() override;
  void TimeSignature(int* numerator, int* denominator) override;
  void TransportTime(ITimeInfo* info) override;
  void ResizeEditor(int width, int height) override;
  void SetLatency(int samples) override;
  bool SendMidiMessage(const IMidiMsg&) override { return false; }
  // Asks the host for its context menu of a parameter at view coordinates x, y. [ui thread]
  void ShowHostParamMenu(int paramIdx, int x, int y) override;

  // The host bypass (the 'bpas' parameter), as the audio side applies it.
  bool IsHostBypassed() const { return bypassed_.load(std::memory_order_relaxed); }

  // Called by a view when its last reference goes. [ui thread]
  void RemoveView(IEffectVST3View* view);

 private:
  bool IsFrameworkParam(vst3::ParamID id) const;
  void CreateBuses();
  void RegisterParameters();
  void ApplyParameterChanges(vst3::IParameterChanges* changes);
  void AttachProcessBuffers(vst3::ProcessData& data, bool use64);
  vst3::tresult WriteState(vst3::IBStream* stream);
  vst3::tresult ReadState(vst3::IBStream* stream);

  std::atomic<vst3::uint32> refCount_{1};
  bool initialized_ = false;
  bool active_ = false;
  vst3::FUnknown* hostContext_ = nullptr;              // counted reference
  vst3::IComponentHandler* componentHandler_ = nullptr;  // counted reference
  vst3::KnobMode knobMode_ = 0;
  Vst3ParameterContainer parameters_;
  std::vector<std::string> unitNames_;  // parameter groups in order of first appearance
  Vst3BusLists buses_;
  vst3::ProcessSetup processSetup_{};

  int sideChainChannels_ = 0;
  [[maybe_unused]] bool sideChainWasActive_ = false;  // kept with the bus state; nothing reads it yet
  // Copied from the host under the lock by process; read by the plug-in's
  // transport queries, which run inside process.
  vst3::ProcessContext processContext_{};
  std::vector<IEffectVST3View*> views_;

  // Host bypass. bypassed_: written by process (lock held), setupProcessing and
  // the state reader; read by process and the state writer. bypassShown_: the
  // controller's 'bpas' value, written by setParamNormalized [ui thread] and by
  // whatever changes bypassed_, read by getParamNormalized [ui thread].
  std::atomic<bool> bypassed_{false};
  std::atomic<double> bypassShown_{0.0};

  // Compacted host channel pointers for the attach calls, sized once so the
  // audio path allocates nothing.
  std::vector<double*> in64_, out64_;
  std::vector<float*> in32_, out32_;
};
