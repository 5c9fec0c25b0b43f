// The preset text line: writing, the folder fallback, reading and applying.

#include "PresetText.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <mutex>
#include <system_error>

#include "IEditorLink.h"
#include "IEffectBase.h"

namespace {
// "%.6f" without the C locale.
void AppendFixed6(std::string& out, double v) {
  if (!std::isfinite(v)) v = 0.0;
  char buffer[400];  // the largest double in fixed notation has 309 digits
  const std::to_chars_result r = std::to_chars(buffer, buffer + sizeof(buffer), v, std::chars_format::fixed, 6);
  out.append(buffer, r.ec == std::errc() ? r.ptr : buffer);
}

// The value text of one parameter by its kind.
void AppendValueText(std::string& out, const IEffectParam& param) {
  const double v = param.Value();
  switch (param.Type()) {
    case kParamBool:
      out += v >= 0.5 ? "true" : "false";
      break;
    case kParamInt:
    case kParamEnum: {
      const double t = std::trunc(v);
      const double limited = t < -2147483648.0 ? -2147483648.0 : t > 2147483647.0 ? 2147483647.0 : t;
      out += std::to_string(static_cast<int>(limited));
      break;
    }
    default:
      AppendFixed6(out, v);
      break;
  }
}

// A field cleaned for comparison: carriage returns with the character after
// them, spaces and semicolons removed; tabs and line feeds as well (a line
// read back with Unix endings), and a closing parenthesis, so that a bool
// written last ("true);") reads back as "true".
std::string Clean(const char* begin, const char* end) {
  std::string out;
  out.reserve(static_cast<size_t>(end - begin));
  for (const char* p = begin; p < end; ++p) {
    const char c = *p;
    if (c == '\r') {
      if (p + 1 < end) ++p;
      continue;
    }
    if (c == ' ' || c == ';' || c == '\t' || c == '\n' || c == ')') continue;
    out += c;
  }
  return out;
}

std::string WithSeparator(const std::string& folder) {
  if (folder.empty()) return folder;
  const char last = folder.back();
  if (last == '/' || last == '\\') return folder;
#if defined(_WIN32)
  return folder + '\\';
#else
  return folder + '/';
#endif
}
}  // namespace

std::string FormatPresetText(const IEffectBase& plug, const char* const* paramNames, const char* presetName) {
  const int count = plug.StoredParamCount();
  std::string line = "  MakePresetFromNamedParams(\"";
  line += presetName ? presetName : "";
  line += "\",";
  line += std::to_string(count);
  for (int i = 0; i < count; ++i) {
    line += ",  ";
    line += paramNames && paramNames[i] ? paramNames[i] : "";
    line += ", ";
    AppendValueText(line, *plug.GetParam(i));
  }
  line += ");\n";
  return line;
}

bool DumpPresetText(IEffectBase* plug, const char* filePath, const char* const* paramNames,
                    const char* presetName) {
  if (!plug || !filePath || !filePath[0]) return false;
  std::string line;
  {
    IEffectLock lock(plug->Mutex());
    line = FormatPresetText(*plug, paramNames, presetName);
  }
  std::FILE* file = std::fopen(filePath, "w");
  if (!file) return false;
  const bool written = std::fputs(line.c_str(), file) >= 0;
  // A full disk shows only when the buffer is flushed.
  const bool closed = std::fclose(file) == 0;
  return written && closed;
}

std::string PresetTextFileIn(const std::string& folder, const char* effectName) {
  return WithSeparator(folder) + (effectName ? effectName : "") + "_Preset.txt";
}

std::string SavePresetTextToFirstWritable(IEffectBase* plug, const std::vector<std::string>& folders,
                                          const char* const* paramNames, const char* presetName) {
  if (!plug) return std::string();
  for (const std::string& folder : folders) {
    if (folder.empty()) continue;
    const std::string path = PresetTextFileIn(folder, plug->EffectName());
    if (DumpPresetText(plug, path.c_str(), paramNames, presetName)) return path;
  }
  return std::string();
}

