#pragma once

#include <cstdint>
#include <string>

#include "generation/WorkerCost.h"

namespace orvalis::cli {

// What a Slurm array of a world's tiles asks for each task: the estimated
// memory and a quarter more, rounded up to a MiB; three times the estimated
// time and ten minutes more (a cluster's node may be slower, or shared, and
// a task over its time is killed), rounded up to a minute.
struct SlurmRequest {
    std::int64_t Tasks = 0;
    int Threads = 2;
    std::uint64_t MemoryMiB = 0;
    std::int64_t Minutes = 0;
};
SlurmRequest SlurmRequestFor(const WorkerCost& cost, std::int64_t tasks, int threads);

// "--mem=1536M", "--time=0-00:15:00", as sbatch takes them.
std::string MemoryOption(const SlurmRequest& request);
std::string TimeOption(const SlurmRequest& request);

// slurm.sh: a job array of request.Tasks tasks (sbatch --array=0-(Tasks-1)),
// task i running line i + 1 of jobsFile, its output in logFolder; paths
// absolute, free of '"', '%', '\' and control characters.
std::string SlurmScriptText(const SlurmRequest& request, const std::string& jobsFile, const std::string& logFolder);

}  // namespace orvalis::cli
