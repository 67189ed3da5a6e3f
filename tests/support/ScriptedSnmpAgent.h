// A misbehaving SNMPv2c agent for tests of the live requester: it answers
// each request with the next reply of a script (tooBig, OIDs that do not
// increase, empty replies, silence...), which no simulator does. It listens
// on UDP at 127.0.0.1 on a free port, in a thread of its own, and records
// what was asked. Requests beyond the script get no answer.
#ifndef TESTS_SUPPORT_SCRIPTEDSNMPAGENT_H_
#define TESTS_SUPPORT_SCRIPTEDSNMPAGENT_H_

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class ScriptedSnmpAgent {
 public:
  struct Binding {
    std::string oid;     // dotted
    int tag = 0x02;      // 0x02 INTEGER, or 0x80/0x81/0x82 for the exceptions
    long long value = 0;  // of an INTEGER
  };
  struct Reply {
    bool silent = false;  // send nothing
    int errorStatus = 0;
    std::vector<Binding> binds;
  };
  struct Request {
    int pduType;         // 0xA0 GET, 0xA1 GETNEXT, 0xA5 GETBULK
    long maxRepetitions;  // of a GETBULK (its error-index field)
    std::string oid;     // of the first binding, dotted
  };

  explicit ScriptedSnmpAgent(std::vector<Reply> script);
  ~ScriptedSnmpAgent();
  ScriptedSnmpAgent(const ScriptedSnmpAgent&) = delete;
  ScriptedSnmpAgent& operator=(const ScriptedSnmpAgent&) = delete;

  // 0 when the agent could not start.
  int Port() const { return m_Port; }
  std::vector<Request> Requests() const;

 private:
  void Serve();

  std::vector<Reply> m_Script;
  int m_Fd = -1;
  int m_Port = 0;
  std::atomic<bool> m_Stop{false};
  mutable std::mutex m_Mutex;
  std::vector<Request> m_Requests;
  std::thread m_Thread;
};

#endif  // TESTS_SUPPORT_SCRIPTEDSNMPAGENT_H_
