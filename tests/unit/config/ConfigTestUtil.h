// Helpers shared by the configuration loader tests.
#ifndef TESTS_UNIT_CONFIG_CONFIGTESTUTIL_H_
#define TESTS_UNIT_CONFIG_CONFIGTESTUTIL_H_

#include <string>
#include <utility>
#include <vector>

#include "host/CKelPointer.h"
#include "host/CKelTreeList.h"

namespace configtest {

using Entries = std::vector<std::pair<std::string, std::string>>;  // key, text

// The texts carried by the wrappers of `tree`, in its order; empty for null.
inline std::vector<std::string> TreeTexts(const CKelTreeList* tree) {
  std::vector<std::string> texts;
  const CKelDoubleList* list = tree != nullptr ? tree->KTLIterator() : nullptr;
  if (list == nullptr) return texts;
  for (CKelListable* e = list->KDLHead(); e != nullptr; e = list->KDLGetNext(e)) {
    const char* text = static_cast<const char*>(static_cast<CKelPointer*>(e)->KPData());
    texts.push_back(text != nullptr ? text : "<null>");
  }
  return texts;
}

// Empty when `tree` holds exactly `expected` (each key with its text and
// nothing else); otherwise a description of the first difference. A tree
// that holds nothing must be null.
inline std::string CompareTree(const CKelTreeList* tree, const Entries& expected) {
  if (expected.empty()) {
    return tree == nullptr ? "" : "expected a null list, got " + std::to_string(tree->KTLCount()) +
                                      " entries";
  }
  if (tree == nullptr) return "expected entries, got a null list";
  if (tree->KTLCount() != static_cast<int>(expected.size())) {
    return "expected " + std::to_string(expected.size()) + " entries, got " +
           std::to_string(tree->KTLCount());
  }
  for (const auto& [key, text] : expected) {
    CKelPointer* wrapper = tree->KTLGet(key.c_str());
    if (wrapper == nullptr) return "no entry for key " + key;
    const char* data = static_cast<const char*>(wrapper->KPData());
    if (data == nullptr || text != data) {
      return "key " + key + ": expected [" + text + "], got [" + (data ? data : "<null>") + "]";
    }
  }
  return "";
}

}  // namespace configtest

#endif  // TESTS_UNIT_CONFIG_CONFIGTESTUTIL_H_