std::string UserDocumentsFolder() {
#if defined(_WIN32)
  const char* home = std::getenv("USERPROFILE");
#else
  const char* home = std::getenv("HOME");
#endif
  if (!home || !home[0]) return std::string();
  const std::string folder = WithSeparator(home) + "Documents";
  std::error_code ec;
  return std::filesystem::is_directory(folder, ec) ? folder : std::string();
}

PresetTextParser::PresetTextParser(const IEffectBase& plug, const char* const* paramNames)
    : plug_(plug), capacity_(plug.StoredParamCount() + 1) {
  indices_.assign(static_cast<size_t>(capacity_), 0);
  values_.assign(static_cast<size_t>(capacity_), 0.0);
  for (int i = 0; i < plug.StoredParamCount(); ++i)
    names_.emplace_back(paramNames && paramNames[i] ? paramNames[i] : "");
}

int PresetTextParser::Lookup(const std::string& cleaned) const {
  if (cleaned.empty()) return -1;
  for (size_t k = 0; k < names_.size(); ++k)
    if (names_[k] == cleaned) return static_cast<int>(k);
  return -1;
}

double PresetTextParser::ParseValue(int paramIdx, const std::string& cleaned) const {
  const IEffectParam* param = plug_.GetParam(paramIdx);
  const char* first = cleaned.data();
  const char* last = first + cleaned.size();
  if (first != last && *first == '+') ++first;  // from_chars takes no plus sign
  switch (param ? param->Type() : kParamNone) {
    case kParamBool:
      return cleaned == "true" ? 1.0 : 0.0;
    case kParamInt: {
      long long n = 0;
      const std::from_chars_result r = std::from_chars(first, last, n);
      if (r.ec == std::errc::result_out_of_range) return cleaned[0] == '-' ? -2147483648.0 : 2147483647.0;
      if (r.ec != std::errc()) return 0.0;
      return static_cast<double>(n < INT32_MIN ? INT32_MIN : n > INT32_MAX ? INT32_MAX : n);
    }
    default: {
      double v = 0.0;
      const std::from_chars_result r = std::from_chars(first, last, v);
      // Beyond the double range reads as infinity, which no parameter takes.
      if (r.ec == std::errc::result_out_of_range) return std::numeric_limits<double>::infinity();
      return r.ec == std::errc() ? v : 0.0;
    }
  }
}

void PresetTextParser::Parse(const std::string& text) {
  const char* p = text.data();
  const char* end = p + (text.size() < kMaxTextLength ? text.size() : kMaxTextLength);
  // The next comma-separated field, or null when none is left.
  auto nextField = [&p, end](const char** fieldEnd) -> const char* {
    if (p > end) return nullptr;
    const char* begin = p;
    while (p < end && *p != ',') ++p;
    *fieldEnd = p;
    ++p;  // past the comma (or past the end: no field is left)
    return begin;
  };
  const char* fieldEnd = nullptr;
  while (const char* field = nextField(&fieldEnd)) {
    const int k = Lookup(Clean(field, fieldEnd));
    if (k < 0) continue;
    const char* valueField = nextField(&fieldEnd);
    if (!valueField) break;
    const double v = ParseValue(k, Clean(valueField, fieldEnd));
    if (count_ < capacity_) {
      indices_[count_] = k;
      values_[count_] = v;
      ++count_;
    }
  }
}

bool LoadPresetText(IEffectBase* plug, const char* const* paramNames, const std::string& text,
                    IEditorLink* editor) {
  if (!plug || text.size() <= 41) return false;
  PresetTextParser parser(*plug, paramNames);
  parser.Parse(text);
  IEffectLock lock(plug->Mutex());
  for (int i = 0; i < plug->StoredParamCount(); ++i) {
    IEffectParam* param = plug->GetParam(i);
    param->SetValue(parser.ValueAt(i));
    // The stored value, not the raw one: a NaN or out-of-range number from
    // the text must not reach the controls either.
    if (editor) editor->ShowParameterValue(i, param->Value(), false);
  }
  // The derived values follow only once every value is in place, as after a
  // state load: a crossover must not be clamped against its partner's old value.
  for (int i = 0; i < plug->StoredParamCount(); ++i) plug->ParamChanged(i);
  plug->OnPresetsChanged();
  return true;
}
