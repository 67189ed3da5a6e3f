// Indexed lookups into the address and prefix tables of one NE for the
// neighbour builders, which ask about every address, route and cache entry
// of the NE. The accessors of the agent walk a column per question, which
// makes a large router quadratic (DIPv6GetPfxLengthFromLocalIpList asks the
// anycast flag of every row per question: cubic).
//
// Each lookup answers exactly what the named accessor answers, with the
// same error reports. A column's index is built on first use, in one walk.
// Where an index could not mirror the accessor exactly, the lookup calls
// the accessor itself:
// - while level-4 tracing is on (the accessors' trace lines are output);
// - for a missing column (the accessor reports that on every call);
// - for a column holding rows that the accessor would report as it passes
//   them (rows without index or value, index texts that cannot be made,
//   values that are no integer or no prefix length).
//
// Borrows the agent and the mediation data, which must not change while
// the object lives. For one thread; one object per builder call.
#ifndef PROCESSING_NBRLOOKUP_H_
#define PROCESSING_NBRLOOKUP_H_

#include <cstddef>
#include <map>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "agent/CDiscoIPv6Agent.h"

class NbrLookup {
 public:
  NbrLookup(CDiscoIPv6Agent* agent, CDiscoMediationData* medData);
  NbrLookup(const NbrLookup&) = delete;
  NbrLookup& operator=(const NbrLookup&) = delete;

  // DIPv6GetAddrAttr(medData, index, column).
  CKelAtom* AddrAttr(CKelASN1Address* index, const char* column);
  // DIPv6IsAnycastAddress(medData, index).
  __boolean IsAnycast(CKelASN1Address* index);
  // DIPv6GetPfxAttr(medData, ifIndex, pfxText, pfxLength, column).
  CKelAtom* PfxAttr(int ifIndex, char* pfxText, int pfxLength, const char* column);
  // DIPv6GetPfxLengthFromLocalIpList(ipStdStr, medData).
  int PfxLengthFor(const char* ipStdStr);

  // True while lookups may use indexes (level-4 tracing off).
  static bool Indexing();

 private:
  // The rows of one column by key; `exact` false when the index cannot
  // stand in for the accessor.
  struct ColumnIndex {
    bool exact = false;
    std::unordered_map<std::string, CKelAtom*> rows;  // first row of a key wins
  };
  struct AnycastIndex {
    bool built = false;
    bool exact = false;
    std::unordered_set<std::string> flagged;  // row keys flagged anycast
  };
  // The own addresses that decide prefix lengths, by prefix length L:
  // L -> (the first L bits of the address -> position in the column).
  struct PfxLengthIndex {
    bool built = false;
    bool exact = false;
    std::map<int, std::unordered_map<std::string, size_t>> byLength;
  };

  ColumnIndex& AddrColumn(const char* column);
  ColumnIndex& PfxColumn(const char* column);
  const AnycastIndex& Anycast();
  const PfxLengthIndex& PfxLengths();

  CDiscoIPv6Agent* m_Agent;
  CDiscoMediationData* m_MedData;
  std::map<std::string, ColumnIndex> m_AddrColumns;
  std::map<std::string, ColumnIndex> m_PfxColumns;
  AnycastIndex m_Anycast;
  PfxLengthIndex m_PfxLengths;
};

#endif  // PROCESSING_NBRLOOKUP_H_
