#pragma once

#include <QSettings>

#include "app/ExportSettings.h"

namespace orvalis {

// The export settings kept between runs in the application's settings,
// under "export/", as the export file names them.
void RememberExportSettings(QSettings& store, const ExportSettings& settings);

// The remembered settings over the defaults; the defaults when none are
// kept. Raises Error naming the settings file and the setting when they
// cannot be used.
ExportSettings RecallExportSettings(QSettings& store);

}  // namespace orvalis
