// The engine's application base: name, description and the first virtual
// slots of every engine application.
#ifndef HOST_CKELAPPLICATION_H_
#define HOST_CKELAPPLICATION_H_

#include <string>

class CKelApplication {
 public:
  CKelApplication() = default;
  CKelApplication(const CKelApplication&) = delete;
  CKelApplication& operator=(const CKelApplication&) = delete;

  // Virtual slots, in this order.
  virtual void KASetSCName() {}
  virtual void KASetSCDesc() {}
  virtual int KAInitEngine() { return 1; }
  virtual int KAStartEngine() { return 1; }
  virtual ~CKelApplication() = default;
  virtual int KAProcessCmdLine(int /*argc*/, char** /*argv*/) { return 1; }
  virtual int KAInitApp() { return 1; }

  // Sets the short name / the description (copied; null gives "").
  void KASetName(const char* name);
  void KASetDesc(const char* desc);
  const char* KAGetName() const { return m_Name.c_str(); }
  const char* KAGetDesc() const { return m_Desc.c_str(); }

 protected:
  std::string m_Name;
  std::string m_Desc;
};

#endif  // HOST_CKELAPPLICATION_H_
