// The groups of fields of a local neighbour record (see
// CDiscoIPv6Agent::DIPv6GetLocalNbrTags): each appends its fields to the
// record in order, leaving out (and reporting, where the record's rules
// say so) the fields it cannot fill. Atoms of the mediation data are
// copied. For the thread that builds the record.
#ifndef PROCESSING_LOCALNBRFIELDS_H_
#define PROCESSING_LOCALNBRFIELDS_H_

#include "agent/CDiscoIPv6Agent.h"
#include "processing/NbrLookup.h"

namespace nbr {

// Appends field `name` with a copy of `value`; a field that cannot be made
// is reported (-220553) and left out.
void AppendCopy(CKelDoubleList* record, const char* name, const CKelAtom* value);

// "INVALID[" + the "%.2X" byte values of `text` joined by ":" + "(hex)]",
// a new malloc'ed text (3 * length + 13 characters); null when memory
// runs out.
char* InvalidPhysAddress(const char* text);

// Fields 2 to 11: the ipv6IfTable columns of the interface `indexAtom`.
void AppendInterfaceFields(CDiscoMediationData* medData, const CKelAtom* indexAtom,
                           CKelDoubleList* record);

// Fields 14 to 16: the ipv6AddrTable columns of the address row `index`.
void AppendAddressFields(NbrLookup* lookup, CKelASN1Address* index, CKelDoubleList* record);

// Fields 18 and 19: the name of `normalised` and the IPv4 addresses of
// that name.
void AppendNameFields(CDiscoIPv6Agent* agent, const char* normalised, CKelDoubleList* record);

// Fields 20 to 25: the prefix of length `pfxLength` of the address row
// `index` on interface `ifIndex`, its configured name (from `pfxNames`,
// which may be null) and its ipv6AddrPrefixTable columns.
void AppendPrefixFields(CDiscoIPv6Agent* agent, NbrLookup* lookup, const CKelTreeList* pfxNames,
                        CKelASN1Address* index, int ifIndex, int pfxLength, CKelDoubleList* record);

}  // namespace nbr

#endif  // PROCESSING_LOCALNBRFIELDS_H_
