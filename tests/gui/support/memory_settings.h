// Application settings held in memory, so that GUI tests neither read nor change the
// settings of the person running them.
#pragma once

#include "shell/app_settings.h"

namespace tessarin::test {

class TMemorySettings final : public shell::TSettingsStore {
public:
    shell::TShellSettings Values;
    QStringList Recent;
    bool Exists = true;  // the first start has been made
    int Writes = 0;      // WriteSettings and CreateDefaultSettings calls

    shell::TShellSettings Read() const override { return Values; }
    void WriteSettings(const shell::TShellSettings& settings, bool geometry) override {
        const model::TGeometrySettings kept = Values.Geometry;
        Values = settings;
        if (!geometry) {
            Values.Geometry = kept;
        }
        Values.ButtStyle =
            settings.ButtStyle == 1 || settings.ButtStyle == 2 ? settings.ButtStyle : 0;
        Exists = true;
        ++Writes;
    }
    void WriteImportDefaults(const model::TImportOptions& options) override {
        Values.Import = options;
        ++Writes;
    }
    bool SettingsExist() const override { return Exists; }
    void CreateDefaultSettings() override {
        Values = shell::TShellSettings{};
        Exists = true;
        ++Writes;
    }
    QStringList RecentFiles() const override { return Recent; }
    void SetRecentFiles(const QStringList& files) override { Recent = files; }
};

}  // namespace tessarin::test
