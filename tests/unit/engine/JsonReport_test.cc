// The JSON report: its shape, value types, orders and odd texts.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "engine/JsonReport.h"
#include "tests/unit/engine/RunFixtures.h"

namespace {

using Json = nlohmann::ordered_json;

Json Write(const CRunReport& report) {
  std::ostringstream out;
  DEWriteJsonReport(report, out);
  EXPECT_EQ(out.str().back(), '\n');
  return Json::parse(out.str());
}

std::vector<std::string> Keys(const Json& object) {
  std::vector<std::string> keys;
  for (auto it = object.begin(); it != object.end(); ++it) keys.push_back(it.key());
  return keys;
}

TEST(JsonReportTest, ShapeOfAProcessedAndAFailedNe) {
  FakeRun run;
  run.report.agentName = "IPv6";
  run.report.agentDescription = "Tovra IPv6 Discovery Agent";
  size_t r1 = run.AddNe("192.0.2.1", "192.0.2.1", true, "r1");
  size_t r2 = run.AddNe("r2", "2001:db8::2", false);
  CKelRecord* record = run.Record(r1);
  auto* capabilities = new CKelDoubleList();
  capabilities->KDLAddToListEnd(new CKelAtom("isIPv6Router"));
  capabilities->KDLAddToListEnd(new CKelAtom("isIPv4Node"));
  record->KRAddOrSetValue("m_Capabilities", new CKelAtom(capabilities, E_KDTList));
  record->KRAddOrSetValue("m_PrefixLength", 128);
  record->KRAddValue("m_Empty", nullptr);
  run.AddLocal(r1, Local(2, "2001:db8::1"), {Remote("2001:db8::2"), Remote("2001:db8::9")});
  run.AddLocal(r1, Fields({{"ipv6IfIndex", Int(3)}, {"ipv6IfLastChange", Int(4294967290LL)},
                           {"ipv6IfDescr", nullptr}}));
  run.AddLocal(r1, Local(2, "fe80::1"), {Remote("2001:db8::2")});
  run.report.nes[r1].snmp.rfc4293Values = 12;
  run.report.nes[r1].errors.push_back({-220439, "ProcessLayer.cc", 67, "No remote nbrs", true});
  run.report.nes[r2].errors.push_back({-220553, "x.cc", 1, "", false});
  run.Link();

  Json j = Write(run.report);
  EXPECT_EQ(Keys(j), (std::vector<std::string>{"agent", "nes", "links"}));
  EXPECT_EQ(j["agent"], Json::parse(R"({"name":"IPv6","description":"Tovra IPv6 Discovery Agent"})"));
  ASSERT_EQ(j["nes"].size(), 2u);

  const Json& ne = j["nes"][0];
  EXPECT_EQ(Keys(ne), (std::vector<std::string>{"input", "status", "ipv6Mib", "reason", "record",
                                                "localNeighbours", "errors"}));
  EXPECT_EQ(ne["input"], "192.0.2.1");
  EXPECT_EQ(ne["status"], "processed");
  EXPECT_EQ(ne["ipv6Mib"], "RFC 4293");
  EXPECT_TRUE(ne["reason"].is_null());
  // Every field in record order; lists as arrays, numbers as numbers.
  EXPECT_EQ(Keys(ne["record"]), (std::vector<std::string>{"m_UniqueAddress", "m_Name",
                                                           "m_Capabilities", "m_PrefixLength"}));
  EXPECT_EQ(ne["record"]["m_Capabilities"], Json::parse(R"(["isIPv6Router","isIPv4Node"])"));
  EXPECT_EQ(ne["record"]["m_PrefixLength"], 128);
  ASSERT_EQ(ne["localNeighbours"].size(), 3u);
  const Json& first = ne["localNeighbours"][0];
  EXPECT_EQ(Keys(first), (std::vector<std::string>{"fields", "remoteNeighbours"}));
  EXPECT_EQ(Keys(first["fields"]), (std::vector<std::string>{"ipv6IfIndex", "ipv6IfDescr",
                                                             "ipv6AddrAddress",
                                                             "ipv6AddrPfxLength"}));
  EXPECT_EQ(first["remoteNeighbours"],
            Json::parse(R"([{"m_RemoteNbrIpAddr":"2001:db8::2","m_RemoteNbrIpPfxLength":64},
                            {"m_RemoteNbrIpAddr":"2001:db8::9","m_RemoteNbrIpPfxLength":64}])"));
  const Json& second = ne["localNeighbours"][1];
  EXPECT_EQ(second["fields"]["ipv6IfLastChange"], 4294967290LL);  // counters keep their value
  EXPECT_TRUE(second["fields"]["ipv6IfDescr"].is_null());         // a field without value
  EXPECT_EQ(second["remoteNeighbours"], Json::array());
  EXPECT_EQ(ne["errors"], Json::parse(R"([{"code":-220439,"message":"No remote nbrs"}])"));

  const Json& failed = j["nes"][1];
  EXPECT_EQ(failed["status"], "failed");
  EXPECT_TRUE(failed["ipv6Mib"].is_null());
  EXPECT_EQ(failed["reason"], "no answer to the forwarding questions");
  EXPECT_EQ(failed["localNeighbours"], Json::array());
  EXPECT_EQ(failed["errors"], Json::parse(R"([{"code":-220553,"message":null}])"));

  EXPECT_EQ(j["links"], Json::parse(R"([
      {"ne":"192.0.2.1","ifIndex":2,"local":"2001:db8::1","locals":["2001:db8::1","fe80::1"],
       "remote":"2001:db8::2","remoteNe":"2001:db8::2"},
      {"ne":"192.0.2.1","ifIndex":2,"local":"2001:db8::1","locals":["2001:db8::1"],
       "remote":"2001:db8::9","remoteNe":null}])"));
}

TEST(JsonReportTest, WhyAFailedNeFailed) {
  using Target = CDiscoSnmpSummary::Target;
  const Target silent{"10.9.0.1", 3, 0, "no SNMP answer from 10.9.0.1", ""};
  const Target refused{"10.9.0.2", 1, 0, "no SNMP answer from 10.9.0.2", "GET at 10.9.0.2 failed"};
  struct Row {
    const char* input;
    const char* address;  // "m_IpAddress", or null
    std::vector<Target> targets;
    const char* reason;
  } rows[] = {
      {"h1.lab", nullptr, {}, "the name 'h1.lab' does not resolve"},
      {"h1.lab", "10.9.0.1", {silent, refused, refused}, "GET at 10.9.0.2 failed"},
      {"10.9.0.1", nullptr, {silent, silent}, "no SNMP answer from 10.9.0.1"},
      {"h1.lab", "10.9.0.1", {silent, {"10.9.0.3", 2, 0, "off", ""}},
       "no SNMP answer from 10.9.0.1; off"},
      {"2001:db8::1/64", nullptr, {}, "no answer to the forwarding questions"},
  };
  for (const Row& row : rows) {
    FakeRun run;
    run.AddNe(row.input, nullptr, false);
    if (row.address != nullptr) run.Record(0)->KRAddOrSetValue("m_IpAddress", row.address);
    run.report.nes[0].snmp.targets = row.targets;
    EXPECT_EQ(Write(run.report)["nes"][0]["reason"], row.reason) << row.input << " " << row.reason;
  }
}

TEST(JsonReportTest, NestedListsNamedElementsAndAMissingRecord) {
  FakeRun run;
  size_t ne = run.AddNe("n", "2001:db8::1");
  auto* inner = new CKelDoubleList();
  inner->KDLAddToListEnd(new CKelAtom(7));
  auto* outer = new CKelDoubleList();
  outer->KDLAddToListEnd(new CKelAtom(inner, E_KDTList));
  outer->KDLAddToListEnd(new CKelVarBind("k", new CKelAtom("v")));
  outer->KDLAddToListEnd(new CKelVarBind("none", nullptr));
  run.Record(ne)->KRAddOrSetValue("m_List", new CKelAtom(outer, E_KDTList));
  run.AddNe("gone", nullptr, false);
  run.report.nes[1].record = nullptr;  // the agent kept the record
  Json j = Write(run.report);
  EXPECT_EQ(j["nes"][0]["record"]["m_List"], Json::parse(R"([[7],{"k":"v"},{"none":null}])"));
  EXPECT_TRUE(j["nes"][1]["record"].is_null());
  EXPECT_EQ(j["links"], Json::array());
}

TEST(JsonReportTest, TextsThatAreNotUtf8StayValidJson) {
  FakeRun run;
  size_t ne = run.AddNe("n", "2001:db8::1");
  run.Record(ne)->KRAddOrSetValue("m_Description", "eth\xe9 \"quoted\"\n\x01");
  Json j = Write(run.report);
  EXPECT_EQ(j["nes"][0]["record"]["m_Description"], "eth\xEF\xBF\xBD \"quoted\"\n\x01");
}

}  // namespace
