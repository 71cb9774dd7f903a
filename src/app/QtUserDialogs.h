#pragma once

#include "app/UserDialogs.h"

namespace orvalis {

// The file dialogs and message box of Qt itself.
class QtUserDialogs final : public UserDialogs {
public:
    std::optional<QString> OpenPicture(QWidget* parent) override;
    std::optional<QString> OpenTextureInfo(QWidget* parent) override;
    std::optional<QString> SaveTextureInfo(QWidget* parent) override;
    void ShowError(QWidget* parent, const QString& message) override;
    void ShowMessage(QWidget* parent, const QString& caption, const QString& message) override;
    std::optional<ExportSettings> EditExportSettings(QWidget* parent,
                                                     const ExportSettings& current) override;
};

}  // namespace orvalis
