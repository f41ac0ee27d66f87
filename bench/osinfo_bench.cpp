// The OS information object on a simulated machine: its creation with the
// start-up probe, the registry value reader and the .NET Framework
// detection.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench/counted_session.h"
#include "bench/machines.h"
#include "osinfo/cls_os_info.h"

namespace ocx::bench {
namespace {

void BM_OsInfoCreation(benchmark::State& state) {
  CountedSession session(kAfterUpdate);
  for (auto _ : state) {
    clsOSInfo info(session.platform());
    benchmark::DoNotOptimize(info.Major());
  }
  if (session.osInfoCreations() != static_cast<std::uint64_t>(state.iterations())) {
    state.SkipWithError("a creation did not run exactly one probe");
  }
}
BENCHMARK(BM_OsInfoCreation);

// The reader is private; Organization() is the thinnest public member over
// it: one read of RegisteredOrganization with nothing kept between calls.
void BM_RegistryValueRead(benchmark::State& state) {
  CountedSession session(kAllFrameworks);
  clsOSInfo info(session.platform());
  if (info.Organization() != "Vantrellis") {
    state.SkipWithError("Organization() did not read the registered organisation");
    return;
  }
  session.resetCounts();
  for (auto _ : state) {
    benchmark::DoNotOptimize(info.Organization());
  }
  state.counters["registry_opens"] =
      benchmark::Counter(static_cast<double>(session.registryOpens()), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_RegistryValueRead);

// Detection runs once per object, at its first .NET question, so each
// iteration needs a fresh object: the time includes one creation, which
// BM_OsInfoCreation gives on its own. Argument: how many frameworks the
// machine has (0 or all 5).
void BM_NetFrameworkDetection(benchmark::State& state) {
  const auto expected = static_cast<std::size_t>(state.range(0));
  CountedSession session(expected == 0 ? kAfterUpdate : kAllFrameworks);
  {
    clsOSInfo info(session.platform());
    if (info.NETFrameworkVersions().size() != expected) {
      state.SkipWithError("detection did not find the frameworks of the machine");
      return;
    }
  }
  session.resetCounts();
  for (auto _ : state) {
    clsOSInfo info(session.platform());
    benchmark::DoNotOptimize(info.NETFrameworkVersions());
  }
  state.counters["registry_opens"] =
      benchmark::Counter(static_cast<double>(session.registryOpens()), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_NetFrameworkDetection)->Arg(0)->Arg(5);

}  // namespace
}  // namespace ocx::bench
