#pragma once

#include <optional>

#include <QString>

#include "app/ExportSettings.h"

class QWidget;

namespace orvalis {

// Everything the window asks of the user: which file to open or save, and
// that an error happened. The window goes through this seam so that tests
// can answer instead of a person. An empty optional means "cancelled".
class UserDialogs {
public:
    virtual ~UserDialogs() = default;

    virtual std::optional<QString> OpenPicture(QWidget* parent) = 0;
    virtual std::optional<QString> OpenTextureInfo(QWidget* parent) = 0;
    // Confirms with the user before an existing file is replaced.
    virtual std::optional<QString> SaveTextureInfo(QWidget* parent) = 0;
    // A modal error box captioned "Fehler" with a single OK button.
    virtual void ShowError(QWidget* parent, const QString& message) = 0;
    // A modal box with its own caption and a single OK button, for the
    // preview's texture loader.
    virtual void ShowMessage(QWidget* parent, const QString& caption, const QString& message) = 0;
    // The Export dialog, showing current; the settings the user accepted.
    virtual std::optional<ExportSettings> EditExportSettings(QWidget* parent,
                                                             const ExportSettings& current) = 0;
};

}  // namespace orvalis
