#pragma once
#include <algorithm>
#include <limits>
// The vector kernel, written once over a small set of vector operations `V` and compiled by each
// instruction-set file with its own flags. Everything sits in an unnamed namespace so that each
// build keeps its own copy: sharing an inline function between builds would let the linker run
// wide instructions on a CPU that lacks them.
//
// Each lane of a vector carries one pixel; K vectors are stepped together so that their
// dependent multiplications and additions overlap. A lane whose pixel escapes, faults, cycles or
// reaches the limit is settled with scalar code that repeats the reference's tests, and at once
// gets the next pixel of the band. Every arithmetic operation is the reference's, in its order,
// on the same doubles, and the transcendental functions are the vector versions of the
// reference's, which give the same bits lane by lane; so each lane computes exactly what the
// reference computes.
#include <atomic>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <utility>

#include "engine/TFormula.h"
#include "engine/formulas.h"
#include "engine/fastkernel_isa.h"

namespace {

// A lane without a pixel sits at z = 0 with d = 0 and c = (F::ParkedCR, 0), a fixed point of
// its formula (exponents >= 1), so that it never escapes; its cycles are masked. Formulas that
// square the parts of z carry those squares from one step to the next (`a` = x * x,
// `b` = y * y): they are also the next step's escape test.

// Steps between two looks at the stop flag when no lane needs attention.
constexpr int64_t StopCheckSteps = 2048;

// Unused history entries hold this point, as in the reference.
constexpr double HistoryStart = 1000.0;

// The depth template argument of a history kept in memory (any MaxCycle up to FastMaxCycle);
// 0 means no cycle test, 1 .. FastRegisterCycle a history of that depth in registers.
constexpr int RingHistory = -1;

// The history ring in memory, stored twice over so that the MaxCycle most recent entries are
// always contiguous, newest first, without wrapping.
constexpr int HistorySlots = 2 * (FastMaxCycle + 1);

// How many vectors step together: the polynomial formulas need enough independent chains to
// hide their latency, fewer with a history in registers, which takes registers of its own; the
// transcendental ones spend their time in function calls, which keep little in registers.
// With a history, the squaring formulas' short steps end pixels so often that the settling of
// ended lanes, not latency, sets their pace: a vector whose lanes are settled alone branches
// less and less often wrongly than several together.
template <class V, class F, int Depth>
constexpr int Chains() {
  if constexpr (F::Transcendental) return V::KTranscendental;
  if constexpr (Depth != 0 && F::SquaresParts) return V::KCyclesSquares;
  if constexpr (Depth != 0) return V::KCycles;
  return V::K;
}

// Escapes whose depth needs a logarithm wait here, so that several of these long, independent
// computations overlap instead of each stalling the lane settling.
template <class V>
struct TPendingEscapes {
  static constexpr int Capacity = 64;
  static_assert(Capacity % V::L == 0);
  int64_t Cell[Capacity];
  alignas(64) double Steps[Capacity];
  alignas(64) double R2[Capacity];
  int Count = 0;

