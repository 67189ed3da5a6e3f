// Texts of requester results for tests: one line per var-op,
// "<index> = <value>", the value as "int:<n>", "text:<s>" or "null", so
// that results of two requesters compare as strings and failures print.
#ifndef TESTS_SUPPORT_VAROPTEXT_H_
#define TESTS_SUPPORT_VAROPTEXT_H_

#include <string>
#include <vector>

#include "host/CKelDoubleList.h"
#include "host/CKelSnmpVarOp.h"

// "<null var-op>" for null.
std::string VarOpText(const CKelSnmpVarOp* varOp);
// One text per element (elements that are not var-ops show as
// "<not a var-op>"); a null list gives {"<null list>"}.
std::vector<std::string> VarOpListText(const CKelDoubleList* list);

#endif  // TESTS_SUPPORT_VAROPTEXT_H_
