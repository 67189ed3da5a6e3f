#include "host/CKelVarBind.h"

#include <cstring>
#include <mutex>
#include <new>
#include <string>
#include <unordered_set>

namespace {

// Up to kNames distinct names of up to kNameLength characters are kept for
// the life of the process; others (a next hop used as a name, say) are
// copied by each var bind, so the pool stays small whatever the devices send.
constexpr size_t kNames = 1024;
constexpr size_t kNameLength = 64;

// The pool's copy of `name`, or null when the name is not pooled.
// Thread-safe.
const char* Interned(const char* name) {
  if (name == nullptr || strlen(name) > kNameLength) return nullptr;
  static std::mutex mutex;
  // Never freed: atoms borrow its texts until the process ends. A node-based
  // set, so that a text never moves.
  static auto* names = new std::unordered_set<std::string>();
  std::lock_guard<std::mutex> lock(mutex);
  auto found = names->find(name);
  if (found != names->end()) return found->c_str();
  if (names->size() >= kNames) return nullptr;
  try {
    return names->emplace(name).first->c_str();
  } catch (const std::bad_alloc&) {
    return nullptr;  // the var bind copies the name instead
  }
}

}  // namespace

CKelAtom CKelVarBind::NameAtom(const char* name) {
  const char* interned = Interned(name);
  if (interned != nullptr) return CKelAtom(interned, CKelAtom::BorrowedText{});
  return CKelAtom(name);
}

CKelVarBind::CKelVarBind(const char* name, CKelAtom* value)
    : m_Name(NameAtom(name)), m_Inline(0LL), m_Value(value) {}

CKelVarBind::CKelVarBind(const char* name, const CKelAtom* value)
    : m_Name(NameAtom(name)),
      m_Inline(value != nullptr ? CKelAtom(*value) : CKelAtom(0LL)),
      m_Value(value != nullptr ? &m_Inline : nullptr) {}

CKelVarBind::CKelVarBind(const char* name, std::nullptr_t)
    : m_Name(NameAtom(name)), m_Inline(0LL), m_Value(nullptr) {}

CKelVarBind::CKelVarBind(const char* name, char* text)
    : m_Name(NameAtom(name)),
      m_Inline(text != nullptr ? CKelAtom(text) : CKelAtom(0LL)),
      m_Value(text != nullptr ? &m_Inline : nullptr) {}

CKelVarBind::CKelVarBind(const char* name, const char* text)
    : m_Name(NameAtom(name)),
      m_Inline(text != nullptr ? CKelAtom(text) : CKelAtom(0LL)),
      m_Value(text != nullptr ? &m_Inline : nullptr) {}

CKelVarBind::CKelVarBind(const CKelVarBind& other)
    : CKelListable(other),
      m_Name(other.m_Name),
      m_Inline(other.m_Value != nullptr ? CKelAtom(*other.m_Value) : CKelAtom(0LL)),
      m_Value(other.m_Value != nullptr ? &m_Inline : nullptr) {}

CKelVarBind::~CKelVarBind() {
  if (m_Value != &m_Inline) delete m_Value;
}

int CKelVarBind::KVBSetValue(CKelAtom* value) {
  if (value == m_Value) return KEL_OK;  // setting the held atom again keeps it
  if (m_Value == &m_Inline) {
    m_Inline.Release();
  } else {
    delete m_Value;
  }
  m_Value = value;
  return KEL_OK;
}

char* CKelVarBind::KVBValAsString() const { return m_Value != nullptr ? m_Value->KAStrRep() : nullptr; }

CKelListable* CKelVarBind::KLClone() const {
  try {
    return new CKelVarBind(*this);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
