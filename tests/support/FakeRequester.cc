#include "tests/support/FakeRequester.h"

#include "host/CKelASN1Address.h"
#include "host/CKelSnmpVarOp.h"

void FakeRequester::SetGet(const std::string& address, const std::string& object, long long v) {
  std::lock_guard<std::mutex> lock(m_Mutex);
  m_Gets[address + '\n' + object] = v;
}
void FakeRequester::SetColumn(const std::string& address, const std::string& column,
                              std::vector<Row> rows) {
  std::lock_guard<std::mutex> lock(m_Mutex);
  m_Columns[address + '\n' + column] = std::move(rows);
}

std::vector<FakeRequester::Request> FakeRequester::Requests() const {
  std::lock_guard<std::mutex> lock(m_Mutex);
  return m_Requests;
}

CKelSnmpVarOp* FakeRequester::DSRSnmpGet(CKelRecord* record, const char* objectName,
                                         const char* instance, const char*) {
  const std::string address = DSRTargetAddress(record);
  const std::string object = objectName != nullptr ? objectName : "";
  std::lock_guard<std::mutex> lock(m_Mutex);
  m_Requests.push_back(Request{false, address, object, instance != nullptr ? instance : ""});
  auto it = m_Gets.find(address + '\n' + object);
  if (it == m_Gets.end()) return nullptr;
  CKelASN1Address* index = CKelASN1Address::KAAFromString(instance != nullptr ? instance : "0");
  return new CKelSnmpVarOp(index != nullptr ? index : new CKelASN1Address(),
                           it->second != kNoValue ? new CKelAtom(it->second) : nullptr);
}

CKelDoubleList* FakeRequester::DSRSnmpGetNext(CKelRecord* record, const char* columnName,
                                              const char*, const char*) {
  const std::string address = DSRTargetAddress(record);
  const std::string column = columnName != nullptr ? columnName : "";
  std::lock_guard<std::mutex> lock(m_Mutex);
  m_Requests.push_back(Request{true, address, column, ""});
  auto it = m_Columns.find(address + '\n' + column);
  return it != m_Columns.end() ? List(it->second) : nullptr;
}

CKelDoubleList* FakeRequester::List(const std::vector<Row>& rows) {
  auto* list = new CKelDoubleList();
  for (const Row& row : rows) {
    CKelAtom* value = row.value != nullptr ? new CKelAtom(*row.value) : nullptr;
    list->KDLAddToListEnd(new CKelSnmpVarOp(new CKelASN1Address(row.index), value));
  }
  return list;
}
