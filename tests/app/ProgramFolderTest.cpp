#include <unistd.h>

#include <QFile>

#include "FormFixture.h"
#include "app/ProgramFolder.h"
#include "files/Error.h"

namespace orvalis::test {
namespace {

class ProgramFolderTest : public FormFixture {
protected:
    QString RootFolder(const std::string& name) const { return QString::fromStdString(Root(name)); }

    // prefix/bin with the sample terrain under prefix/share/orvalis.
    void MakeInstalledTree() const {
        ASSERT_TRUE(QDir().mkpath(RootFolder("prefix/bin")));
        ASSERT_TRUE(QDir().mkpath(RootFolder("prefix/share/orvalis/sample")));
        WriteLines("prefix/share/orvalis/default.txt", {"sample/a.bmp"});
        WriteLines("prefix/share/orvalis/sample/a.bmp", {"picture"});
    }
};

TEST_F(ProgramFolderTest, ChoosesTheExecutablesFolderOnlyWhenItIsAWritableBuildTree) {
    MakeInstalledTree();
    ASSERT_TRUE(QDir().mkpath(RootFolder("build/bin")));
    const QString user = RootFolder("home/orvalis");
    struct Case {
        const char* Executable;
        bool PerUser;
    };
    for (const Case& c : {Case{"build/bin", false}, Case{"prefix/bin", true}}) {
        const orvalis::ProgramFolder folder = ChooseProgramFolder(
            RootFolder(c.Executable), RootFolder(std::string(c.Executable) + "/../share/orvalis"), user);
        EXPECT_EQ(folder.PerUser, c.PerUser) << c.Executable;
        EXPECT_EQ(folder.Path, c.PerUser ? user : RootFolder(c.Executable));
    }
    EXPECT_EQ(ReadBytes(Root("home/orvalis/default.txt")), "sample/a.bmp\r\n");
    EXPECT_EQ(ReadBytes(Root("home/orvalis/sample/a.bmp")), "picture\r\n");
}

// Root may write anywhere, so only another user sees a read-only folder.
TEST_F(ProgramFolderTest, ReadOnlyExecutableFolderSendsFilesToTheUsersFolder) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    ASSERT_TRUE(QDir().mkpath(RootFolder("opt/bin")));
    ASSERT_TRUE(QFile::setPermissions(RootFolder("opt/bin"), QFile::ReadOwner | QFile::ExeOwner));
    const orvalis::ProgramFolder folder =
        ChooseProgramFolder(RootFolder("opt/bin"), RootFolder("opt/share/orvalis"), RootFolder("home"));
    QFile::setPermissions(RootFolder("opt/bin"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(folder.PerUser);
    EXPECT_TRUE(QFileInfo(RootFolder("home")).isDir());
}

TEST_F(ProgramFolderTest, SeedingKeepsWhatTheUserChangedAndAddsWhatIsMissing) {
    MakeInstalledTree();
    ASSERT_TRUE(QDir().mkpath(RootFolder("home")));
    WriteLines("home/default.txt", {"mine.bmp"});
    // What a start killed while copying left: a part under a temporary name.
    ASSERT_TRUE(QDir().mkpath(RootFolder("home/sample")));
    WriteLines("home/sample/a.bmp.part", {"pic"});
    ChooseProgramFolder(RootFolder("prefix/bin"), RootFolder("prefix/share/orvalis"),
                        RootFolder("home"));
    EXPECT_EQ(ReadBytes(Root("home/default.txt")), "mine.bmp\r\n");
    EXPECT_EQ(ReadBytes(Root("home/sample/a.bmp")), "picture\r\n");
    EXPECT_FALSE(FileExists(Root("home/sample/a.bmp.part")));

    // A user folder that cannot be made is named in the error.
    WriteLines("blocked", {"a file, not a folder"});
    const std::string error = MessageOf<Error>([&] {
        ChooseProgramFolder(RootFolder("prefix/bin"), RootFolder("prefix/share/orvalis"),
                            RootFolder("blocked/orvalis"));
    });
    EXPECT_NE(error.find("blocked/orvalis"), std::string::npos) << error;
}

// `orvalis my_setup.txt` starts from that file; "default.txt" is not read.
TEST_F(ProgramFolderTest, StartsFromTheSetUpFileGivenInsteadOfDefault) {
    WriteSampleSetUp();
    WriteLines("mine.txt", kSampleLines);
    const auto form = MakeForm(ProgramFolder(), WindowOptions{Root("mine.txt"), false});
    EXPECT_TRUE(dialogs.Errors.empty());
    EXPECT_EQ(form->State().HeightmapFile, "hills.bmp");
}

// `orvalis sets/mine.txt` finds the pictures it names beside it when the
// current folder does not have them.
TEST_F(ProgramFolderTest, ASetUpGivenFindsItsPicturesBesideIt) {
    ASSERT_TRUE(QDir().mkpath(RootFolder("sets")));
    std::vector<std::string> lines;
    for (int i = 0; i < kTileCount; ++i) {
        lines.push_back("tile" + std::to_string(i) + ".bmp");
        WriteOneColour(Root("sets/" + lines.back()), 4, 4, MakeColour(10, 20, 30));
    }
    lines.push_back("hills.bmp");
    WriteGreyRamp(Root("sets/hills.bmp"), 8, 8);
    WriteLines("sets/mine.txt", lines);
    const auto form = MakeForm(ProgramFolder(), WindowOptions{Root("sets/mine.txt"), false});
    EXPECT_TRUE(dialogs.Errors.empty()) << dialogs.Errors[0].toStdString();
    EXPECT_EQ(form->State().HeightmapFile, Root("sets/hills.bmp"));
    EXPECT_EQ(form->State().TileFiles[4], Root("sets/tile4.bmp"));
    EXPECT_EQ(form->Image6->Shown().pixel(0, 0), qRgb(10, 20, 30));
}

}  // namespace
}  // namespace orvalis::test
