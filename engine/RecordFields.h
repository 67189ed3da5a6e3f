// Reading named fields of records and of var-bind lists (local and remote
// neighbour records) for the reports. "Not found" is a null atom or an
// empty optional: a missing field, a field without value, or a value of
// another type. No state; safe from any thread.
#ifndef ENGINE_RECORDFIELDS_H_
#define ENGINE_RECORDFIELDS_H_

#include <optional>
#include <string>
#include <vector>

#include "host/CKelAtom.h"
#include "host/CKelDoubleList.h"
#include "host/CKelRecord.h"

// The value of the first var bind named `name` in `fields` (a list of
// CKelVarBind; other elements are passed over), owned by the list; null
// when there is none or it has no value. Walks the list: O(fields).
const CKelAtom* DEFieldValue(const CKelDoubleList* fields, const char* name);
// The same for an NE record (O(1)); null record gives null.
const CKelAtom* DEFieldValue(const CKelRecord* record, const char* name);

std::optional<std::string> DEText(const CKelAtom* value);
std::optional<long long> DEInteger(const CKelAtom* value);
// The texts of a list atom's text elements ("m_Capabilities"); empty for
// anything else.
std::vector<std::string> DETexts(const CKelAtom* value);

// A value as one line of text: integers in decimal, texts as they are,
// lists as "a, b, c"; "" for null.
std::string DEDisplay(const CKelAtom* value);

#endif  // ENGINE_RECORDFIELDS_H_
