#include "cli/SlurmScript.h"

#include <cmath>
#include <cstdio>

#include "cli/TileJobs.h"

namespace orvalis::cli {

namespace {

constexpr double kMemoryMargin = 1.25;
constexpr double kTimeFactor = 3;
constexpr double kTimeAllowance = 600;  // seconds

}  // namespace

SlurmRequest SlurmRequestFor(const WorkerCost& cost, std::int64_t tasks, int threads) {
    constexpr double kMiB = 1024.0 * 1024;
    const auto memory = static_cast<std::uint64_t>(std::ceil(static_cast<double>(cost.Bytes) * kMemoryMargin / kMiB));
    const auto minutes = static_cast<std::int64_t>(std::ceil((cost.Seconds * kTimeFactor + kTimeAllowance) / 60));
    return {tasks, threads, memory, minutes};
}

std::string MemoryOption(const SlurmRequest& request) {
    return "--mem=" + std::to_string(request.MemoryMiB) + "M";
}

std::string TimeOption(const SlurmRequest& request) {
    char text[64];
    std::snprintf(text, sizeof text, "--time=%lld-%02lld:%02lld:00", static_cast<long long>(request.Minutes / 1440),
                  static_cast<long long>(request.Minutes / 60 % 24), static_cast<long long>(request.Minutes % 60));
    return text;
}

// sbatch reads the #SBATCH lines itself: a path there stands in double
// quotes, and Slurm fills %A (the array's job) and %a (the task) in.
std::string SlurmScriptText(const SlurmRequest& request, const std::string& jobsFile, const std::string& logFolder) {
    const std::string last = std::to_string(request.Tasks - 1);
    return "#!/bin/bash\n"
           "# The tiles of a world as a Slurm job array, made by orvalis-cli plan: task i\n"
           "# runs line i + 1 of jobs.txt, one tile. Submit it with\n"
           "#   sbatch --array=0-" + last + " slurm.sh\n"
           "# (or a part of that range: a tile's rerun rewrites its own files only).\n"
           "#SBATCH --job-name=orvalis-tiles\n"
           "#SBATCH --array=0-" + last + "\n"
           "#SBATCH --ntasks=1\n"
           "#SBATCH --cpus-per-task=" + std::to_string(request.Threads) + "\n"
           "#SBATCH " + MemoryOption(request) + "\n"
           "#SBATCH " + TimeOption(request) + "\n"
           "#SBATCH --output=\"" + logFolder + "/%A_%a.out\"\n"
           "set -euo pipefail\n"
           "jobs=" + ShellQuoted(jobsFile) + "\n"
           "line=$(sed -n \"$((SLURM_ARRAY_TASK_ID + 1))p\" \"$jobs\")\n"
           "if [ -z \"$line\" ]; then\n"
           "  echo \"slurm.sh: $jobs has no line $((SLURM_ARRAY_TASK_ID + 1))\" >&2\n"
           "  exit 1\n"
           "fi\n"
           "eval \"$line\"\n";
}

}  // namespace orvalis::cli
