// Number values of command-line options, read strictly: what a user types
// by mistake ("2x", "+3", "1e3") is refused rather than read in part. No
// state; safe from any thread.
#ifndef ENGINE_OPTIONNUMBERS_H_
#define ENGINE_OPTIONNUMBERS_H_

#include <string>

// A decimal number without sign, of at most 9 digits, from `low` to
// `high`. False, with `value` unspecified, for anything else.
bool DEParseOptionNumber(const std::string& text, long low, long high, long* value);

// Seconds with an optional fraction ("2", "0.5"), from 1 ms to one hour,
// at most 12 characters, into milliseconds. False, with `ms` unchanged,
// for anything else.
bool DEParseOptionSeconds(const std::string& text, int* ms);

#endif  // ENGINE_OPTIONNUMBERS_H_
