#include "engine/Recorder.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "engine/AtomicFile.h"
#include "engine/RecordTargets.h"
#include "snmp/SnmprecWriter.h"
#include "snmp/SubtreeRecording.h"

namespace {

// Records one NE: its addresses in turn until one answers.
CRecordedNe RecordOne(const std::string& ne, CChannelRequester* source, const std::string& folder) {
  CRecordedNe result;
  result.ne = ne;
  const std::vector<std::string> targets = DERecordTargets(ne);
  if (targets.empty()) result.error = "the name has no address";
  for (const std::string& target : targets) {
    std::string why;
    std::unique_ptr<snmp::PduChannel> channel = source->DSRChannel(target, &why);
    if (channel == nullptr) {
      result.error += (result.error.empty() ? "" : "; ") + target + ": " + why;
      continue;
    }
    snmp::SubtreeRecording recording = snmp::RecordRequestedSubtrees(channel.get(), source->DSRWalkOptions());
    result.requests += recording.requests;
    if (!recording.answered) {
      result.error += (result.error.empty() ? "" : "; ") +
                      (recording.error.empty() ? source->DSRSilence(target, recording.requests, 0, recording.strays)
                                               : target + ": " + recording.error);
      continue;
    }
    if (!recording.error.empty()) {
      // A recording cut short would replay as a different device.
      result.error = target + ": " + recording.error;
      return result;
    }
    const std::string text = snmp::SnmprecText(recording.binds, &result.leftOut);
    result.objects = recording.binds.size() - result.leftOut;
    result.file = folder + (!folder.empty() && folder.back() == '/' ? "" : "/") + target + ".snmprec";
    result.error.clear();
    result.recorded = DEWriteFileAtomically(result.file, text, &result.error);
    result.writeFailed = !result.recorded;
    if (!result.recorded) result.file.clear();
    return result;
  }
  return result;
}

}  // namespace

std::vector<CRecordedNe> DERecordNes(const std::vector<std::string>& nes, CChannelRequester* source,
                                     const std::string& folder, int threads,
                                     const std::function<bool(size_t done)>& poll) {
  std::vector<CRecordedNe> results(nes.size());
  std::mutex mutex;
  std::condition_variable changed;
  size_t next = 0, done = 0;  // guarded by mutex
  bool stop = !poll(0);       // guarded by mutex once the workers run
  auto work = [&] {
    std::unique_lock<std::mutex> lock(mutex);
    while (!stop && next < nes.size()) {
      const size_t index = next++;
      lock.unlock();
      CRecordedNe result = RecordOne(nes[index], source, folder);
      lock.lock();
      results[index] = std::move(result);
      ++done;
      changed.notify_all();
    }
  };
  std::vector<std::thread> workers;
  const size_t count = std::min(nes.size(), static_cast<size_t>(std::max(threads, 1)));
  for (size_t i = 0; i < count; ++i) workers.emplace_back(work);
  {
    std::unique_lock<std::mutex> lock(mutex);
    for (size_t seen = done; done < next || (!stop && next < nes.size());) {
      changed.wait_for(lock, std::chrono::milliseconds(100), [&] { return done != seen; });
      seen = done;
      lock.unlock();
      const bool goOn = poll(seen);
      lock.lock();
      if (!goOn) stop = true;
    }
  }
  for (std::thread& worker : workers) worker.join();
  for (size_t i = next; i < nes.size(); ++i) {
    results[i].ne = nes[i];
    results[i].interrupted = true;
    results[i].error = "not recorded: interrupted";
  }
  return results;
}
