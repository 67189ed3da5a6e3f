// The engine's application base.
#include "host/CKelApplication.h"

void CKelApplication::KASetName(const char* name) { m_Name = name != nullptr ? name : ""; }

void CKelApplication::KASetDesc(const char* desc) { m_Desc = desc != nullptr ? desc : ""; }
