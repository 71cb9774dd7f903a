#include <gtest/gtest.h>
#include <signal.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <tuple>

#include "GenerateFixture.h"
#include "raster/DibBuffer.h"

namespace orvalis {
namespace {

namespace fs = std::filesystem;

using test::ReadBytes;
using RunResult = test::ProgramResult;

TEST_F(GenerateCommandTest, PrintsTheChosenNameAndTimeAndNeverOverwrites) {
    const RunResult first = Generate("--size 16");
    ASSERT_EQ(first.ExitCode, 0) << first.Err;
    EXPECT_TRUE(std::regex_match(first.Out, std::regex("terrain_tex\\.bmp saved \\([0-9]+ms\\)\n")))
        << first.Out;
    EXPECT_EQ(first.Err, "");  // no progress bar when stderr is no terminal
    TDibBuffer texture;
    texture.ReadBmpFile((work_ / "terrain_tex.bmp").string());
    EXPECT_EQ(texture.Width(), 16);
    EXPECT_EQ(texture.Height(), 16);

    fs::remove(work_ / "lm.bmp");
    const RunResult unlit = Generate("--size 16 --no-lighting --quiet");
    ASSERT_EQ(unlit.ExitCode, 0) << unlit.Err;
    EXPECT_EQ(unlit.Out, "");
    EXPECT_EQ(Outputs(), (std::set<std::string>{"terrain_tex.bmp", "terrain_tex0.bmp"}));
    EXPECT_NE(ReadBytes(work_ / "terrain_tex.bmp"), ReadBytes(work_ / "terrain_tex0.bmp"));
}

TEST_F(GenerateCommandTest, OutputDirTakesItsFirstFreeName) {
    fs::create_directory(work_ / "out");
    std::ofstream(work_ / "out/terrain_tex.bmp") << "earlier";
    const RunResult result = Generate("--output-dir out --size 8");
    ASSERT_EQ(result.ExitCode, 0) << result.Err;
    EXPECT_EQ(result.Out.substr(0, 27), "out/terrain_tex0.bmp saved ");
    EXPECT_EQ(ReadBytes(work_ / "out/terrain_tex.bmp"), "earlier");
    EXPECT_EQ(Outputs(work_ / "out"),
              (std::set<std::string>{"terrain_tex.bmp", "terrain_tex0.bmp", "lm.bmp"}));
    EXPECT_EQ(Outputs(), std::set<std::string>{"out"});

    EXPECT_EQ(Generate("--output-dir missing").ExitCode, 1);

    // A named lightmap goes with a numbered texture too.
    const RunResult named = Generate("--output-dir out --size 8 --lightmap out/mine.bmp");
    ASSERT_EQ(named.ExitCode, 0) << named.Err;
    EXPECT_EQ(Outputs(work_ / "out"), (std::set<std::string>{"terrain_tex.bmp", "terrain_tex0.bmp",
                                                             "terrain_tex1.bmp", "lm.bmp", "mine.bmp"}));
}

TEST_F(GenerateCommandTest, ExplicitInputsNeedNoInfoFile) {
    fs::remove(work_ / "default.txt");
    fs::create_directory(work_ / "res");
    std::ofstream(work_ / "res/lm.bmp") << "another program's lightmap";
    std::ofstream(work_ / "res/s_1.png") << "another program's picture";
    const RunResult result =
        Generate("--heightmap in/height.bmp --tiles " + kTiles +
                 " --output res/tex.bmp --size 8 --light-dir 0 --sun-pos 400 --threads 2");
    ASSERT_EQ(result.ExitCode, 0) << result.Err;
    EXPECT_EQ(result.Out.substr(0, 18), "res/tex.bmp saved ");
    const std::set<std::string> results{"tex.bmp", "tex_lm.bmp", "lm.bmp", "s_1.png"};
    EXPECT_EQ(Outputs(work_ / "res"), results);
    EXPECT_EQ(ReadBytes(work_ / "res/lm.bmp"), "another program's lightmap");

    // A named output is never replaced either, nor a named lightmap, nor any
    // name an engine output takes (a PNG run's names end in .png).
    const auto before = fs::last_write_time(work_ / "res/tex.bmp");
    for (const std::string output :
         {"--output res/tex.bmp", "--output res/new.bmp --lightmap res/lm.bmp",
          "--output res/s_1 --format png", "--output res/new.png --lightmap res/s_1.bmp",
          "--output res/new.png --splat-map res/s.png", "--output res/new.bmp --normal-map res/s_1.png"}) {
        SCOPED_TRACE(output);
        const RunResult again = Generate("--heightmap in/height.bmp --tiles " + kTiles + " " +
                                         output + " --size 8");
        EXPECT_EQ(again.ExitCode, 1);
        EXPECT_NE(again.Err.find("already exists"), std::string::npos) << again.Err;
    }
    EXPECT_EQ(fs::last_write_time(work_ / "res/tex.bmp"), before);
    EXPECT_EQ(Outputs(work_ / "res"), results);
    EXPECT_EQ(ReadBytes(work_ / "res/lm.bmp"), "another program's lightmap");

    // Without the tiles the info file is needed, and it is gone.
    const RunResult noInfo = Generate("--heightmap in/height.bmp");
    EXPECT_EQ(noInfo.ExitCode, 1);
    EXPECT_NE(noInfo.Err.find("default.txt: file not found"), std::string::npos)
        << noInfo.Err;
}

TEST_F(GenerateCommandTest, BadUsageExitsWithTwoAndWritesNothing) {
    for (const std::string arguments :
         {"--size 300x", "--size 16385", "--size", "--size +8", "--light-dir 361", "--sun-pos -1",
          "--threads 0", "--tiles a,b", "--tiles a,,c,d,e", "--bogus", "extra",
          "--output a.bmp --output-dir .", "--lightmap l.bmp --no-lighting",
          "--output a.png --format bmp", "--output-dir ''", "--output a.bmp --lightmap ./a.bmp",
          "--splat-map s.png --normal-map s.png", "--png-compression quick", "--png-compression"}) {
        SCOPED_TRACE(arguments);
        const RunResult result = Generate(arguments);
        EXPECT_EQ(result.ExitCode, 2);
        EXPECT_NE(result.Err.find("error"), std::string::npos) << result.Err;
    }
    EXPECT_TRUE(Outputs().empty());
}

TEST_F(GenerateCommandTest, MissingFilesAreNamedAndNothingIsWritten) {
    const RunResult heightmap = Generate("--heightmap in/none.bmp");
    EXPECT_EQ(heightmap.ExitCode, 1);
    EXPECT_NE(heightmap.Err.find("Heightmap in/none.bmp doesn't exist!"), std::string::npos)
        << heightmap.Err;

    // A loop of symbolic links is named as one.
    fs::create_symlink("loop", work_ / "loop");
    for (const auto& [arguments, message] :
         {std::pair{"--heightmap loop", "loop: cannot be opened: it is a loop of symbolic links"},
          {"--output-dir loop", "loop: is a loop of symbolic links"}}) {
        const RunResult looped = Generate(arguments);
        EXPECT_EQ(looped.ExitCode, 1);
        EXPECT_NE(looped.Err.find(message), std::string::npos) << looped.Err;
    }
    fs::remove(work_ / "loop");

    fs::remove(work_ / "in/t3.bmp");
    const RunResult tile = Generate("");
    EXPECT_EQ(tile.ExitCode, 1);
    EXPECT_NE(tile.Err.find("in/t3.bmp"), std::string::npos) << tile.Err;

    const RunResult info = Generate("--info other.txt");
    EXPECT_EQ(info.ExitCode, 1);
    EXPECT_NE(info.Err.find("other.txt"), std::string::npos) << info.Err;

    // An info file whose heightmap line is missing.
    std::ofstream(work_ / "short.txt") << "in/t0.bmp\nin/t1.bmp\nin/t2.bmp\nin/t4.bmp\nin/t4.bmp\n";
    const RunResult shortInfo = Generate("--info short.txt");
    EXPECT_EQ(shortInfo.ExitCode, 1);
    EXPECT_NE(shortInfo.Err.find("short.txt: line 6"), std::string::npos) << shortInfo.Err;

    fs::remove(work_ / "short.txt");
    EXPECT_TRUE(Outputs().empty());
}

// Several runs into one folder at once: every run that reports success leaves
// a complete file of its own under the name it reports.
TEST_F(GenerateCommandTest, OverlappingRunsEachKeepTheirOwnFile) {
    constexpr int kRounds = 20, kRuns = 6;
    ASSERT_EQ(Generate("--no-lighting --size 48 --output reference.bmp --quiet").ExitCode, 0);
    const std::string reference = ReadBytes(work_ / "reference.bmp");
    fs::create_directory(work_ / "out");
    std::string command = "cd " + work_.string() + " && for i in";
    for (int i = 0; i < kRuns; ++i) command.append(" ").append(std::to_string(i));
    command += std::string("; do (") + ORVALIS_BIN_DIR +
               "/orvalis-cli generate --no-lighting --size 48 --output-dir out >out$i.txt 2>&1;"
               " echo $? >>out$i.txt) & done; wait";
    const std::regex savedThenZero("(out/terrain_tex[0-9]*\\.bmp) saved \\([0-9]+ms\\)\n0\n");
    int successes = 0;
    for (int round = 0; round < kRounds; ++round) {
        ASSERT_EQ(std::system(command.c_str()), 0);
        for (int i = 0; i < kRuns; ++i) {
            const std::string report = ReadBytes(work_ / ("out" + std::to_string(i) + ".txt"));
            std::smatch saved;
            ASSERT_TRUE(std::regex_match(report, saved, savedThenZero)) << report;
            EXPECT_TRUE(ReadBytes(work_ / saved[1].str()) == reference) << saved[1];
            ++successes;
        }
    }
    std::set<std::string> expected = {"terrain_tex.bmp"};
    for (int n = 0; n + 1 < successes; ++n) {
        expected.insert("terrain_tex" + std::to_string(n) + ".bmp");
    }
    EXPECT_EQ(Outputs(work_ / "out"), expected);
}

// A stop signal during a long run: its exit code, and nothing left behind
// but the earlier lightmap, in either format, the normal map's staging file
// included.
TEST_F(GenerateCommandTest, StopSignalRemovesEverythingTheRunMade) {
    fs::create_directory(work_ / "out");
    std::ofstream(work_ / "out/lm.bmp") << "earlier lightmap";
    for (const auto& [signal, exitCode, name, format] :
         {std::tuple{SIGINT, 130, "SIGINT", "bmp"}, {SIGTERM, 143, "SIGTERM", "png"},
          {SIGHUP, 129, "SIGHUP", "bmp"}}) {
        SCOPED_TRACE(name);
        const auto run = Start({"generate", "--output-dir", "out", "--size", "16384", "--threads",
                                "1", "--format", format, "--normal-map", "out/n.png"});
        // The claim shows that the run has begun; its blend takes seconds.
        ASSERT_TRUE(run->WaitUntil([&] {
            return fs::exists(work_ / ("out/terrain_tex." + std::string(format)));
        })) << ErrorsOfStarted();
        run->Signal(signal);
        const test::ChildProcess::End end = run->Wait();
        ASSERT_TRUE(end.Exited);
        EXPECT_EQ(end.Code, exitCode);
        EXPECT_NE(ErrorsOfStarted().find(std::string("stopped by ") + name + "; nothing was saved"),
                  std::string::npos)
            << ErrorsOfStarted();
        EXPECT_EQ(Outputs(work_ / "out"), std::set<std::string>{"lm.bmp"});
        EXPECT_EQ(ReadBytes(work_ / "out/lm.bmp"), "earlier lightmap");
    }
}

}  // namespace
}  // namespace orvalis
