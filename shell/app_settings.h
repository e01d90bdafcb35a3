// What the desktop program reads of the application settings: the geometry part that
// every new document copies, the default folder of the file dialogs, the decimal
// separator of the user's numbers, and the recent-files list.
//
// The store is read afresh at every use, so a change made elsewhere (the settings
// dialog, another running copy) reaches the next document or dialog.
#pragma once

#include <QString>
#include <QStringList>

#include "model/types.h"

namespace tessarin::shell {

struct TShellSettings {
    model::TGeometrySettings Geometry = model::kDefaultGeometrySettings;
    bool UsePath = false;  // the file dialogs start in Path
    QString Path;
    char DecimalSeparator = ',';  // ',' or '.'
    // The interface part: the chart under the table, the pointer moved onto the table
    // when a segment is to be picked, user-sized table columns, flat document windows,
    // and the style of menus and toolbars (0 default, 1 standard, 2 flat).
    bool ViewChart = true;
    bool SmartCursor = false;
    bool CustomTable = true;
    bool FlatPanels = true;
    int ButtStyle = 0;
};

class TSettingsStore {
public:
    virtual ~TSettingsStore() = default;

    virtual TShellSettings Read() const = 0;
    // Most recent first; at most kRecentFileCount entries.
    virtual QStringList RecentFiles() const = 0;
    virtual void SetRecentFiles(const QStringList& files) = 0;
};

inline constexpr int kRecentFileCount = 8;

// The user's settings through QSettings (organisation "Tessarin", application
// "Settings": the groups "Geom" and "IntF" with the value names of the registry).
// A value that is missing or does not convert reads as its default, and so does a
// TableAccuracy outside 0..6. The decimal separator is the system locale's when it
// is "," or ".", otherwise that of the C library's regional settings.
class TQSettingsStore final : public TSettingsStore {
public:
    TShellSettings Read() const override;
    QStringList RecentFiles() const override;
    void SetRecentFiles(const QStringList& files) override;
};

// `path` moved to the front of `files`, duplicates removed, cut to kRecentFileCount.
QStringList WithRecentFile(QStringList files, const QString& path);

}  // namespace tessarin::shell