  void Flush(const TFastBand& job) {
    using D = typename V::D;
    // The logarithms first, as calls; then the divisions a vector at a time, the reference's
    // operations lane by lane.
    alignas(64) double depths[Capacity];
    for (int i = 0; i < Count; ++i) depths[i] = std::log(R2[i]);
    const int whole = (Count + V::L - 1) / V::L * V::L;
    for (int i = Count; i < whole; ++i) depths[i] = Steps[i] = 0.0;
    const D maxDepth = V::Set(job.MaxDepth);
    const D escapeK = V::Set(job.EscapeK);
    const D logOuter2 = V::Set(job.LogOuter2);
    const D zero = V::Set(0.0);
    for (int i = 0; i < whole; i += V::L) {
      D depth = V::Load(Steps + i) - escapeK * V::Load(depths + i) / logOuter2;
      depth = V::Select(V::Less(depth, zero), V::Set(0.0001), depth);
      depth = V::Select(V::Equal(depth, maxDepth), zero, depth);
      V::Store(depths + i, depth / maxDepth);
    }
    for (int i = 0; i < Count; ++i) job.Depths[Cell[i]] = static_cast<float>(depths[i]);
    Count = 0;
  }
};

// The period of the first of the `depth` history entries within InnerDist of (re, im), or 0;
// `before(j)` gives entry j, newest first, re and im. The reference's test, in its order.
template <class TBefore>
inline int32_t FirstCycle(const TFastBand& job, double re, double im, int depth, TBefore before) {
  const double inner2 = job.Inner2;
  for (int j = 0; j < depth; ++j) {
    const auto [hr, hi] = before(j);
    const double di = hi - im;
    const double dr = hr - re;
    if (di * di + dr * dr < inner2) return j + 1;
  }
  return 0;
}

// Counts a stored cell of `column` and reports the column once its last cell is stored.
template <class TPending>
inline void CellStored(const TFastBand& job, TPending& pending, int column) {
  if (--job.Remaining[column] == 0) {
    pending.Flush(job);
    job.ColumnDone(job.Context, column);
  }
}

// Stores the outcome of a pixel that a step flagged (or that reached the limit): the
// reference's tests, in its order, on the pixel's numbers: a fault, an escape, a cycle of
// `period` (see FirstCycle; a confirmed one), the limit. Returns false when none holds (a
// dropped cycle): the pixel goes on. Reports the column once its last cell is stored.
template <class TPending>
inline bool StoreOutcome(const TFastBand& job, TPending& pending, int column, int row,
                         int64_t steps, double re, double im, int32_t period) {
  const int64_t cell = column * job.Stride + row;
  const double r2 = im * im + re * re;
  // Worked out without branches where it can be: the outcomes come in no order a predictor
  // could learn.
  const bool fault = !std::isfinite(re) | !std::isfinite(im) | !std::isfinite(r2);
  const bool escape = !fault & (r2 > job.Outer2);
  period = fault | escape ? 0 : period;
  const int64_t lastStep = job.MaxDepth - 1;
  const bool limit = !fault & !escape & (period == 0) & (steps == lastStep);
  if (!fault & !escape & (period == 0) & !limit) return false;

  // Fractional escapes are stored when the list is flushed; until then their cell holds 0.
  const bool deferred = escape & job.Fractional;
  if (pending.Count == TPending::Capacity) pending.Flush(job);
  pending.Cell[pending.Count] = cell;
  pending.Steps[pending.Count] = static_cast<double>(steps);
  pending.R2[pending.Count] = r2;
  pending.Count += deferred;
  double depthValue = static_cast<double>(period != 0 ? -steps : steps);
  // The limit stores 0 (its depth would equal MaxDepth).
  depthValue = limit | deferred ? 0.0 : depthValue;
  job.Depths[cell] = static_cast<float>(depthValue / static_cast<double>(job.MaxDepth));
  job.Cycles[cell] = period;
  CellStored(job, pending, column);
  return true;
}

// Whether a flagged step of a pixel ends in a cycle detection, its fault and escape tests
// coming first, so that the detection needs its confirmation.
inline bool DetectsCycle(const TFastBand& job, double re, double im, int32_t period) {
  const double r2 = im * im + re * re;
  return period != 0 && std::isfinite(re) && std::isfinite(im) && std::isfinite(r2) &&
         !(r2 > job.Outer2);
}

// Continues a pixel whose detected cycle repels with the reference's code from its iterate
// (re, im), number `steps`, and stores its cells. `olderRe` and `olderIm` hold the history
// before that step, newest first (MaxCycle entries). False when the stop flag was seen.
template <class TPending>
inline bool ResumePixel(const TFastBand& job, TPending& pending, int column, int row,
                        int64_t steps, double re, double im, const double* olderRe,
                        const double* olderIm) {
  // The history after the step: the iterate, then the older ones, real entries only.
  double hRe[FastMaxCycle], hIm[FastMaxCycle];
  const int32_t filled = static_cast<int32_t>(std::min<int64_t>(steps, job.MaxCycle));
  hRe[0] = re;
  hIm[0] = im;
  for (int32_t j = 1; j < filled; ++j) {
    hRe[j] = olderRe[j - 1];
    hIm[j] = olderIm[j - 1];
  }
  float depth = 0.0f;
  int32_t period = 0;
  if (!job.Resume(job, column, row, re, im, steps, hRe, hIm, filled, depth, period)) return false;
  const int64_t cell = column * job.Stride + row;
  job.Depths[cell] = depth;
  job.Cycles[cell] = period;
  CellStored(job, pending, column);
  return true;
}

// The lanes of one band between the step loop and the settling, for no cycle test or a
// history in memory. While steps run, these numbers live in vector registers; the settling
// reads and writes them lane by lane. The loop stops for every ended pixel.
template <class V, class F, int Depth>
struct TLanes {
  static constexpr int L = V::L;
  static constexpr int K = Chains<V, F, Depth>();
  static constexpr int Count = K * L;
  static constexpr bool Ring = Depth == RingHistory;
  static_assert(Depth == 0 || Ring);
  static_assert(Count <= 64, "one bit per lane in a 64-bit word");

  using TField = double[K][L];
  alignas(64) TField X, Y;  // z
  alignas(64) TField CRe, CIm, DRe, DIm;
  // The history in memory (see HistorySlots).
  alignas(64) TField RingRe[Ring ? HistorySlots : 1], RingIm[Ring ? HistorySlots : 1];
  uint64_t Active;  // one bit per lane that has a pixel
  uint64_t Exits;   // lanes the last step flagged

