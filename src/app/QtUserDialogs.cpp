#include "app/QtUserDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QSettings>

#include "app/ExportDialog.h"

namespace orvalis {

namespace {

// BMP first, then every format the README lists: pictures, elevation
// grids (DTED, USGS DEM, Surfer, ERDAS Imagine, BIL/EHdr), RAW and mosaics.
const QString kPictureFilter = QStringLiteral(
    "Bitmaps (*.bmp);;"
    "Heightmaps and pictures (*.png *.jpg *.jpeg *.gif *.webp *.pnm *.pbm *.pgm *.ppm *.tif *.tiff "
    "*.hgt *.asc *.dt0 *.dt1 *.dt2 *.dem *.grd *.img *.bil *.r16 *.raw *.vrt);;"
    "All files (*)");
const QString kTextureInfoFilter = QStringLiteral("Texturinformation (*.txt)");
const QString kTextureInfoSuffix = QStringLiteral("txt");

// Every file dialog opens in the folder the last one was closed in, also
// after a restart.
const QString kLastFolderKey = QStringLiteral("dialogs/lastFolder");

std::optional<QString> AskForFile(QWidget* parent, const QString& filter,
                                  QFileDialog::AcceptMode mode, const QString& suffix) {
    QSettings settings;
    QFileDialog dialog(parent, QString(), settings.value(kLastFolderKey).toString(), filter);
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QString chosen = dialog.selectedFiles().constFirst();
    settings.setValue(kLastFolderKey, QFileInfo(chosen).absolutePath());
    return chosen;
}

void ShowBox(QWidget* parent, QMessageBox::Icon icon, const QString& caption,
             const QString& message) {
    QMessageBox box(icon, caption, message, QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace

std::optional<QString> QtUserDialogs::OpenPicture(QWidget* parent) {
    return AskForFile(parent, kPictureFilter, QFileDialog::AcceptOpen, QString());
}

std::optional<QString> QtUserDialogs::OpenTextureInfo(QWidget* parent) {
    return AskForFile(parent, kTextureInfoFilter, QFileDialog::AcceptOpen, kTextureInfoSuffix);
}

std::optional<QString> QtUserDialogs::SaveTextureInfo(QWidget* parent) {
    // Qt's save dialog asks before it replaces an existing file.
    return AskForFile(parent, kTextureInfoFilter, QFileDialog::AcceptSave, kTextureInfoSuffix);
}

void QtUserDialogs::ShowError(QWidget* parent, const QString& message) {
    ShowBox(parent, QMessageBox::Critical, QStringLiteral("Fehler"), message);
}

void QtUserDialogs::ShowMessage(QWidget* parent, const QString& caption, const QString& message) {
    ShowBox(parent, QMessageBox::NoIcon, caption, message);
}

std::optional<ExportSettings> QtUserDialogs::EditExportSettings(QWidget* parent,
                                                               const ExportSettings& current) {
    ExportDialog dialog(current, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Settings();
}

}  // namespace orvalis
