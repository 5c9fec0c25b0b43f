#pragma once
// The preset text: the current settings as one line of source text,
//
//   MakePresetFromNamedParams("", 20,  kInGain, 0.000000,  kOutGain, ...);
//
// ready to paste into a plug-in's factory-preset list, written to a file, and
// the same text read back (from the clipboard) into the parameters.
//
// Values are written and read independently of the C locale: a host that
// switches to a locale with a decimal comma would otherwise produce a line
// whose commas no longer separate the fields.

#include <string>
#include <vector>

class IEffectBase;
class IEditorLink;

// The whole line for the current values: storedParamCount pieces, each with
// paramNames[i] and the value text by kind (bool "true"/"false", int and enum
// the truncated integer, real six decimals), ended by ");\n". [lock held]
std::string FormatPresetText(const IEffectBase& plug, const char* const* paramNames, const char* presetName);

// Writes the line to filePath (text mode, so Windows gets CR LF), replacing
// the file. False when the file cannot be opened or written completely.
bool DumpPresetText(IEffectBase* plug, const char* filePath, const char* const* paramNames,
                    const char* presetName);

// The file a save goes to: "<effect name>_Preset.txt" in folder.
std::string PresetTextFileIn(const std::string& folder, const char* effectName);

// Saves into the first folder of the list that takes the file (the module's
// own folder is often not writable); empty folders are skipped. Returns the
// path written, or empty when no folder took it.
std::string SavePresetTextToFirstWritable(IEffectBase* plug, const std::vector<std::string>& folders,
                                          const char* const* paramNames, const char* presetName);

// The user's documents folder when it exists, or empty. [any thread]
std::string UserDocumentsFolder();

// Reads a preset text. Only the values that follow a known parameter name are
// kept, in order of appearance; the text is untrusted, so at most capacity
// pairs are kept, each field is bounded by the text itself, and numbers that
// do not parse give 0.0.
class PresetTextParser {
 public:
  // Texts longer than this are not read beyond it: the longest real line is
  // well under 2 KB.
  static constexpr size_t kMaxTextLength = 65536;

  PresetTextParser(const IEffectBase& plug, const char* const* paramNames);
  void Parse(const std::string& text);

  int Capacity() const { return capacity_; }
  int Count() const { return count_; }
  // The parameter index and value stored at position i (0 when none).
  int IndexAt(int i) const { return i >= 0 && i < capacity_ ? indices_[i] : 0; }
  double ValueAt(int i) const { return i >= 0 && i < capacity_ ? values_[i] : 0.0; }

 private:
  int Lookup(const std::string& cleaned) const;
  double ParseValue(int paramIdx, const std::string& cleaned) const;

  const IEffectBase& plug_;
  int capacity_ = 0;
  int count_ = 0;
  std::vector<int> indices_;
  std::vector<double> values_;
  std::vector<std::string> names_;
};

// Applies a preset text to the plug-in under its lock: every stored parameter
// i takes the value at position i (clamped to its range like every other way
// in), the editor (when given) shows it, every parameter's reaction runs (so
// the sound and the editor follow the loaded values), then OnPresetsChanged.
// The host is not notified. Texts of 41 characters or fewer are ignored:
// returns false and changes nothing. [ui thread]
bool LoadPresetText(IEffectBase* plug, const char* const* paramNames, const std::string& text,
                    IEditorLink* editor);