  static double& At(TField& field, int lane) { return (&field[0][0])[lane]; }
};

// Steps every lane until the step count reaches `event` or a lane is flagged, and returns the
// step count; a flagged step is not taken over. The lanes' numbers are loaded into registers
// once and stored back at the end.
template <class V, class F, int Depth>
__attribute__((noinline)) int64_t Advance(TLanes<V, F, Depth>& s, const TFastBand& job,
                                          int& write, int64_t step, int64_t event) {
  using D = typename V::D;
  using M = typename V::M;
  using TState = TLanes<V, F, Depth>;
  constexpr int L = V::L;
  constexpr int K = TState::K;
  constexpr bool Ring = TState::Ring;
  constexpr bool Squares = F::SquaresParts;

  // An escape radius whose square overflows must still let an overflowing r2 count as a fault
  // first, as in the reference: inf <= inf would keep the lane going one more step.
  const D outer2 = V::Set(std::min(job.Outer2, std::numeric_limits<double>::max()));
  const D inner2 = V::Set(job.Inner2);
  const int32_t n = job.N;
  const int32_t m = job.M;
  const int mc = Ring ? job.MaxCycle : 0;
  const int ringSize = mc + 1;
  constexpr unsigned LaneBits = (1u << L) - 1;

  D x[K], y[K], a[K], b[K];
  TVComplex<V> c[K], d[K];
  M active[K];
#pragma GCC unroll 8
  for (int k = 0; k < K; ++k) {
    x[k] = V::Load(s.X[k]);
    y[k] = V::Load(s.Y[k]);
    if constexpr (Squares) {
      a[k] = x[k] * x[k];
      b[k] = y[k] * y[k];
    }
    c[k] = {V::Load(s.CRe[k]), V::Load(s.CIm[k])};
    d[k] = {V::Load(s.DRe[k]), V::Load(s.DIm[k])};
    active[k] = V::FromBits(static_cast<unsigned>(s.Active >> (k * L)) & LaneBits);
  }

  D nx[K], ny[K], na[K], nb[K];
  M exits[K];
  auto commit = [&](int k) __attribute__((always_inline)) {
    x[k] = nx[k];
    y[k] = ny[k];
    if constexpr (Squares) {
      a[k] = na[k];
      b[k] = nb[k];
    }
  };

  uint64_t flagged = 0;
#pragma GCC unroll 1
  for (bool more = true; more;) {
#pragma GCC unroll 8
    for (int k = 0; k < K; ++k) {
      if constexpr (!Squares) {
        a[k] = x[k] * x[k];
        b[k] = y[k] * y[k];
      }
      const TVComplex<V> next = F::template Step<V>({x[k], y[k]}, a[k], b[k], c[k], d[k], n, m);
      D r2;
      if constexpr (Squares) {
        na[k] = next.re * next.re;
        nb[k] = next.im * next.im;
        r2 = nb[k] + na[k];
      } else {
        r2 = next.im * next.im + next.re * next.re;
      }
      // Beyond the circle, or not a number at all: a fault, which the lane's settling sorts out.
      M exit = V::NotLessEq(r2, outer2);
      if constexpr (Ring) {
        M hit = V::None();
        for (int j = 1; j <= mc; ++j) {
          const D di = V::Load(s.RingIm[write + j][k]) - next.im;
          const D dr = V::Load(s.RingRe[write + j][k]) - next.re;
          hit = V::Or(hit, V::Less(di * di + dr * dr, inner2));
        }
        exit = V::Or(exit, hit);
        V::Store(s.RingRe[write][k], next.re);
        V::Store(s.RingRe[write + ringSize][k], next.re);
        V::Store(s.RingIm[write][k], next.im);
        V::Store(s.RingIm[write + ringSize][k], next.im);
        // A lane without a pixel is never flagged.
        exit = V::And(exit, active[k]);
      }
      nx[k] = next.re;
      ny[k] = next.im;
      exits[k] = exit;
    }
    ++step;
    if constexpr (Ring) write = write == 0 ? ringSize - 1 : write - 1;
    M any = exits[0];
#pragma GCC unroll 8
    for (int k = 1; k < K; ++k) any = V::Or(any, exits[k]);
    more = step != event;
    if (V::Any(any)) {
#pragma GCC unroll 8
      for (int k = 0; k < K; ++k) flagged |= static_cast<uint64_t>(V::Bits(exits[k])) << (k * L);
      break;
    }
    if (!more) break;
#pragma GCC unroll 8
    for (int k = 0; k < K; ++k) commit(k);
  }

#pragma GCC unroll 8
  for (int k = 0; k < K; ++k) {
    commit(k);
    V::Store(s.X[k], x[k]);
    V::Store(s.Y[k], y[k]);
  }
  s.Exits = flagged;
  return step;
}

template <class V, class F, int Depth>
bool RunBand(const TFastBand& job) {
  using TState = TLanes<V, F, Depth>;
  constexpr int Lanes = TState::Count;
  constexpr bool Ring = TState::Ring;

  TState s;
  TPendingEscapes<V> pending;
  // The pixel each lane runs.
  int64_t start[Lanes];
  int column[Lanes], row[Lanes];

  const int mc = Ring ? job.MaxCycle : 0;
  const int ringSize = mc + 1;
  int write = 0;  // ring position of the next iterate

  const int64_t lastStep = job.MaxDepth - 1;
  const int64_t total = static_cast<int64_t>(job.Columns) * job.Rows;
  int64_t handedOut = 0;
  int nextColumn = 0, nextRow = 0;
  int running = 0;  // pixels handed out and not yet finished
  int64_t step = 0;

  // Starts the band's next pixel in `lane`, or parks the lane on a fixed point of its formula
  // (where it never escapes; its cycles are masked) when none is left.
  auto next = [&](int lane) __attribute__((always_inline)) {
    const uint64_t bit = uint64_t{1} << lane;
    double re = 0.0, im = 0.0;
    if (handedOut == total) {
      s.Active &= ~bit;
      TState::At(s.CRe, lane) = F::ParkedCR;
      TState::At(s.CIm, lane) = 0.0;
      TState::At(s.DRe, lane) = TState::At(s.DIm, lane) = 0.0;
    } else {
      re = job.ColumnRe[nextColumn];
      im = job.RowIm[nextRow];
      column[lane] = nextColumn;
      row[lane] = nextRow;
      ++running;
      ++handedOut;
      if (++nextRow == job.Rows) {
        nextRow = 0;
        ++nextColumn;
      }
      s.Active |= bit;
      start[lane] = step;
      if (job.MapField == 1) {
        TState::At(s.CRe, lane) = re;
        TState::At(s.CIm, lane) = im;
      }
      if (job.MapField == 2) {
        TState::At(s.DRe, lane) = re;
        TState::At(s.DIm, lane) = im;
      }
    }
    TState::At(s.X, lane) = re;
    TState::At(s.Y, lane) = im;
    if constexpr (Ring) {
      for (int p = 0; p < 2 * ringSize; ++p)
        TState::At(s.RingRe[p], lane) = TState::At(s.RingIm[p], lane) = HistoryStart;
    }
  };
  // The step at which the first running lane reaches the limit.
  auto firstDeadline = [&] {
    int64_t first = INT64_MAX;
    for (int lane = 0; lane < Lanes; ++lane)
      first = std::min(first, ((s.Active >> lane) & 1u) ? start[lane] + lastStep : INT64_MAX);
    return first;
  };

  s.Active = s.Exits = 0;
  for (int lane = 0; lane < Lanes; ++lane) {
    TState::At(s.CRe, lane) = job.CR;
    TState::At(s.CIm, lane) = job.CI;
    TState::At(s.DRe, lane) = job.DR;
    TState::At(s.DIm, lane) = job.DI;
    next(lane);
  }

  int64_t deadline = firstDeadline();
  while (running > 0) {
    const int64_t event = deadline < step + StopCheckSteps ? deadline : step + StopCheckSteps;
    step = Advance<V, F, Depth>(s, job, write, step, event);
    if (job.Stop && job.Stop->load(std::memory_order_relaxed)) return false;

    uint64_t settle = s.Exits;
    const bool atDeadline = step == deadline;
    if (atDeadline)
      for (int lane = 0; lane < Lanes; ++lane)
        settle |= static_cast<uint64_t>(start[lane] + lastStep == step) << lane;
    settle &= s.Active;
    // In the ring, the history as it was before this step, newest first, starts here.
    const int previous = write == ringSize - 1 ? 0 : write + 1;
    for (; settle != 0; settle &= settle - 1) {
      const int lane = __builtin_ctzll(settle);
      const double re = TState::At(s.X, lane);
      const double im = TState::At(s.Y, lane);
      int32_t period = FirstCycle(job, re, im, mc, [&](int j) {
        return std::pair{TState::At(s.RingRe[previous + 1 + j], lane),
                         TState::At(s.RingIm[previous + 1 + j], lane)};
      });
      if (DetectsCycle(job, re, im, period)) {
        double olderRe[FastMaxCycle], olderIm[FastMaxCycle];
        for (int j = 0; j + 1 < period; ++j) {
          olderRe[j] = TState::At(s.RingRe[previous + 1 + j], lane);
          olderIm[j] = TState::At(s.RingIm[previous + 1 + j], lane);
        }
        // A repelling cycle is passed by: the lane goes on with its ring as it is.
        if (job.Repels(job, column[lane], row[lane], re, im, olderRe, olderIm, period))
          period = 0;
      }
      const bool finished = StoreOutcome(job, pending, column[lane], row[lane],
                                         step - start[lane], re, im, period);
      if (finished) {
        --running;
        next(lane);
      }
    }
    // A lane that ended before its limit leaves the deadline early; it is found again then.
    if (atDeadline) deadline = firstDeadline();
  }
  pending.Flush(job);
  return true;
}

// Lanes whose cycle history is kept in registers run without leaving the step loop for each
// ended pixel: the loop writes the ended pixels to a log, lane after lane side by side, and
// takes each lane's next pixel from a queue, both prepared and worked through by the band's
// runner between calls. The step loop is left only when the log is nearly full, the queue
// nearly empty, no lane runs or the stop flag is due.
template <class V, class F, int Depth>
struct TQueuedLanes {
  static constexpr int L = V::L;
  static constexpr int K = Chains<V, F, Depth>();
  static constexpr int Count = K * L;
  static constexpr int Held = Depth;
  // Entries of the queue and the log; each array has room for one more vector, which the
  // loop writes whole.
  static constexpr int Capacity = 8 * Count;
  static constexpr int Room = Capacity + L;
  static_assert(Depth >= 1 && Depth <= FastRegisterCycle);
  static_assert(Count <= 64, "one bit per lane in a 64-bit word");

