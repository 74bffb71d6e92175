#pragma once
// The deep kernel's vector loop, written once over a small set of vector operations `V` and
// compiled by each instruction-set file with its own flags; everything sits in an unnamed
// namespace so that each build keeps its own copy.
//
// Each lane carries one pixel: its difference from the reference (dz), its difference in c, the
// joint index of its reference value, and K vectors of lanes step together. A step is the
// perturbed formula step on doubles; a lane leaves the loop when its full value escapes or
// faults, matches a history entry, comes nearer to 0 than to the reference, reaches the end of
// its orbit, its difference becomes tiny, or it reaches the limit. The scalar lane code then
// settles it (deeplane.h), and the lane goes on or gets the band's next pixel. The vector
// operations are the scalar code's, in its order, so every build gives the same results.
#include <atomic>
#include <cstdint>

#include "engine/deep/deepkernel_isa.h"
#include "engine/deep/deepstep.h"

namespace {

// Vector steps between two looks at the stop flag when no lane needs attention.
constexpr int64_t DeepStopCheckSteps = 2048;

// The history ring, stored twice over so that the MaxCycle most recent entries are always
// contiguous, newest first, without wrapping.
constexpr int DeepHistorySlots = 2 * (DeepVectorMaxCycle + 1);

template <class V, int Degree, bool Cycles, bool HasDc>
bool RunDeepBand(const TDeepBandJob& job) {
  // Without cycle tests, long-running lanes are watched for repeats (TDeepContext::WatchRepeats).
  constexpr bool Watch = !Cycles;
  using D = typename V::D;
  using M = typename V::M;
  using I = typename V::I;
  constexpr int L = V::L;
  constexpr int K = V::K;
  constexpr int Lanes = K * L;
  static_assert(Lanes <= DeepMaxLanes, "more lanes than the dispatcher provides");

  const TDeepContext& ctx = *job.Context;
  TDeepLane* const lanes = job.Lanes;

  struct alignas(64) TRing {
    double Re[Cycles ? DeepHistorySlots : 1][K][L];
    double Im[Cycles ? DeepHistorySlots : 1][K][L];
  };
  TRing h;
  // The lanes' numbers between bursts of steps.
  alignas(64) double sDr[K][L], sDi[K][L], sCr[K][L], sCi[K][L], sZr[K][L], sZi[K][L];
  alignas(64) int64_t sIdx[K][L], sEnd[K][L];
  // Each lane's starting step, also as a double for the vector loop's watch.
  alignas(64) double sStart[K][L];
  int64_t start[Lanes];
  unsigned activeBits[K] = {};
  M activeMask[K];

  const int mc = Cycles ? ctx.MaxCycle : 0;
  const int ring = mc + 1;
  int write = 0;  // ring position of the next iterate

  const int64_t lastStep = ctx.LastStep;
  const int64_t total = static_cast<int64_t>(job.Columns) * job.Rows;
  int64_t handedOut = 0;
  int nextColumn = 0, nextRow = 0;
  int64_t step = 0;

  auto finishCell = [&](const TDeepLane& lane) {
    const int64_t cell = lane.Column * job.Stride + lane.Row;
    job.Depths[cell] = lane.Depth;
    job.Cycles[cell] = lane.Period;
    TDeepStats& stats = *job.Stats;
    ++stats.Pixels;
    stats.Steps += lane.Steps;
    stats.Skipped += lane.Skipped;
    stats.Rebases += lane.Rebases;
    stats.Restarts += lane.Restarts;
    if (--job.Remaining[lane.Column] == 0) job.ColumnDone(job.Sink, lane.Column);
  };
  // The lane's state into the arrays, its history into the ring (newest first, where the next
  // step compares).
  auto install = [&](int k, int l) {
    const TDeepLane& lane = lanes[k * L + l];
    sDr[k][l] = lane.DzRe;
    sDi[k][l] = lane.DzIm;
    sCr[k][l] = lane.DcRe;
    sCi[k][l] = lane.DcIm;
    sZr[k][l] = ctx.JointRe[lane.Index];
    sZi[k][l] = ctx.JointIm[lane.Index];
    sIdx[k][l] = lane.Index;
    sEnd[k][l] = lane.Stop;
    if constexpr (Cycles) {
      for (int i = 0; i < mc; ++i) {
        int slot = write + 1 + i;
        if (slot >= ring) slot -= ring;
        h.Re[slot][k][l] = h.Re[slot + ring][k][l] = lane.HRe[i];
        h.Im[slot][k][l] = h.Im[slot + ring][k][l] = lane.HIm[i];
      }
    }
    start[k * L + l] = step - lane.Steps;
    sStart[k][l] = static_cast<double>(start[k * L + l]);
    activeBits[k] |= 1u << l;
  };
  // A parked lane stays on iterate 0 (its index does not advance) with a zero difference; its
  // flags are masked.
  auto park = [&](int k, int l) {
    sDr[k][l] = sDi[k][l] = sCr[k][l] = sCi[k][l] = 0.0;
    sZr[k][l] = ctx.JointRe[0];
    sZi[k][l] = ctx.JointIm[0];
    sIdx[k][l] = 0;
    sEnd[k][l] = -1;
    sStart[k][l] = 0.0;
    activeBits[k] &= ~(1u << l);
  };
  // Gives the lane pixels until one needs plain steps, or parks it. False when stopped.
  auto fill = [&](int k, int l) {
    TDeepLane& lane = lanes[k * L + l];
    while (handedOut < total) {
      if (ctx.Stop && ctx.Stop->load(std::memory_order_relaxed)) return false;
      StartLane(ctx, lane, nextColumn, nextRow);
      ++handedOut;
      if (++nextRow == job.Rows) {
        nextRow = 0;
        ++nextColumn;
      }
      const TLaneState state = AdvanceLane(ctx, lane, false);
      if (state == TLaneState::Stopped) return false;
      if (state == TLaneState::Vector) {
        install(k, l);
        return true;
      }
      finishCell(lane);
    }
    park(k, l);
    return true;
  };
  auto firstDeadline = [&] {
    int64_t first = INT64_MAX;
    for (int k = 0; k < K; ++k)
      for (int l = 0; l < L; ++l)
        if (((activeBits[k] >> l) & 1u) && start[k * L + l] + lastStep < first)
          first = start[k * L + l] + lastStep;
    return first;
  };

  if constexpr (Cycles) {
    for (int p = 0; p < 2 * ring; ++p)
      for (int k = 0; k < K; ++k)
        for (int l = 0; l < L; ++l) h.Re[p][k][l] = h.Im[p][k][l] = 0.0;
  }
  for (int k = 0; k < K; ++k)
    for (int l = 0; l < L; ++l)
      if (!fill(k, l)) return false;
  for (int k = 0; k < K; ++k) activeMask[k] = V::FromBits(activeBits[k]);
  int64_t deadline = firstDeadline();

  const TStepConstants<V> constants;
  const D outer2 = V::Set(ctx.Outer2);
  const D inner2 = V::Set(ctx.Inner2);
  const D scalarRebase2 = V::Set(ctx.ScalarRebase2);
  const D rebaseReach2 = V::Set(ctx.RebaseReach2);
  const D tiny2 = V::Set(DeepTiny2);
  const D zero = V::Set(0.0);
  const I zeroStart = V::SetI(ctx.Offsets[1]);
  const I zeroStop = V::SetI(ctx.ZeroStop);
  const double* const jointRe = ctx.JointRe;
  const double* const jointIm = ctx.JointIm;

  for (;;) {
    bool anyActive = false;
    for (int k = 0; k < K; ++k) anyActive = anyActive || activeBits[k] != 0;
    if (!anyActive) break;

    D dr[K], di[K], cr[K], ci[K], zr[K], zi[K], st[K];
    I idx[K], end[K];
    for (int k = 0; k < K; ++k) {
      if constexpr (Watch) st[k] = V::Load(sStart[k]);
      dr[k] = V::Load(sDr[k]);
      di[k] = V::Load(sDi[k]);
      // Without differences in c (the pixel as z) the constant 0 saves the registers.
      cr[k] = HasDc ? V::Load(sCr[k]) : zero;
      ci[k] = HasDc ? V::Load(sCi[k]) : zero;
      zr[k] = V::Load(sZr[k]);
      zi[k] = V::Load(sZi[k]);
      idx[k] = V::LoadI(sIdx[k]);
      end[k] = V::LoadI(sEnd[k]);
    }
    const int64_t event =
        deadline < step + DeepStopCheckSteps ? deadline : step + DeepStopCheckSteps;
    M exits[K];
    // Lanes rebased during the burst, for the counters: a lane rebases at most once a burst
    // unless its orbit of 0 is very short, and the count is only for benchmarks.
    M rebases[K];
    for (int k = 0; k < K; ++k) rebases[k] = V::None();
    for (;;) {
      // Lanes that have run WatchAfter steps after this one started on or before this step.
      [[maybe_unused]] const D watchFrom =
          V::Set(static_cast<double>(step + 1 - ctx.WatchAfter));
#pragma GCC unroll 4
      for (int k = 0; k < K; ++k) {
        D nr, ni;
        DeltaStep<Degree>(constants, zr[k], zi[k], dr[k], di[k], cr[k], ci[k], nr, ni);
        idx[k] = V::IncrementWhere(activeMask[k], idx[k]);
        const D nzr = V::Gather(jointRe, idx[k]);
        const D nzi = V::Gather(jointIm, idx[k]);
        const D fr = nzr + nr;
        const D fi = nzi + ni;
        const D r2 = fi * fi + fr * fr;
        const D d2 = ni * ni + nr * nr;
        // Nearer to 0 than to the reference (or as near): a rebase, left to the scalar side
        // when the value is small enough for skips to follow.
        const M near = V::LessEq(r2, d2 * rebaseReach2);
        const M small = V::Less(r2, scalarRebase2);
        // Beyond the circle or not a number (escape or fault), a tiny difference, or the
        // lane's stop (the orbit's end, or just past a reference value near 0).
        M exit = V::Or(V::Or(V::NotLessEq(r2, outer2), V::Less(d2, tiny2)),
                       V::Or(V::And(near, small), V::EqualI(idx[k], end[k])));
        if constexpr (Cycles) {
          M hit = V::None();
          for (int j = 1; j <= mc; ++j) {
            const D hi = V::Load(h.Im[write + j][k]) - fi;
            const D hr = V::Load(h.Re[write + j][k]) - fr;
            hit = V::Or(hit, V::Less(hi * hi + hr * hr, inner2));
          }
          exit = V::Or(exit, hit);
          V::Store(h.Re[write][k], fr);
          V::Store(h.Re[write + ring][k], fr);
          V::Store(h.Im[write][k], fi);
          V::Store(h.Im[write + ring][k], fi);
        }
        // A rebase: the full value becomes the difference, on iterate 0 (value 0) of the
        // orbit of 0. Selected without a branch, so that the lanes' numbers stay in registers.
        const M rebase = V::And(V::AndNot(near, small), activeMask[k]);
        // A long-running lane that rebases here is looked at for repeats.
        if constexpr (Watch) exit = V::Or(exit, V::And(rebase, V::LessEq(st[k], watchFrom)));
        dr[k] = V::Select(rebase, fr, nr);
        di[k] = V::Select(rebase, fi, ni);
        zr[k] = V::Select(rebase, zero, nzr);
        zi[k] = V::Select(rebase, zero, nzi);
        idx[k] = V::SelectI(rebase, zeroStart, idx[k]);
        end[k] = V::SelectI(rebase, zeroStop, end[k]);
        rebases[k] = V::Or(rebases[k], rebase);
        exits[k] = V::And(exit, activeMask[k]);
      }
      ++step;
      if constexpr (Cycles) write = write == 0 ? ring - 1 : write - 1;
      M any = exits[0];
      for (int k = 1; k < K; ++k) any = V::Or(any, exits[k]);
      if (V::Any(any) || step == event) break;
    }
    for (int k = 0; k < K; ++k) {
      V::Store(sDr[k], dr[k]);
      V::Store(sDi[k], di[k]);
      V::Store(sZr[k], zr[k]);
      V::Store(sZi[k], zi[k]);
      V::StoreI(sIdx[k], idx[k]);
      V::StoreI(sEnd[k], end[k]);
    }
    for (int k = 0; k < K; ++k) job.Stats->Rebases += __builtin_popcount(V::Bits(rebases[k]));
    if (ctx.Stop && ctx.Stop->load(std::memory_order_relaxed)) return false;

    // The history as it was before this step, newest first, starts here.
    const int previous = write == ring - 1 ? 0 : write + 1;
    const bool atDeadline = step == deadline;
    bool settled = false;
    for (int k = 0; k < K; ++k) {
      unsigned candidates = V::Bits(exits[k]) & activeBits[k];
      if (atDeadline)
        for (int l = 0; l < L; ++l)
          if (((activeBits[k] >> l) & 1u) && start[k * L + l] + lastStep == step)
            candidates |= 1u << l;
      if (candidates == 0) continue;
      settled = true;
      while (candidates != 0) {
        const int l = __builtin_ctz(candidates);
        candidates &= candidates - 1;
        TDeepLane& lane = lanes[k * L + l];
        lane.DzRe = sDr[k][l];
        lane.DzIm = sDi[k][l];
        lane.Index = sIdx[k][l];
        lane.Steps = step - start[k * L + l];
        // A lane rebased here has gone over to the orbit of 0 (with the pixel as c that is
        // the main orbit itself, with the same end).
        if (ctx.Offsets[1] > 0 && lane.Index >= ctx.Offsets[1]) lane.Orbit = 1;
        if (lane.Orbit == 1) lane.End = ctx.ZeroEnd;
        if constexpr (Cycles) {
          for (int j = 0; j < mc; ++j) {
            lane.HRe[j] = h.Re[previous + 1 + j][k][l];
            lane.HIm[j] = h.Im[previous + 1 + j][k][l];
          }
        }
        const TLaneState state = AdvanceLane(ctx, lane, true);
        if (state == TLaneState::Stopped) return false;
        if (state == TLaneState::Vector) {
          install(k, l);
          continue;
        }
        finishCell(lane);
        if (!fill(k, l)) return false;
      }
      activeMask[k] = V::FromBits(activeBits[k]);
    }
    if (settled || atDeadline) deadline = firstDeadline();
  }
  return true;
}

template <class V, bool Cycles, bool HasDc>
bool RunDeepBandFormula(const TDeepBandJob& job) {
  switch (job.Context->Degree) {
    case 2:
      return RunDeepBand<V, 2, Cycles, HasDc>(job);
    case 3:
      return RunDeepBand<V, 3, Cycles, HasDc>(job);
    default:
      return RunDeepBand<V, 4, Cycles, HasDc>(job);
  }
}

template <class V, bool Cycles>
bool RunDeepBandMap(const TDeepBandJob& job) {
  return job.Context->HasDc ? RunDeepBandFormula<V, Cycles, true>(job)
                            : RunDeepBandFormula<V, Cycles, false>(job);
}

template <class V>
bool RunDeepBandAll(const TDeepBandJob& job) {
  return job.Context->MaxCycle > 0 ? RunDeepBandMap<V, true>(job)
                                   : RunDeepBandMap<V, false>(job);
}

}  // namespace
