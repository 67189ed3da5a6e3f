// The rows of one SNMP table as a device gave them, row by row: the row
// index (the OID part after the column) and, per column number, the value.
// Plain data.
#ifndef SNMP_TABLEROWS_H_
#define SNMP_TABLEROWS_H_

#include <cstdint>
#include <map>
#include <vector>

#include "snmp/WireValue.h"

namespace snmp {

using TableRow = std::map<uint32_t, WireValue>;  // column number -> value
using TableRows = std::map<Oid, TableRow>;      // row index -> row, in index order

// Groups walked columns into rows: `columns[i]` holds the bindings of
// column `entry`.`numbers[i]`. A binding outside its column is ignored;
// where a row index repeats in a column, the first value is kept.
TableRows GroupRows(const Oid& entry, const std::vector<uint32_t>& numbers,
                    const std::vector<std::vector<VarBind>>& columns);

// The value of column `number` in `row`, or null.
const WireValue* CellOf(const TableRow& row, uint32_t number);

// The integer of an INTEGER, Unsigned32, Counter or TimeTicks value, or
// false for any other value (and for null).
bool IntegerOf(const WireValue* value, long long* out);

}  // namespace snmp

#endif  // SNMP_TABLEROWS_H_