  using TField = double[K][L];
  // Each lane's pixel: z, c, d, the history newest first, the step it started at and its
  // number (see PixelNumber; -1: no pixel).
  alignas(64) TField X, Y, CRe, CIm, DRe, DIm, HRe[Held], HIm[Held], Start, Id;
  uint64_t Active;  // one bit per lane that has a pixel

  // The pixels to start, from QueueHead on: z and number (-1: none left).
  alignas(64) double QueueRe[Room], QueueIm[Room], QueueId[Room];
  int QueueHead, QueueEnd;

  // The pixels that ended: the last step's result, steps, number and the period of the first
  // history entry within InnerDist (0: none).
  alignas(64) double LogRe[Room], LogIm[Room], LogSteps[Room], LogId[Room], LogPeriod[Room];
  // The history before that step, newest first; written only for the vectors in which a
  // pixel ended with a cycle, which needs it for its confirmation.
  alignas(64) double LogHRe[Held][Room], LogHIm[Held][Room];
  int LogCount;

  // A pixel's number: its band column and row in one double (exact), so that neither needs a
  // division to find.
  static double PixelNumber(int column, int row) {
    return static_cast<double>((int64_t{column} << 32) | row);
  }
  static int ColumnOf(double number) { return static_cast<int>(static_cast<int64_t>(number) >> 32); }
  static int RowOf(double number) {
    return static_cast<int>(static_cast<int64_t>(number) & 0xFFFFFFFF);
  }

