#include "tests/support/MibFixtures.h"

std::vector<std::string> CapabilityNames(const CKelRecord& record) {
  std::vector<std::string> names;
  const CKelAtom* field = record.KRValueOf("m_Capabilities");
  const CKelDoubleList* list = field != nullptr ? field->KAList() : nullptr;
  for (CKelListable* e = list != nullptr ? list->KDLHead() : nullptr; e != nullptr;
       e = list->KDLGetNext(e)) {
    const char* text = e->KLKind() == E_KLKAtom ? static_cast<CKelAtom*>(e)->KAString() : nullptr;
    names.push_back(text != nullptr ? text : "<not text>");
  }
  return names;
}

std::string FieldText(const CKelRecord& record, const char* name) {
  if (record.KRValuePairOf(name) == nullptr) return "<absent>";
  const CKelAtom* value = record.KRValueOf(name);
  const char* text = value != nullptr ? value->KAString() : nullptr;
  return text != nullptr ? text : "<not text>";
}
