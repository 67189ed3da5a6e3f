#include "host/CKelPointer.h"

#include <new>

// The clone wraps the same data; neither wrapper owns it.
CKelListable* CKelPointer::KLClone() const { return new (std::nothrow) CKelPointer(m_Data); }