  static double& At(TField& field, int lane) { return (&field[0][0])[lane]; }
};

// Writes the lanes of `v` set in `m` to `out` one after another; may write up to a vector's
// width past them. Returns how many were set.
template <class V>
inline int VCompressStore(double* out, typename V::M m, typename V::D v) {
  if constexpr (requires { V::CompressStore(out, m, v); }) {
    return V::CompressStore(out, m, v);
  } else {
    alignas(64) double lanes[V::L];
    V::Store(lanes, v);
    const unsigned bits = V::Bits(m);
    int count = 0;
    for (int l = 0; l < V::L; ++l) {
      out[count] = lanes[l];
      count += static_cast<int>((bits >> l) & 1u);
    }
    return count;
  }
}

// `v` with the lanes set in `m` taken from `in` one after another.
template <class V>
inline typename V::D VExpandLoad(typename V::D v, typename V::M m, const double* in) {
  if constexpr (requires { V::ExpandLoad(v, m, in); }) {
    return V::ExpandLoad(v, m, in);
  } else {
    alignas(64) double lanes[V::L];
    V::Store(lanes, v);
    const unsigned bits = V::Bits(m);
    for (int l = 0; l < V::L; ++l)
      if ((bits >> l) & 1u) lanes[l] = *in++;
    return V::Load(lanes);
  }
}

// Steps every lane until the step count reaches `event` or the log, the queue or the lanes
// run short (see TQueuedLanes), and returns the step count. On entry the log is empty and the
// queue holds at least a pixel per lane.
template <class V, class F, int Depth>
__attribute__((noinline)) int64_t AdvanceQueued(TQueuedLanes<V, F, Depth>& s,
                                                const TFastBand& job, int64_t step,
                                                int64_t event) {
  using D = typename V::D;
  using M = typename V::M;
  using TState = TQueuedLanes<V, F, Depth>;
  constexpr int L = V::L;
  constexpr int K = TState::K;
  constexpr int Held = TState::Held;
  constexpr bool Squares = F::SquaresParts;
  constexpr unsigned LaneBits = (1u << L) - 1;
  // Only these formulas read d; for the others it stays where it is.
  constexpr bool UsesD = F::UsesD;

  const D outer2 = V::Set(std::min(job.Outer2, std::numeric_limits<double>::max()));
  const D inner2 = V::Set(job.Inner2);
  const D zero = V::Set(0.0);
  const int32_t n = job.N;
  const int32_t m = job.M;
  const int mapField = job.MapField;
  const int64_t lastStep = job.MaxDepth - 1;

  D x[K], y[K], a[K], b[K], start[K], id[K];
  TVComplex<V> c[K], d[K];
  D hRe[Held][K], hIm[Held][K];
  M active[K];
#pragma GCC unroll 8
  for (int k = 0; k < K; ++k) {
    x[k] = V::Load(s.X[k]);
    y[k] = V::Load(s.Y[k]);
    a[k] = x[k] * x[k];
    b[k] = y[k] * y[k];
    c[k] = {V::Load(s.CRe[k]), V::Load(s.CIm[k])};
    if constexpr (UsesD) d[k] = {V::Load(s.DRe[k]), V::Load(s.DIm[k])};
    start[k] = V::Load(s.Start[k]);
    id[k] = V::Load(s.Id[k]);
#pragma GCC unroll 8
    for (int j = 0; j < Held; ++j) {
      hRe[j][k] = V::Load(s.HRe[j][k]);
      hIm[j][k] = V::Load(s.HIm[j][k]);
    }
    active[k] = V::FromBits(static_cast<unsigned>(s.Active >> (k * L)) & LaneBits);
  }
  int head = s.QueueHead;
  int logged = s.LogCount;
  const int queueEnd = s.QueueEnd;

  D nx[K], ny[K], na[K], nb[K];
  M exits[K];
  // Takes the step's results over, the history moving one entry deeper.
  auto commit = [&](int k) __attribute__((always_inline)) {
#pragma GCC unroll 8
    for (int j = Held - 1; j >= 1; --j) {
      hRe[j][k] = hRe[j - 1][k];
      hIm[j][k] = hIm[j - 1][k];
    }
    hRe[0][k] = nx[k];
    hIm[0][k] = ny[k];
    x[k] = nx[k];
    y[k] = ny[k];
    if constexpr (Squares) {
      a[k] = na[k];
      b[k] = nb[k];
    }
  };
  // Logs the ended pixels of vector k and starts the queue's next pixels in their lanes.
  auto restart = [&](int k, D now) __attribute__((always_inline)) {
    const M ended = exits[k];
    // The first history entry within InnerDist, taken deepest first so that the newest wins.
    D period = zero;
#pragma GCC unroll 8
    for (int j = Held - 1; j >= 0; --j) {
      const D di = hIm[j][k] - ny[k];
      const D dr = hRe[j][k] - nx[k];
      period = V::Select(V::Less(di * di + dr * dr, inner2), V::Set(j + 1.0), period);
    }
    VCompressStore<V>(s.LogRe + logged, ended, nx[k]);
    VCompressStore<V>(s.LogIm + logged, ended, ny[k]);
    VCompressStore<V>(s.LogSteps + logged, ended, now - start[k]);
    VCompressStore<V>(s.LogId + logged, ended, id[k]);
    VCompressStore<V>(s.LogPeriod + logged, ended, period);
    if (V::Any(V::And(ended, V::Less(zero, period)))) {
#pragma GCC unroll 8
      for (int j = 0; j < Held; ++j) {
        VCompressStore<V>(s.LogHRe[j] + logged, ended, hRe[j][k]);
        VCompressStore<V>(s.LogHIm[j] + logged, ended, hIm[j][k]);
      }
    }
    const int count = static_cast<int>(__builtin_popcount(V::Bits(ended)));
    logged += count;
    commit(k);
    x[k] = VExpandLoad<V>(x[k], ended, s.QueueRe + head);
    y[k] = VExpandLoad<V>(y[k], ended, s.QueueIm + head);
    id[k] = VExpandLoad<V>(id[k], ended, s.QueueId + head);
    head += count;
    start[k] = V::Select(ended, now, start[k]);
    if (mapField == 1) c[k] = {V::Select(ended, x[k], c[k].re), V::Select(ended, y[k], c[k].im)};
    if (UsesD && mapField == 2) d[k] = {V::Select(ended, x[k], d[k].re), V::Select(ended, y[k], d[k].im)};
    active[k] = V::GreaterEq(id[k], zero);
    // Past the band's last pixel a lane is parked on a fixed point of its formula.
    const M parked = V::And(ended, V::Less(id[k], zero));
    if (V::Any(parked)) {
      c[k] = {V::Select(parked, V::Set(F::ParkedCR), c[k].re), V::Select(parked, zero, c[k].im)};
      if constexpr (UsesD)
        d[k] = {V::Select(parked, zero, d[k].re), V::Select(parked, zero, d[k].im)};
    }
    const D fresh = V::Set(HistoryStart);
#pragma GCC unroll 8
    for (int j = 0; j < Held; ++j) {
      hRe[j][k] = V::Select(ended, fresh, hRe[j][k]);
      hIm[j][k] = V::Select(ended, fresh, hIm[j][k]);
    }
    a[k] = x[k] * x[k];
    b[k] = y[k] * y[k];
  };

  // The first step at which a running lane reaches the limit. A lane that ends earlier leaves
  // it behind; it is worked out again when it comes. New pixels reach the limit no earlier.
  const auto firstDeadline = [&] {
    double first = std::numeric_limits<double>::infinity();
    for (int k = 0; k < K; ++k) {
      alignas(64) double starts[L];
      V::Store(starts, V::Select(active[k], start[k], V::Set(first)));
      for (int l = 0; l < L; ++l) first = std::min(first, starts[l]);
    }
    return first == std::numeric_limits<double>::infinity()
               ? std::numeric_limits<int64_t>::max()
               : static_cast<int64_t>(first) + lastStep;
  };
  int64_t deadline = firstDeadline();
  int64_t checkpoint = std::min(deadline, event);

#pragma GCC unroll 1
  for (bool going = true; going;) {
#pragma GCC unroll 8
    for (int k = 0; k < K; ++k) {
      if constexpr (!Squares) {
        a[k] = x[k] * x[k];
        b[k] = y[k] * y[k];
      }
      const TVComplex<V> next = F::template Step<V>({x[k], y[k]}, a[k], b[k], c[k], d[k], n, m);
      D r2;
      if constexpr (Squares) {
        na[k] = next.re * next.re;
        nb[k] = next.im * next.im;
        r2 = nb[k] + na[k];
      } else {
        r2 = next.im * next.im + next.re * next.re;
      }
      // Beyond the circle or not a number (a fault); the nearest history entry within
      // InnerDist (distances are never NaN here: a NaN iterate exits through r2).
      const auto distance = [&](int j) __attribute__((always_inline)) {
        const D di = hIm[j][k] - next.im;
        const D dr = hRe[j][k] - next.re;
        return di * di + dr * dr;
      };
      D nearest = distance(0);
#pragma GCC unroll 8
      for (int j = 1; j < Held; ++j) nearest = V::Min(nearest, distance(j));
      const M exit = V::Or(V::NotLessEq(r2, outer2), V::Less(nearest, inner2));
      nx[k] = next.re;
      ny[k] = next.im;
      // A lane without a pixel is never flagged.
      exits[k] = V::And(exit, active[k]);
    }
    ++step;
    if (step == deadline) [[unlikely]] {
      const D limitStart = V::Set(static_cast<double>(step - lastStep));
#pragma GCC unroll 8
      for (int k = 0; k < K; ++k)
        exits[k] = V::Or(exits[k], V::And(V::Equal(start[k], limitStart), active[k]));
    }
    M any = exits[0];
#pragma GCC unroll 8
    for (int k = 1; k < K; ++k) any = V::Or(any, exits[k]);
    if (V::Any(any)) {
      const D now = V::Set(static_cast<double>(step));
#pragma GCC unroll 8
      for (int k = 0; k < K; ++k) {
        if (V::Any(exits[k]))
          restart(k, now);
        else
          commit(k);
      }
      M running = active[0];
#pragma GCC unroll 8
      for (int k = 1; k < K; ++k) running = V::Or(running, active[k]);
      if (!V::Any(running) || logged > TState::Capacity - TState::Count ||
          queueEnd - head < TState::Count)
        break;
    } else {
#pragma GCC unroll 8
      for (int k = 0; k < K; ++k) commit(k);
    }
    if (step == checkpoint) [[unlikely]] {
      if (step == event) break;
      deadline = firstDeadline();
      checkpoint = std::min(deadline, event);
    }
  }

  uint64_t activeBits = 0;
#pragma GCC unroll 8
  for (int k = 0; k < K; ++k) {
    V::Store(s.X[k], x[k]);
    V::Store(s.Y[k], y[k]);
    V::Store(s.CRe[k], c[k].re);
    V::Store(s.CIm[k], c[k].im);
    if constexpr (UsesD) {
      V::Store(s.DRe[k], d[k].re);
      V::Store(s.DIm[k], d[k].im);
    }
    V::Store(s.Start[k], start[k]);
    V::Store(s.Id[k], id[k]);
#pragma GCC unroll 8
    for (int j = 0; j < Held; ++j) {
      V::Store(s.HRe[j][k], hRe[j][k]);
      V::Store(s.HIm[j][k], hIm[j][k]);
    }
    activeBits |= static_cast<uint64_t>(V::Bits(active[k])) << (k * L);
  }
  s.Active = activeBits;
  s.QueueHead = head;
  s.LogCount = logged;
  return step;
}

template <class V, class F, int Depth>
bool RunQueuedBand(const TFastBand& job) {
  using TState = TQueuedLanes<V, F, Depth>;
  constexpr int Lanes = TState::Count;
  constexpr int Held = TState::Held;

  // Large: kept off the stack of a worker.
  auto owned = std::make_unique<TState>();
  TState& s = *owned;
  TPendingEscapes<V> pending;
  const int64_t total = static_cast<int64_t>(job.Columns) * job.Rows;
  int64_t handedOut = 0, finished = 0;
  int nextColumn = 0, nextRow = 0;
  int64_t step = 0;

  // The band's next pixel and its number, or the number -1 when none is left.
  auto take = [&](double& re, double& im, double& id) __attribute__((always_inline)) {
    if (handedOut == total) {
      re = im = 0.0;
      id = -1.0;
      return;
    }
    re = job.ColumnRe[nextColumn];
    im = job.RowIm[nextRow];
    id = TState::PixelNumber(nextColumn, nextRow);
    ++handedOut;
    if (++nextRow == job.Rows) {
      nextRow = 0;
      ++nextColumn;
    }
  };

  s.Active = 0;
  for (int lane = 0; lane < Lanes; ++lane) {
    double re, im, id;
    take(re, im, id);
    const bool parked = id < 0;
    s.Active |= static_cast<uint64_t>(!parked) << lane;
    TState::At(s.X, lane) = re;
    TState::At(s.Y, lane) = im;
    TState::At(s.CRe, lane) = parked ? F::ParkedCR : job.MapField == 1 ? re : job.CR;
    TState::At(s.CIm, lane) = parked ? 0.0 : job.MapField == 1 ? im : job.CI;
    TState::At(s.DRe, lane) = parked ? 0.0 : job.MapField == 2 ? re : job.DR;
    TState::At(s.DIm, lane) = parked ? 0.0 : job.MapField == 2 ? im : job.DI;
    for (int j = 0; j < Held; ++j)
      TState::At(s.HRe[j], lane) = TState::At(s.HIm[j], lane) = HistoryStart;
    TState::At(s.Start, lane) = 0.0;
    TState::At(s.Id, lane) = id;
  }
  s.QueueHead = s.QueueEnd = s.LogCount = 0;

  while (finished < total) {
    // The queue's unused entries move to its front and the rest fills up.
    const int left = s.QueueEnd - s.QueueHead;
    std::copy_n(s.QueueRe + s.QueueHead, left, s.QueueRe);
    std::copy_n(s.QueueIm + s.QueueHead, left, s.QueueIm);
    std::copy_n(s.QueueId + s.QueueHead, left, s.QueueId);
    for (int i = left; i < TState::Capacity; ++i) take(s.QueueRe[i], s.QueueIm[i], s.QueueId[i]);
    s.QueueHead = 0;
    s.QueueEnd = TState::Capacity;

    step = AdvanceQueued<V, F, Depth>(s, job, step, step + StopCheckSteps);
    if (job.Stop && job.Stop->load(std::memory_order_relaxed)) return false;

    for (int i = 0; i < s.LogCount; ++i) {
      const int column = TState::ColumnOf(s.LogId[i]);
      const int row = TState::RowOf(s.LogId[i]);
      const int64_t steps = static_cast<int64_t>(s.LogSteps[i]);
      const int32_t period = static_cast<int32_t>(s.LogPeriod[i]);
      if (DetectsCycle(job, s.LogRe[i], s.LogIm[i], period)) {
        double olderRe[Held], olderIm[Held];
        for (int j = 0; j < Held; ++j) {
          olderRe[j] = s.LogHRe[j][i];
          olderIm[j] = s.LogHIm[j][i];
        }
        if (job.Repels(job, column, row, s.LogRe[i], s.LogIm[i], olderRe, olderIm, period)) {
          // Rare: the pixel is finished by the reference's code from where it stands.
          if (!ResumePixel(job, pending, column, row, steps, s.LogRe[i], s.LogIm[i], olderRe,
                           olderIm))
            return false;
          continue;
        }
      }
      StoreOutcome(job, pending, column, row, steps, s.LogRe[i], s.LogIm[i], period);
    }
    finished += s.LogCount;
    s.LogCount = 0;
  }
  pending.Flush(job);
  return true;
}


template <class V, class F, int Depth>
bool RunFormulaBand(const TFastBand& job) {
  if constexpr (Depth > 0)
    return RunQueuedBand<V, F, Depth>(job);
  else
    return RunBand<V, F, Depth>(job);
}

// The band's formula.
template <class V, int Depth>
bool RunBandFormula(const TFastBand& job) {
  return WithFormula(job.Formula, [&]<class F>() { return RunFormulaBand<V, F, Depth>(job); });
}

template <class V>
bool RunFastBand(const TFastBand& job) {
  switch (job.MaxCycle) {
    case 0:
      return RunBandFormula<V, 0>(job);
    case 1:
      return RunBandFormula<V, 1>(job);
    case 2:
      return RunBandFormula<V, 2>(job);
    case 3:
      return RunBandFormula<V, 3>(job);
    case 4:
      return RunBandFormula<V, 4>(job);
    default:
      return RunBandFormula<V, RingHistory>(job);
  }
}

template <class V>
void RunFastFunctions(TFastFunction function, const double* x, const double* y, double* out,
                      int count) {
  constexpr int L = V::L;
  for (int i = 0; i < count; i += L) {
    alignas(64) double args[L], powers[L], results[L];
    const int lanes = std::min(L, count - i);
    for (int l = 0; l < L; ++l) {
      args[l] = l < lanes ? x[i + l] : 0.0;
      powers[l] = l < lanes && function == TFastFunction::Pow ? y[i + l] : 1.0;
    }
    const typename V::D arg = V::Load(args);
    typename V::D result, sin, cos;
    switch (function) {
      case TFastFunction::Exp:
        result = V::Exp(arg);
        break;
      case TFastFunction::Sin:
      case TFastFunction::Cos:
        V::SinCos(arg, sin, cos);
        result = function == TFastFunction::Sin ? sin : cos;
        break;
      case TFastFunction::Sinh:
        result = V::Sinh(arg);
        break;
      case TFastFunction::Cosh:
        result = V::Cosh(arg);
        break;
      case TFastFunction::Pow:
        result = V::Pow(arg, V::Load(powers));
        break;
      default:
        result = V::Asin(arg);
        break;
    }
    V::Store(results, result);
    for (int l = 0; l < lanes; ++l) out[i + l] = results[l];
  }
}

}  // namespace
