#include "fuzz/FuzzSupport.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>

#include "host/KelError.h"
#include "host/KelTrace.h"
#include "host/ZWPlatform.h"
#include "tests/support/TempDir.h"

namespace {

struct Folders {
  TempDir etc, var, work;
};

}  // namespace

const std::string& FuzzSetUp(int traceLevel) {
  static Folders folders;  // removed by its destructor at exit
  static bool done = false;
  if (!done) {
    done = true;
    KelSetErrorSink([](const KelErrorReport&) {});
    KelSetTraceSink([](const std::string&) {});
    __Kelvane_Debug_Level = traceLevel;
    ZWSetRawSocketsAllowed(false);
    FuzzCheck(setenv("ZW_ETC_PATH", folders.etc.Path().c_str(), 1) == 0 &&
                  setenv("ZW_VAR_PATH", folders.var.Path().c_str(), 1) == 0,
              "cannot set ZW_ETC_PATH and ZW_VAR_PATH");
  }
  return folders.work.Path();
}

std::string FuzzWriteFile(const char* name, const uint8_t* data, size_t size) {
  const std::string path = FuzzSetUp() + "/" + name;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  out.close();
  FuzzCheck(static_cast<bool>(out), "cannot write the input file");
  return path;
}

void FuzzCheck(bool ok, const char* what) {
  if (ok) return;
  fprintf(stderr, "fuzz: promise broken: %s\n", what);
  abort();
}
