#pragma once

#include <cstdint>
#include <functional>

#include "raster/Progress.h"

namespace orvalis {

struct RowWork;

// Counts finished rows so that the waiting thread can report them.
class RowTally {
public:
    void RowDone();

private:
    friend struct RowWork;
    explicit RowTally(RowWork& work) : work_(work) {}
    RowWork& work_;
};

// Works on the contiguous rows [firstRow, endRow) in order and calls
// tally.RowDone() after each one, which raises RunCancelled once the run is
// asked to stop.
using RowBandBody =
    std::function<void(std::int32_t firstRow, std::int32_t endRow, RowTally& tally)>;
using RowBody = std::function<void(std::int32_t row)>;

// The worker threads a run asking for `requested` uses: that many, or one
// per core for 0.
int ThreadCount(int requested);

// Options for work done on the calling thread alone.
inline RunOptions OneThread() {
    RunOptions one;
    one.Threads = 1;
    return one;
}

// Splits [0, rows) into contiguous bands (their number grows with the thread
// count) and runs body on every band with options.Threads worker threads
// (0: one per core). With options.Progress, the calling thread only waits
// and calls it with `stage` as rows finish and once more at the end; without,
// it is one of the worker threads. The first exception a
// body throws stops the work and is rethrown here; a set options.Cancel
// stops it after the rows in hand with RunCancelled. A body whose result does
// not depend on where the bands begin gives the same result for every thread
// count.
void ParallelRowBands(std::int32_t rows, const RunOptions& options, SynthesisStage stage,
                      const RowBandBody& body);

// The same for rows that are computed each on its own.
void ParallelRows(std::int32_t rows, const RunOptions& options, SynthesisStage stage,
                  const RowBody& body);

}  // namespace orvalis
