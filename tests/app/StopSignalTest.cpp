// The window stopped by signals during a Generate, and killed outright: it
// cleans up like the command line. The window runs as a child process
// (app_stop_child, which starts a generation at once, or the program itself)
// on the offscreen platform, its run held in the middle of its writes
// (SyncHold.h) so that the signals never race with it.
#include <gtest/gtest.h>
#include <signal.h>

#include <optional>

#include <QDir>

#include "FormFixture.h"
#include "common/ChildProcess.h"
#include "common/SyncHold.h"

namespace orvalis::test {
namespace {

namespace fs = std::filesystem;

class StopSignalTest : public FormFixture {
protected:
    void SetUp() override {
        FormFixture::SetUp();
        WriteSampleSetUp();
        WriteLines("default.txt", kSampleLines);
        WriteBytes(ProgramFile("lm.bmp"), "earlier lightmap");
        hold_.emplace(Root("hold"));
    }

    // app_stop_child, generating into the program folder.
    std::unique_ptr<ChildProcess> StartGenerating() const {
        hold_->Reset();
        return std::make_unique<ChildProcess>(
            std::vector<std::string>{std::string(ORVALIS_BIN_DIR) + "/app_stop_child",
                                     ProgramFolder().toStdString()},
            ChildProcess::Options{Root(""), Root("stderr.txt"), RLIM_INFINITY, hold_->Environment()});
    }
    std::string Errors() const { return ReadBytes(Root("stderr.txt")); }

    QStringList ProgramFolderFiles() const { return QDir(ProgramFolder()).entryList(QDir::Files); }

    std::optional<SyncHold> hold_;
};

// One stop signal: the window closes, its run is cancelled and removes what
// it made; the exit code is 128 + the signal.
TEST_F(StopSignalTest, AStopSignalClosesTheWindowAndTheRunRemovesItsFiles) {
    for (const auto& [signal, exitCode, name] :
         {std::tuple{SIGTERM, 143, "SIGTERM"}, {SIGHUP, 129, "SIGHUP"}, {SIGINT, 130, "SIGINT"}}) {
        SCOPED_TRACE(name);
        const auto window = StartGenerating();
        ASSERT_TRUE(hold_->WaitUntilHeld(*window)) << Errors();
        window->Signal(signal);
        ASSERT_TRUE(window->WaitUntil([this] { return Errors().find("run cancelled") != std::string::npos; }));
        hold_->Release();
        const ChildProcess::End end = window->Wait();
        ASSERT_TRUE(end.Exited) << "signal " << end.Signal;
        EXPECT_EQ(end.Code, exitCode);
        EXPECT_NE(Errors().find(std::string("orvalis: stopped by ") + name + "\n"), std::string::npos)
            << Errors();
        EXPECT_EQ(ProgramFolderFiles(), QStringList{"lm.bmp"});
        EXPECT_EQ(ReadBytes(ProgramFile("lm.bmp")), "earlier lightmap");
    }
}

// A second signal ends the window at once, after removing its files.
TEST_F(StopSignalTest, ASecondSignalEndsTheWindowAtOnceWithoutItsFiles) {
    const auto window = StartGenerating();
    ASSERT_TRUE(hold_->WaitUntilHeld(*window)) << Errors();
    EXPECT_EQ(ProgramFolderFiles().size(), 4);  // the placeholder, two staging files, lm.bmp
    window->Signal(SIGHUP);
    window->Signal(SIGTERM);
    const ChildProcess::End end = window->Wait();
    ASSERT_TRUE(end.Exited) << "signal " << end.Signal;
    EXPECT_EQ(end.Code, 143);
    EXPECT_NE(Errors().find("orvalis: stopped by SIGTERM at once"), std::string::npos) << Errors();
    EXPECT_EQ(ProgramFolderFiles(), QStringList{"lm.bmp"});
}

// A window killed outright leaves its placeholder, which the next Generate
// recognises as abandoned: it takes "terrain_tex.bmp" again.
TEST_F(StopSignalTest, AKilledWindowsTextureNameIsTakenByTheNextGenerate) {
    const auto window = StartGenerating();
    ASSERT_TRUE(hold_->WaitUntilHeld(*window)) << Errors();
    window->Signal(SIGKILL);
    EXPECT_EQ(window->Wait().Signal, SIGKILL);
    EXPECT_TRUE(FileExists(ProgramFile("terrain_tex.bmp")));

    const auto form = MakeForm();
    Generate(*form);
    EXPECT_TRUE(dialogs.Errors.empty()) << dialogs.Errors.front().toStdString();
    EXPECT_EQ(form->State().OutputFile, "terrain_tex.bmp");
    EXPECT_EQ(ProgramFolderFiles(), (QStringList{"lm.bmp", "terrain_tex.bmp"}));
}

// The program itself: a signal while it waits for its user ends it cleanly,
// at any moment after it has said it will answer signals.
TEST_F(StopSignalTest, TheProgramEndsCleanlyOnASignal) {
    ChildProcess window({std::string(ORVALIS_BIN_DIR) + "/orvalis"},
                        {Root(""), Root("stderr.txt"), RLIM_INFINITY, {"QT_QPA_PLATFORM=offscreen"}});
    ASSERT_TRUE(window.WaitUntil([&window] { return window.Catches(SIGTERM); })) << Errors();
    window.Signal(SIGTERM);
    const ChildProcess::End end = window.Wait();
    ASSERT_TRUE(end.Exited) << "signal " << end.Signal;
    EXPECT_EQ(end.Code, 143);
    EXPECT_NE(Errors().find("orvalis: stopped by SIGTERM\n"), std::string::npos) << Errors();
}

}  // namespace
}  // namespace orvalis::test
