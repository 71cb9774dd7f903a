#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Commands.h"
#include "cli/GenerateOptionParsing.h"
#include "cli/SlurmScript.h"
#include "cli/TileJobs.h"
#include "files/AtomicFile.h"
#include "files/DisplayPath.h"
#include "files/Error.h"
#include "files/InputFile.h"
#include "generation/TileOutputs.h"
#include "generation/WorkerCost.h"
#include "generation/WorldPlan.h"
#include "io/HeightWorld.h"
#include "io/MemoryLimit.h"
#include "math/NumberText.h"

namespace orvalis::cli {

const char* const kPlanUsage =
    "  plan [OPTIONS]             cut a world's texture into tiles for GNU parallel or a\n"
    "                             Slurm job array: reads the heightmap once (its\n"
    "                             lowest and highest heights) and writes into\n"
    "                             --output-dir jobs.txt (one generate command line a\n"
    "                             tile), slurm.sh and one VRT an output (terrain_tex.vrt,\n"
    "                             lm.vrt, ...) that joins the tiles; takes the options of\n"
    "                             generate, but for --output, --lightmap and --threads\n"
    "    --tile-size N            tile edge in texture pixels, 1 .. 16384 (required);\n"
    "                             --size is then the world texture's longer side, up\n"
    "                             to 1048576\n"
    "    --output-dir DIR         the plan's folder, where the tiles go too (required;\n"
    "                             made when missing); tiles are named by column and\n"
    "                             row from the north-west: terrain_tex_03_12.tif,\n"
    "                             lm_03_12.tif, shadow_03_12.tif\n"
    "    --format tif|png         the tiles' format (required): GeoTIFF, or PNG (add\n"
    "                             --world-file for a world file beside each)\n"
    "    --threads-per-job N      threads of each tile's run, 1 .. 1024 (default: 2);\n"
    "                             slurm.sh asks as many CPUs a task\n"
    "    --sky-radius DIST        how far the sky light looks for terrain that hides\n"
    "                             the sky, in the cells' ground unit (default: 10000)\n"
    "                             Tiles need real-scale lighting (--sun-azimuth and\n"
    "                             --sun-elevation) or --resample smooth or spline with\n"
    "                             --no-lighting. Each tile reads a halo around itself,\n"
    "                             as far as its light can reach: the sun's shadows\n"
    "                             (highest - lowest height) x z-factor / tan(elevation\n"
    "                             - sun radius), a sun at or below its radius being\n"
    "                             refused; with --sky-light also --sky-radius. The plan\n"
    "                             prints the tiles, the halo, and a worker's estimated\n"
    "                             memory and time, which slurm.sh asks of Slurm with a\n"
    "                             margin; a worker above --memory-limit is refused,\n"
    "                             naming a --tile-size that fits.";

namespace {

namespace fs = std::filesystem;

constexpr int kDefaultThreadsPerJob = 2;

// What plan takes besides generate's options.
struct PlanOptions {
    GenerateOptions Generate;
    std::optional<std::int32_t> TileSize;
    int ThreadsPerJob = kDefaultThreadsPerJob;
    double SkyRadius = kDefaultSkyRadius;
};

[[noreturn]] void FailUsage(const std::string& problem) {
    throw UsageError("plan: " + problem + " (see orvalis-cli plan --help)");
}

// generate's messages about its options, in plan's words.
std::string InPlanWords(std::string message) {
    const std::string command = "generate: ", help = "(see orvalis-cli generate --help)";
    if (message.starts_with(command)) message.replace(0, command.size(), "plan: ");
    if (message.ends_with(help)) message.replace(message.size() - help.size(), help.size(), "(see orvalis-cli plan --help)");
    return message;
}

bool Gave(const GenerateOptions& options, std::string_view name) {
    for (const GivenOption& given : options.Given) {
        if (given.Name == name) return true;
    }
    return false;
}

double ParseDistance(const std::string& option, const std::string& text) {
    const std::optional<double> value = NumberFromText(text);
    if (!value || !(*value > 0)) FailUsage(option + " wants a distance above 0, not '" + DisplayPath(text) + "'");
    return *value;
}

void CheckPlanOptions(const PlanOptions& plan) {
    const GenerationRequest& request = plan.Generate.Request;
    if (!plan.TileSize) FailUsage("--tile-size N is required");
    if (!request.OutputFolder) FailUsage("--output-dir DIR is required: the plan's files and the tiles go there");
    for (const char* name : {"--output", "--lightmap", "--threads"}) {
        if (Gave(plan.Generate, name)) {
            FailUsage(std::string(name) + " does not go with plan: tiles are named terrain_tex_C_R and lm_C_R in "
                                          "--output-dir, and --threads-per-job sets their threads");
        }
    }
    if (request.Format == OutputFormat::Bmp) FailUsage("tiles are GeoTIFF or PNG: give --format tif or --format png");
    if (Gave(plan.Generate, "--sky-radius") && !request.Terrain.SkyLight) FailUsage("--sky-radius goes with --sky-light");
}

PlanOptions ParsePlanOptions(const std::vector<std::string>& args) {
    PlanOptions plan;
    const MoreOptions more = [&plan](const std::string& option, const std::function<const std::string&()>& value) {
        if (option == "--tile-size") plan.TileSize = ParseWholeNumber(option, value(), 1, kLargestTileSize);
        else if (option == "--threads-per-job") plan.ThreadsPerJob = ParseWholeNumber(option, value(), 1, 1024);
        else if (option == "--sky-radius") plan.SkyRadius = ParseDistance(option, value());
        else return false;
        return true;
    };
    try {
        plan.Generate = ParseGenerateOptions(args, kLargestWorldTextureSize, more);
    } catch (const UsageError& error) {
        throw UsageError(InPlanWords(error.what()));
    }
    CheckPlanOptions(plan);
    return plan;
}

// The plan's folder as an absolute path; it is made when the plan is written.
fs::path PlanFolder(const std::string& folder) {
    if (fs::exists(folder) && !fs::is_directory(folder)) throw Error(folder, "--output-dir is not a folder");
    const fs::path absolute = fs::absolute(folder).lexically_normal();
    for (const char c : absolute.string()) {
        if (c == '"' || c == '%' || c == '\\') {
            throw Error(folder, "--output-dir holds a '\"', '%' or '\\', which Slurm's #SBATCH lines take otherwise");
        }
    }
    return absolute;
}

std::string Absolute(const std::string& path) { return fs::absolute(path).lexically_normal().string(); }

// The heightmap's facts and one pass over its cells.
WorldFacts ReadWorld(const std::string& heightmap, PictureReadOptions read, const CancelFlag& stop) {
    read.Cancel = &stop;
    read.Threads = 0;
    const HeightWorld world(heightmap, read);
    const RasterSamples& facts = world.Facts();
    return {facts.Width, facts.Rows, facts.Geo, world.Statistics()};
}

WorldPlan MakePlan(const PlanOptions& options, const WorldFacts& world) {
    try {
        WorldPlan plan(options.Generate.Request, world, *options.TileSize, options.SkyRadius);
        CheckWorkerMemory(plan, options.Generate.Request.Settings.Read.MemoryLimit);
        // Their names are checked before any file is written.
        TileOutputsOf(options.Generate.Request);
        return plan;
    } catch (const RequestError& error) {
        FailUsage(error.what());
    }
}

// Options plan takes itself, or writes into each line anew.
bool Rewritten(const std::string& name) {
    for (const char* rewritten : {"--info", "--heightmap", "--tiles", "--output-dir", "--splat-map", "--normal-map",
                                  "--shadow-map", "--tile-size", "--threads-per-job"}) {
        if (name == rewritten) return true;
    }
    return false;
}

// A line of jobs.txt ends a tile's words: none of them may hold a line
// break, nor a tile's path a comma of --tiles.
void CheckWords(const std::vector<std::string>& words) {
    for (const std::string& word : words) {
        for (const char c : word) {
            if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
                throw Error(word, "holds a control character, which a line of jobs.txt cannot hold");
            }
        }
    }
}

// Every tile's words: the program and generate's options with every path
// absolute, the maps named in the plan's folder, the tile size and threads.
std::vector<std::string> RunWords(const PlanOptions& plan, const fs::path& folder) {
    const GenerateOptions& options = plan.Generate;
    std::string tiles;
    for (const std::string& tile : *options.Tiles) {
        const InputFile readable(tile);
        if (Absolute(tile).find(',') != std::string::npos) {
            throw Error(tile, "its full path holds a comma, which --tiles cannot take");
        }
        if (!tiles.empty()) tiles += ',';
        tiles += Absolute(tile);
    }
    std::vector<std::string> words{fs::read_symlink("/proc/self/exe").string(), "generate", "--heightmap",
                                   Absolute(*options.Heightmap), "--tiles", tiles, "--output-dir", folder.string()};
    for (const GivenOption& given : options.Given) {
        if (Rewritten(given.Name)) continue;
        words.push_back(given.Name);
        if (given.Value) words.push_back(*given.Value);
    }
    const GenerationRequest& request = options.Request;
    for (const auto& [name, map] : {std::pair{"--splat-map", request.SplatMap}, std::pair{"--normal-map", request.NormalMap},
                                    std::pair{"--shadow-map", request.ShadowMap}}) {
        if (map) words.insert(words.end(), {name, (folder / fs::path(*map).filename()).string()});
    }
    words.insert(words.end(), {"--tile-size", std::to_string(*plan.TileSize), "--threads", std::to_string(plan.ThreadsPerJob)});
    CheckWords(words);
    return words;
}

void WriteText(const fs::path& path, const std::string& text) {
    WriteFileAtomically(path.string(), {{reinterpret_cast<const std::uint8_t*>(text.data()), text.size()}});
}

void PrintPlan(const WorldPlan& plan, const WorldFacts& world, const WorkerCost& cost, const SlurmRequest& slurm) {
    std::printf("world: %d x %d cells, heights %.6g .. %.6g\n", world.Width, world.Rows, world.Statistics.Heights.Low,
                world.Statistics.Heights.High);
    std::printf("tiles: %lld (%d x %d) of %d pixels, a texture of %d x %d; lighting grid %d x %d\n",
                static_cast<long long>(plan.TileCount()), plan.Columns(), plan.Rows(), plan.TileSize(),
                plan.Texture().Width, plan.Texture().Rows, plan.Lighting().Width, plan.Lighting().Rows);
    std::printf("halo: %d x %d lighting cells", plan.HaloCells().X, plan.HaloCells().Y);
    if (plan.SunReach()) std::printf(" (the sun's shadows reach %.6g", *plan.SunReach());
    if (plan.SkyReach()) std::printf(", the sky light %.6g", *plan.SkyReach());
    std::printf("%s\n", plan.SunReach() ? " ground units)" : "");
    const std::int64_t lit = plan.LargestTile(plan.TileSize()).LightingCells;
    if (plan.TileCount() > 1 && lit == std::int64_t{plan.Lighting().Width} * plan.Lighting().Rows) {
        std::printf("note: the halo spans the whole world, so every tile lights all of it; a higher sun or a smaller "
                    "--sky-radius shortens it\n");
    }
    std::printf("worker: about %s and %.0f s on 2 cores; slurm.sh asks %s %s --cpus-per-task=%d\n",
                DescribeBytes(cost.Bytes).c_str(), cost.Seconds, MemoryOption(slurm).c_str(),
                TimeOption(slurm).c_str(), slurm.Threads);
}

// jobs.txt, slurm.sh (with the folder for its tasks' output) and the
// mosaics; gives the mosaics' names.
std::vector<std::string> WritePlanFiles(const fs::path& folder, const std::string& jobs, const SlurmRequest& slurm,
                                        const WorldPlan& plan, const WorldFacts& world, const GenerationRequest& request) {
    try {
        fs::create_directories(folder / "logs");
    } catch (const fs::filesystem_error& error) {
        throw Error(folder.string(), "--output-dir cannot be made (" + error.code().message() + ")");
    }
    WriteText(folder / "jobs.txt", jobs);
    WriteText(folder / "slurm.sh", SlurmScriptText(slurm, (folder / "jobs.txt").string(), (folder / "logs").string()));
    fs::permissions(folder / "slurm.sh", fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec,
                    fs::perm_options::add);
    std::vector<std::string> names;
    for (const std::string& mosaic : WriteTileMosaics(plan, world, request, folder.string())) {
        names.push_back(fs::path(mosaic).filename().string());
    }
    return names;
}

}  // namespace

