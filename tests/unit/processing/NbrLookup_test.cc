// The indexed lookups of the neighbour builders answer exactly what the
// accessors answer, with the same reports, on clean tables and on tables
// holding every kind of row the accessors report or pass over.
#include "processing/NbrLookup.h"

#include <functional>
#include <ostream>
#include <utility>

#include "tests/unit/processing/NbrTestUtil.h"

namespace {

using nbrtest::Tables;

struct Variant {
  const char* what;
  std::function<void(Tables*)> rows;                     // rows added to the base tables
  std::function<void(CDiscoMediationData*)> afterwards;  // changes after storing
};

void PrintTo(const Variant& v, std::ostream* os) { *os << v.what; }

const std::vector<Variant>& Variants() {
  static const std::vector<Variant> variants = {
      {"clean", nullptr, nullptr},
      {"catch-all prefix length 0 last", [](Tables* t) { t->Address(4, "2001:db9::1", 0); },
       nullptr},
      {"anycast rows without value and beyond 32 bits",
       [](Tables* t) {
         t->Add("ipv6AddrAnycastFlag", FakeRequester::Row{AddrIndex(1, "2001:db8:1::1"), nullptr});
         t->Int("ipv6AddrAnycastFlag", AddrIndex(2, "fe80::1"), 4294967297LL);
       },
       nullptr},
      {"anycast text value",
       [](Tables* t) { t->Text("ipv6AddrAnycastFlag", AddrIndex(2, "fe80::1"), "1"); }, nullptr},
      {"type and anycast columns missing",
       [](Tables* t) {
         t->Drop("ipv6AddrAnycastFlag");
         t->Drop("ipv6AddrType");
       },
       nullptr},
      {"prefix length as text",
       [](Tables* t) { t->Text("ipv6AddrPfxLength", AddrIndex(5, "2001:db8:5::1"), "64"); },
       nullptr},
      {"prefix length missing",
       [](Tables* t) {
         t->Add("ipv6AddrPfxLength", FakeRequester::Row{AddrIndex(5, "2001:db8:5::1"), nullptr});
       },
       nullptr},
      {"rows without index", nullptr,
       [](CDiscoMediationData* m) {
         for (const char* c : {"ipv6AddrPfxLength", "ipv6AddrType", "ipv6AddrAnycastFlag"}) {
           m->DMDGetSnmpGetNext(c)->KDLAddToListEnd(RowWithoutIndex(1));
         }
       }},
      {"short address index and octet above 255",
       [](Tables* t) {
         std::vector<uint32_t> wide = AddrIndex(6, "2001:db8:6::1");
         wide[1] = 300;
         for (const std::vector<uint32_t>& index : {std::vector<uint32_t>{1, 32, 1}, wide}) {
           t->Int("ipv6AddrPfxLength", index, 64);
           t->Int("ipv6AddrType", index, 9);
           t->Int("ipv6AddrAnycastFlag", index, 2);
         }
       },
       nullptr},
      {"prefix rows of depth 2 and with octet above 255",
       [](Tables* t) {
         std::vector<uint32_t> index = PrefixIndex(1, "2001:db8:1::", 64);
         index[3] = 256;
         t->Int("ipv6AddrPrefixOnLinkFlag", {1, 64}, 9);
         t->Int("ipv6AddrPrefixOnLinkFlag", index, 9);
       },
       nullptr},
      {"address and prefix rows twice",
       [](Tables* t) {
         t->Int("ipv6AddrType", AddrIndex(1, "2001:db8:1::1"), 7);
         t->Int("ipv6AddrPrefixOnLinkFlag", PrefixIndex(1, "2001:db8:1::", 64), 7);
       },
       nullptr},
      {"address and prefix columns empty", nullptr,
       [](CDiscoMediationData* m) {
         m->DMDAddSnmp("ipv6AddrType", new CKelDoubleList());
         m->DMDAddSnmp("ipv6AddrPrefixOnLinkFlag", new CKelDoubleList());
         m->DMDAddSnmp("ipv6AddrAnycastFlag", new CKelDoubleList());
       }},
  };
  return variants;
}

// The base tables: one address on two interfaces with different lengths,
// a subnet-router anycast address, a link-local /10 and a /128.
Tables BaseTables() {
  Tables t;
  t.Address(1, "2001:db8:1::", 64, 1);
  t.Address(1, "2001:db8:1::1", 64, 2, 3);
  t.Address(2, "2001:db8:1::1", 48);
  t.Address(2, "fe80::1", 10);
  t.Address(3, "2001:db8:2::1", 128, 2, 2);
  t.Prefix(1, "2001:db8:1::", 64);
  t.Prefix(2, "2001:db8:1::", 48, 2);
  t.Prefix(3, "2001:db8:2::1", 128);
  return t;
}

// What a lookup gave: the answer as text and the reports made.
using Answer = std::pair<std::string, std::vector<std::string>>;

Answer Capture(const std::function<std::string()>& ask) {
  KelErrorCapture errors;
  std::string answer = ask();
  return {answer, ReportTexts(errors.Reports())};
}

std::string AtomAt(const CKelAtom* atom) {
  char text[32];
  snprintf(text, sizeof(text), "%p", static_cast<const void*>(atom));
  return text;
}

class NbrLookupTest : public ::testing::TestWithParam<Variant> {
 protected:
  ScopedConfigDirs dirs_;
  CDiscoIPv6Agent agent_;
  KelTraceCapture quiet_{0};  // level-4 tracing off: the indexes are used
};

TEST_P(NbrLookupTest, AnswersAndReportsAsTheAccessors) {
  const Variant& v = GetParam();
  Tables tables = BaseTables();
  if (v.rows) v.rows(&tables);
  CDiscoMediationData med;
  tables.Store(&med);
  if (v.afterwards) v.afterwards(&med);
  ASSERT_TRUE(NbrLookup::Indexing());
  NbrLookup lookup(&agent_, &med);

  std::vector<std::vector<uint32_t>> indexes = {AddrIndex(1, "2001:db8:1::"),
                                                AddrIndex(1, "2001:db8:1::1"),
                                                AddrIndex(2, "2001:db8:1::1"),
                                                AddrIndex(2, "fe80::1"),
                                                AddrIndex(3, "2001:db8:2::1"),
                                                AddrIndex(9, "2001:db8:1::1"),
                                                {1, 32, 1},
                                                {}};
  for (const std::vector<uint32_t>& ids : indexes) {
    CKelASN1Address index(ids);
    for (const char* column : {"ipv6AddrType", "ipv6AddrStatus", "ipv6AddrNoSuch"}) {
      SCOPED_TRACE(std::string(column) + " of " + std::to_string(ids.size()) + " ids");
      EXPECT_EQ(Capture([&] { return AtomAt(lookup.AddrAttr(&index, column)); }),
                Capture([&] { return AtomAt(agent_.DIPv6GetAddrAttr(&med, &index, column)); }));
    }
    EXPECT_EQ(Capture([&] { return std::to_string(lookup.IsAnycast(&index)); }),
              Capture([&] { return std::to_string(agent_.DIPv6IsAnycastAddress(&med, &index)); }));
  }

  struct PfxQuery {
    int ifIndex;
    const char* prefix;
    int length;
  } prefixes[] = {{1, "2001:db8:1::", 64},   {2, "2001:db8:1::", 48}, {2, "2001:db8:1::", 64},
                  {3, "2001:db8:2::1", 128}, {1, "2001:db8:9::", 64}, {-1, "2001:db8:1::", 64},
                  {1, "2001:db8:1::", -64}};
  for (const PfxQuery& q : prefixes) {
    for (bool byteWise : {true, false}) {
      std::string text = byteWise ? nbrtest::ByteWise(q.prefix) : q.prefix;
      SCOPED_TRACE(text + "/" + std::to_string(q.length) + " on " + std::to_string(q.ifIndex));
      for (const char* column : {"ipv6AddrPrefixOnLinkFlag", "ipv6AddrPrefixNoSuch"}) {
        EXPECT_EQ(
            Capture([&] { return AtomAt(lookup.PfxAttr(q.ifIndex, &text[0], q.length, column)); }),
            Capture([&] {
              return AtomAt(agent_.DIPv6GetPfxAttr(&med, q.ifIndex, &text[0], q.length, column));
            }));
      }
    }
  }

  for (const char* address :
       {"2001:db8:1::99", "2001:0DB8:0001:0000:0000:0000:0000:0099", "2001:db8:1:0:1::1",
        "2001:db8:1:ff::1", "2001:db8:2::1", "2001:db8:2::2", "fe80::99", "febf::1", "fec0::1",
        "2001:db8:5::1", "2001:db9::7", "::", "not an address"}) {
    SCOPED_TRACE(address);
    EXPECT_EQ(Capture([&] { return std::to_string(lookup.PfxLengthFor(address)); }), Capture([&] {
                return std::to_string(agent_.DIPv6GetPfxLengthFromLocalIpList(address, &med));
              }));
  }
}

INSTANTIATE_TEST_SUITE_P(Tables, NbrLookupTest, ::testing::ValuesIn(Variants()),
                         [](const ::testing::TestParamInfo<Variant>& info) {
                           std::string name;
                           for (const char* c = info.param.what; *c != '\0'; ++c) {
                             if (isalnum(static_cast<unsigned char>(*c))) name += *c;
                           }
                           return name;
                         });

// Without mediation data every lookup is the accessor's.
TEST(NbrLookupNoDataTest, NullMediationDataIsTheAccessorsCase) {
  ScopedConfigDirs dirs;
  CDiscoIPv6Agent agent;
  NbrLookup lookup(&agent, nullptr);
  CKelASN1Address index(AddrIndex(1, "2001:db8::1"));
  char prefix[] = "20:01";
  KelErrorCapture errors;
  EXPECT_EQ(lookup.AddrAttr(&index, "ipv6AddrType"), nullptr);
  EXPECT_EQ(lookup.IsAnycast(&index), E_KBFalse);
  EXPECT_EQ(lookup.PfxAttr(1, prefix, 64, "ipv6AddrPrefixOnLinkFlag"), nullptr);
  EXPECT_EQ(lookup.PfxLengthFor("2001:db8::1"), 128);
  EXPECT_EQ(ReportTexts(errors.Reports()),
            (std::vector<std::string>{"-220439| Mediation Data or Address ASN null so return",
                                      "-220439|no Mediation Data so return",
                                      "-220439| mediation data or prefix address ASN null so "
                                      "returning",
                                      "-220439|no IPv6 addresses so return"}));
}

}  // namespace
