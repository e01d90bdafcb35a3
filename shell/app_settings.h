// What the desktop program reads of the application settings: the geometry part that
// every new document copies, the default folder of the file dialogs, the decimal
// separator of the user's numbers, the import options the next STL import starts from,
// and the recent-files list.
//
// The store is read afresh at every use, so a change made elsewhere (the settings
// dialog, another running copy) reaches the next document or dialog.
#pragma once

#include <QString>
#include <QStringList>

#include "model/types.h"

namespace tessarin::shell {

// The geometry settings' cutting-edge values: the smallest angle between the normals of
// an edge's faces lies within 0..kMinNormalAngleLimit degrees, the point tolerance is
// positive (the settings dialog takes at most kPointToleranceLimit mm).
inline constexpr double kMinNormalAngleLimit = 180.0;
inline constexpr double kPointToleranceLimit = 1.0;

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
    // What the import dialog offers first: the choices of the last import confirmed.
    model::TImportOptions Import{};
};

class TSettingsStore {
public:
    virtual ~TSettingsStore() = default;

    // Every setting; a value that is missing or unusable reads as its default.
    virtual TShellSettings Read() const = 0;
    TShellSettings ReadSettings() const { return Read(); }
    // Writes the interface part (with UsePath and Path) always, and the geometry part
    // only when `geometry` is set: the settings dialog's target is "новым проектам".
    // ButtStyle other than 1 or 2 is written as 0.
    virtual void WriteSettings(const TShellSettings& settings, bool geometry) = 0;
    // Writes the import options alone (the import dialog's OK).
    virtual void WriteImportDefaults(const model::TImportOptions& options) = 0;
    // The user's interface settings exist: false only before the first start.
    virtual bool SettingsExist() const = 0;
    // Writes every setting with its default value (Path empty).
    virtual void CreateDefaultSettings() = 0;
    // Most recent first; at most kRecentFileCount entries.
    virtual QStringList RecentFiles() const = 0;
    virtual void SetRecentFiles(const QStringList& files) = 0;
};

inline constexpr int kRecentFileCount = 8;

// The user's settings through QSettings in the platform's native store (organisation
// "Tessarin", application "Settings": the registry key Software\Tessarin\Settings on
// Windows, ~/.config/Tessarin/Settings.conf on Linux) in the groups "Geom" (Gamma,
// Alpha, DiscardInt, TableAccuracy, MarkNegative, MinNormalAngle, PointTolerance), "IntF"
// (ViewChart, SmartCursor, CustomTable, FlatPanels, ButtStyle, UsePath, Path) and
// "Import" (Units "mm" | "inch" | "m" | "um", AxisX, AxisY, AxisZ, Origin "keep" |
// "center" | "point", OriginX, OriginY, OriginZ, RepairNormals, KeepDuplicates). Floats
// are written as the eight bytes of the IEEE double, little-endian; Booleans and
// integers as integers.
//
// A value that is missing or does not convert reads as its default, and so do a
// TableAccuracy outside 0..6, a ButtStyle outside 0..2, a MinNormalAngle outside 0..180,
// a PointTolerance that is not positive and an axis of length 0; once the settings exist,
// such a value is also written back with its default, so the store mends itself
// without bothering the user. Before the first start nothing is written by reading.
// The decimal separator is the system locale's when it is "," or ".", otherwise that
// of the C library's regional settings.
class TSettings final : public TSettingsStore {
public:
    TShellSettings Read() const override;
    void WriteSettings(const TShellSettings& settings, bool geometry) override;
    void WriteImportDefaults(const model::TImportOptions& options) override;
    bool SettingsExist() const override;
    void CreateDefaultSettings() override;
    QStringList RecentFiles() const override;
    void SetRecentFiles(const QStringList& files) override;
};

// `path` moved to the front of `files`, duplicates removed, cut to kRecentFileCount.
QStringList WithRecentFile(QStringList files, const QString& path);

}  // namespace tessarin::shell
