#include "raster/ParallelRows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

namespace orvalis {
namespace {

TEST(ParallelRows, VisitsEveryRowOnceInContiguousAscendingBands) {
    for (const int threads : {0, 1, 2, 3, 7}) {
        for (const std::int32_t rows : {0, 1, 5, 100}) {
            std::vector<std::atomic<int>> visits(static_cast<std::size_t>(rows));
            ParallelRowBands(rows, RunOptions{threads, {}}, SynthesisStage::Blend,
                             [&](std::int32_t first, std::int32_t end, RowTally& tally) {
                                 ASSERT_LT(first, end);
                                 for (std::int32_t row = first; row < end; ++row) {
                                     ++visits[row];
                                     tally.RowDone();
                                 }
                             });
            for (std::int32_t row = 0; row < rows; ++row) {
                EXPECT_EQ(visits[row], 1) << "row " << row << ", " << threads << " threads";
            }
        }
    }
}

// Without reports the calling thread works too: one thread is the caller's own.
TEST(ParallelRows, WithoutReportsTheCallerIsOneOfTheWorkers) {
    const std::thread::id caller = std::this_thread::get_id();
    std::atomic<int> onCaller = 0, rows = 0;
    ParallelRows(40, RunOptions{1, {}}, SynthesisStage::Blend, [&](std::int32_t) {
        ++rows;
        if (std::this_thread::get_id() == caller) ++onCaller;
    });
    EXPECT_EQ(rows, 40);
    EXPECT_EQ(onCaller, 40);
}

TEST(ParallelRows, ReportsRisingProgressOnTheCallingThreadOnly) {
    const std::thread::id caller = std::this_thread::get_id();
    std::vector<std::pair<SynthesisStage, int>> reports;
    RunOptions options{3, [&](SynthesisStage stage, int done, int total) {
                           EXPECT_EQ(std::this_thread::get_id(), caller);
                           EXPECT_EQ(total, 50);
                           reports.emplace_back(stage, done);
                       }};
    ParallelRows(50, options, SynthesisStage::Lightmap, [](std::int32_t) {
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    });
    ASSERT_FALSE(reports.empty());
    for (std::size_t i = 1; i < reports.size(); ++i) {
        EXPECT_LE(reports[i - 1].second, reports[i].second);
    }
    EXPECT_EQ(reports.back(), std::make_pair(SynthesisStage::Lightmap, 50));
}

// Waking the caller for every row costs more than a short row: reports come
// a few hundred times a run at most, still rising to the last row.
TEST(ParallelRows, ReportsAFewHundredTimesARunAtMost) {
    std::vector<int> reports;
    const RunOptions options{2, [&](SynthesisStage, int done, int) { reports.push_back(done); }};
    ParallelRows(100000, options, SynthesisStage::Blend, [](std::int32_t) {});
    EXPECT_LE(reports.size(), 260u);
    ASSERT_FALSE(reports.empty());
    EXPECT_TRUE(std::is_sorted(reports.begin(), reports.end()));
    EXPECT_EQ(reports.back(), 100000);
}

TEST(ParallelRows, WorkerExceptionReachesTheCallerWithoutAFinalReport) {
    for (const int threads : {1, 2, 4}) {
        int finalReports = 0;
        RunOptions options{threads, [&](SynthesisStage, int done, int total) {
                               if (done == total) ++finalReports;
                           }};
        EXPECT_THROW(ParallelRows(64, options, SynthesisStage::Blend,
                                  [](std::int32_t row) {
                                      if (row == 17) throw std::runtime_error("row 17 failed");
                                  }),
                     std::runtime_error);
        EXPECT_EQ(finalReports, 0);
    }
}

TEST(ParallelRows, ProgressExceptionStopsTheWorkAndReachesTheCaller) {
    std::atomic<int> rowsRun{0};
    RunOptions options{2, [](SynthesisStage, int, int) { throw std::logic_error("cancelled"); }};
    EXPECT_THROW(ParallelRows(1000, options, SynthesisStage::Blend,
                              [&](std::int32_t) {
                                  // Slow enough that the caller's first report comes long before the end.
                                  std::this_thread::sleep_for(std::chrono::milliseconds(1));
                                  ++rowsRun;
                              }),
                 std::logic_error);
    // Returning joined the workers: nothing runs on after the call.
    const int afterReturn = rowsRun;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(rowsRun, afterReturn);
    EXPECT_LT(afterReturn, 1000);
}

TEST(ParallelRows, CancelStopsEveryWorkerBetweenRows) {
    for (const int threads : {1, 4}) {
        CancelFlag cancel{false};
        std::atomic<int> rowsRun{0};
        RunOptions options{threads, {}, &cancel};
        EXPECT_THROW(ParallelRows(100000, options, SynthesisStage::Lightmap,
                                  [&](std::int32_t) {
                                      if (++rowsRun == 100) cancel = true;
                                  }),
                     RunCancelled);
        // Each worker finishes at most the row in hand.
        EXPECT_LE(rowsRun, 100 + threads);
        EXPECT_THROW(ParallelRows(10, options, SynthesisStage::Blend, [](std::int32_t) {}),
                     RunCancelled);
    }
}

}  // namespace
}  // namespace orvalis
