#pragma once
// What --set VALUE may be for each of Velto's parameters: a number in the
// parameter's unit for continuous ones, a choice by its name or number for
// the selectors, on/off for the switches. The plug-in itself shows selectors
// as image strips and has no texts for them; these are the tool's own.

#include <string>
#include <vector>

class IEffectParam;

struct ParamChoice {
  int value;
  const char* name;
};

// The named values of a selector or switch (by parameter index); empty for
// continuous parameters.
std::vector<ParamChoice> ChoicesOf(int paramIdx, const IEffectParam& param);

// "0 Bessel, 1 Butterworth, 2 Chebyshev" or "off, on"; empty for continuous parameters.
std::string DescribeChoices(int paramIdx, const IEffectParam& param);

// The plain value VALUE stands for. Selectors and switches take one of their
// names (any case) or the exact number of a choice; continuous parameters any
// finite number (the caller clamps). False with a message otherwise.
bool ParseParamValue(int paramIdx, const IEffectParam& param, const std::string& text, double* value,
                     std::string* error);
