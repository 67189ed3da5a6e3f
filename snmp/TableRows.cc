#include "snmp/TableRows.h"

namespace snmp {

TableRows GroupRows(const Oid& entry, const std::vector<uint32_t>& numbers,
                    const std::vector<std::vector<VarBind>>& columns) {
  TableRows rows;
  for (size_t i = 0; i < numbers.size() && i < columns.size(); ++i) {
    Oid column = entry;
    column.push_back(numbers[i]);
    for (const VarBind& bind : columns[i]) {
      if (!OidIsUnder(bind.oid, column)) continue;
      rows[OidSuffix(bind.oid, column.size())].emplace(numbers[i], bind.value);
    }
  }
  return rows;
}

const WireValue* CellOf(const TableRow& row, uint32_t number) {
  auto it = row.find(number);
  return it == row.end() ? nullptr : &it->second;
}

bool IntegerOf(const WireValue* value, long long* out) {
  if (value == nullptr) return false;
  switch (value->type) {
    case EWireType::kInteger:
      *out = value->integer;
      return true;
    case EWireType::kUnsigned32:
    case EWireType::kCounter32:
    case EWireType::kTimeTicks:
    case EWireType::kCounter64:
      *out = static_cast<long long>(value->number);
      return true;
    default:
      return false;
  }
}

}  // namespace snmp
