#include "raster/ParallelRows.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace orvalis {

namespace {

// More bands than threads keeps every thread busy when rows take unequal time
// (shadow rays are long in some rows and short in others).
constexpr std::int64_t kBandsPerThread = 8;
// Enough reports for a smooth progress bar.
constexpr std::int32_t kReportsPerRun = 256;

}  // namespace

int ThreadCount(int requested) {
    if (requested > 0) return requested;
    return static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
}

// What the workers and the waiting thread share; guarded by Mutex.
struct RowWork {
    RowWork(std::int32_t rows, std::int32_t bands, const RowBandBody& body,
            const CancelFlag* cancel, bool reporting)
        : Rows(rows), Bands(bands), Body(body), Cancel(cancel), Reporting(reporting),
          ReportStep(std::max(1, rows / kReportsPerRun)) {}

    const std::int32_t Rows;
    const std::int32_t Bands;
    const RowBandBody& Body;
    const CancelFlag* const Cancel;
    // The waiting thread is woken for a report at most once in ReportStep
    // rows, and never when nobody asked for reports: waking it for every
    // row costs more than many a row does.
    const bool Reporting;
    const std::int32_t ReportStep;
    RowTally Tally{*this};

    std::mutex Mutex;
    std::condition_variable Changed;
    std::int32_t NextBand = 0;
    std::int32_t RowsDone = 0;
    std::int32_t NextReport = 0;
    // Reports the workers asked for; the waiting thread answers each once,
    // so a busy run cannot keep it reporting in a loop.
    std::int32_t ReportsAsked = 0;
    int WorkersRunning = 0;
    bool Stopped = false;
    std::exception_ptr Failure;

    bool ClaimBand(std::int32_t& band) {
        std::lock_guard lock(Mutex);
        if (Stopped || NextBand == Bands) return false;
        band = NextBand++;
        return true;
    }

    void Stop(std::exception_ptr failure = nullptr) {
        std::lock_guard lock(Mutex);
        if (failure && !Failure) Failure = failure;
        Stopped = true;
    }

    void RunWorker() {
        std::int32_t band = 0;
        while (ClaimBand(band)) {
            const auto first = static_cast<std::int32_t>(std::int64_t{band} * Rows / Bands);
            const auto end = static_cast<std::int32_t>(std::int64_t{band + 1} * Rows / Bands);
            try {
                Body(first, end, Tally);
            } catch (...) {
                Stop(std::current_exception());
            }
        }
        {
            std::lock_guard lock(Mutex);
            --WorkersRunning;
        }
        Changed.notify_all();
    }

    // Reports finished rows on the calling thread until every worker is done.
    void ReportUntilDone(const ProgressCallback& progress, SynthesisStage stage) {
        std::unique_lock lock(Mutex);
        std::int32_t answered = 0;
        for (;;) {
            Changed.wait(lock, [&] {
                return WorkersRunning == 0 || (progress && ReportsAsked != answered);
            });
            if (WorkersRunning == 0) return;
            answered = ReportsAsked;
            const std::int32_t done = RowsDone;
            lock.unlock();
            progress(stage, done, Rows);
            lock.lock();
        }
    }
};

// A stop request ends the band here, between two rows, as any failure does.
void RowTally::RowDone() {
    ThrowIfCancelled(work_.Cancel);
    bool report = false;
    {
        std::lock_guard lock(work_.Mutex);
        ++work_.RowsDone;
        report = work_.Reporting && work_.RowsDone >= work_.NextReport;
        if (report) {
            work_.NextReport = work_.RowsDone + work_.ReportStep;
            ++work_.ReportsAsked;
        }
    }
    if (report) work_.Changed.notify_all();
}

void ParallelRowBands(std::int32_t rows, const RunOptions& options, SynthesisStage stage,
                      const RowBandBody& body) {
    if (rows <= 0) return;
    const auto threads = static_cast<int>(std::min<std::int64_t>(ThreadCount(options.Threads), rows));
    const auto bands = static_cast<std::int32_t>(std::min<std::int64_t>(rows, threads * kBandsPerThread));
    ThrowIfCancelled(options.Cancel);
    RowWork work(rows, bands, body, options.Cancel, static_cast<bool>(options.Progress));
    work.WorkersRunning = threads;
    // With nothing to report the calling thread is one of the workers: a
    // thread fewer to start, and none for one thread.
    const bool callerWorks = !options.Progress;
    {
        // Declared after `work`, so the threads are joined before it goes,
        // on the error path as on the normal one.
        std::vector<std::jthread> workers;
        workers.reserve(static_cast<std::size_t>(threads));
        try {
            for (int i = callerWorks ? 1 : 0; i < threads; ++i) workers.emplace_back([&work] { work.RunWorker(); });
            if (callerWorks) work.RunWorker();
            work.ReportUntilDone(options.Progress, stage);
        } catch (...) {
            work.Stop();
            throw;
        }
    }
    if (work.Failure) std::rethrow_exception(work.Failure);
    if (options.Progress) options.Progress(stage, rows, rows);
}

void ParallelRows(std::int32_t rows, const RunOptions& options, SynthesisStage stage,
                  const RowBody& body) {
    ParallelRowBands(rows, options, stage,
                     [&body](std::int32_t firstRow, std::int32_t endRow, RowTally& tally) {
                         for (std::int32_t row = firstRow; row < endRow; ++row) {
                             body(row);
                             tally.RowDone();
                         }
                     });
}

}  // namespace orvalis
