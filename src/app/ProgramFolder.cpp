#include "app/ProgramFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include "files/Error.h"

namespace orvalis {

namespace {

bool IsInstalledTree(const QString& installedData) {
    return QFileInfo(QDir(installedData).filePath(QStringLiteral("default.txt"))).isFile();
}

// Copies every file of source that target lacks; what the user already has
// (an edited "default.txt", say) stays as it is.
void CopyMissingFiles(const QString& source, const QString& target) {
    QDirIterator files(source, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString from = files.next();
        const QString to = QDir(target).filePath(QDir(source).relativeFilePath(from));
        if (QFileInfo::exists(to)) continue;
        if (!QDir().mkpath(QFileInfo(to).path()) || !QFile::copy(from, to)) {
            throw Error(to.toStdString(), "cannot be copied from " + DisplayPath(from.toStdString()));
        }
    }
}

}  // namespace

ProgramFolder ChooseProgramFolder(const QString& executableFolder, const QString& installedData,
                                  const QString& userFolder) {
    const QFileInfo executable(executableFolder);
    if (executable.isWritable() && !IsInstalledTree(installedData)) {
        return {executableFolder, false};
    }
    if (!QDir().mkpath(userFolder)) {
        throw Error(userFolder.toStdString(), "the folder for your textures cannot be made");
    }
    if (IsInstalledTree(installedData)) CopyMissingFiles(installedData, userFolder);
    return {userFolder, true};
}

QString UserDataFolder() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("orvalis"));
}

}  // namespace orvalis
