// Building blocks of the neighbour records: fields, scope classes and the
// remote neighbour tree.
//
// A neighbour record is a CKelDoubleList of CKelVarBind fields. A remote
// neighbour tree is a multi-entry CKelTreeList keyed by interface index
// whose wrappers wrap remote neighbour records; whoever holds the tree owns
// the tree, its wrappers and its records.
//
// Nothing here reports: the builders report a field that could not be
// made with their own source line. No state; safe from any thread.
#ifndef PROCESSING_NBRRECORDS_H_
#define PROCESSING_NBRRECORDS_H_

#include "host/CKelAtom.h"
#include "host/CKelDoubleList.h"
#include "host/CKelTreeList.h"
#include "host/CKelVarBind.h"

namespace nbr {

// New fields, or null when memory runs out. A null value or text gives a
// field without value.
CKelVarBind* NewCopyField(const char* name, const CKelAtom* value);  // copies the atom
CKelVarBind* NewTextField(const char* name, char* text);             // takes the malloc'ed text
CKelVarBind* NewCopiedTextField(const char* name, const char* text);
CKelVarBind* NewIntField(const char* name, long long value);

// A new empty record, or null when memory runs out.
CKelDoubleList* NewRecord();

// Appends `field` to `record`, which takes it. False (the field deleted)
// when `field` is null or cannot be appended.
bool Append(CKelDoubleList* record, CKelVarBind* field);

// The class stored in "ipv6AddrScope" for scope number `scope`: Link-local
// 1, Site-local 2, V4-compat 0, Global and Unknown 3; -1 for the scopes
// that never reach a local neighbour record.
int LocalScopeClass(int scope);
// The class stored in "m_RemoteNbrIpScope": Site-local 2, V4-compat 0,
// Global and Unknown 3; -1 for every other scope (a neighbour that is not
// kept).
int RemoteScopeClass(int scope);

// The field `element` of a record, or null when it is not a var bind.
CKelVarBind* FieldOf(CKelListable* element);

// Deletes a remote neighbour tree: every record, every wrapper, the tree.
// Null does nothing.
void DeleteRemoteNbrTree(CKelTreeList* tree);

}  // namespace nbr

#endif  // PROCESSING_NBRRECORDS_H_
