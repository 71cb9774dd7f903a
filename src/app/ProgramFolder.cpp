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
// (an edited "default.txt", say) stays as it is. Each copy is made under a
// temporary name and renamed when whole, so a start that is killed while
// copying never leaves a cut-short file that later starts would keep.
void CopyMissingFiles(const QString& source, const QString& target) {
    QDirIterator files(source, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString from = files.next();
        const QString to = QDir(target).filePath(QDir(source).relativeFilePath(from));
        if (QFileInfo::exists(to)) continue;
        const QString partial = to + QStringLiteral(".part");
        QFile::remove(partial);  // left by a start that was killed
        if (!QDir().mkpath(QFileInfo(to).path()) || !QFile::copy(from, partial) || !QFile::rename(partial, to)) {
            QFile::remove(partial);
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
