#include "ParamValues.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

#include "IEffectParam.h"
#include "Velto.h"

namespace {
// Lower case without spaces, so "12 dB/oct", "12db/oct" and "12 DB/Oct" meet.
std::string Fold(const std::string& s) {
  std::string out;
  for (unsigned char c : s)
    if (!std::isspace(c)) out += static_cast<char>(std::tolower(c));
  return out;
}

bool ParseNumber(const std::string& text, double* value) {
  char* end = nullptr;
  *value = std::strtod(text.c_str(), &end);
  return !text.empty() && *end == '\0' && std::isfinite(*value);
}

// Further spellings a user may type for a choice.
struct Alias {
  int param;
  int value;
  const char* text;
};
const Alias kAliases[] = {
    {kHPRollOff, 2, "12db"}, {kHPRollOff, 3, "18db"}, {kHPRollOff, 4, "24db"},
    {kHPRollOff, 2, "12db/octave"}, {kHPRollOff, 3, "18db/octave"}, {kHPRollOff, 4, "24db/octave"},
    {kEQ_LRMS, 0, "lr"}, {kEQ_LRMS, 0, "l/r"}, {kEQ_LRMS, 0, "stereo"},
    {kHP_LRMS, 0, "lr"}, {kHP_LRMS, 0, "l/r"}, {kHP_LRMS, 0, "stereo"},
};

const char* const kSwitchOn[] = {"on", "true", "yes"};
const char* const kSwitchOff[] = {"off", "false", "no"};
}  // namespace

std::vector<ParamChoice> ChoicesOf(int paramIdx, const IEffectParam& param) {
  switch (paramIdx) {
    case kHPQ: return {{0, "Bessel"}, {1, "Butterworth"}, {2, "Chebyshev"}};
    case kHPRollOff: return {{2, "12 dB/oct"}, {3, "18 dB/oct"}, {4, "24 dB/oct"}};
    case kEQ_LRMS:
    case kHP_LRMS: return {{0, "Left/Right"}, {1, "Mid"}, {2, "Side"}};
    default: break;
  }
  if (param.Type() == kParamBool) return {{0, "off"}, {1, "on"}};
  if (param.Type() == kParamInt || param.Type() == kParamEnum) {
    std::vector<ParamChoice> plain;  // numbers only
    for (int v = static_cast<int>(param.Min()); v <= static_cast<int>(param.Max()); ++v) plain.push_back({v, ""});
    return plain;
  }
  return {};
}

std::string DescribeChoices(int paramIdx, const IEffectParam& param) {
  std::string text;
  for (const ParamChoice& c : ChoicesOf(paramIdx, param)) {
    if (!text.empty()) text += ", ";
    if (param.Type() == kParamBool)
      text += c.name;
    else
      text += std::to_string(c.value) + (c.name[0] ? std::string("=") + c.name : "");
  }
  return text;
}

bool ParseParamValue(int paramIdx, const IEffectParam& param, const std::string& text, double* value,
                     std::string* error) {
  const std::vector<ParamChoice> choices = ChoicesOf(paramIdx, param);
  if (choices.empty()) {
    if (ParseNumber(text, value)) return true;
    *error = "\"" + text + "\" is not a number";
    return false;
  }
  auto take = [value](double v) {
    *value = v;
    return true;
  };
  const std::string folded = Fold(text);
  if (param.Type() == kParamBool) {
    for (const char* word : kSwitchOn)
      if (folded == word) return take(1.0);
    for (const char* word : kSwitchOff)
      if (folded == word) return take(0.0);
  }
  for (const ParamChoice& c : choices)
    if (c.name[0] && folded == Fold(c.name)) return take(c.value);
  for (const Alias& a : kAliases)
    if (a.param == paramIdx && folded == a.text) return take(a.value);
  double number = 0.0;
  if (ParseNumber(text, &number)) {
    for (const ParamChoice& c : choices)
      if (number == c.value) return take(number);
  }
  *error = "\"" + text + "\" is not one of " + DescribeChoices(paramIdx, param);
  return false;
}
