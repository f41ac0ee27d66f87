// The program's own work on a simulated machine: the load sequence with its
// survey, the full repair run and the status report. Building a machine
// from its profile is not what the program does, so it happens with the
// clock stopped; only the handlers are timed.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>

#include "app/frm_main_ids.h"
#include "bench/counted_session.h"
#include "bench/machines.h"

namespace ocx::bench {
namespace {

namespace ids = frm_main;

// Lands in the context of the results, where scripts/bench reads it.
const bool kBuildTypeNoted = (benchmark::AddCustomContext("build_type", OCXMEDIC_BUILD_TYPE), true);

// Per handler call, as counters beside the time.
void reportCounts(benchmark::State& state, std::uint64_t osInfoCreations, std::uint64_t registryOpens) {
  state.counters["osinfo_creations"] =
      benchmark::Counter(static_cast<double>(osInfoCreations), benchmark::Counter::kAvgIterations);
  state.counters["registry_opens"] =
      benchmark::Counter(static_cast<double>(registryOpens), benchmark::Counter::kAvgIterations);
}

// A timing of a survey that found nothing would look splendid and mean
// nothing, so each benchmark first checks that the work was really done.
bool surveyFoundEverything(CountedSession& session) {
  auto& window = session.window();
  return window.visible() && !window.waitCursor() && window.value(ids::chkReplaceControl) == 1 &&
         window.value(ids::chkKillRegPath) == 1 && !session.form().bugfix().NewControlPath().empty() &&
         !session.form().bugfix().InstalledControlVersion().empty();
}

void BM_LoadSequence(benchmark::State& state) {
  std::uint64_t creations = 0;
  std::uint64_t opens = 0;
  std::unique_ptr<CountedSession> session;
  for (auto _ : state) {
    state.PauseTiming();
    session = std::make_unique<CountedSession>(kAfterUpdate);
    state.ResumeTiming();

    session->form().Start();

    state.PauseTiming();
    creations += session->osInfoCreations();
    opens += session->registryOpens();
    const bool complete = surveyFoundEverything(*session);
    session.reset();
    state.ResumeTiming();
    if (!complete) {
      state.SkipWithError("the survey did not find the installed control, the carried copy and both keys");
      break;
    }
  }
  reportCounts(state, creations, opens);
}
// Each iteration builds a machine with the clock stopped, which costs more
// than the handler; a fixed count keeps the whole run short.
BENCHMARK(BM_LoadSequence)->Iterations(50)->Unit(benchmark::kMicrosecond);

void BM_RepairRun(benchmark::State& state) {
  std::uint64_t creations = 0;
  std::uint64_t opens = 0;
  std::unique_ptr<CountedSession> session;
  for (auto _ : state) {
    state.PauseTiming();
    session = std::make_unique<CountedSession>(kAfterUpdate);
    session->form().Start();
    session->resetCounts();
    state.ResumeTiming();

    session->form().cmdGo_Click();

    state.PauseTiming();
    creations += session->osInfoCreations();
    opens += session->registryOpens();
    // Every step ran: seven status lines, four regsvr32 starts, the end.
    const bool complete = session->window().lines(ids::lstStatus).size() == 7 &&
                          session->machine().startedProcesses().size() == 4 && session->form().ended();
    session.reset();
    state.ResumeTiming();
    if (!complete) {
      state.SkipWithError("the repair run did not do all three repairs");
      break;
    }
  }
  reportCounts(state, creations, opens);
}
// A fixed count for the same reason as the load sequence.
BENCHMARK(BM_RepairRun)->Iterations(50)->Unit(benchmark::kMicrosecond);

// Argument 0: before any run (survey rows and options only); 1: after a
// failed run, with its status and error lines in the report.
void BM_StatusReport(benchmark::State& state) {
  const bool afterFailure = state.range(0) == 1;
  auto prepare = [&] {
    auto session = std::make_unique<CountedSession>(afterFailure ? kRenameFails : kAfterUpdate);
    session->form().Start();
    if (afterFailure) {
      session->form().cmdGo_Click();
    }
    return session;
  };
  auto session = prepare();
  const std::size_t lines = session->window().lines(ids::lstStatus).size();
  if (lines != (afterFailure ? 5u : 0u)) {
    state.SkipWithError("the status list does not hold what the case needs");
    return;
  }

  // Every press records its confirmation message; a fresh window now and
  // then keeps that record from growing through millions of presses.
  constexpr std::int64_t kPressesPerWindow = 4096;
  std::int64_t presses = 0;
  for (auto _ : state) {
    if (++presses % kPressesPerWindow == 0) {
      state.PauseTiming();
      session = prepare();
      state.ResumeTiming();
    }
    session->form().cmdStatus_Click();
  }
  if (!session->window().clipboard().has_value()) {
    state.SkipWithError("the report never reached the clipboard");
  }
  state.counters["status_lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_StatusReport)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ocx::bench
