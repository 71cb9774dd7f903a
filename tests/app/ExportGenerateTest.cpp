#include <filesystem>

#include <QPushButton>

#include "FormFixture.h"
#include "app/ExportRequest.h"
#include "common/LeftoverClaim.h"
#include "common/RunProgram.h"
#include "files/Error.h"

namespace orvalis::test {
namespace {

namespace fs = std::filesystem;

// Every file of a folder, by name.
std::vector<std::string> FileNames(const fs::path& folder) {
    std::vector<std::string> names;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class ExportGenerateTest : public FormFixture {};

TEST_F(ExportGenerateTest, TheDefaultsLeaveTheClassicRequest) {
    EXPECT_TRUE(ExportSettings().ClassicTerrain());
    EXPECT_NO_THROW(CheckExportSettings(ExportSettings()));
    GenerationRequest request;
    request.OutputFolder = "bin";
    ApplyExportSettings(ExportSettings(), "bin", request);
    EXPECT_EQ(request.Format, OutputFormat::Bmp);
    EXPECT_EQ(request.Compression, PngCompression::Fast);
    EXPECT_FALSE(request.SplatMap || request.NormalMap || request.ShadowMap || request.WorldFile);
    EXPECT_FALSE(request.Settings.Read.Range);
    EXPECT_FALSE(request.Terrain.RealScale() || request.Terrain.Resample || request.Terrain.Bands);
    EXPECT_TRUE(SamplingOf(request.Terrain).IsClassic());
    EXPECT_FALSE(request.Terrain.ZFactor || request.Terrain.Ambient || request.Terrain.SunSize);

    // Real-scale lighting brings smooth resampling unless classic is chosen.
    ExportSettings lit;
    lit.RealScale = true;
    EXPECT_EQ(SamplingOf(lit.TerrainOf()).Resample, Resampling::Smooth);
    EXPECT_EQ(SamplingOf(NonDefaultExport().TerrainOf()).Resample, Resampling::Classic);
    request.Settings.UseLighting = false;
    EXPECT_PRED2(Mentions, MessageOf<Error>([&] { ApplyExportSettings(lit, "bin", request); }),
                 "turn Use Lighting on");
}

// The window and orvalis-cli with the same settings write the same files,
// byte for byte; the window's maps go beside its texture and take the next
// free numbers on the next run.
TEST_F(ExportGenerateTest, TheWindowWritesWhatTheCommandLineWrites) {
    struct Case {
        const char* Name;
        ExportSettings Settings;
        std::string Options;
        std::vector<std::string> Files;
    };
    ExportSettings maps;
    maps.Format = ExportFormat::Png;
    maps.SplatMap = {true, "splat.png"};
    maps.NormalMap = {true, "normals.png"};
    ExportSettings sun;
    sun.RealScale = true;
    sun.SunAzimuth = 200;
    sun.SunElevation = 30;
    sun.Ambient = 0.2;
    sun.ShadowMap = {true, "shadow.png"};
    sun.Bands = BandHeights{250, 180, 120, 60, 5};
    const Case cases[] = {
        {"PNG with splat and normal maps", maps,
         "--format png --splat-map cli/splat.png --normal-map cli/normals.png",
         {"lm.png", "normals.png", "splat.png", "splat_1.png", "terrain_tex.png"}},
        {"real-scale sun with a shadow map", sun,
         "--sun-azimuth 200 --sun-elevation 30 --ambient 0.2 --bands 250,180,120,60,5 --shadow-map cli/shadow.png",
         {"lm.bmp", "shadow.png", "terrain_tex.bmp"}},
    };
    WriteSampleSetUp();
    WriteLines("default.txt", kSampleLines);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.Name);
        fs::remove_all(Root("cli"));
        fs::create_directory(Root("cli"));
        for (const std::string& name : FileNames(ProgramFolder().toStdString())) fs::remove(ProgramFile(name));
        const auto form = MakeForm();
        form->TakeExportSettings(c.Settings);
        Generate(*form);
        const ProgramResult cli = RunShell(std::string(ORVALIS_BIN_DIR) +
                                               "/orvalis-cli generate --quiet --output-dir cli " + c.Options,
                                           Root(""));
        ASSERT_EQ(cli.ExitCode, 0) << cli.Err;
        EXPECT_EQ(FileNames(ProgramFolder().toStdString()), c.Files);
        EXPECT_EQ(FileNames(Root("cli")), c.Files);
        for (const std::string& name : c.Files) {
            EXPECT_TRUE(ReadBytes(ProgramFile(name)) == ReadBytes(Root("cli/" + name))) << name;
        }
        EXPECT_TRUE(dialogs.Errors.empty());
    }
    const auto form = MakeForm();
    form->TakeExportSettings(maps);
    Generate(*form);
    Generate(*form);
    for (const char* name : {"terrain_tex0.png", "splat0.png", "splat0_1.png", "normals0.png"}) {
        EXPECT_TRUE(FileExists(ProgramFile(name))) << name;
    }
    // The placeholders of a run killed outright hold no name.
    const char* const killed[] = {"terrain_tex1.png", "splat1.png", "splat1_1.png", "normals1.png"};
    for (const char* name : killed) WriteLeftoverClaim(ProgramFile(name));
    Generate(*form);
    for (const char* name : killed) {
        EXPECT_NE(ReadBytes(ProgramFile(name)), kClaimText) << name;
    }
    EXPECT_FALSE(FileExists(ProgramFile("splat2.png")));
    EXPECT_TRUE(dialogs.Errors.empty());
}

}  // namespace
}  // namespace orvalis::test
