// The body shared by the snmprec and walk targets.
#ifndef FUZZ_RECORDEDINPUT_H_
#define FUZZ_RECORDEDINPUT_H_

#include <cstddef>
#include <cstdint>

// Reads `data` as a recorded device (walk or snmprec format) and answers
// every binding through the recorded channel and the atom conversions of
// every syntax. Checks that the device holds its bindings in strictly
// increasing OID order, each found again by its OID, and that the channel's
// walk from the start sees them all and then endOfMibView.
void FuzzRecordedDevice(const uint8_t* data, size_t size, bool walkFormat);

#endif  // FUZZ_RECORDEDINPUT_H_
