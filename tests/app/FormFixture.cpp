#include "FormFixture.h"

#include <fstream>

#include <QCoreApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QPushButton>
#include <QSettings>
#include <QTest>

#include "common/TestPictures.h"

namespace orvalis::test {

const std::vector<std::string> kSampleLines = {"tile0.bmp", "tile1.bmp", "tile2.bmp",
                                               "tile3.bmp", "tile4.bmp", "hills.bmp"};

std::optional<QString> FakeDialogs::Next() {
    if (Answers.empty()) return std::nullopt;
    QString answer = Answers.front();
    Answers.pop_front();
    return answer;
}

std::optional<ExportSettings> FakeDialogs::EditExportSettings(QWidget*, const ExportSettings& current) {
    ExportShown.push_back(current);
    if (ExportAnswers.empty()) return std::nullopt;
    ExportSettings answer = ExportAnswers.front();
    ExportAnswers.pop_front();
    return answer;
}

void FormFixture::SetUp() {
    folder_.emplace();
    // Every test keeps the window's remembered settings in its own folder,
    // starting without any.
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QString::fromStdString(folder_->PathOf("settings")));
    previousFolder_ = QDir::currentPath();
    const QString root = QString::fromStdString(folder_->Folder().string());
    ASSERT_TRUE(QDir(root).mkdir(QStringLiteral("bin")));
    ASSERT_TRUE(QDir::setCurrent(root));
}

void FormFixture::TearDown() {
    QDir::setCurrent(previousFolder_);
    folder_.reset();
}

std::string FormFixture::Root(const std::string& name) const { return folder_->PathOf(name); }

QString FormFixture::ProgramFolder() const {
    return QString::fromStdString(folder_->PathOf("bin"));
}

std::string FormFixture::ProgramFile(const std::string& name) const {
    return QDir(ProgramFolder()).filePath(QString::fromStdString(name)).toStdString();
}

void FormFixture::WriteSampleSetUp() const {
    const PixelColour colours[] = {MakeColour(250, 250, 250), MakeColour(120, 110, 100),
                                   MakeColour(40, 160, 30), MakeColour(220, 200, 120),
                                   MakeColour(20, 40, 200)};
    for (int i = 0; i < kTileCount; ++i) {
        WriteOneColour(Root("tile" + std::to_string(i) + ".bmp"), 8, 8, colours[i]);
    }
    WriteGreyRamp(Root("hills.bmp"), 24, 20);
}

void FormFixture::WriteLines(const std::string& name, const std::vector<std::string>& lines) const {
    std::ofstream file(Root(name), std::ios::binary);
    for (const std::string& line : lines) file << line << "\r\n";
}

std::unique_ptr<TForm1> FormFixture::MakeForm() { return MakeForm(ProgramFolder()); }

std::unique_ptr<TForm1> FormFixture::MakeForm(const QString& programFolder,
                                              WindowOptions options) {
    auto form = std::make_unique<TForm1>(dialogs, programFolder, std::move(options));
    if (form->Panel1->HasGl()) return form;
    if (dialogs.Errors.empty() || !dialogs.Errors.front().startsWith("No OpenGL for the preview")) {
        ADD_FAILURE() << "start-up without GL did not say so first";
        return form;
    }
    dialogs.Errors.erase(dialogs.Errors.begin());
    return form;
}

std::unique_ptr<TForm1> FormFixture::MakeSampleForm() {
    WriteSampleSetUp();
    WriteLines("default.txt", kSampleLines);
    auto form = MakeForm();
    EXPECT_TRUE(dialogs.Errors.empty());
    return form;
}

void FormFixture::Load(TForm1& form, const std::string& name) {
    dialogs.Answers = {QString::fromStdString(Root(name))};
    form.Button1->click();
}

void FormFixture::Drop(QWidget* box, const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &drop);
}

void FormFixture::Generate(TForm1& form) {
    form.Button3->click();
    WaitForGeneration(form);
}

void FormFixture::WaitForGeneration(TForm1& form) {
    EXPECT_TRUE(QTest::qWaitFor([&form] { return !form.IsGenerating(); }, 60000));
}

ExportSettings NonDefaultExport() {
    ExportSettings settings;
    settings.Format = ExportFormat::Png;
    settings.Compression = PngCompression::Best;
    settings.NormalMap = {true, "n.png"};
    settings.ShadowMap = {true, "s.png"};
    settings.SplatMap = {false, "kept name.png"};
    settings.WorldFile = true;
    settings.Range = HeightRange{-12.5, 3000};
    settings.Bands = BandHeights{2000, 800, 0, -20, -200.25};
    settings.Resample = Resampling::Classic;
    settings.WaterLevel = -0.5;
    settings.RealScale = true;
    settings.SunAzimuth = 123.456;
    settings.SunElevation = 0.1;
    settings.ZFactor = 2.5;
    settings.Ambient = 0.05;
    settings.SunSize = 1.5;
    settings.SkyLight = true;
    return settings;
}

ExportSettings PngWithMaps() {
    ExportSettings settings;
    settings.Format = ExportFormat::Png;
    settings.SplatMap = {true, "splat.png"};
    settings.NormalMap = {true, "normals.png"};
    return settings;
}

bool Mentions(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

void WriteOneColour(const std::string& path, int width, int height, PixelColour colour) {
    OneColourPicture(width, height, colour).WriteBmpFile(path);
}

void WriteGreyRamp(const std::string& path, int width, int height) {
    MakePicture(width, height, [](int row, int column) { return Grey((row * 13 + column * 7) % 256); })
        .WriteBmpFile(path);
}

bool FileExists(const std::string& path) { return QFileInfo(QString::fromStdString(path)).isFile(); }

}  // namespace orvalis::test
