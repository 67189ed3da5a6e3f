#include "tests/support/VarOpText.h"

#include <cstdlib>

namespace {

std::string AtomText(const CKelAtom* atom) {
  if (atom == nullptr) return "null";
  if (atom->KAType() == E_KDTInteger) return "int:" + std::to_string(atom->KAInt64());
  if (atom->KAType() == E_KDTString) return std::string("text:") + atom->KAString();
  return "list";
}

}  // namespace

std::string VarOpText(const CKelSnmpVarOp* varOp) {
  if (varOp == nullptr) return "<null var-op>";
  std::string index = "<null index>";
  if (varOp->KSVOASN1() != nullptr) {
    char* text = varOp->KSVOASN1()->KAAAddressPrint();
    if (text != nullptr) index = text;
    free(text);
  }
  return index + " = " + AtomText(varOp->KSVOValue());
}

std::vector<std::string> VarOpListText(const CKelDoubleList* list) {
  if (list == nullptr) return {"<null list>"};
  std::vector<std::string> lines;
  for (CKelListable* item = list->KDLHead(); item != nullptr; item = list->KDLGetNext(item)) {
    lines.push_back(item->KLKind() == E_KLKSnmpVarOp
                        ? VarOpText(static_cast<const CKelSnmpVarOp*>(item))
                        : "<not a var-op>");
  }
  return lines;
}
