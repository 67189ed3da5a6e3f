// A recorded device in the format of `snmpwalk -On` ("OID = TYPE: VALUE"
// lines and their continuations); see RecordedInput.h for what is checked.
#include "fuzz/RecordedInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzRecordedDevice(data, size, true);
  return 0;
}
