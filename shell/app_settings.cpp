#include "shell/app_settings.h"

#include <QByteArray>
#include <QLocale>
#include <QSettings>
#include <QVariant>

#include <QList>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "base/number_format.h"
#include "model/import_options.h"

namespace tessarin::shell {

namespace {

QSettings OpenSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Tessarin", "Settings");
}

// The registry keeps floats as the 8 bytes of the IEEE double, little-endian; an ini
// file written by hand may hold them as text. Both are accepted; `ok` tells whether
// the value was usable.
double ReadFloat(const QSettings& settings, const QString& key, double fallback, bool& ok) {
    const QVariant value = settings.value(key);
    ok = false;
    if (!value.isValid()) {
        return fallback;
    }
    if (value.typeId() == QMetaType::QByteArray) {
        const QByteArray bytes = value.toByteArray();
        if (bytes.size() == sizeof(double)) {
            unsigned char raw[sizeof(double)];
            std::memcpy(raw, bytes.constData(), sizeof raw);
            std::uint64_t bits = 0;
            for (int i = static_cast<int>(sizeof raw) - 1; i >= 0; --i) {
                bits = (bits << 8) | raw[i];
            }
            double result = 0.0;
            std::memcpy(&result, &bits, sizeof result);
            ok = std::isfinite(result);
            return ok ? result : fallback;
        }
    }
    double result = 0.0;
    const std::string text = value.toString().toStdString();
    ok = base::StrToFloat(text, base::kEitherSeparator, result) && std::isfinite(result);
    return ok ? result : fallback;
}

QByteArray FloatBytes(double value) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    QByteArray bytes(sizeof bits, '\0');
    for (int i = 0; i < static_cast<int>(sizeof bits); ++i) {
        bytes[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
    }
    return bytes;
}

// Integers within [low, high]; anything else is unusable.
int ReadInt(const QSettings& settings, const QString& key, int fallback, int low, int high,
            bool& ok) {
    const QVariant value = settings.value(key);
    // A byte array would convert from its text; the registry's integers never are one.
    ok = value.isValid() && value.typeId() != QMetaType::QByteArray;
    const int result = ok ? value.toInt(&ok) : 0;
    ok = ok && result >= low && result <= high;
    return ok ? result : fallback;
}

bool ReadFlag(const QSettings& settings, const QString& key, bool fallback, bool& ok) {
    const int limit = std::numeric_limits<int>::max();
    return ReadInt(settings, key, fallback ? 1 : 0, std::numeric_limits<int>::min(), limit, ok) !=
           0;
}

char SystemDecimalSeparator() {
    const QString point = QLocale::system().decimalPoint();
    if (point == QStringLiteral(",") || point == QStringLiteral(".")) {
        return point.at(0).toLatin1();
    }
    return base::DefaultDecimalSeparator();
}

void WriteGeometry(QSettings& settings, const model::TGeometrySettings& geometry) {
    settings.setValue("Geom/Gamma", FloatBytes(geometry.Gamma));
    settings.setValue("Geom/Alpha", FloatBytes(geometry.Alpha));
    settings.setValue("Geom/DiscardInt", geometry.DiscardInt ? 1 : 0);
    settings.setValue("Geom/TableAccuracy", static_cast<int>(geometry.TableAccuracy));
    settings.setValue("Geom/MarkNegative", geometry.MarkNegative ? 1 : 0);
    settings.setValue("Geom/MinNormalAngle", FloatBytes(geometry.MinNormalAngle));
    settings.setValue("Geom/PointTolerance", FloatBytes(geometry.PointTolerance));
}

QString OriginKey(model::TOriginChoice origin) {
    switch (origin) {
        case model::TOriginChoice::Center:
            return QStringLiteral("center");
        case model::TOriginChoice::Point:
            return QStringLiteral("point");
        case model::TOriginChoice::Keep:
            break;
    }
    return QStringLiteral("keep");
}

std::optional<model::TOriginChoice> OriginOfKey(const QString& key) {
    if (key == QStringLiteral("keep")) {
        return model::TOriginChoice::Keep;
    }
    if (key == QStringLiteral("center")) {
        return model::TOriginChoice::Center;
    }
    if (key == QStringLiteral("point")) {
        return model::TOriginChoice::Point;
    }
    return std::nullopt;
}

QString UnitKey(model::TLengthUnit unit) {
    const std::string_view key = model::LengthUnitKey(unit);
    return QString::fromLatin1(key.data(), static_cast<qsizetype>(key.size()));
}

void WriteImport(QSettings& settings, const model::TImportOptions& options) {
    settings.setValue("Import/Units", UnitKey(options.Unit));
    settings.setValue("Import/AxisX", FloatBytes(options.Axis.x));
    settings.setValue("Import/AxisY", FloatBytes(options.Axis.y));
    settings.setValue("Import/AxisZ", FloatBytes(options.Axis.z));
    settings.setValue("Import/Origin", OriginKey(options.Origin));
    settings.setValue("Import/OriginX", FloatBytes(options.OriginPoint.x));
    settings.setValue("Import/OriginY", FloatBytes(options.OriginPoint.y));
    settings.setValue("Import/OriginZ", FloatBytes(options.OriginPoint.z));
    settings.setValue("Import/RepairNormals", options.RepairNormals ? 1 : 0);
    settings.setValue("Import/KeepDuplicates", options.KeepDuplicates ? 1 : 0);
}

void WriteInterface(QSettings& settings, const TShellSettings& values) {
    settings.setValue("IntF/ViewChart", values.ViewChart ? 1 : 0);
    settings.setValue("IntF/SmartCursor", values.SmartCursor ? 1 : 0);
    settings.setValue("IntF/CustomTable", values.CustomTable ? 1 : 0);
    settings.setValue("IntF/FlatPanels", values.FlatPanels ? 1 : 0);
    settings.setValue("IntF/ButtStyle",
                      values.ButtStyle == 1 || values.ButtStyle == 2 ? values.ButtStyle : 0);
    settings.setValue("IntF/UsePath", values.UsePath ? 1 : 0);
    settings.setValue("IntF/Path", values.Path);
}

}  // namespace

