// Neighbour records: local ones from the address table, remote ones from the routes and the cache.
#include "tests/unit/processing/NbrTestUtil.h"

namespace {

using namespace nbrtest;

// Each record as its values joined by "|" ("-" for a field without value).
std::vector<std::string> Values(const std::vector<FieldTexts>& records) {
  std::vector<std::string> result;
  for (const FieldTexts& fields : records) {
    std::string text;
    for (const std::string& f : fields)
      text += "|" + (f.find('=') > f.size() ? "-" : f.substr(f.find('=') + 1));
    result.push_back(text.substr(1));
  }
  return result;
}

class NbrsTest : public ::testing::Test {
 protected:
  // The records a new agent builds of the tables (remote: own address 2001:db8:1::1/64 on 2).
  std::vector<FieldTexts> Build(bool remote) {
    if (remote) t_.Address(2, "2001:db8:1::1", 64);
    CDiscoMediationData med;
    t_.Store(&med);
    t_ = Tables();
    MibTestAgent agent;
    agent.m_ValidAddr = &validator_;
    EXPECT_EQ(remote ? agent.DIPv6BuildLocalIpList(&med) : 1, 1);
    errors_.Clear();
    CKelTreeList* tree = remote ? agent.DIPv6GetRemoteNbrTags(&med) : nullptr;
    CKelDoubleList* list = tree != nullptr ? tree->KTLIterator()
                           : remote ? nullptr : agent.DIPv6GetLocalNbrTags(&med);
    std::vector<FieldTexts> records;  // each wrapped record, deleted with its wrapper
    for (CKelListable* e = list != nullptr ? list->KDLHead() : nullptr; e != nullptr;
         e = list->KDLGetNext(e)) {
      auto* record = static_cast<CKelDoubleList*>(static_cast<CKelPointer*>(e)->KPData());
      records.push_back(NbrRecordText(record));
      delete record;
    }
    if (tree != nullptr) tree->KTLDeleteWrappers(); else delete list;
    delete tree;
    agent.DIPv6RemoveLocalIpList(&med);
    return records;
  }
  std::vector<std::string> Reports() const { return ReportTexts(errors_.Reports()); }

  ScopedConfigDirs dirs_;
  ScopedNames names_{{{"2001:db8:1::1", "r1"}, {"2001:db8:1::fe", "gw"}, {"2001:db8:9::1", "far"},
                      {"fec0::9", "site"}, {"2001:db8:1::5", "h5"}, {"fe80::1", "ll"},
                      {"fec0::1", "sl"}, {"::192.0.2.1", "v4c"}}};
  Tables t_;
  CKelValidAddress validator_;
  KelErrorCapture errors_;
};

TEST_F(NbrsTest, WhichAddressesMakeALocalNeighbourAndWithWhatFields) {
  const std::vector<std::string> kMissing = {"-220439|can not find INTERFACE attributes for local neighbour ",
      "-220439|Address attribute in Mediation Data null so returns",
      "-220439|can not find ADDRESS attributes for local neighbour "};
  const std::vector<std::string> kShort = {"-220439|out of range", "-220439|can not find ipaddress for local nbr "};
  const std::vector<std::string> kBadLength = {"-220439|invalid prefix length for local nbr "};
  enum Variant { kPlain, kDrop, kShortIndex, kLength200, kLengthText };  // kDrop: no ipv6IfDescr, ipv6AddrStatus
  struct {
    const char *address, *phys;
    long long admin, anycast;  // admin 0: no ipv6IfAdminStatus
    Variant variant;
    std::string scopeAndPhys;  // "" for no record
  } rows[] = {
      {"fe80::1", "00:00:5E:00:53:01", 1, 2, kPlain, "1|00:00:5E:00:53:01"},
      {"fec0::1", "", 1, 2, kPlain, "2|"},
      {"2001:db8:1::1", "abcd", 1, 2, kPlain, "3|INVALID[61:62:63:64(hex)]"},
      {"::192.0.2.1", "00:00:5E:00:53:01:", 1, 2, kPlain,
       "0|INVALID[30:30:3A:30:30:3A:35:45:3A:30:30:3A:35:33:3A:30:31:3A(hex)]"},
      {"::1", "", 1, 2, kPlain, ""},
      {"ff02::1", "", 1, 2, kPlain, ""},
      {"::ffff:192.0.2.1", "", 1, 2, kPlain, ""},
      {"2001:db8:1::", "", 1, 1, kPlain, ""},   // anycast
      {"2001:db8:1::1", "", 2, 2, kPlain, ""},  // interface down
      {"2001:db8:1::1", "", 0, 2, kPlain, ""},  // no administrative status
      {"2001:db8:1::1", "", 1, 2, kDrop, "3|"},
      {"2001:db8:1::1", "", 1, 2, kShortIndex, ""},
      {"2001:db8:1::1", "", 1, 2, kLength200, "3|"},   // kept as collected, no prefix, no probe
      {"2001:db8:1::1", "", 1, 2, kLengthText, "3|"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.address) + " " + row.phys + " variant " + std::to_string(row.variant));
    t_.Interface(1, "eth0", row.phys, row.admin);
    if (row.admin == 0) t_.Drop("ipv6IfAdminStatus");
    t_.Address(1, row.address, row.variant == kLength200 ? 200 : 64, row.anycast);
    if (row.variant == kDrop) t_.Drop("ipv6AddrStatus"), t_.Drop("ipv6IfDescr");
    if (row.variant == kLengthText) t_.Drop("ipv6AddrPfxLength"), t_.Text("ipv6AddrPfxLength", AddrIndex(1, row.address), "64");
    if (row.variant == kShortIndex) t_.Drop("ipv6AddrPfxLength"), t_.Int("ipv6AddrPfxLength", {1, 32, 1, 13, 184}, 64);
    KelTraceCapture trace(4);
    const std::vector<FieldTexts> records = Build(false);
    const bool badLength = row.variant == kLength200 || row.variant == kLengthText;
    EXPECT_EQ(Reports(), row.variant == kDrop ? kMissing : row.variant == kShortIndex ? kShort
                         : badLength ? kBadLength : std::vector<std::string>{});
    EXPECT_EQ(trace.Contains("DIPv6PingMatchedAddress"), !badLength && !records.empty());
    ASSERT_EQ(records.size(), row.scopeAndPhys.empty() ? 0u : 1u);
    if (records.empty()) continue;
    const FieldTexts& r = records[0];  // no prefix table; a left-out field is left out only
    EXPECT_EQ(r.size(), row.variant == kDrop ? 18u : badLength ? 19u : 20u);
    EXPECT_EQ(Values({{r[row.variant == kDrop ? 14 : 16], r[row.variant == kDrop ? 6 : 7]}})[0], row.scopeAndPhys);
    EXPECT_EQ(r.back().rfind(badLength ? "ipv6AddrV4Addresses=" : "ipv6AddrPrefix=", 0), 0u) << r.back();
  }
}

