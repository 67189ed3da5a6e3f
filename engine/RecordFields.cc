#include "engine/RecordFields.h"

#include <cstdlib>
#include <cstring>

#include "host/CKelVarBind.h"

const CKelAtom* DEFieldValue(const CKelDoubleList* fields, const char* name) {
  if (fields == nullptr || name == nullptr) return nullptr;
  for (CKelListable* e = fields->KDLHead(); e != nullptr; e = fields->KDLGetNext(e)) {
    if (e->KLKind() != E_KLKVarBind) continue;
    const auto* field = static_cast<const CKelVarBind*>(e);
    if (std::strcmp(field->KVBNameText(), name) == 0) return field->KVBValue();
  }
  return nullptr;
}

const CKelAtom* DEFieldValue(const CKelRecord* record, const char* name) {
  return record != nullptr ? record->KRValueOf(name) : nullptr;
}

std::optional<std::string> DEText(const CKelAtom* value) {
  if (value == nullptr || value->KAType() != E_KDTString) return std::nullopt;
  return std::string(value->KAString());
}

std::optional<long long> DEInteger(const CKelAtom* value) {
  if (value == nullptr || value->KAType() != E_KDTInteger) return std::nullopt;
  return value->KAInt64();
}

std::vector<std::string> DETexts(const CKelAtom* value) {
  std::vector<std::string> texts;
  const CKelDoubleList* list = value != nullptr ? value->KAList() : nullptr;
  if (list == nullptr) return texts;
  for (CKelListable* e = list->KDLHead(); e != nullptr; e = list->KDLGetNext(e)) {
    if (e->KLKind() != E_KLKAtom) continue;
    std::optional<std::string> text = DEText(static_cast<const CKelAtom*>(e));
    if (text) texts.push_back(*text);
  }
  return texts;
}

std::string DEDisplay(const CKelAtom* value) {
  if (value == nullptr) return "";
  if (value->KAType() == E_KDTList) {
    std::string line;
    const CKelDoubleList* list = value->KAList();
    for (CKelListable* e = list->KDLHead(); e != nullptr; e = list->KDLGetNext(e)) {
      const CKelAtom* atom = nullptr;
      if (e->KLKind() == E_KLKAtom) atom = static_cast<const CKelAtom*>(e);
      if (e->KLKind() == E_KLKVarBind) atom = static_cast<const CKelVarBind*>(e)->KVBValue();
      if (!line.empty()) line += ", ";
      line += DEDisplay(atom);
    }
    return line;
  }
  char* text = value->KAStrRep();
  if (text == nullptr) return "";
  std::string result(text);
  std::free(text);
  return result;
}
