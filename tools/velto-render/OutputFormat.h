#pragma once
// Which container and sample format an output file gets.
//
// The container comes from --type, else from OUTPUT's extension; standard
// output ("-") defaults to AU, which libsndfile can stream through a pipe.
// The sample format is the one asked for with --format where the container
// holds it, else the nearest one it does hold (with a warning); without
// --format the input's own where possible.

#include <string>
#include <vector>

#include "RenderOptions.h"

struct OutputFormat {
  int format = 0;            // libsndfile major format | subtype
  std::string typeName;      // "wav", "flac", ... as --type takes it
  bool keepsOvers = false;   // floating-point samples: values beyond full scale survive
};

// The types --type takes, for messages and the usage text ("wav, aiff, ...").
std::string OutputTypeList();

// False with a message when the type is unknown, cannot be told from the
// name, or libsndfile cannot write it with these channels and rate.
// inputSubtype is the libsndfile subtype of the input (0: generated audio).
bool ChooseOutputFormat(const std::string& path, const std::string& type, SampleFormat requested,
                        int inputSubtype, int channels, int sampleRate, OutputFormat* out,
                        std::vector<std::string>* warnings, std::string* error);
