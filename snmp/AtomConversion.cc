#include "snmp/AtomConversion.h"

#include <cstdio>
#include <memory>

#include "host/CKelASN1Address.h"
#include "host/KelAlloc.h"
#include "snmp/PrefixIndex.h"

namespace snmp {

namespace {

bool IsIntegerType(EWireType type) {
  return type == EWireType::kInteger || type == EWireType::kUnsigned32 ||
         type == EWireType::kCounter32 || type == EWireType::kTimeTicks ||
         type == EWireType::kCounter64;
}

CKelAtom* TextAtom(const std::string& text) { return KelNew<CKelAtom>(text.c_str()); }

CKelAtom* IntegerAtom(const WireValue& value) {
  if (value.type == EWireType::kInteger) return new CKelAtom(value.integer);
  // Unsigned values keep their bits; only Counter64 can exceed 2^63 - 1.
  return new CKelAtom(static_cast<long long>(value.number));
}

std::string DisplayText(const std::string& octets) {
  return std::string(octets.c_str());  // up to the first NUL octet
}

std::string DottedQuad(const std::string& octets) {
  std::string text;
  for (size_t i = 0; i < octets.size(); ++i) {
    if (i != 0) text += '.';
    text += std::to_string(static_cast<unsigned char>(octets[i]));
  }
  return text;
}

// The atom of a value whose type does not fit the object's syntax.
CKelAtom* AtomByWireType(const WireValue& value) {
  switch (value.type) {
    case EWireType::kOctetString:
    case EWireType::kOpaque:
      return TextAtom(HexOctets(value.octets));
    case EWireType::kObjectId:
      return TextAtom(OidText(value.oid));
    case EWireType::kIpAddress:
      return TextAtom(DottedQuad(value.octets));
    default:
      if (IsIntegerType(value.type)) return IntegerAtom(value);
      return nullptr;  // NULL and the exceptions
  }
}

}  // namespace

std::string HexOctets(const std::string& octets) {
  std::string text;
  text.reserve(octets.size() * 3);
  for (size_t i = 0; i < octets.size(); ++i) {
    char part[4];
    snprintf(part, sizeof(part), "%.2X", static_cast<unsigned char>(octets[i]));
    if (i != 0) text += ':';
    text += part;
  }
  return text;
}

CKelAtom* ValueToAtom(EMibSyntax syntax, const WireValue& value) {
  switch (syntax) {
    case EMibSyntax::kInteger:
      if (IsIntegerType(value.type)) return IntegerAtom(value);
      break;
    case EMibSyntax::kDisplayString:
      if (value.type == EWireType::kOctetString) {
        return TextAtom(DisplayText(value.octets));
      }
      break;
    case EMibSyntax::kObjectId:
      if (value.type == EWireType::kObjectId) return TextAtom(OidText(value.oid));
      break;
    case EMibSyntax::kOctets:
      if (value.type == EWireType::kOctetString) {
        return TextAtom(HexOctets(value.octets));
      }
      break;
  }
  return AtomByWireType(value);
}

CKelSnmpVarOp* MakeVarOp(const MibObject& object, const VarBind& bind) {
  if (bind.value.IsException() || !OidIsUnder(bind.oid, object.oid)) return nullptr;
  Oid index = OidSuffix(bind.oid, object.oid.size());
  if (object.prefixIndexed) index = NormalisePrefixIndex(index);
  // A value lost for want of memory leaves a row without value (reported).
  std::unique_ptr<CKelASN1Address> address(new CKelASN1Address(std::move(index)));
  std::unique_ptr<CKelAtom> value(ValueToAtom(object.syntax, bind.value));
  if (!address) return nullptr;
  CKelSnmpVarOp* varOp = new CKelSnmpVarOp(address.get(), value.get());
  if (varOp != nullptr) address.release(), value.release();
  return varOp;
}

}  // namespace snmp
