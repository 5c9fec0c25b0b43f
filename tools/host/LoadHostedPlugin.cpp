#include "HostedPlugin.h"

#if defined(VELTO_HOST_VST2)
#include "Vst2Host.h"
#endif
#if defined(VELTO_HOST_VST3)
#include "Vst3Host.h"
#endif
#if defined(VELTO_HOST_CLAP)
#include "ClapHost.h"
#endif

namespace {
bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}
}  // namespace

std::unique_ptr<HostedPlugin> LoadHostedPlugin(const std::string& path, std::string* error) {
  std::string trimmed = path;
  while (trimmed.size() > 1 && (trimmed.back() == '/' || trimmed.back() == '\\')) trimmed.pop_back();
  if (EndsWith(trimmed, ".clap")) {
#if defined(VELTO_HOST_CLAP)
    return LoadClapPlugin(trimmed, error);
#else
    if (error) *error = "this build has no CLAP host";
    return nullptr;
#endif
  }
  const bool vst3 = EndsWith(trimmed, ".vst3");
  if (vst3) {
#if defined(VELTO_HOST_VST3)
    return LoadVst3Plugin(trimmed, error);
#else
    if (error) *error = "this build has no VST3 host";
    return nullptr;
#endif
  }
#if defined(VELTO_HOST_VST2)
  return LoadVst2Plugin(trimmed, error);
#else
  if (error) *error = "this build has no VST2 host";
  return nullptr;
#endif
}
