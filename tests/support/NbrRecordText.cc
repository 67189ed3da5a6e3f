#include "tests/support/NbrRecordText.h"

#include <cstdlib>

#include "host/CKelPointer.h"
#include "host/CKelVarBind.h"

FieldTexts NbrRecordText(const CKelDoubleList* record) {
  if (record == nullptr) return {"<null record>"};
  FieldTexts texts;
  for (CKelListable* e = record->KDLHead(); e != nullptr; e = record->KDLGetNext(e)) {
    if (e->KLKind() != E_KLKVarBind) {
      texts.push_back("<not a field>");
      continue;
    }
    auto* field = static_cast<CKelVarBind*>(e);
    std::string text = field->KVBNameText();
    if (char* value = field->KVBValAsString()) {
      text += "=";
      text += value;
      free(value);
    }
    texts.push_back(text);
  }
  return texts;
}

std::vector<LocalNbrText> ProcessedText(const CDiscoProcessedData& procData) {
  std::vector<LocalNbrText> result;
  for (const CDiscoProcessedData::LocalNbr& local : procData.DPDLocalNbrs()) {
    LocalNbrText text;
    text.fields = NbrRecordText(local.fields);
    for (const CKelDoubleList* remote : local.remotes)
      text.remotes.push_back(NbrRecordText(remote));
    result.push_back(text);
  }
  return result;
}

std::vector<FieldTexts> PointerListText(const CKelDoubleList* list) {
  std::vector<FieldTexts> result;
  for (CKelListable* e = list != nullptr ? list->KDLHead() : nullptr; e != nullptr;
       e = list->KDLGetNext(e)) {
    result.push_back(
        NbrRecordText(static_cast<const CKelDoubleList*>(static_cast<CKelPointer*>(e)->KPData())));
  }
  return result;
}

std::vector<FieldTexts> TreeRecordsText(const CKelTreeList* tree, long long key) {
  std::vector<FieldTexts> result;
  CKelDoubleList* wrappers = tree != nullptr ? tree->KTLGetMultiple(key) : nullptr;
  if (wrappers == nullptr) return result;
  for (CKelListable* e = wrappers->KDLHead(); e != nullptr; e = wrappers->KDLGetNext(e)) {
    result.push_back(
        NbrRecordText(static_cast<const CKelDoubleList*>(static_cast<CKelPointer*>(e)->KPData())));
  }
  wrappers->KDLSetHead(nullptr);
  delete wrappers;
  return result;
}

int TreeRecordCount(const CKelTreeList* tree) { return tree != nullptr ? tree->KTLCount() : 0; }

std::vector<std::string> ReportTexts(const std::vector<KelErrorReport>& reports) {
  std::vector<std::string> texts;
  for (const KelErrorReport& r : reports) {
    texts.push_back(std::to_string(r.code) + (r.hasMessage ? "|" + r.message : ""));
  }
  return texts;
}
