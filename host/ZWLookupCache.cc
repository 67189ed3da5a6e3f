#include "host/ZWLookupCache.h"

#include <netdb.h>

#include <future>
#include <mutex>
#include <unordered_map>

namespace {

using Answer = std::shared_ptr<const ZWCachedAnswer>;

struct Entry {
  std::shared_future<Answer> answer;
  long id;  // which asking made it
};

std::mutex g_Mutex;  // guards the four below; never held while waiting
bool g_On = false;
long g_Asked = 0;
long g_LastId = 0;
std::unordered_map<std::string, Entry> g_Answers;

bool Temporary(int rc) { return rc == EAI_AGAIN || rc == EAI_MEMORY || rc == EAI_SYSTEM; }

// Forgets the answer that asking number `id` made for `key`, unless the
// cache was emptied (and the key asked again) meanwhile.
void Forget(const std::string& key, long id) {
  std::lock_guard<std::mutex> lock(g_Mutex);
  auto found = g_Answers.find(key);
  if (found != g_Answers.end() && found->second.id == id) g_Answers.erase(found);
}

}  // namespace

Answer ZWCachedLookup(const std::string& key, const std::function<ZWCachedAnswer()>& ask) {
  std::promise<Answer> promise;
  long id = 0;
  {
    std::unique_lock<std::mutex> lock(g_Mutex);
    if (!g_On) {
      lock.unlock();
      return std::make_shared<const ZWCachedAnswer>(ask());
    }
    auto found = g_Answers.find(key);
    if (found != g_Answers.end()) {
      std::shared_future<Answer> answer = found->second.answer;
      lock.unlock();
      return answer.get();  // kept, or being asked by another thread
    }
    ++g_Asked;
    id = ++g_LastId;
    g_Answers.emplace(key, Entry{promise.get_future().share(), id});
  }
  Answer answer;
  try {
    answer = std::make_shared<const ZWCachedAnswer>(ask());
  } catch (...) {
    promise.set_exception(std::current_exception());  // the waiting threads fail alike
    Forget(key, id);
    throw;
  }
  promise.set_value(answer);
  if (Temporary(answer->rc)) Forget(key, id);
  return answer;
}

void ZWLookupCacheSwitch(bool on) {
  std::lock_guard<std::mutex> lock(g_Mutex);
  g_On = on;
  g_Asked = 0;
  g_Answers.clear();
}

void ZWLookupCacheClear() {
  std::lock_guard<std::mutex> lock(g_Mutex);
  g_Answers.clear();
}

bool ZWLookupCacheOn() {
  std::lock_guard<std::mutex> lock(g_Mutex);
  return g_On;
}

long ZWLookupCacheAsked() {
  std::lock_guard<std::mutex> lock(g_Mutex);
  return g_Asked;
}
