#pragma once

#include <optional>
#include <string>

#include "app/ExportSettings.h"

namespace orvalis {

// The export settings that travel with a set-up file: "name.export" beside
// "name.txt". The set-up file itself keeps its format; the export file is
// lines of "name = value" in the order ExportSettingsValues gives, with "#"
// starting a comment line.
std::string ExportFileBeside(const std::string& setUpPath);

// Writes every setting, replacing the file only once the new one is complete.
void WriteExportFile(const std::string& path, const ExportSettings& settings);

// Reads the settings of the file over the defaults: a setting the file does
// not name keeps its default. Raises Error naming the file and the line of
// the first fault, or the file alone when the settings do not go together;
// nothing is returned then.
ExportSettings ReadExportFile(const std::string& path);

// ReadExportFile when the file exists; none when it does not.
std::optional<ExportSettings> ReadExportFileIfAny(const std::string& path);

}  // namespace orvalis
