#pragma once

#include <QString>

namespace orvalis {

// Where the window reads "default.txt" and writes its textures and "lm.bmp".
struct ProgramFolder {
    QString Path;
    // True when Path is the user's own folder rather than the executable's.
    bool PerUser = false;
};

// The executable's folder when this user may write there and it is not an
// installed tree (one whose sample terrain lies in installedData): a build
// tree or an unpacked copy keeps everything beside the program. Otherwise
// userFolder, made when missing and given the files of installedData it
// lacks ("default.txt" and the sample terrain), so that an installed program
// starts with a working set-up. Raises Error when userFolder cannot be made.
ProgramFolder ChooseProgramFolder(const QString& executableFolder, const QString& installedData,
                                  const QString& userFolder);

// $XDG_DATA_HOME/orvalis, by default ~/.local/share/orvalis.
QString UserDataFolder();

}  // namespace orvalis
