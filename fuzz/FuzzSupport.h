// What every fuzz target needs before its first input: a process that asks
// no resolver, sends no packet, reads no configuration of the machine and
// prints no error report or trace. Not thread-safe; fuzz targets run one
// input at a time.
#ifndef FUZZ_FUZZSUPPORT_H_
#define FUZZ_FUZZSUPPORT_H_

#include <cstddef>
#include <cstdint>
#include <string>

// Makes the process quiet and closed (see above), once: error reports are
// dropped, trace lines up to `traceLevel` are built (so that their
// formatting is fuzzed too) and dropped, raw sockets are refused,
// ZW_ETC_PATH and ZW_VAR_PATH name empty temporary folders (removed at
// exit). Returns a third one, for the target's own files.
const std::string& FuzzSetUp(int traceLevel = 0);

// Writes `size` bytes of `data` to the file `name` of that folder
// (replacing it) and returns its path. Aborts when it cannot.
std::string FuzzWriteFile(const char* name, const uint8_t* data, size_t size);

// Stops the program with `what` on standard error when `ok` is false: a
// promise of the code under test did not hold for the current input.
void FuzzCheck(bool ok, const char* what);

#endif  // FUZZ_FUZZSUPPORT_H_
