// Parameter state blocks, preset slots and the presets block.

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "IEffectBase.h"
#include "Trace.h"

namespace {
// A slot's name holds at most 255 characters; longer stored names are cut.
constexpr int kMaxNameLength = PresetSlot::kNameSize - 1;
// Marks a value that no named pair gave; replaced by the current value.
constexpr double kUnsetMarker = 9.999e-8;
}  // namespace

bool IEffectBase::SerializeParams(StateChunk& chunk) {
  IEffectLock lock(lock_);
  bool ok = true;
  for (int i = 0; i < storedParamCount_ && ok; ++i) {
    const IEffectParam& param = *params_[i];
    chunk.PutDouble(param.Value());
    VELTO_TRACE("IEffectBase::SerializeParams", "%d %s %f", i, param.Name(), param.Value());
    ok = chunk.Size() > 0;
  }
  return ok;
}

int IEffectBase::UnserializeParams(const StateChunk& chunk, int pos) {
  IEffectLock lock(lock_);
  for (int i = 0; i < storedParamCount_; ++i) {
    IEffectParam& param = *params_[i];
    double v = 0.0;
    if (pos >= 0 && chunk.Has(pos, 8)) {
      pos = chunk.GetDouble(&v, pos);
    } else {
      v = 0.0;
      pos = -1;
    }
    param.SetValue(v);  // clamped; a non-finite stored value loads the default
    if (editor_) editor_->ShowParameterValue(i, std::isfinite(v) ? v : param.Value(), false);
    VELTO_TRACE("IEffectBase::UnserializeParams", "%d %s %f", i, param.Name(), param.Value());
  }
  for (int i = 0; i < NumParams(); ++i) ParamChanged(i);
  return pos;
}

void IEffectBase::WriteChunkHeader(StateChunk& chunk) {
  chunk.Clear();
  chunk.PutInt32(kStateMagic);
  chunk.PutInt32(kStateVersion);
}

int IEffectBase::ReadChunkHeader(const StateChunk& chunk, int* pos) {
  if (!pos || *pos < 0) return 0;
  int32_t magic = 0;
  const int afterMagic = chunk.GetInt32(&magic, *pos);
  if (afterMagic < 0 || magic != kStateMagic) return 0;
  int32_t version = 0;
  *pos = chunk.GetInt32(&version, afterMagic);
  return *pos < 0 ? 0 : version;
}

PresetSlot* IEffectBase::FirstFreePreset() {
  for (auto& candidate : presets_)
    if (!candidate->initialized) return candidate.get();
  return nullptr;
}

void IEffectBase::MakePresetFromCurrentValues(const char* name, int count) {
  for (int n = 0; n < count; ++n) {
    PresetSlot* slot = FirstFreePreset();
    if (!slot) continue;
    slot->initialized = true;
    CopyText(slot->name, name ? name : "Empty", PresetSlot::kNameSize);
    SaveState(slot->state);
  }
}

void IEffectBase::MakePresetFromNamedParams(const char* name, int pairCount, ...) {
  PresetSlot* slot = FirstFreePreset();
  if (!slot) return;
  slot->initialized = true;
  CopyText(slot->name, name, PresetSlot::kNameSize);

  std::vector<double> values(NumParams(), kUnsetMarker);
  va_list args;
  va_start(args, pairCount);
  for (int n = 0; n < pairCount; ++n) {
    const int idx = va_arg(args, int);
    const IEffectParam* param = GetParam(idx);
    // The type of the value that follows depends on the parameter; without
    // one the rest of the list cannot be read safely.
    if (!param) break;
    const ParamType type = param->Type();
    if (type == kParamBool || type == kParamInt || type == kParamEnum)
      values[idx] = va_arg(args, int);
    else
      values[idx] = va_arg(args, double);
  }
  va_end(args);

  // The slot holds exactly what SaveState would write: storedParamCount values,
  // so a presets block made of these slots reads back record by record.
  slot->state.Clear();
  for (int i = 0; i < storedParamCount_; ++i)
    slot->state.PutDouble(values[i] == kUnsetMarker ? params_[i]->Value() : values[i]);
}

bool IEffectBase::LoadPreset(int idx) {
  if (idx < 0 || idx >= NumPresets()) return false;
  PresetSlot& slot = *presets_[idx];
  bool ok;
  if (slot.initialized) {
    ok = LoadState(slot.state, 0) > 0;
  } else {
    slot.initialized = true;
    int userPresets = 0;
    for (auto& other : presets_)
      if (std::strstr(other->name, "user preset")) ++userPresets;
    std::snprintf(slot.name, PresetSlot::kNameSize, "%s %d", "user preset", userPresets + 1);
    ok = SaveState(slot.state);
  }
  if (ok) {
    currentPreset_ = idx;
    OnPresetsChanged();
    RefreshParamControls();
  }
  return ok;
}

const char* IEffectBase::PresetName(int idx) const {
  return idx >= 0 && idx < NumPresets() ? presets_[idx]->name : "";
}

const PresetSlot* IEffectBase::GetPreset(int idx) const {
  return idx >= 0 && idx < NumPresets() ? presets_[idx].get() : nullptr;
}

void IEffectBase::ModifyCurrentPreset(const char* newName) {
  if (currentPreset_ < 0 || currentPreset_ >= NumPresets()) return;
  PresetSlot& slot = *presets_[currentPreset_];
  slot.state.Clear();
  SaveState(slot.state);
  if (newName && newName[0]) CopyText(slot.name, newName, PresetSlot::kNameSize);
  VELTO_TRACE("IEffectBase::ModifyCurrentPreset", "%d %s", currentPreset_, slot.name);
}

bool IEffectBase::SerializePresets(StateChunk& chunk) {
  bool ok = true;
  for (int i = 0; i < NumPresets() && ok; ++i) {
    const PresetSlot& slot = *presets_[i];
    chunk.PutText(slot.name);
    chunk.PutByte(slot.initialized ? 1 : 0);
    if (slot.initialized) chunk.PutChunk(slot.state);
    VELTO_TRACE("IEffectBase::SerializePresets", "%d %s", i, slot.name);
    ok = chunk.Size() > 0;
  }
  return ok;
}

int IEffectBase::UnserializePresets(const StateChunk& chunk, int pos) {
  char name[PresetSlot::kNameSize] = "";  // carries over to a record with an empty name
  for (int i = 0; i < NumPresets() && pos >= 0; ++i) {
    PresetSlot& slot = *presets_[i];

    // The name: a 32-bit length, then that many bytes. A length that is
    // negative, above 255 or runs past the end makes the record cut short.
    int32_t length = 0;
    const int afterLength = chunk.GetInt32(&length, pos);
    if (afterLength < 0 || length < 0 || length > kMaxNameLength || !chunk.Has(afterLength, length)) {
      pos = -1;
      break;
    }
    if (length > 0) {
      const uint8_t* bytes = chunk.Data() + afterLength;
      int n = 0;
      while (n < length && bytes[n]) ++n;
      std::memcpy(name, bytes, n);
      name[n] = '\0';
    }
    pos = afterLength + length;
    CopyText(slot.name, name, PresetSlot::kNameSize);

    uint8_t initialized = 0;
    pos = chunk.GetByte(&initialized, pos);
    if (pos < 0) break;
    slot.initialized = initialized != 0;

    if (slot.initialized) {
      pos = LoadState(chunk, pos);
      if (pos > 0) {
        slot.state.Clear();
        SaveState(slot.state);
      }
    }
    VELTO_TRACE("IEffectBase::UnserializePresets", "%d %s", i, slot.name);
  }
  LoadPreset(currentPreset_);
  return pos;
}
