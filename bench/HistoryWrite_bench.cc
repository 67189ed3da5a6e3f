// Appending a run to the history: NE records of 30 fields, 8 local
// neighbours each and 100 remote neighbours spread over them, 50 links, for
// a growing number of NEs. The time per NE should stay flat (one
// transaction, prepared statements); 1,000 NEs hold 100,000 neighbours.
//   build/HistoryWrite_bench
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <string>

#include "engine/history/RunStore.h"

namespace {

CStoredRun SyntheticRun(int nes) {
  CStoredRun run;
  run.summary.started = run.summary.finished = "2026-12-07T00:00:00Z";
  run.agent = "bench";
  for (int n = 0; n < nes; ++n) {
    CStoredNe ne;
    ne.input = "10.9." + std::to_string(n / 250) + "." + std::to_string(n % 250 + 1);
    ne.status = "processed";
    ne.name = "r" + std::to_string(n) + ".bench.example";
    for (int f = 0; f < 30; ++f) ne.fields.emplace_back("m_Field" + std::to_string(f), "value " + std::to_string(f));
    ne.capabilities = {"isIPv6Router"};
    for (int l = 0; l < 8; ++l) {
      CStoredLocal local;
      local.ifIndex = l / 2 + 1, local.interface = "eth" + std::to_string(l / 2);
      local.address = "2001:db8:" + std::to_string(n) + ":" + std::to_string(l) + "::1", local.prefixLength = 64;
      for (int r = 0; r < 100 / 8 + (l < 100 % 8); ++r) {
        local.remotes.push_back({"2001:db8:" + std::to_string(n) + ":" + std::to_string(l) + "::" + std::to_string(r + 2),
                                 std::string("00:00:5E:00:53:01"), "cache", std::nullopt});
      }
      ne.locals.push_back(std::move(local));
    }
    run.nes.push_back(std::move(ne));
    for (int k = 0; k < 50; ++k) run.links.push_back({static_cast<size_t>(n), 1, "2001:db8::1", "2001:db8::2", std::nullopt});
  }
  return run;
}

void BM_AppendRun(benchmark::State& state) {
  const CStoredRun run = SyntheticRun(static_cast<int>(state.range(0)));
  char path[] = "/tmp/history-bench-XXXXXX";
  const int fd = mkstemp(path);
  close(fd);
  std::string error;
  for (auto _ : state) {
    state.PauseTiming();
    unlink(path);
    std::unique_ptr<CRunStore> store = DEOpenRunStore(path, false, &error);
    state.ResumeTiming();
    if (store == nullptr || !store->Append(run, &error)) state.SkipWithError(error.c_str());
  }
  unlink(path);
  state.SetItemsProcessed(state.iterations() * state.range(0));  // NEs per second: flat when linear
}
BENCHMARK(BM_AppendRun)->Arg(250)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