TShellSettings TSettings::Read() const {
    QSettings settings = OpenSettings();
    TShellSettings result;
    model::TGeometrySettings& geometry = result.Geometry;
    // Each value that is not usable is remembered with its default, to be written back.
    QList<std::pair<QString, QVariant>> repairs;
    bool ok = true;
    auto check = [&](const char* key, const QVariant& value) {
        if (!ok) {
            repairs.append({QString::fromLatin1(key), value});
        }
    };
    geometry.Gamma = ReadFloat(settings, "Geom/Gamma", geometry.Gamma, ok);
    check("Geom/Gamma", FloatBytes(geometry.Gamma));
    geometry.Alpha = ReadFloat(settings, "Geom/Alpha", geometry.Alpha, ok);
    check("Geom/Alpha", FloatBytes(geometry.Alpha));
    geometry.DiscardInt = ReadFlag(settings, "Geom/DiscardInt", geometry.DiscardInt, ok);
    check("Geom/DiscardInt", geometry.DiscardInt ? 1 : 0);
    geometry.TableAccuracy =
        ReadInt(settings, "Geom/TableAccuracy", geometry.TableAccuracy, 0, 6, ok);
    check("Geom/TableAccuracy", static_cast<int>(geometry.TableAccuracy));
    geometry.MarkNegative = ReadFlag(settings, "Geom/MarkNegative", geometry.MarkNegative, ok);
    check("Geom/MarkNegative", geometry.MarkNegative ? 1 : 0);
    {
        const double angle = ReadFloat(settings, "Geom/MinNormalAngle", 0.0, ok);
        ok = ok && angle >= 0.0 && angle <= kMinNormalAngleLimit;
        geometry.MinNormalAngle = ok ? angle : 0.0;
        check("Geom/MinNormalAngle", FloatBytes(geometry.MinNormalAngle));
        const double tolerance =
            ReadFloat(settings, "Geom/PointTolerance", model::kDefaultPointTolerance, ok);
        ok = ok && tolerance > 0.0;
        geometry.PointTolerance = ok ? tolerance : model::kDefaultPointTolerance;
        check("Geom/PointTolerance", FloatBytes(geometry.PointTolerance));
    }
    result.ViewChart = ReadFlag(settings, "IntF/ViewChart", result.ViewChart, ok);
    check("IntF/ViewChart", result.ViewChart ? 1 : 0);
    result.SmartCursor = ReadFlag(settings, "IntF/SmartCursor", result.SmartCursor, ok);
    check("IntF/SmartCursor", result.SmartCursor ? 1 : 0);
    result.CustomTable = ReadFlag(settings, "IntF/CustomTable", result.CustomTable, ok);
    check("IntF/CustomTable", result.CustomTable ? 1 : 0);
    result.FlatPanels = ReadFlag(settings, "IntF/FlatPanels", result.FlatPanels, ok);
    check("IntF/FlatPanels", result.FlatPanels ? 1 : 0);
    result.ButtStyle = ReadInt(settings, "IntF/ButtStyle", result.ButtStyle, 0, 2, ok);
    check("IntF/ButtStyle", result.ButtStyle);
    result.UsePath = ReadFlag(settings, "IntF/UsePath", result.UsePath, ok);
    check("IntF/UsePath", result.UsePath ? 1 : 0);
    const QVariant path = settings.value("IntF/Path");
    ok = path.isValid();
    result.Path = path.toString();
    check("IntF/Path", result.Path);
    result.DecimalSeparator = SystemDecimalSeparator();

    model::TImportOptions& import = result.Import;
    const model::TImportOptions defaults;
    {
        const std::optional<model::TLengthUnit> unit =
            model::LengthUnitOfKey(settings.value("Import/Units").toString().toStdString());
        ok = unit.has_value();
        import.Unit = unit.value_or(defaults.Unit);
        check("Import/Units", UnitKey(import.Unit));
    }
    {
        // The axis is judged as a whole: one unusable component, or a zero or
        // non-finite direction, gives the default axis.
        bool okX = false;
        bool okY = false;
        bool okZ = false;
        const model::TVector3 axis{ReadFloat(settings, "Import/AxisX", defaults.Axis.x, okX),
                                   ReadFloat(settings, "Import/AxisY", defaults.Axis.y, okY),
                                   ReadFloat(settings, "Import/AxisZ", defaults.Axis.z, okZ)};
        ok = okX && okY && okZ && model::AxisTurn(axis).has_value();
        import.Axis = ok ? axis : defaults.Axis;
        check("Import/AxisX", FloatBytes(import.Axis.x));
        check("Import/AxisY", FloatBytes(import.Axis.y));
        check("Import/AxisZ", FloatBytes(import.Axis.z));
    }
    {
        const std::optional<model::TOriginChoice> origin =
            OriginOfKey(settings.value("Import/Origin").toString());
        ok = origin.has_value();
        import.Origin = origin.value_or(defaults.Origin);
        check("Import/Origin", OriginKey(import.Origin));
    }
    import.OriginPoint.x = ReadFloat(settings, "Import/OriginX", 0.0, ok);
    check("Import/OriginX", FloatBytes(import.OriginPoint.x));
    import.OriginPoint.y = ReadFloat(settings, "Import/OriginY", 0.0, ok);
    check("Import/OriginY", FloatBytes(import.OriginPoint.y));
    import.OriginPoint.z = ReadFloat(settings, "Import/OriginZ", 0.0, ok);
    check("Import/OriginZ", FloatBytes(import.OriginPoint.z));
    import.RepairNormals = ReadFlag(settings, "Import/RepairNormals", defaults.RepairNormals, ok);
    check("Import/RepairNormals", import.RepairNormals ? 1 : 0);
    import.KeepDuplicates =
        ReadFlag(settings, "Import/KeepDuplicates", defaults.KeepDuplicates, ok);
    check("Import/KeepDuplicates", import.KeepDuplicates ? 1 : 0);

    if (!repairs.isEmpty() && settings.childGroups().contains(QStringLiteral("IntF"))) {
        for (const auto& [key, value] : repairs) {
            settings.setValue(key, value);
        }
    }
    return result;
}

