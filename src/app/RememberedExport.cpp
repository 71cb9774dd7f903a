#include "app/RememberedExport.h"

#include "files/Error.h"

namespace orvalis {

namespace {

const QString kGroup = QStringLiteral("export");

}  // namespace

void RememberExportSettings(QSettings& store, const ExportSettings& settings) {
    store.beginGroup(kGroup);
    store.remove(QString());
    for (const auto& [name, value] : ExportSettingsValues(settings)) {
        store.setValue(QString::fromStdString(name), QString::fromStdString(value));
    }
    store.endGroup();
    store.sync();
}

ExportSettings RecallExportSettings(QSettings& store) {
    ExportSettings settings;
    store.beginGroup(kGroup);
    const QStringList names = store.childKeys();
    try {
        for (const QString& name : names) {
            SetExportValue(settings, name.toStdString(), store.value(name).toString().toStdString());
        }
        CheckExportSettings(settings);
    } catch (const Error& error) {
        store.endGroup();
        throw Error(store.fileName().toStdString(), std::string("[export] ") + error.what());
    }
    store.endGroup();
    return settings;
}

}  // namespace orvalis
