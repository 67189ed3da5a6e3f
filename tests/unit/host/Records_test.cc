// Records, lists, trees, atoms and ASN.1 addresses: what each takes over, copies or borrows, and in which order.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "host/CDiscoProcessedData.h"
#include "host/CKelASN1Address.h"
#include "host/CKelPointer.h"
#include "host/CKelRecord.h"
#include "host/CKelString.h"
#include "host/CKelTreeList.h"

namespace {

using Longs = std::vector<long>;

TEST(CKelRecordTest, ValueFormsTakeOrCopyRefusalsStayWithTheCallerFieldsKeepTheirPlace) {
  auto r = std::make_unique<CKelRecord>();
  char copied[] = "r1", *heap = strdup("2001:db8::1");
  auto* taken = new CKelAtom("fe80::1");
  CKelAtom kept("desc");
  struct Row { const char* what; int got, want; } rows[] = {  // refused arguments stay ours (ASan: double free)
      {"null name, heap text", r->KRAddOrSetValue(nullptr, heap), KEL_ERR_NULL_ARG},
      {"const text", r->KRAddOrSetValue("m_Name", static_cast<const char*>(copied)), 1},
      {"heap text", r->KRAddOrSetValue("m_UniqueAddress", heap), 1},
      {"atom", r->KRAddValue("m_SnmpAccessIP", taken), 1},
      {"add: present", r->KRAddValue("m_SnmpAccessIP", &kept), KEL_ERR_DUPLICATE},
      {"own atom again", r->KRAddOrSetValue("m_SnmpAccessIP", taken), 1},
      {"copy of own value", r->KRAddOrSetValue("m_SnmpAccessIP", static_cast<const CKelAtom*>(r->KRValueOf("m_SnmpAccessIP"))), 1},
      {"remove", r->KRRemoveValue("m_UniqueAddress"), 1},
      {"removed comes back at the end", r->KRAddOrSetValue("m_UniqueAddress", 2), 1},
  };
  for (const Row& row : rows) EXPECT_EQ(row.got, row.want) << row.what;
  copied[0] = 'X';
  std::unique_ptr<CKelRecord> clone(static_cast<CKelRecord*>(r->KLClone()));
  r.reset();  // the clone is deep
  EXPECT_EQ(clone->KRToString(), "{ m_Name = r1, m_SnmpAccessIP = fe80::1, m_UniqueAddress = 2 }");
}

// Callers delete elements while walking a borrowing list, and a walk that searched for each element took minutes.
TEST(CKelDoubleListTest, GetNextComparesOnlySoDeletedElementsAreSafeAndLongWalksAreLinear) {
  CKelDoubleList list;
  for (int i = 0; i < 200000; ++i) list.KDLAddToListEnd(new CKelAtom(i));
  EXPECT_EQ(list.KDLAddToListEnd(list.KDLTail()), KEL_ERR_DUPLICATE);  // held once, deleted once
  int walked = 0;
  for (CKelListable* e = list.KDLHead(); e != nullptr && static_cast<CKelAtom*>(e)->KAInt() == walked; ++walked) delete e, e = list.KDLGetNext(e);
  EXPECT_EQ(walked, 200000);
  EXPECT_EQ(list.KDLSetHead(nullptr), 1);  // forgets without deleting (ASan: double free otherwise)
}

// Short lists are scanned, long ones indexed: both answer every question alike, also amid nested walks and after a removal.
TEST(CKelDoubleListTest, ShortAndLongListsFindStepAndRemoveAlike) {
  for (int length : {5, 100}) {
    CKelDoubleList list, other;
    std::vector<CKelListable*> e;
    for (int i = 0; i < length; ++i) e.push_back(new CKelAtom(i)), list.KDLAddToListEnd(e.back()), other.KDLAddToListEnd(new CKelAtom(i));
    CKelAtom stranger(0);
    int steps = 0;  // an inner walk of another list at every step of the outer one
    for (CKelListable* x = list.KDLHead(); x != nullptr; x = list.KDLGetNext(x), ++steps)
      for (CKelListable* y = other.KDLHead(); y != nullptr; y = other.KDLGetNext(y)) {}
    struct Row { const char* what; bool got; } rows[] = {
        {"walked", steps == length}, {"next of the third", list.KDLGetNext(e[2]) == e[3]},
        {"next of the last", list.KDLGetNext(e.back()) == nullptr}, {"next of a stranger", list.KDLGetNext(&stranger) == nullptr},
        {"holds the fourth", list.KDLContains(e[3])}, {"not a stranger", !list.KDLContains(&stranger)},
        {"third added again", list.KDLAddToListEnd(e[2]) == KEL_ERR_DUPLICATE}, {"third removed", list.KDLRemove(e[2]) == 1},
        {"removed twice", list.KDLRemove(e[2]) == KEL_ERR_NOT_FOUND}, {"second now before the fourth", list.KDLGetNext(e[1]) == e[3]},
        {"removed is no more held", !list.KDLContains(e[2])}, {"removed comes back at the end", list.KDLAddToListEnd(e[2]) == 1 && list.KDLTail() == e[2]},
        {"fourth held after", list.KDLContains(e[3]) && list.KDLLength() == length},
    };
    for (const Row& row : rows) EXPECT_TRUE(row.got) << row.what << ", length " << length;
  }
}

// Short names are kept once and shared: renaming one var bind, or deleting it, leaves the others as they were.
TEST(CKelVarBindTest, NamesStayEachVarBindsOwn) {
  std::string longName(100, 'n');
  for (const std::string& name : {std::string("m_RemoteNbrIpAddr"), longName}) {
    auto a = std::make_unique<CKelVarBind>(name.c_str(), "v");
    std::unique_ptr<CKelVarBind> b(static_cast<CKelVarBind*>(a->KLClone())), c(new CKelVarBind(name.c_str(), nullptr));
    EXPECT_EQ(a->KVBName()->KASet(strdup("renamed")), 1);
    a.reset();
    EXPECT_EQ(std::string(b->KVBNameText()) + "," + c->KVBNameText(), name + "," + name);
    // A value the var bind made itself gives way to one handed over, and back (ASan: each freed once).
    EXPECT_EQ(b->KVBSetValue(new CKelAtom(7)) + c->KVBSetValue(new CKelAtom(2)), 2);
    std::unique_ptr<CKelVarBind> d(static_cast<CKelVarBind*>(b->KLClone()));
    EXPECT_EQ(b->KVBSetValue(nullptr), 1);
    EXPECT_EQ(std::to_string(d->KVBValue()->KAInt()) + std::to_string(c->KVBValue()->KAInt()) + (b->KVBValue() ? "" : "-"), "72-");
  }
}

TEST(CDiscoProcessedDataTest, EachListIsTakenOnceAndRemotesJoinTheirLocalInOrder) {
  CDiscoProcessedData proc;
  auto *early = new CKelDoubleList(), *local = new CKelDoubleList();
  std::vector<CKelDoubleList*> remotes;
  EXPECT_EQ(proc.DPDAddRemoteNbr(local, early), 1);  // before its local neighbour
  for (int i = 0; i < 3000; ++i) remotes.push_back(new CKelDoubleList()), proc.DPDAddRemoteNbr(local, remotes.back());
  struct Row { const char* what; int got, want; } rows[] = {
      {"local", proc.DPDAddLocalNbr(local), 1}, {"local again", proc.DPDAddLocalNbr(local), KEL_ERR_DUPLICATE},
      {"remote again", proc.DPDAddRemoteNbr(local, remotes[1234]), KEL_ERR_DUPLICATE},
      {"local as remote", proc.DPDAddRemoteNbr(local, local), KEL_ERR_DUPLICATE},
      {"remote as local", proc.DPDAddLocalNbr(early), KEL_ERR_DUPLICATE}, {"null", proc.DPDAddLocalNbr(nullptr), KEL_ERR_NULL_ARG},
  };
  for (const Row& row : rows) EXPECT_EQ(row.got, row.want) << row.what;
  remotes.insert(remotes.begin(), early);
  ASSERT_EQ(proc.DPDLocalNbrs().size(), 1u);
  EXPECT_EQ(proc.DPDLocalNbrs()[0].remotes, remotes);  // ASan: each deleted once by the store
}

// The wrapped values of a list; `take`: as every caller takes a KTLGetMultiple list (borrowed wrappers).
Longs Values(CKelDoubleList* list, bool take = false) {
  Longs out;
  for (CKelListable* e = list ? list->KDLHead() : nullptr; e != nullptr; e = list->KDLGetNext(e)) out.push_back(reinterpret_cast<long>(static_cast<CKelPointer*>(e)->KPData()));
  if (take && list != nullptr) list->KDLSetHead(nullptr), delete list;
  return out;
}

TEST(CKelTreeListTest, KeysAddLookUpAndIterateByTheirRules) {
  std::vector<std::unique_ptr<CKelPointer>> w;  // w[i] wraps i; outlives the trees
  for (long i = 0; i < 10; ++i) w.push_back(std::make_unique<CKelPointer>(reinterpret_cast<void*>(i)));
  CKelAtom three(3), text("fe80::1"), list(nullptr, E_KDTList);
  for (bool multi : {true, false}) {
    CKelTreeList tree(multi ? E_KBTrue : E_KBFalse);
    const int second = multi ? 1 : KEL_ERR_DUPLICATE;  // a second entry under a key
    struct Row { const char* what; int got, want; } adds[] = {
        {"int atom", tree.KTLAdd(&three, w[1].get()), 1},
        {"plain int, same key", tree.KTLAdd(3, w[2].get()), second},
        {"64-bit", tree.KTLAdd(1LL << 40, w[3].get()), 1},
        {"text", tree.KTLAdd("fe80::1", w[4].get()), 1},
        {"text atom, same key", tree.KTLAdd(&text, w[5].get()), second},
        {"negative", tree.KTLAdd(-2, w[6].get()), 1},
        {"wrapper held already", tree.KTLAdd("other", w[1].get()), KEL_ERR_DUPLICATE},
        {"list atom key", tree.KTLAdd(&list, w[9].get()), KEL_ERR_WRONG_TYPE},
        {"list atom key, data", tree.KTLAdd(&list, static_cast<void*>(&w)), KEL_ERR_WRONG_TYPE},
    };
    for (const Row& row : adds) EXPECT_EQ(row.got, row.want) << row.what << (multi ? ", multi-entry" : "");
    for (int round = 0; round < 2; ++round)  // a new list each time, the caller's; the wrappers stay the tree's
      EXPECT_EQ(Values(tree.KTLGetMultiple(3), true), multi ? Longs({1, 2}) : Longs({1}));
    EXPECT_EQ(Values(tree.KTLGetMultiple(&text), true), multi ? Longs({4, 5}) : Longs({4}));
    EXPECT_EQ(Values(tree.KTLGetMultiple(0), true), Longs());  // 1 << 40 truncated is another key
    // Integers by value, then texts by strcmp; one key's entries in the order added.
    EXPECT_EQ(Values(tree.KTLIterator()), multi ? Longs({6, 1, 2, 3, 4, 5}) : Longs({6, 1, 3, 4}));
  }  // deleting the tree leaves the wrappers to the caller
}

TEST(CKelAtomTest, EachFormTakesOrCopiesItsValueCopiesAreDeepAndStringsAppendTheirText) {
  char buffer[] = "fe80::1", *heap = strdup("taken");
  auto* list = new CKelDoubleList();
  list->KDLAddToListEnd(new CKelAtom(1LL << 33));
  list->KDLAddToListEnd(new CKelAtom(new CKelDoubleList(*list), E_KDTList));
  struct Row { const char* what; std::unique_ptr<CKelAtom> atom; const void* held; } rows[] = {  // held null: a copy
      {"const text", std::make_unique<CKelAtom>(static_cast<const char*>(buffer)), nullptr},
      {"heap text", std::make_unique<CKelAtom>(heap), heap},
      {"list", std::make_unique<CKelAtom>(list, E_KDTList), list},
  };
  buffer[0] = 'X';
  auto held = [](const CKelAtom& a) { return a.KAType() == E_KDTList ? static_cast<const void*>(a.KAList()) : a.KAString(); };
  CKelString s("copies:");
  for (Row& row : rows) {
    EXPECT_TRUE(row.held == nullptr || held(*row.atom) == row.held) << row.what;
    CKelAtom copy(*row.atom);
    EXPECT_NE(held(copy), held(*row.atom)) << row.what;
    row.atom.reset();  // the copy survives the original
    s.KSStrCat(static_cast<const char*>(nullptr)), s.KSStrCat(static_cast<const CKelAtom*>(nullptr));  // append nothing
    s.KSStrCat(" "), s.KSStrCat(&copy);
  }
  EXPECT_STREQ(s.KSString(), "copies: fe80::1 taken (8589934592, (8589934592))");
}

TEST(CKelASN1AddressTest, ParsesDottedTextAndParsesOfOneTextMatch) {
  struct Row { const char *text, *printed; } rows[] = {  // printed null: refused
      {".1.3.6", "1.3.6"}, {"0.4294967295.7", "0.4294967295.7"}, {"007.1", "7.1"}, {"", ""}, {"4294967296", nullptr},
      {".", nullptr}, {"1.", nullptr}, {"1..2", nullptr}, {"1.a", nullptr}, {"-1", nullptr}, {"1.2 ", nullptr},
  };
  for (const Row& row : rows) {
    std::unique_ptr<CKelASN1Address> a(CKelASN1Address::KAAFromString(row.text)), again(CKelASN1Address::KAAFromString(row.text));
    std::unique_ptr<char, decltype(&free)> printed(a ? a->KAAAddressPrint() : nullptr, &free);
    EXPECT_STREQ(printed.get(), row.printed) << row.text;
    EXPECT_TRUE(a == nullptr || a->KAAMatchAddress(again.get()) == E_KBTrue) << row.text;
  }
}

}  // namespace