TEST_F(NbrsTest, ARememberedHostIsProbedOncePerLocalNeighbourOnItsPrefix) {
  dirs_.WriteHostHistory("2001:db8:1::77\n2001:db8:2::77\n");  // unnamed: the probe sends nothing
  t_.Interface(1, "eth0", "");
  t_.Address(1, "2001:db8:1::1", 64), t_.Address(1, "2001:db8:1::2", 64);
  KelTraceCapture trace(4);
  EXPECT_EQ(Build(false).size(), 2u);
  EXPECT_EQ(trace.Count("ENTER : CDiscoIPv6Agent::DIPv6PingAddress(2001:0DB8:0001:0000:0000:0000:0000:0077)"), 2);
  EXPECT_EQ(trace.Count("ENTER : CDiscoIPv6Agent::DIPv6PingAddress("), 2);
}

TEST_F(NbrsTest, RemoteNeighboursFromRoutesAndTheCache) {
  const std::string gw = "2001:db8:1::fe|64|3|gw.lab", gwMac = gw + "|00:00:5E:00:53:FE";
  const std::string far = "2001:db8:9::1|128|3|far.lab", h5 = "2001:db8:1::5|64|3|";
  const std::string noRoutes = "-220439|screwed: one of ifRouteType, ifRouteIfIndex, ifRouteNextHop is null";
  const std::string noCache = "-220439|screwed: one of stateList,validList or physAddrList is null";
  const std::string route12 = "32.1.13.184.0.18.0.0.0.0.0.0.0.0.0.0.48.1";
  const std::string noEntry = "-220439|No entry for " + route12 + " in valid routes list.";
  struct {
    const char* what;
    std::function<void(Tables*)> rows;
    std::vector<std::string> records, reports;
    std::string traced;  // at level 4
  } rows[] = {
      {"routes via one next hop and a far one, merged with cache entries or added from them", [](Tables* t) {
         t->Route("::", 0, 2, "2001:db8:1::fe");
         t->Route("2001:db8:10::", 48, 2, "2001:db8:1::fe");
         t->Route("2001:db8:11::", 48, 3, "2001:db8:9::1");
         t->Cache(2, "2001:db8:1::fe", "00:00:5E:00:53:FE");
         t->Cache(2, "2001:db8:1::5", "00:00:5E:00:53:05");
       }, {gwMac, gwMac, h5 + "00:00:5E:00:53:05|h5.lab", far}, {},
       "is present in the local neighbour table...Next hop is a remote ipv6 address["},
      {"site-local next hop kept, link-local one passed over", [](Tables* t) {
         t->Route("::", 0, 2, "fec0::9"), t->Route("2001:db8:10::", 48, 2, "fe80::1");
       }, {"fec0::9|128|2|site.lab"}, {noCache},
       "FE80:0000:0000:0000:0000:0000:0000:0001 is NOT site-local/global\n"},
      {"route not valid", [](Tables* t) { t->Route("2001:db8:12::", 48, 2, "2001:db8:1::fd", 2); },
       {}, {"-220439|skip invalid route index", noEntry, noCache}, "Invalid route : " + route12},
      {"via the NE itself", [](Tables* t) { t->Route("::", 0, 2, "2001:db8:1::1"); }, {},
       {"-220439|No entry for 0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.1 in valid routes list.", noCache},
       "table... Next hop is a local ipv6 address["},
      {"a route only the validity walk saw", [](Tables* t) {
         t->Route("2001:db8:12::", 48, 2, "::"), t->Drop("ipv6RouteNextHop"), t->Drop("ipv6RouteType");
         t->Route("::", 0, 2, "2001:db8:1::fe");
       }, {gw}, {"-220439|WARNING: valid asn1 and next hop asn1 inconsistant" + route12, noEntry,
       noCache}, "This is inconsistent."},
      {"a route only the next-hop and validity walks saw", [](Tables* t) {
         t->Route("::", 0, 2, "2001:db8:1::fe"), t->Route("2001:db8:10::", 48, -1, "2001:db8:1::fd");
       }, {gw}, {"-220439", noCache},
       "ifIndex is null for nxtHop[20:01:0D:B8:00:01:00:00:00:00:00:00:00:00:00:FD]\n"},
      {"a route index twice in the next-hop walk: no report of its own", [](Tables* t) {
         t->Route("::", 0, 2, "2001:db8:1::fe");
         t->Text("ipv6RouteNextHop", Tables::RouteIndex("::", 0), ByteWise("2001:db8:9::1").c_str());
       }, {gw, far}, {noCache}, "Add to next hop list : 20:01:0D:B8:00:09:"},
      {"a route index twice in the interface walk", [](Tables* t) {
         t->Route("::", 0, 2, "2001:db8:1::fe"), t->Int("ipv6RouteIfIndex", Tables::RouteIndex("::", 0), 3);
       }, {gw}, {"-220439| possible corruption warning - value of dest VB SHOULD be null but isnt", noCache}, ""},
      {"no routing table", [](Tables*) {}, {}, {noRoutes, noCache}, ""},
      {"a cache entry twice: the record gains a second link-layer field", [](Tables* t) {
         t->Cache(2, "2001:db8:1::5", "00:00:5E:00:53:05"), t->Cache(2, "2001:db8:1::5", "00:00:5E:00:53:05");
       }, {h5 + "00:00:5E:00:53:05|h5.lab|00:00:5E:00:53:05"}, {noRoutes}, ""},
      {"own, link-local and multicast entries", [](Tables* t) {
         t->Cache(2, "2001:db8:1::1", "00:00:5E:00:53:0A");
         t->Cache(2, "fe80::1", "00:00:5E:00:53:01");
         t->Cache(2, "ff02::1", "33:33:00:00:00:01");
       }, {}, {noRoutes},
       "20:01:0D:B8:00:01:00:00:00:00:00:00:00:00:00:01 is not consider as a remote neighbour!\n"},
      {"cache entry without link-layer address", [](Tables* t) { t->Cache(2, "2001:db8:1::5", nullptr); },
       {h5 + "-|h5.lab"}, {noRoutes, "-220439|physical address is null"}, ""},
      {"a cache column missing", [](Tables* t) {
         t->Route("::", 0, 2, "2001:db8:1::fe");
         t->Cache(2, "2001:db8:1::fe", "00:00:5E:00:53:FE");
         t->Drop("ipv6NetToMediaValid");
       }, {gw}, {noCache}, ""},
  };
  for (const auto& row : rows) {
    for (int level : {0, 4}) {
      SCOPED_TRACE(std::string(row.what) + " at level " + std::to_string(level));
      row.rows(&t_);
      KelTraceCapture trace(level);
      EXPECT_EQ(Values(Build(true)), row.records);
      EXPECT_EQ(Reports(), row.reports);
      EXPECT_TRUE(level == 0 || trace.Contains(row.traced));
    }
  }
}

}  // namespace
