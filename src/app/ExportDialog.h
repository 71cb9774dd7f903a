#pragma once

#include <QDialog>

#include "app/ExportSettings.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;

namespace orvalis {

// Export: what Generate writes besides the texture, in which format, and
// the sampling and real-scale lighting of the terrain. Every control has its
// Alt key. OK takes the settings only when they go together; otherwise the
// dialog stays open and says what is wrong.
class ExportDialog : public QDialog {
    Q_OBJECT

public:
    explicit ExportDialog(const ExportSettings& settings, QWidget* parent = nullptr);

    // The settings the controls show; raises Error when a text cannot be read
    // or the settings do not go together.
    ExportSettings Settings() const;
    void Show(const ExportSettings& settings);

    void accept() override;

    QComboBox* Format = nullptr;
    QComboBox* Compression = nullptr;
    QCheckBox* SplatMap = nullptr;
    QLineEdit* SplatMapFile = nullptr;
    QCheckBox* NormalMap = nullptr;
    QLineEdit* NormalMapFile = nullptr;
    QCheckBox* ShadowMap = nullptr;
    QLineEdit* ShadowMapFile = nullptr;
    QCheckBox* WorldFile = nullptr;
    QLineEdit* HeightRange = nullptr;
    QLineEdit* Bands = nullptr;
    QComboBox* Resample = nullptr;
    QLineEdit* WaterLevel = nullptr;
    QGroupBox* RealScale = nullptr;
    QDoubleSpinBox* SunAzimuth = nullptr;
    QDoubleSpinBox* SunElevation = nullptr;
    QDoubleSpinBox* ZFactor = nullptr;
    QDoubleSpinBox* Ambient = nullptr;
    QDoubleSpinBox* SunSize = nullptr;
    QCheckBox* SkyLight = nullptr;
    QPushButton* Defaults = nullptr;
    QLabel* Problem = nullptr;  // why OK did not close the dialog
    QScrollArea* Scroll = nullptr;  // holds every setting

private:
    QWidget* BuildOutputs();
    QWidget* BuildTerrain();
    QWidget* BuildRealScale();
    void FitOnScreen();
};

}  // namespace orvalis
