// Neighbour processing of a large router (bench/LargeRouter.h):
// the whole process layer, and the prefix-length lookup that every remote
// neighbour makes, indexed against the accessor's column walk.
//
// The process layer asks the resolver for the name of every address; run
// it inside the test sandbox so that those lookups are answered from the
// private hosts file instead of leaving the machine:
//   tests/integration/sandbox --hosts tests/integration/fixtures/hosts
//       -- build/ProcessLayer_bench
#include <benchmark/benchmark.h>

#include <string>

#include "agent/CDiscoIPv6Agent.h"
#include "host/CKelValidAddress.h"
#include "host/KelError.h"
#include "processing/NbrLookup.h"
#include "bench/LargeRouter.h"

namespace {

class ProcessAgent : public CDiscoIPv6Agent {
 public:
  using CDiscoIPv6Agent::DADoProcessLayer;
};

// Error reports (thousands of addresses without names) are dropped.
void Quiet() {
  static bool done = false;
  if (!done) KelSetErrorSink([](const KelErrorReport&) {});
  done = true;
}

void BM_ProcessLayer(benchmark::State& state) {
  Quiet();
  const int n = static_cast<int>(state.range(0));
  CKelValidAddress validator;
  for (auto _ : state) {
    state.PauseTiming();
    ProcessAgent agent;
    agent.m_ValidAddr = &validator;
    CKelRecord ne;
    ne.KRAddOrSetValue("m_IpAddress", "198.51.100.99");
    agent.DACreateAndStoreMedData(&ne);
    agent.DACreateAndStoreProcData(&ne);
    FillLargeRouter(agent.DAGetMediationData(&ne), n);
    state.ResumeTiming();
    agent.DADoProcessLayer(&ne);
    benchmark::DoNotOptimize(agent.DAGetProcessedData(&ne)->DPDLocalNbrs().size());
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_ProcessLayer)
    ->Arg(500)
    ->Arg(1250)
    ->Arg(5000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// One prefix-length question per remote neighbour: `n` questions about a
// router of `n` addresses.
void BM_PfxLengthIndexed(benchmark::State& state) {
  Quiet();
  const int n = static_cast<int>(state.range(0));
  CDiscoIPv6Agent agent;
  CDiscoMediationData medData;
  FillLargeRouter(&medData, n);
  for (auto _ : state) {
    NbrLookup lookup(&agent, &medData);
    long long sum = 0;
    for (int k = 1; k <= n / 2; ++k) {
      sum += lookup.PfxLengthFor(LargeRouterAddress(k, "fe").c_str());
      sum += lookup.PfxLengthFor(LargeRouterAddress(k, "20").c_str());
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_PfxLengthIndexed)
    ->Arg(100)
    ->Arg(400)
    ->Arg(5000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// The same questions through the accessor, which walks the address column
// and asks the anycast flag of each row: far too slow beyond a few hundred.
void BM_PfxLengthAccessor(benchmark::State& state) {
  Quiet();
  const int n = static_cast<int>(state.range(0));
  CDiscoIPv6Agent agent;
  CDiscoMediationData medData;
  FillLargeRouter(&medData, n);
  for (auto _ : state) {
    long long sum = 0;
    for (int k = 1; k <= n / 2; ++k) {
      sum += agent.DIPv6GetPfxLengthFromLocalIpList(LargeRouterAddress(k, "fe").c_str(), &medData);
      sum += agent.DIPv6GetPfxLengthFromLocalIpList(LargeRouterAddress(k, "20").c_str(), &medData);
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_PfxLengthAccessor)->Arg(100)->Arg(400)->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace

BENCHMARK_MAIN();
