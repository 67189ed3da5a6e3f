// NE lists: the input is read as an NE file (--ne-file) and each of its
// lines as an NE argument. Every NE the file gives is one DECheckNe
// accepts, and every accepted NE makes a record holding it.
#include <sstream>
#include <vector>

#include "engine/NeInput.h"
#include "fuzz/FuzzSupport.h"

namespace {

void CheckNe(const std::string& text) {
  if (!DECheckNe(text).empty()) return;
  std::unique_ptr<CKelRecord> record = DEMakeNeRecord(text);
  FuzzCheck(record != nullptr, "an accepted NE makes a record");
  const char* field = DENeIsName(text) ? "m_Name" : "m_IpAddress";
  FuzzCheck(record->KRValueOf(field) != nullptr, "the record holds the NE");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = FuzzWriteFile("nes", data, size);
  std::vector<std::string> nes;
  std::string error;
  if (DEReadNeFile(path, &nes, &error)) {
    FuzzCheck(error.empty(), "a file read has no error");
    for (const std::string& ne : nes) {
      FuzzCheck(DECheckNe(ne).empty(), "the NE file gives accepted NEs only");
      CheckNe(ne);
    }
  } else {
    FuzzCheck(!error.empty(), "a file refused says why");
  }
  std::istringstream lines(std::string(reinterpret_cast<const char*>(data), size));
  std::string line;
  for (int n = 0; n < 64 && std::getline(lines, line); ++n) CheckNe(line);
  return 0;
}
