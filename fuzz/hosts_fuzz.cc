// The hosts overlay (--hosts): the input is a hosts-format text. Every word
// of it is looked up as a name; each address a name gives must parse and
// must be named again (by some name), as the resolver wrappers expect.
#include <arpa/inet.h>
#include <sys/socket.h>

#include <sstream>

#include "fuzz/FuzzSupport.h"
#include "host/ZWResolver.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzSetUp();
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::shared_ptr<ZWNamesOverlay> overlay = ZWNamesOverlay::FromText(text);
  FuzzCheck(overlay != nullptr, "a text always makes an overlay");

  std::istringstream words(text);
  std::string word;
  for (int n = 0; n < 64 && words >> word; ++n) {
    for (int family : {AF_INET, AF_INET6, AF_UNSPEC}) {
      for (const std::string& address : overlay->Addresses(word, family)) {
        unsigned char bytes[16];
        const int found = inet_pton(AF_INET6, address.c_str(), bytes) == 1  ? AF_INET6
                          : inet_pton(AF_INET, address.c_str(), bytes) == 1 ? AF_INET
                                                                            : AF_UNSPEC;
        FuzzCheck(found != AF_UNSPEC && (family == AF_UNSPEC || found == family),
                  "a name's addresses are addresses of the family asked");
        FuzzCheck(!overlay->NameOf(found, bytes).empty(), "an address of a name has a name");
      }
    }
  }
  return 0;
}
