#pragma once

#include <string>
#include <vector>

#include "files/Cancellation.h"
#include "files/InputFile.h"

namespace orvalis {

// What GDAL may see of the disk while it reads one picture: the files we
// opened ourselves, under names of our own in a folder of their own, and
// nothing else. A header that names another file ("../secret.ige", a FIFO,
// "/etc/passwd") finds nothing there, and no part of the user's path reaches
// GDAL, so prefixes such as "GTIFF_DIR:" or "/vsicurl/" are never parsed.
// Every read checks the cancel flag, so that a decoder stops soon after a
// stop is asked for. The files and the flag outlive the view.
class GdalFileView {
public:
    // main is the picture; sidecars (an EHdr ".hdr") are files beside it
    // that its format reads too.
    GdalFileView(const InputFile& main, const std::vector<const InputFile*>& sidecars,
                 const CancelFlag* cancel);
    GdalFileView(const GdalFileView&) = delete;
    GdalFileView& operator=(const GdalFileView&) = delete;
    ~GdalFileView();

    // The name GDAL opens the main file by.
    const std::string& Name() const { return name_; }
    // The names, without their folder, of every file in the view.
    const std::vector<std::string>& FileNames() const { return fileNames_; }
    // A name GDAL gave for a file, as the user would see it: relative to
    // the picture's own folder.
    std::string UserName(const std::string& gdalName) const;

private:
    std::string folder_;
    std::string name_;
    std::vector<std::string> fileNames_;
};

}  // namespace orvalis
