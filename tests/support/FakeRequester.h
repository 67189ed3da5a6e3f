// A scripted SNMP requester for tests. Answers GETs and column walks from
// scripts kept per target address (CDiscoStdRequester::DSRTargetAddress of
// the record) and records every request. Anything not scripted gets no
// answer (null). Thread-safe; script before the requests start.
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
  // One row of a column: its index (the OID suffix after the column) and
  // its value, copied into every answer (a null value gives a row without
  // value).
  struct Row {
    std::vector<uint32_t> index;
    std::shared_ptr<const CKelAtom> value;
  };
  static Row IntRow(std::vector<uint32_t> index, long long value);
  static Row TextRow(std::vector<uint32_t> index, const char* text);

  // A GET of `object` on `address` answers `value` (any instance).
  void SetGet(const std::string& address, const std::string& object, long long value);
  void SetGet(const std::string& address, const std::string& object, const char* text);
  // A GET of `object` on `address` answers a var-op without value.
  void SetGetNoValue(const std::string& address, const std::string& object);
  // A walk of `column` on `address` answers these rows in this order; an
  // empty vector answers an empty list.
  void SetColumn(const std::string& address, const std::string& column, std::vector<Row> rows);

  struct Request {
    bool walk;            // false: GET
    std::string address;  // target address ("" when the record had none)
    std::string object;
    std::string instance;  // GET only
  };
  std::vector<Request> Requests() const;
  // Requests to `address` ("" counts every request).
  int Count(const std::string& address = "") const;
  int GetCount() const;
  int WalkCount() const;

  CKelSnmpVarOp* DSRSnmpGet(CKelRecord* record, const char* objectName, const char* instance,
                            const char* extra) override;
  CKelDoubleList* DSRSnmpGetNext(CKelRecord* record, const char* columnName, const char* extra1,
                                 const char* extra2) override;

 private:
  static std::string Key(const std::string& address, const std::string& object) {
    return address + '\n' + object;
  }

  mutable std::mutex m_Mutex;
  std::map<std::string, std::shared_ptr<const CKelAtom>> m_Gets;
  std::map<std::string, std::vector<Row>> m_Columns;
  std::vector<Request> m_Requests;
};

#endif  // TESTS_SUPPORT_FAKEREQUESTER_H_
