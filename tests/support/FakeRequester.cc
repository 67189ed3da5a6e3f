#include "tests/support/FakeRequester.h"

#include "host/CKelASN1Address.h"
#include "host/CKelSnmpVarOp.h"

FakeRequester::Row FakeRequester::IntRow(std::vector<uint32_t> index, long long value) {
  return Row{std::move(index), std::make_shared<const CKelAtom>(value)};
}

FakeRequester::Row FakeRequester::TextRow(std::vector<uint32_t> index, const char* text) {
  return Row{std::move(index), std::make_shared<const CKelAtom>(text)};
}

void FakeRequester::SetGet(const std::string& address, const std::string& object,
                           long long value) {
  std::lock_guard<std::mutex> lock(m_Mutex);
  m_Gets[Key(address, object)] = std::make_shared<const CKelAtom>(value);
}

void FakeRequester::SetGet(const std::string& address, const std::string& object,
                           const char* text) {
  std::lock_guard<std::mutex> lock(m_Mutex);
  m_Gets[Key(address, object)] = std::make_shared<const CKelAtom>(text);
}

void FakeRequester::SetColumn(const std::string& address, const std::string& column,
                              std::vector<Row> rows) {
  std::lock_guard<std::mutex> lock(m_Mutex);
  m_Columns[Key(address, column)] = std::move(rows);
}

void FakeRequester::SetGetNoValue(const std::string& address, const std::string& object) {
  std::lock_guard<std::mutex> lock(m_Mutex);
  m_Gets[Key(address, object)] = nullptr;
}

std::vector<FakeRequester::Request> FakeRequester::Requests() const {
  std::lock_guard<std::mutex> lock(m_Mutex);
  return m_Requests;
}

int FakeRequester::Count(const std::string& address) const {
  std::lock_guard<std::mutex> lock(m_Mutex);
  int count = 0;
  for (const Request& r : m_Requests) count += (address.empty() || r.address == address);
  return count;
}

int FakeRequester::GetCount() const {
  std::lock_guard<std::mutex> lock(m_Mutex);
  int count = 0;
  for (const Request& r : m_Requests) count += !r.walk;
  return count;
}

int FakeRequester::WalkCount() const {
  std::lock_guard<std::mutex> lock(m_Mutex);
  int count = 0;
  for (const Request& r : m_Requests) count += r.walk;
  return count;
}

CKelSnmpVarOp* FakeRequester::DSRSnmpGet(CKelRecord* record, const char* objectName,
                                         const char* instance, const char*) {
  const std::string address = DSRTargetAddress(record);
  const std::string object = objectName != nullptr ? objectName : "";
  std::shared_ptr<const CKelAtom> value;
  {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Requests.push_back(Request{false, address, object, instance != nullptr ? instance : ""});
    auto it = m_Gets.find(Key(address, object));
    if (it == m_Gets.end()) return nullptr;
    value = it->second;
  }
  CKelASN1Address* index = CKelASN1Address::KAAFromString(instance != nullptr ? instance : "0");
  if (index == nullptr) index = new CKelASN1Address();
  return new CKelSnmpVarOp(index, value != nullptr ? new CKelAtom(*value) : nullptr);
}

CKelDoubleList* FakeRequester::DSRSnmpGetNext(CKelRecord* record, const char* columnName,
                                              const char*, const char*) {
  const std::string address = DSRTargetAddress(record);
  const std::string column = columnName != nullptr ? columnName : "";
  std::vector<Row> rows;
  {
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Requests.push_back(Request{true, address, column, ""});
    auto it = m_Columns.find(Key(address, column));
    if (it == m_Columns.end()) return nullptr;
    rows = it->second;
  }
  auto* list = new CKelDoubleList();
  for (const Row& row : rows) {
    list->KDLAddToListEnd(
        new CKelSnmpVarOp(new CKelASN1Address(row.index),
                          row.value != nullptr ? new CKelAtom(*row.value) : nullptr));
  }
  return list;
}
