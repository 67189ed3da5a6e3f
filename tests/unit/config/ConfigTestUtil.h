// Helpers shared by the configuration loader tests.
#ifndef TESTS_UNIT_CONFIG_CONFIGTESTUTIL_H_
#define TESTS_UNIT_CONFIG_CONFIGTESTUTIL_H_

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "host/CKelPointer.h"
#include "host/CKelTreeList.h"

namespace configtest {

using Entries = std::vector<std::pair<std::string, std::string>>;  // key, text

inline std::string Padded(std::string head, size_t width, char pad) {
  head.resize(width, pad);
  return head;
}

// The texts carried by the wrappers of `tree`, in its order; empty for null.
inline std::vector<std::string> TreeTexts(const CKelTreeList* tree) {
  std::vector<std::string> texts;
  const CKelDoubleList* list = tree != nullptr ? tree->KTLIterator() : nullptr;
  for (CKelListable* e = list ? list->KDLHead() : nullptr; e != nullptr; e = list->KDLGetNext(e)) {
    const char* text = static_cast<const char*>(static_cast<CKelPointer*>(e)->KPData());
    texts.push_back(text != nullptr ? text : "<null>");
  }
  return texts;
}

// Empty when `tree` holds exactly `expected` (a tree of nothing must be
// null); otherwise the first difference.
inline std::string CompareTree(const CKelTreeList* tree, const Entries& expected) {
  if (expected.empty()) {
    return tree == nullptr ? "" : "expected null, got " + std::to_string(tree->KTLCount()) + " entries";
  }
  if (tree == nullptr) return "expected entries, got a null list";
  if (tree->KTLCount() != static_cast<int>(expected.size())) {
    return "expected " + std::to_string(expected.size()) + " entries, got " +
           std::to_string(tree->KTLCount());
  }
  for (const auto& [key, text] : expected) {
    CKelPointer* wrapper = tree->KTLGet(key.c_str());
    const char* data = wrapper ? static_cast<const char*>(wrapper->KPData()) : nullptr;
    if (data == nullptr || text != data) return "key " + key + ": expected [" + text + "]";
  }
  return "";
}

// Empty when every one of `parts` occurs in `text`, each after the one
// before; otherwise the first part missing or out of order.
inline std::string InOrder(const std::string& text, std::initializer_list<std::string> parts) {
  size_t at = 0;
  for (const std::string& part : parts) {
    at = text.find(part, at);
    if (at == std::string::npos) return "missing or out of order: [" + part + "] in\n" + text;
    at += part.size();
  }
  return "";
}

}  // namespace configtest

#endif  // TESTS_UNIT_CONFIG_CONFIGTESTUTIL_H_
