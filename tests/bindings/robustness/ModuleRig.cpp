#include "ModuleRig.h"

using namespace vst3;

namespace {
std::shared_ptr<Vst2Module> Vst2ModuleOnce() {
  static std::string error;
  static std::shared_ptr<Vst2Module> module = Vst2Module::Open(VELTO_VST2_MODULE, &error);
  return module;
}
std::shared_ptr<Vst3Module> Vst3ModuleOnce() {
  static std::string error;
  static std::shared_ptr<Vst3Module> module = Vst3Module::Load(VELTO_VST3_BUNDLE, &error);
  return module;
}
}  // namespace

std::unique_ptr<Vst2Instance> NewVst2() {
  std::shared_ptr<Vst2Module> module = Vst2ModuleOnce();
  if (!module) return nullptr;
  std::string error;
  return Vst2Instance::Create(module, &error);
}

std::unique_ptr<Vst2Instance> ReadyVst2(double rate, int block) {
  std::unique_ptr<Vst2Instance> plug = NewVst2();
  if (!plug) return nullptr;
  plug->Dispatch(vst2::effOpen);
  plug->Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, static_cast<float>(rate));
  plug->Dispatch(vst2::effSetBlockSize, 0, block);
  plug->Dispatch(vst2::effMainsChanged, 0, 1);
  return plug;
}

Vst3Rig::Vst3Rig() : module(Vst3ModuleOnce()) {
  if (!module) return;
  IPluginFactory* factory = module->Factory();
  if (!factory) return;
  PClassInfo info{};
  void* obj = nullptr;
  if (factory->getClassInfo(0, &info) == kResultOk &&
      factory->createInstance(info.cid, IComponent::iid.bytes, &obj) == kResultOk) {
    comp = static_cast<IComponent*>(obj);
    comp->queryInterface(IAudioProcessor::iid.bytes, reinterpret_cast<void**>(&proc));
    comp->queryInterface(IEditController::iid.bytes, reinterpret_cast<void**>(&ctrl));
  }
  factory->release();
}

Vst3Rig::~Vst3Rig() { Close(); }

bool Vst3Rig::Initialize() {
  if (!Ok() || comp->initialize(&app) != kResultOk) return false;
  return ctrl->setComponentHandler(&handler) == kResultTrue;
}

bool Vst3Rig::Setup(double rate, int block, int sampleSize) {
  ProcessSetup setup{kRealtime, sampleSize, block, rate};
  return Ok() && proc->setupProcessing(setup) == kResultOk;
}

template <class T>
tresult Vst3Rig::Run(T** in, T** out, int frames, IParameterChanges* changes) {
  AudioBusBuffers inBus{}, outBus{};
  inBus.numChannels = outBus.numChannels = 2;
  if constexpr (sizeof(T) == 8) {
    inBus.channelBuffers64 = in;
    outBus.channelBuffers64 = out;
  } else {
    inBus.channelBuffers32 = in;
    outBus.channelBuffers32 = out;
  }
  ProcessData data{};
  data.symbolicSampleSize = sizeof(T) == 8 ? kSample64 : kSample32;
  data.numSamples = frames;
  data.numInputs = data.numOutputs = 1;
  data.inputs = &inBus;
  data.outputs = &outBus;
  data.inputParameterChanges = changes;
  return proc->process(data);
}
template tresult Vst3Rig::Run<float>(float**, float**, int, IParameterChanges*);
template tresult Vst3Rig::Run<double>(double**, double**, int, IParameterChanges*);

uint32 Vst3Rig::Close() {
  if (!comp) return 0;
  ctrl->setComponentHandler(nullptr);
  comp->terminate();
  ctrl->release();
  proc->release();
  const uint32 left = comp->release();
  comp = nullptr;
  proc = nullptr;
  ctrl = nullptr;
  return left;
}
