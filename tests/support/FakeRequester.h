// A scripted SNMP requester: answers GETs and column walks scripted per target address
// (DSRTargetAddress of the record), records every request; the unscripted get null.
#ifndef TESTS_SUPPORT_FAKEREQUESTER_H_
#define TESTS_SUPPORT_FAKEREQUESTER_H_

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "host/CDiscoStdRequester.h"
#include "host/CKelAtom.h"

class FakeRequester : public CDiscoStdRequester {
 public:
  struct Row {  // a column row: index (OID suffix) and value (null: none)
    std::vector<uint32_t> index;
    std::shared_ptr<const CKelAtom> value;
  };
  // A GET of `object` on `address` answers the value (any instance); kNoValue: a var-op without value.
  static constexpr long long kNoValue = INT64_MIN;
  void SetGet(const std::string& address, const std::string& object, long long value);
  // A walk of `column` answers these rows in order (empty: an empty list).
  void SetColumn(const std::string& address, const std::string& column, std::vector<Row> rows);
  static CKelDoubleList* List(const std::vector<Row>& rows);  // as a walk answers them

  struct Request {  // walk false: a GET, with its instance
    bool walk;
    std::string address, object, instance;
  };
  std::vector<Request> Requests() const;
  int Count() const { return static_cast<int>(Requests().size()); }

  CKelSnmpVarOp* DSRSnmpGet(CKelRecord* record, const char* objectName, const char* instance,
                            const char* extra) override;
  CKelDoubleList* DSRSnmpGetNext(CKelRecord* record, const char* columnName, const char* extra1,
                                 const char* extra2) override;

 private:
  mutable std::mutex m_Mutex;
  std::map<std::string, long long> m_Gets;
  std::map<std::string, std::vector<Row>> m_Columns;
  std::vector<Request> m_Requests;
};

#endif  // TESTS_SUPPORT_FAKEREQUESTER_H_
