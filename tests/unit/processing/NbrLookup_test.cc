// The indexed lookups answer what the accessors answer, with the same reports, on odd rows too.
#include "processing/NbrLookup.h"

#include <functional>

#include "tests/unit/processing/NbrTestUtil.h"

namespace {

using namespace nbrtest;

struct Variant {
  const char* what;
  std::function<void(Tables*)> rows;                     // added to the base tables
  std::function<void(CDiscoMediationData*)> afterwards;  // changes after storing
};
void PrintTo(const Variant& v, std::ostream* os) { *os << v.what; }

std::vector<uint32_t> Wide(std::vector<uint32_t> i, size_t at, uint32_t v) { i[at] = v; return i; }

const Variant kVariants[] = {
    {"clean", nullptr, nullptr},
    {"catch-all length 0", [](Tables* t) { t->Address(4, "2001:db9::1", 0); }, nullptr},
    {"anycast without value, beyond 32 bits, as text", [](Tables* t) {
       t->Add("ipv6AddrAnycastFlag", {AddrIndex(1, "2001:db8:1::1"), nullptr});
       t->Int("ipv6AddrAnycastFlag", AddrIndex(2, "fe80::1"), 4294967297LL);
       t->Text("ipv6AddrAnycastFlag", AddrIndex(3, "2001:db8:2::1"), "1");
     }, nullptr},
    {"rows without index", nullptr, [](CDiscoMediationData* m) {
       for (const char* c : {"ipv6AddrPfxLength", "ipv6AddrType", "ipv6AddrAnycastFlag",
                             "ipv6AddrPrefixOnLinkFlag"})
         m->DMDGetSnmpGetNext(c)->KDLAddToListEnd(new CKelSnmpVarOp(nullptr, new CKelAtom(1)));
     }},
    {"short address index, octet above 255", [](Tables* t) {
       for (const auto& i : {std::vector<uint32_t>{1, 32, 1}, Wide(AddrIndex(6, "::1"), 1, 300)})
         for (const char* c : {"ipv6AddrPfxLength", "ipv6AddrType", "ipv6AddrAnycastFlag"})
           t->Int(c, i, 64);
     }, nullptr},
    {"prefix rows of depth 2, octet above 255", [](Tables* t) {
       t->Int("ipv6AddrPrefixOnLinkFlag", {1, 64}, 9);
       t->Int("ipv6AddrPrefixOnLinkFlag", Wide(AddrIndex(1, "2001:db8:1::", 64), 3, 256), 9);
     }, nullptr},
};

// The answer as text and the reports made on the way.
std::pair<std::string, std::vector<std::string>> Capture(const std::function<std::string()>& ask) {
  KelErrorCapture errors;
  std::string answer = ask();
  return {answer, ReportTexts(errors.Reports())};
}
std::string At(const void* p) { return std::to_string(reinterpret_cast<uintptr_t>(p)); }

using NbrLookupTest = ::testing::TestWithParam<Variant>;

TEST_P(NbrLookupTest, AnswersAndReportsAsTheAccessors) {
  ScopedConfigDirs dirs;
  CDiscoIPv6Agent agent;
  KelTraceCapture quiet(0);  // level-4 tracing off: the indexes are used
  Tables tables;  // a subnet-router anycast address, one address on two interfaces, /10, /128
  tables.Address(1, "2001:db8:1::", 64, 1), tables.Address(1, "2001:db8:1::1", 64, 2, 3);
  tables.Address(2, "2001:db8:1::1", 48), tables.Address(2, "fe80::1", 10);
  tables.Address(3, "2001:db8:2::1", 128, 2, 2), tables.Prefix(1, "2001:db8:1::", 64);
  tables.Prefix(2, "2001:db8:1::", 48, 2), tables.Prefix(3, "2001:db8:2::1", 128);
  if (GetParam().rows) GetParam().rows(&tables);
  CDiscoMediationData med;
  tables.Store(&med);
  if (GetParam().afterwards) GetParam().afterwards(&med);
  ASSERT_TRUE(NbrLookup::Indexing());
  NbrLookup lookup(&agent, &med);
  for (const std::vector<uint32_t>& ids : {AddrIndex(1, "2001:db8:1::"), AddrIndex(2, "2001:db8:1::1"),
       AddrIndex(2, "fe80::1"), AddrIndex(3, "2001:db8:2::1"), AddrIndex(9, "2001:db8:1::1"),
       std::vector<uint32_t>{1, 32, 1}, std::vector<uint32_t>{}}) {
    CKelASN1Address index(ids);
    for (const char* column : {"ipv6AddrType", "ipv6AddrStatus", "ipv6AddrNoSuch"}) {
      SCOPED_TRACE(std::string(column) + " of " + std::to_string(ids.size()) + " ids");
      EXPECT_EQ(Capture([&] { return At(lookup.AddrAttr(&index, column)); }),
                Capture([&] { return At(agent.DIPv6GetAddrAttr(&med, &index, column)); }));
    }
    EXPECT_EQ(Capture([&] { return std::to_string(lookup.IsAnycast(&index)); }),
              Capture([&] { return std::to_string(agent.DIPv6IsAnycastAddress(&med, &index)); }));
  }
  struct { int ifIndex; const char* prefix; int length; } prefixes[] = {{1, "2001:db8:1::", 64},
      {2, "2001:db8:1::", 48}, {2, "2001:db8:1::", 64}, {3, "2001:db8:2::1", 128}, {-1, "2001:db8:1::", 64}};
  for (const auto& q : prefixes) {
    for (std::string text : {ByteWise(q.prefix), std::string(q.prefix)}) {
      SCOPED_TRACE(text + "/" + std::to_string(q.length) + " on " + std::to_string(q.ifIndex));
      for (const char* column : {"ipv6AddrPrefixOnLinkFlag", "ipv6AddrPrefixNoSuch"}) {
        char* p = &text[0];
        EXPECT_EQ(Capture([&] { return At(lookup.PfxAttr(q.ifIndex, p, q.length, column)); }),
                  Capture([&] { return At(agent.DIPv6GetPfxAttr(&med, q.ifIndex, p, q.length, column)); }));
      }
    }
  }
  for (const char* addr : {"2001:db8:1::99", "2001:0DB8:0001:0000:0000:0000:0000:0099", "::",
       "2001:db8:1:ff::1", "2001:db8:2::2", "fe80::99", "fec0::1", "2001:db9::7", "not an addr"}) {
    SCOPED_TRACE(addr);
    EXPECT_EQ(Capture([&] { return std::to_string(lookup.PfxLengthFor(addr)); }),
              Capture([&] { return std::to_string(agent.DIPv6GetPfxLengthFromLocalIpList(addr, &med)); }));
  }
}

INSTANTIATE_TEST_SUITE_P(Tables, NbrLookupTest, ::testing::ValuesIn(kVariants));

}  // namespace
