#include "shell/app_settings.h"

#include <QByteArray>
#include <QLocale>
#include <QSettings>
#include <QVariant>

#include <cstdint>
#include <cstring>
#include <string>

#include "project/number_format.h"

namespace tessarin::shell {

namespace {

QSettings OpenSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Tessarin", "Settings");
}

// The registry keeps floats as the 8 bytes of the IEEE double, little-endian; an ini
// file keeps them as text written with ".". Both are accepted.
double ReadFloat(const QSettings& settings, const QString& key, double fallback) {
    const QVariant value = settings.value(key);
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
            return result;
        }
    }
    double result = 0.0;
    const std::string text = value.toString().toStdString();
    return project::StrToFloat(text, project::kEitherSeparator, result) ? result : fallback;
}

int ReadInt(const QSettings& settings, const QString& key, int fallback) {
    bool ok = false;
    const int result = settings.value(key).toInt(&ok);
    return ok ? result : fallback;
}

bool ReadFlag(const QSettings& settings, const QString& key, bool fallback) {
    return ReadInt(settings, key, fallback ? 1 : 0) != 0;
}

char SystemDecimalSeparator() {
    const QString point = QLocale::system().decimalPoint();
    if (point == QStringLiteral(",") || point == QStringLiteral(".")) {
        return point.at(0).toLatin1();
    }
    return project::DefaultDecimalSeparator();
}

}  // namespace

TShellSettings TQSettingsStore::Read() const {
    const QSettings settings = OpenSettings();
    TShellSettings result;
    model::TGeometrySettings& geometry = result.Geometry;
    geometry.Gamma = ReadFloat(settings, "Geom/Gamma", geometry.Gamma);
    geometry.Alpha = ReadFloat(settings, "Geom/Alpha", geometry.Alpha);
    geometry.DiscardInt = ReadFlag(settings, "Geom/DiscardInt", geometry.DiscardInt);
    const int accuracy = ReadInt(settings, "Geom/TableAccuracy", geometry.TableAccuracy);
    if (accuracy >= 0 && accuracy <= 6) {
        geometry.TableAccuracy = accuracy;
    }
    geometry.MarkNegative = ReadFlag(settings, "Geom/MarkNegative", geometry.MarkNegative);
    result.ViewChart = ReadFlag(settings, "IntF/ViewChart", result.ViewChart);
    result.SmartCursor = ReadFlag(settings, "IntF/SmartCursor", result.SmartCursor);
    result.CustomTable = ReadFlag(settings, "IntF/CustomTable", result.CustomTable);
    result.FlatPanels = ReadFlag(settings, "IntF/FlatPanels", result.FlatPanels);
    const int buttStyle = ReadInt(settings, "IntF/ButtStyle", result.ButtStyle);
    if (buttStyle >= 0 && buttStyle <= 2) {
        result.ButtStyle = buttStyle;
    }
    result.UsePath = ReadFlag(settings, "IntF/UsePath", false);
    result.Path = settings.value("IntF/Path").toString();
    result.DecimalSeparator = SystemDecimalSeparator();
    return result;
}

QStringList TQSettingsStore::RecentFiles() const {
    return OpenSettings().value("Recent/Files").toStringList().mid(0, kRecentFileCount);
}

void TQSettingsStore::SetRecentFiles(const QStringList& files) {
    QSettings settings = OpenSettings();
    settings.setValue("Recent/Files", files);
}

QStringList WithRecentFile(QStringList files, const QString& path) {
    files.removeAll(path);
    files.prepend(path);
    return files.mid(0, kRecentFileCount);
}

}  // namespace tessarin::shell
