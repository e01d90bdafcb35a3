// Application settings held in memory, so that GUI tests neither read nor change the
// settings of the person running them.
#pragma once

#include "shell/app_settings.h"

namespace tessarin::test {

class TMemorySettings final : public shell::TSettingsStore {
public:
    shell::TShellSettings Values;
    QStringList Recent;

    shell::TShellSettings Read() const override { return Values; }
    QStringList RecentFiles() const override { return Recent; }
    void SetRecentFiles(const QStringList& files) override { Recent = files; }
};

}  // namespace tessarin::test
