#include "engine/deep/deepkernel.h"

#include <algorithm>
#include <atomic>
#include <vector>

#include "core/assertions.h"
#include "engine/TFractArray.h"
#include "engine/deep/deepkernel_isa.h"
#include "engine/deep/genericdeep.h"

namespace {

using TBandFunction = bool (*)(const TDeepBandJob&);

TBandFunction BandFunction(TKernelIsa isa) {
  ZASSERT(CpuSupports(isa));
  switch (isa) {
    case TKernelIsa::Avx512:
      return DeepBandAvx512;
    case TKernelIsa::Avx2:
      return DeepBandAvx2;
    case TKernelIsa::Generic:
      break;
  }
  return DeepBandGeneric;
}

void ReportColumn(void* context, int column) {
  auto* band = static_cast<std::pair<TColumnSink*, int>*>(context);
  band->first->ColumnFinished(band->second + column);
}

void AddStats(TDeepStats* total, const TDeepStats& band) {
  if (!total) return;
  std::atomic_ref<int64_t>(total->Pixels).fetch_add(band.Pixels);
  std::atomic_ref<int64_t>(total->Steps).fetch_add(band.Steps);
  std::atomic_ref<int64_t>(total->Skipped).fetch_add(band.Skipped);
  std::atomic_ref<int64_t>(total->Rebases).fetch_add(band.Rebases);
  std::atomic_ref<int64_t>(total->Restarts).fetch_add(band.Restarts);
}

// Lanes with their history buffers, for one band.
struct TLaneStore {
  TLaneStore(int count, int32_t maxCycle)
      : Lanes(static_cast<size_t>(count)),
        History(static_cast<size_t>(count) * 3 * static_cast<size_t>(std::max(maxCycle, 1))) {
    const size_t each = static_cast<size_t>(std::max(maxCycle, 1));
    for (size_t i = 0; i < Lanes.size(); ++i) {
      Lanes[i].HRe = History.data() + (3 * i) * each;
      Lanes[i].HIm = History.data() + (3 * i + 1) * each;
      Lanes[i].HBound = History.data() + (3 * i + 2) * each;
    }
  }
  std::vector<TDeepLane> Lanes;
  std::vector<double> History;
};

}  // namespace

bool ComputeDeepBandColumnsScalar(TDeepPlan& plan, TFractArray& array, TBand band,
                                  const std::atomic<bool>* stop, TColumnSink& sink,
                                  TDeepStats* stats) {
  if (plan.Generic()) return ComputeGenericBandColumns(plan, array, band, stop, sink, stats);
  ZASSERT(array.Width == plan.Params().XResolution && array.Height == plan.Params().YResolution);
  if (!plan.Prepare(stop)) return false;
  const TBand b = ClipBand(band, array);
  const TDeepContext context = MakeDeepContext(plan, b.FirstColumn, b.FirstRow, stop);
  TLaneStore store(1, plan.Params().MaxCycle);
  TDeepLane& lane = store.Lanes[0];
  TDeepStats counts;
  for (int x = b.FirstColumn; x < b.EndColumn; ++x) {
    for (int y = b.FirstRow; y < b.EndRow; ++y) {
      if (ComputeLane(context, lane, x - b.FirstColumn, y - b.FirstRow) == TLaneState::Stopped) {
        AddStats(stats, counts);
        return false;
      }
      array.SetDepth(x, y, lane.Depth);
      array.SetCycle(x, y, lane.Period);
      ++counts.Pixels;
      counts.Steps += lane.Steps;
      counts.Skipped += lane.Skipped;
      counts.Rebases += lane.Rebases;
      counts.Restarts += lane.Restarts;
    }
    if (stop && stop->load(std::memory_order_relaxed)) {
      AddStats(stats, counts);
      return false;
    }
    sink.ColumnFinished(x);
  }
  AddStats(stats, counts);
  return true;
}

bool ComputeDeepBandColumns(TDeepPlan& plan, TFractArray& array, TBand band,
                            const std::atomic<bool>* stop, TColumnSink& sink, TKernelIsa isa,
                            TDeepStats* stats) {
  if (plan.Generic()) return ComputeGenericBandColumns(plan, array, band, stop, sink, stats);
  if (plan.Params().MaxCycle > DeepVectorMaxCycle)
    return ComputeDeepBandColumnsScalar(plan, array, band, stop, sink, stats);
  ZASSERT(array.Width == plan.Params().XResolution && array.Height == plan.Params().YResolution);
  const TBandFunction run = BandFunction(isa);
  if (!plan.Prepare(stop)) return false;
  const TBand b = ClipBand(band, array);
  if (b.FirstColumn >= b.EndColumn) return true;
  if (b.FirstRow >= b.EndRow) {
    for (int x = b.FirstColumn; x < b.EndColumn; ++x) sink.ColumnFinished(x);
    return true;
  }
  const TDeepContext context = MakeDeepContext(plan, b.FirstColumn, b.FirstRow, stop);
  TLaneStore store(DeepMaxLanes, plan.Params().MaxCycle);
  std::vector<int> remaining(static_cast<size_t>(b.EndColumn - b.FirstColumn),
                             b.EndRow - b.FirstRow);
  TDeepStats counts;
  std::pair<TColumnSink*, int> reporter{&sink, b.FirstColumn};

  TDeepBandJob job{};
  job.Context = &context;
  job.Lanes = store.Lanes.data();
  job.Columns = b.EndColumn - b.FirstColumn;
  job.Rows = b.EndRow - b.FirstRow;
  job.Depths = array.DepthColumn(b.FirstColumn) + b.FirstRow;
  job.Cycles = array.CycleColumn(b.FirstColumn) + b.FirstRow;
  job.Stride = array.Height;
  job.Remaining = remaining.data();
  job.ColumnDone = ReportColumn;
  job.Sink = &reporter;
  job.Stats = &counts;
  const bool complete = run(job);
  AddStats(stats, counts);
  return complete;
}