void TSettings::WriteSettings(const TShellSettings& values, bool geometry) {
    QSettings settings = OpenSettings();
    if (geometry) {
        WriteGeometry(settings, values.Geometry);
    }
    WriteInterface(settings, values);
}

void TSettings::WriteImportDefaults(const model::TImportOptions& options) {
    QSettings settings = OpenSettings();
    WriteImport(settings, options);
}

bool TSettings::SettingsExist() const {
    return OpenSettings().childGroups().contains(QStringLiteral("IntF"));
}

void TSettings::CreateDefaultSettings() {
    QSettings settings = OpenSettings();
    const TShellSettings defaults;
    WriteGeometry(settings, defaults.Geometry);
    WriteInterface(settings, defaults);
    WriteImport(settings, defaults.Import);
}

QStringList TSettings::RecentFiles() const {
    return OpenSettings().value("Recent/Files").toStringList().mid(0, kRecentFileCount);
}

void TSettings::SetRecentFiles(const QStringList& files) {
    QSettings settings = OpenSettings();
    settings.setValue("Recent/Files", files);
}

QStringList WithRecentFile(QStringList files, const QString& path) {
    files.removeAll(path);
    files.prepend(path);
    return files.mid(0, kRecentFileCount);
}

}  // namespace tessarin::shell