int RunPlan(const std::vector<std::string>& args, const CancelFlag& stop) {
    PlanOptions options = ParsePlanOptions(args);
    FillFromInfoFile(options.Generate);
    const GenerationRequest& request = options.Generate.Request;
    const fs::path folder = PlanFolder(*request.OutputFolder);
    const std::vector<std::string> run = RunWords(options, folder);
    const WorldFacts world = ReadWorld(*options.Generate.Heightmap, request.Settings.Read, stop);
    const WorldPlan plan = MakePlan(options, world);
    const WorkerCost cost = EstimateWorkerCost(plan.LargestTile(plan.TileSize()));
    const SlurmRequest slurm = SlurmRequestFor(cost, plan.TileCount(), options.ThreadsPerJob);
    const std::vector<std::string> mosaics =
        WritePlanFiles(folder, JobLines(run, plan, world.Statistics), slurm, plan, world, request);

    PrintPlan(plan, world, cost, slurm);
    std::printf("wrote into %s: jobs.txt, slurm.sh", DisplayPath(folder.string()).c_str());
    for (const std::string& mosaic : mosaics) std::printf(", %s", mosaic.c_str());
    std::printf("\nrun: parallel -j N < %s   or   sbatch %s\n", ShellQuoted((folder / "jobs.txt").string()).c_str(),
                ShellQuoted((folder / "slurm.sh").string()).c_str());
    return 0;
}

}  // namespace orvalis::cli
