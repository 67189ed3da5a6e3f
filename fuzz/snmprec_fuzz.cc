// A recorded device in snmpsim's format ("OID|TAG|VALUE" lines); see
// RecordedInput.h for what is checked.
#include "fuzz/RecordedInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzRecordedDevice(data, size, false);
  return 0;
}
