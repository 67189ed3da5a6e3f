// What the agent base reports to the engine that drives it. The engine
// (the in-process driver or the runner) implements it; calls arrive on the
// engine's worker threads, several at once.
#ifndef HOST_CDISCOENGINESERVICES_H_
#define HOST_CDISCOENGINESERVICES_H_

#include <memory>

class CDiscoMediationData;
class CDiscoProcessedData;
class CKelRecord;

class CDiscoEngineServices {
 public:
  virtual ~CDiscoEngineServices() = default;

  // The NE of `record` went through every phase. The engine takes the
  // stores (either may be null); the record is still the caller's and is
  // deleted after this call returns.
  virtual void DESNeProcessed(CKelRecord* record, std::unique_ptr<CDiscoMediationData> med,
                              std::unique_ptr<CDiscoProcessedData> proc) = 0;

  // The job of the NE of `record` is over without processing (failed).
  // `record` may be null. The record is deleted after this call returns.
  virtual void DESJobDone(CKelRecord* record) = 0;
};

#endif  // HOST_CDISCOENGINESERVICES_H_
