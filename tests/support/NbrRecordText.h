// Texts of neighbour records for tests, so that records compare field by
// field, in order, and failures print: one "name=value" text per field
// (value as KAStrRep; "name" alone for a field without value).
#ifndef TESTS_SUPPORT_NBRRECORDTEXT_H_
#define TESTS_SUPPORT_NBRRECORDTEXT_H_

#include <string>
#include <vector>

#include "host/CDiscoProcessedData.h"
#include "host/CKelDoubleList.h"
#include "host/CKelTreeList.h"
#include "host/KelError.h"

using FieldTexts = std::vector<std::string>;

// The fields of a record; elements that are not var binds show as
// "<not a field>". A null record gives {"<null record>"}.
FieldTexts NbrRecordText(const CKelDoubleList* record);

// A local neighbour as the processed data holds it.
struct LocalNbrText {
  FieldTexts fields;
  std::vector<FieldTexts> remotes;  // in the order they were filed
};
std::vector<LocalNbrText> ProcessedText(const CDiscoProcessedData& procData);

// The records of a list of CKelPointer wrapping records (the local
// neighbour list), in list order.
std::vector<FieldTexts> PointerListText(const CKelDoubleList* list);

// The records of a remote neighbour tree filed under `key`, in tree order.
std::vector<FieldTexts> TreeRecordsText(const CKelTreeList* tree, long long key);
// Number of records in a remote neighbour tree (0 for null).
int TreeRecordCount(const CKelTreeList* tree);

// "code|message" per report ("code" alone for a report without message).
std::vector<std::string> ReportTexts(const std::vector<KelErrorReport>& reports);

#endif  // TESTS_SUPPORT_NBRRECORDTEXT_H_
