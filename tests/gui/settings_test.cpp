// The settings: the store with its defaults and self-repair, the settings dialog's
// field rules, targets and pages, the "Настройки" command, the first start with the
// file association, "Справка", the command-line project and the splash window.
//
// QSettings and the XDG data folder point into a temporary folder made before the
// application object, so the user's own settings and desktop are never touched.
// With TESSARIN_SETTINGS_SHOTS=<folder> in the environment, DialogPictures saves the
// dialog's two pages there as settings_geometry.png and settings_interface.png.
#include <QtTest>

#include <QClipboard>

#include <QAbstractSpinBox>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSettings>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>

#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "document/data_panel.h"
#include "document/data_tree.h"
#include "document/mdi_child.h"
#include "shell/app_settings.h"
#include "shell/first_start.h"
#include "shell/gate_form.h"
#include "shell/help_files.h"
#include "shell/help_window.h"
#include "shell/main_window.h"
#include "shell/setting_form.h"
#include "shell/setting_spin_edit.h"
#include "tests/gui/support/memory_settings.h"
#include "tests/gui/support/scripted_dialogs.h"

using tessarin::document::TMDIChild;
using tessarin::shell::TMainForm;
using tessarin::shell::TSettingForm;
using tessarin::shell::TSettings;
using tessarin::shell::TShellSettings;
using tessarin::test::TDialogKind;
using tessarin::test::TMemorySettings;
using tessarin::test::TScriptedDialogs;

namespace {

const QString kSampleProject = QStringLiteral(TESSARIN_SAMPLES "/cutter.tsf");

QTemporaryDir* Sandbox = nullptr;

QSettings RawSettings() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, "Tessarin", "Settings");
}

QByteArray FloatBytes(double value) {
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    QByteArray bytes(8, '\0');
    for (int i = 0; i < 8; ++i) {
        bytes[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
    }
    return bytes;
}

QString ReadText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

int BeepCount(const TScriptedDialogs& dialogs) {
    int beeps = 0;
    for (const auto& record : dialogs.Records()) {
        beeps += record.Kind == TDialogKind::Beep ? 1 : 0;
    }
    return beeps;
}

}  // namespace

class TSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void StoreReadsDefaultsAndRepairs_data();
    void StoreReadsDefaultsAndRepairs();
    void StoreWritesGeometryOnlyForNewProjects();
    void StoreKeepsTheNewValues();
    void FirstStartWritesOnce();
    void FirstStartReportsAFailedAssociation();

    void FieldRules_data();
    void FieldRules();
    void EmptyFieldBecomesZeroWhenLeft();
    void SpinButtonsStayInRange();
    void TargetListAndRefill();
    void PagePersistsBetweenShowings();
    void PathFieldAndFolderBrowser();
    void OkRefusesATextThatIsNoNumber();
    void CuttingEdgeFields_data();
    void CuttingEdgeFields();
    void PastedTextPassesTheTypingRule_data();
    void PastedTextPassesTheTypingRule();

    void SettingsCommandForNewProjects();
    void SettingsCommandForTheCurrentProject();
    void NewAccuracyForTheCurrentProjectShowsAtOnce();
    void SettingsCommandCancelled();
    void CuttingEdgeValuesReachANewDocument();
    void ButtonStyles();

    void HelpLooksInTheExecutableFolderFirst();
    void CommandLineProject_data();
    void CommandLineProject();
    void SplashStaysThenGoes();
    void DialogPictures();

private:
    TSettingForm& Dialog() { return Form->SettingDialog(); }
    tessarin::shell::TSettingSpinEdit* Field(const char* name);
    void TypeInto(const char* name, const QString& text);

    std::unique_ptr<TScriptedDialogs> Dialogs;
    std::unique_ptr<TMemorySettings> Memory;
    std::unique_ptr<TMainForm> Form;
};

void TSettingsTest::init() {
    RawSettings().clear();
    Dialogs = std::make_unique<TScriptedDialogs>();
    Memory = std::make_unique<TMemorySettings>();
    Memory->Values.DecimalSeparator = ',';
    Form = std::make_unique<TMainForm>(*Dialogs, *Memory);
    // Never shown: a shown window with a 3-D view has no place on the offscreen platform.
    Form->resize(1000, 700);
}

void TSettingsTest::cleanup() {
    QVERIFY2(Dialogs->Unscripted().isEmpty(), qPrintable(Dialogs->Unscripted().join("; ")));
    Form.reset();
    Memory.reset();
    Dialogs.reset();
}

tessarin::shell::TSettingSpinEdit* TSettingsTest::Field(const char* name) {
    auto* field = Dialog().findChild<QAbstractSpinBox*>(QString::fromLatin1(name));
    return static_cast<tessarin::shell::TSettingSpinEdit*>(field);
}

// Replaces the field's text by typing, as a user would after selecting it all.
void TSettingsTest::TypeInto(const char* name, const QString& text) {
    QAbstractSpinBox* field = Field(name);
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}

// ---- the store ------------------------------------------------------------------------

void TSettingsTest::StoreReadsDefaultsAndRepairs_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("stored");    // invalid: the value is missing
    QTest::addColumn<QVariant>("repaired");  // what the store holds after reading
    QTest::newRow("ButtStyle 7 is 0") << "IntF/ButtStyle" << QVariant(7) << QVariant(0);
    QTest::newRow("ButtStyle 2 stays") << "IntF/ButtStyle" << QVariant(2) << QVariant(2);
    QTest::newRow("missing Gamma") << "Geom/Gamma" << QVariant() << QVariant(FloatBytes(80));
    QTest::newRow("Alpha of 3 bytes")
        << "Geom/Alpha" << QVariant(QByteArray("abc")) << QVariant(FloatBytes(10));
    QTest::newRow("Alpha as text") << "Geom/Alpha" << QVariant("12,5") << QVariant("12,5");
    QTest::newRow("TableAccuracy words") << "Geom/TableAccuracy" << QVariant("many") << QVariant(4);
    QTest::newRow("TableAccuracy 9") << "Geom/TableAccuracy" << QVariant(9) << QVariant(4);
    QTest::newRow("missing ViewChart") << "IntF/ViewChart" << QVariant() << QVariant(1);
    QTest::newRow("missing Path") << "IntF/Path" << QVariant() << QVariant(QString());
    QTest::newRow("MinNormalAngle 200")
        << "Geom/MinNormalAngle" << QVariant(FloatBytes(200)) << QVariant(FloatBytes(0));
    QTest::newRow("PointTolerance negative")
        << "Geom/PointTolerance" << QVariant(FloatBytes(-1)) << QVariant(FloatBytes(0.001));
    QTest::newRow("missing PointTolerance")
        << "Geom/PointTolerance" << QVariant() << QVariant(FloatBytes(0.001));
    QTest::newRow("Units feet") << "Import/Units" << QVariant("ft") << QVariant("mm");
    QTest::newRow("Origin elsewhere") << "Import/Origin" << QVariant("top") << QVariant("keep");
    QTest::newRow("AxisZ of zero length")
        << "Import/AxisZ" << QVariant(FloatBytes(0)) << QVariant(FloatBytes(1));
}

void TSettingsTest::StoreReadsDefaultsAndRepairs() {
    QFETCH(QString, key);
    QFETCH(QVariant, stored);
    QFETCH(QVariant, repaired);

    TSettings store;
    // Before the first start reading changes nothing.
    QVERIFY(!store.SettingsExist());
    QCOMPARE(store.ReadSettings().Geometry, tessarin::model::kDefaultGeometrySettings);
    QVERIFY(!store.SettingsExist());
    QVERIFY(RawSettings().allKeys().isEmpty());

    store.CreateDefaultSettings();
    QVERIFY(store.SettingsExist());
    {
        QSettings raw = RawSettings();
        QCOMPARE(raw.value("Geom/Gamma").toByteArray(), FloatBytes(80));
        if (stored.isValid()) {
            raw.setValue(key, stored);
        } else {
            raw.remove(key);
        }
    }
    const TShellSettings read = store.ReadSettings();
    QCOMPARE(read.ButtStyle, key == "IntF/ButtStyle" ? repaired.toInt() : 0);
    QCOMPARE(read.Geometry.Gamma, 80.0);
    QCOMPARE(read.Geometry.Alpha, key == "Geom/Alpha" && stored.toString() == "12,5" ? 12.5 : 10.0);
    QCOMPARE(read.Geometry.TableAccuracy, 4);
    QVERIFY(read.ViewChart);
    QVERIFY(read.Path.isEmpty());

    const QVariant now = RawSettings().value(key);
    QVERIFY2(now.isValid(), "the value is written back");
    if (repaired.typeId() == QMetaType::QByteArray) {
        QCOMPARE(now.toByteArray(), repaired.toByteArray());
    } else {
        QCOMPARE(now.toString(), repaired.toString());
    }
}

void TSettingsTest::StoreKeepsTheNewValues() {
    TSettings store;
    store.CreateDefaultSettings();
    const TShellSettings defaults = store.ReadSettings();
    QCOMPARE(defaults.Geometry.MinNormalAngle, 0.0);
    QCOMPARE(defaults.Geometry.PointTolerance, 0.001);
    QCOMPARE(defaults.Import, tessarin::model::TImportOptions{});

    TShellSettings values = defaults;
    values.Geometry.MinNormalAngle = 12.5;
    values.Geometry.PointTolerance = 0.02;
    store.WriteSettings(values, true);
    QCOMPARE(RawSettings().value("Geom/MinNormalAngle").toByteArray(), FloatBytes(12.5));
    QCOMPARE(RawSettings().value("Geom/PointTolerance").toByteArray(), FloatBytes(0.02));

    tessarin::model::TImportOptions import;
    import.Unit = tessarin::model::TLengthUnit::Inch;
    import.Axis = {0.5, -1.0, 0.25};
    import.Origin = tessarin::model::TOriginChoice::Point;
    import.OriginPoint = {1.0, 2.0, -3.5};
    import.RepairNormals = false;
    import.KeepDuplicates = true;
    store.WriteImportDefaults(import);
    const TShellSettings read = store.ReadSettings();
    QCOMPARE(read.Geometry.MinNormalAngle, 12.5);
    QCOMPARE(read.Geometry.PointTolerance, 0.02);
    QCOMPARE(read.Import, import);
    QCOMPARE(RawSettings().value("Import/Units").toString(), QStringLiteral("inch"));
    QCOMPARE(RawSettings().value("Import/Origin").toString(), QStringLiteral("point"));
    // The keys the first format had keep their values and types.
    QCOMPARE(RawSettings().value("Geom/Gamma").toByteArray(), FloatBytes(80));
    QCOMPARE(RawSettings().value("Geom/TableAccuracy").toInt(), 4);
}

void TSettingsTest::StoreWritesGeometryOnlyForNewProjects() {
    TSettings store;
    store.CreateDefaultSettings();
    TShellSettings values = store.ReadSettings();
    values.Geometry.Gamma = 70.25;
    values.Geometry.TableAccuracy = 2;
    values.ViewChart = false;
    values.ButtStyle = 5;
    values.UsePath = true;
    values.Path = QStringLiteral("/data/инструменты");

    store.WriteSettings(values, false);
    TShellSettings read = store.ReadSettings();
    QCOMPARE(read.Geometry, tessarin::model::kDefaultGeometrySettings);
    QVERIFY(!read.ViewChart);
    QCOMPARE(read.ButtStyle, 0);
    QCOMPARE(RawSettings().value("IntF/ButtStyle").toInt(), 0);
    QVERIFY(read.UsePath);
    QCOMPARE(read.Path, values.Path);

    store.WriteSettings(values, true);
    read = store.ReadSettings();
    QCOMPARE(read.Geometry.Gamma, 70.25);
    QCOMPARE(read.Geometry.TableAccuracy, 2);
    QCOMPARE(RawSettings().value("Geom/Gamma").toByteArray(), FloatBytes(70.25));
}

// ---- first start ----------------------------------------------------------------------

void TSettingsTest::FirstStartWritesOnce() {
    TSettings store;
    const QString dataHome = Sandbox->filePath("data-first");
    // A path with a blank: the desktop entry must quote it.
    const QString executable = QStringLiteral("/opt/Tessarin 1/bin/tessarin");
    QVERIFY(tessarin::shell::RunFirstStart(store, *Dialogs, executable, dataHome));
    QVERIFY(Dialogs->Records().isEmpty());
    QVERIFY(store.SettingsExist());
    QCOMPARE(store.ReadSettings().Geometry, tessarin::model::kDefaultGeometrySettings);

    const QString entryPath = dataHome + "/applications/tessarin.desktop";
    const QString entry = ReadText(entryPath);
    QVERIFY2(entry.contains("\nExec=\"/opt/Tessarin 1/bin/tessarin\" %f\n"), qPrintable(entry));
    QVERIFY(entry.contains("\nMimeType=application/x-tessarin-project;\n"));
    const QString mime = ReadText(dataHome + "/mime/packages/tessarin.xml");
    QVERIFY(mime.contains("<glob pattern=\"*.tsf\"/>"));
    if (!QStandardPaths::findExecutable("update-mime-database").isEmpty()) {
        // The refreshed database knows the type.
        QVERIFY(
            ReadText(dataHome + "/mime/globs2").contains("application/x-tessarin-project:*.tsf"));
    }

    // A second start finds the settings and writes nothing.
    QFile::remove(entryPath);
    RawSettings().setValue("Geom/Gamma", FloatBytes(60));
    QVERIFY(!tessarin::shell::RunFirstStart(store, *Dialogs, executable, dataHome));
    QVERIFY(!QFile::exists(entryPath));
    QCOMPARE(store.ReadSettings().Geometry.Gamma, 60.0);
    QVERIFY(Dialogs->Records().isEmpty());
}

void TSettingsTest::FirstStartReportsAFailedAssociation() {
    // The data folder is a file: nothing can go under it.
    const QString blocked = Sandbox->filePath("blocked");
    QFile file(blocked);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    TSettings store;
    QVERIFY(tessarin::shell::RunFirstStart(store, *Dialogs, "/usr/bin/tessarin", blocked));
    QCOMPARE(Dialogs->Transcript(),
             QStringList{"Error: Не удалось зарегистрировать тип файлов проекта Tessarin"});
    // The settings are there all the same, so the failure is not reported again.
    QVERIFY(store.SettingsExist());
    Dialogs->Clear();
    QVERIFY(!tessarin::shell::RunFirstStart(store, *Dialogs, "/usr/bin/tessarin", blocked));
    QVERIFY(Dialogs->Records().isEmpty());
}

// ---- the dialog's fields ----------------------------------------------------------------

void TSettingsTest::FieldRules_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("gamma");  // the texts afterwards
    QTest::addColumn<QString>("alpha");
    QTest::addColumn<QString>("accuracy");
    QTest::addColumn<int>("beeps");
    // Stored: Gamma 80, Alpha 10, TableAccuracy 4.
    QTest::newRow("85 into Gamma") << "EditGamma"
                                   << "85"
                                   << "85"
                                   << "5"
                                   << "4" << 0;
    QTest::newRow("95 into Alpha") << "EditAlpha"
                                   << "95"
                                   << "1"
                                   << "89"
                                   << "4" << 1;
    QTest::newRow("95 into Gamma") << "EditGamma"
                                   << "95"
                                   << "89"
                                   << "1"
                                   << "4" << 1;
    QTest::newRow("fraction") << "EditGamma"
                              << "80,5"
                              << "80,5"
                              << "9,5"
                              << "4" << 0;
    QTest::newRow("second comma") << "EditGamma"
                                  << "1,5,2"
                                  << "1,52"
                                  << "10"
                                  << "4" << 1;
    QTest::newRow("dot refused") << "EditAlpha"
                                 << "1.5"
                                 << "75"
                                 << "15"
                                 << "4" << 1;
    QTest::newRow("letters refused") << "EditAlpha"
                                     << "a7-"
                                     << "80"
                                     << "7"
                                     << "4" << 2;
    QTest::newRow("accuracy 7") << "EditTableAccu"
                                << "7"
                                << "80"
                                << "10"
                                << "6" << 1;
    QTest::newRow("accuracy comma") << "EditTableAccu"
                                    << "3,5"
                                    << "80"
                                    << "10"
                                    << "6" << 2;
    QTest::newRow("accuracy 2") << "EditTableAccu"
                                << "2"
                                << "80"
                                << "10"
                                << "2" << 0;
}

void TSettingsTest::FieldRules() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, gamma);
    QFETCH(QString, alpha);
    QFETCH(QString, accuracy);
    QFETCH(int, beeps);

    Dialog().Prepare(Memory->Values, std::nullopt);
    TypeInto(field.toLatin1().constData(), typed);
    QCOMPARE(Field("EditGamma")->text(), gamma);
    QCOMPARE(Field("EditAlpha")->text(), alpha);
    QCOMPARE(Field("EditTableAccu")->text(), accuracy);
    QCOMPARE(BeepCount(*Dialogs), beeps);
    QCOMPARE(Dialogs->Shown().size(), 0);
}

void TSettingsTest::EmptyFieldBecomesZeroWhenLeft() {
    Dialog().Prepare(Memory->Values, std::nullopt);
    for (const char* name : {"EditGamma", "EditAlpha", "EditTableAccu"}) {
        TypeInto(name, QString());
        QVERIFY(Field(name)->text().isEmpty());
        emit Field(name)->editingFinished();
        QCOMPARE(Field(name)->text(), QStringLiteral("0"));
    }
}

void TSettingsTest::SpinButtonsStayInRange() {
    Dialog().Prepare(Memory->Values, std::nullopt);
    Field("EditTableAccu")->stepBy(5);
    QCOMPARE(Field("EditTableAccu")->text(), QStringLiteral("6"));
    Field("EditGamma")->stepBy(20);  // 89, and Alpha follows
    QCOMPARE(Field("EditGamma")->text(), QStringLiteral("89"));
    QCOMPARE(Field("EditAlpha")->text(), QStringLiteral("1"));
    Field("EditAlpha")->stepBy(-5);
    QCOMPARE(Field("EditAlpha")->text(), QStringLiteral("0"));
    QCOMPARE(BeepCount(*Dialogs), 0);
}

void TSettingsTest::TargetListAndRefill() {
    auto* target = Dialog().findChild<QComboBox*>("ComboTarget");
    auto* pages = Dialog().findChild<QTabWidget*>("PageControl");
    // Without a document: only new projects.
    Dialog().Prepare(Memory->Values, std::nullopt);
    QCOMPARE(target->count(), 1);
    QCOMPARE(target->itemText(0), QStringLiteral("новым проектам"));
    QVERIFY(Dialog().AppliesToNewProjects());

    tessarin::model::TGeometrySettings project{5.0, 60.5, false, 2, false};
    Dialog().Prepare(Memory->Values, project);
    QCOMPARE(target->count(), 2);
    QCOMPARE(target->itemText(1), QStringLiteral("текущему проекту"));
    QCOMPARE(target->currentIndex(), 0);
    QCOMPARE(Field("EditGamma")->text(), QStringLiteral("80"));

    target->setCurrentIndex(1);
    QVERIFY(!Dialog().AppliesToNewProjects());
    QCOMPARE(Field("EditGamma")->text(), QStringLiteral("60,5"));
    QCOMPARE(Field("EditAlpha")->text(), QStringLiteral("5"));
    QCOMPARE(Field("EditTableAccu")->text(), QStringLiteral("2"));
    QVERIFY(!Dialog().findChild<QCheckBox*>("CheckDiscardInt")->isChecked());

    // Switching pages drops an unconfirmed edit of the geometry fields, not of the
    // interface ones.
    auto* chart = Dialog().findChild<QCheckBox*>("CheckViewChart");
    chart->setChecked(false);
    TypeInto("EditGamma", "70");
    QCOMPARE(Field("EditGamma")->text(), QStringLiteral("70"));
    pages->setCurrentIndex(pages->currentIndex() == 0 ? 1 : 0);
    QCOMPARE(Field("EditGamma")->text(), QStringLiteral("60,5"));
    QVERIFY(!chart->isChecked());
    target->setCurrentIndex(0);
    QCOMPARE(Field("EditGamma")->text(), QStringLiteral("80"));
}

void TSettingsTest::PagePersistsBetweenShowings() {
    auto* pages = Dialog().findChild<QTabWidget*>("PageControl");
    QCOMPARE(pages->tabText(0), QStringLiteral("Геометрия"));
    QCOMPARE(pages->tabText(1), QStringLiteral("Интерфейс"));
    QCOMPARE(Dialog().windowTitle(), QStringLiteral("Настройки"));
    Dialog().Prepare(Memory->Values, std::nullopt);
    QCOMPARE(pages->currentIndex(), 1);  // the first showing
    pages->setCurrentIndex(0);
    Dialog().reject();
    Dialog().Prepare(Memory->Values, std::nullopt);
    QCOMPARE(pages->currentIndex(), 0);
}

void TSettingsTest::PathFieldAndFolderBrowser() {
    Dialog().Prepare(Memory->Values, std::nullopt);
    auto* usePath = Dialog().findChild<QCheckBox*>("CheckUsePath");
    auto* path = Dialog().findChild<QLineEdit*>("ButtonEditPath");
    auto* browse = Dialog().findChild<QToolButton*>("ButtonBrowsePath");
    QVERIFY(!usePath->isChecked());
    QVERIFY(!path->isEnabled());
    usePath->setChecked(true);
    QVERIFY(path->isEnabled());

    Dialogs->ChooseFile(QString());  // cancelled: the text stays
    browse->click();
    QVERIFY(path->text().isEmpty());
    Dialogs->ChooseFile(QStringLiteral("/data/модели"));
    browse->click();
    QCOMPARE(path->text(), QStringLiteral("/data/модели"));
    QCOMPARE(Dialogs->Records().constLast().Text,
             QStringLiteral("Выберите директорию по умолчанию"));
    QVERIFY(Dialog().CollectValues());
    QVERIFY(Dialog().Result().UsePath);
    QCOMPARE(Dialog().Result().Path, QStringLiteral("/data/модели"));
}

void TSettingsTest::OkRefusesATextThatIsNoNumber() {
    Dialog().Prepare(Memory->Values, std::nullopt);
    Dialog().setResult(QDialog::Rejected);
    TypeInto("EditGamma", ",");
    QCOMPARE(Field("EditGamma")->text(), QStringLiteral(","));
    Dialog().accept();
    QCOMPARE(Dialog().result(), int(QDialog::Rejected));  // still open
    QCOMPARE(Dialogs->Transcript(), QStringList{"Error: Неверное значение"});
    // "Отмена" always closes.
    Dialog().reject();
    QCOMPARE(Dialog().result(), int(QDialog::Rejected));
}

void TSettingsTest::CuttingEdgeFields_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");  // afterwards
    QTest::addColumn<int>("beeps");
    QTest::addColumn<bool>("accepted");  // OK closes the dialog
    QTest::newRow("angle within") << "EditMinNormalAngle"
                                  << "12,5"
                                  << "12,5" << 0 << true;
    QTest::newRow("angle above 180") << "EditMinNormalAngle"
                                     << "190"
                                     << "180" << 1 << true;
    QTest::newRow("angle letters") << "EditMinNormalAngle"
                                   << "1a"
                                   << "1" << 1 << true;
    QTest::newRow("tolerance within") << "EditPointTolerance"
                                      << "0,05"
                                      << "0,05" << 0 << true;
    QTest::newRow("tolerance above 1") << "EditPointTolerance"
                                       << "2"
                                       << "1" << 1 << true;
    QTest::newRow("tolerance 0 refused") << "EditPointTolerance"
                                         << "0"
                                         << "0" << 0 << false;
    QTest::newRow("tolerance separator only") << "EditPointTolerance"
                                              << ","
                                              << "," << 0 << false;
}

void TSettingsTest::CuttingEdgeFields() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, text);
    QFETCH(int, beeps);
    QFETCH(bool, accepted);
    Dialog().Prepare(Memory->Values, std::nullopt);
    QCOMPARE(Field("EditMinNormalAngle")->text(), QStringLiteral("0"));
    QCOMPARE(Field("EditPointTolerance")->text(), QStringLiteral("0,001"));
    Dialogs->Clear();
    TypeInto(qPrintable(field), typed);
    QCOMPARE(Field(qPrintable(field))->text(), text);
    QCOMPARE(BeepCount(*Dialogs), beeps);
    Dialog().setResult(QDialog::Rejected);
    Dialog().accept();
    QCOMPARE(Dialog().result(), int(accepted ? QDialog::Accepted : QDialog::Rejected));
    if (!accepted) {
        QCOMPARE(Dialogs->Transcript(), QStringList{"Error: Неверное значение"});
        Dialog().reject();
    }
}

void TSettingsTest::PastedTextPassesTheTypingRule_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("pasted");
    QTest::addColumn<QString>("text");  // the field's text afterwards
    QTest::newRow("digits go in") << "EditGamma"
                                  << "75"
                                  << "75";
    QTest::newRow("a fraction goes in") << "EditAlpha"
                                        << "7,25"
                                        << "7,25";
    QTest::newRow("letters stay out") << "EditGamma"
                                      << "7x5"
                                      << "80";
    QTest::newRow("a minus stays out") << "EditGamma"
                                       << "-5"
                                       << "80";
    QTest::newRow("two separators stay out") << "EditAlpha"
                                             << "1,2,3"
                                             << "10";
    QTest::newRow("the point stays out where the comma is the separator") << "EditAlpha"
                                                                          << "1.5"
                                                                          << "10";
    QTest::newRow("no separator in the accuracy") << "EditTableAccu"
                                                  << "2,5"
                                                  << "4";
}

void TSettingsTest::PastedTextPassesTheTypingRule() {
    QFETCH(QString, field);
    QFETCH(QString, pasted);
    QFETCH(QString, text);
    Dialog().Prepare(Memory->Values, std::nullopt);
    QAbstractSpinBox* edit = Field(field.toLatin1().constData());
    QGuiApplication::clipboard()->setText(pasted);
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(edit->text(), text);
}

// ---- the command ----------------------------------------------------------------------

void TSettingsTest::SettingsCommandForNewProjects() {
    Dialogs->WorkModal([this](QDialog& dialog) {
        TypeInto("EditGamma", "70");
        dialog.findChild<QRadioButton*>("RadioButtStyle2")->setChecked(true);
        dialog.findChild<QRadioButton*>("RadioPanelStyle1")->setChecked(true);
        dialog.accept();
        return dialog.result();
    });
    Form->findChild<QAction*>("ButtonSettings")->trigger();
    QCOMPARE(Memory->Writes, 1);
    QCOMPARE(Memory->Values.Geometry.Gamma, 70.0);
    QCOMPARE(Memory->Values.Geometry.Alpha, 10.0);
    QVERIFY(!Memory->Values.FlatPanels);
    QCOMPARE(Memory->Values.ButtStyle, 2);
    QCOMPARE(Form->ButtonStyle(), 2);
}

void TSettingsTest::SettingsCommandForTheCurrentProject() {
    Form->findChild<QAction*>("ButtonNew")->trigger();
    TMDIChild* document = Form->ActiveDocument();
    QVERIFY(document != nullptr);
    document->Model.SurfaceData.GeometrySettings.Gamma = 75.0;
    // Values the dialog does not show, as a project's extension section brings them.
    document->Model.SurfaceData.GeometrySettings.MinNormalAngle = 20.0;
    document->Model.SurfaceData.GeometrySettings.PointTolerance = 0.002;
    document->Model.SurfaceData.Modified = false;

    Dialogs->WorkModal([this](QDialog& dialog) {
        auto* target = dialog.findChild<QComboBox*>("ComboTarget");
        target->setCurrentIndex(1);
        if (Field("EditGamma")->text() != QStringLiteral("75")) {
            return int(QDialog::Rejected);  // not the document's values
        }
        TypeInto("EditGamma", "65");
        dialog.findChild<QCheckBox*>("CheckViewChart")->setChecked(false);
        dialog.accept();
        return dialog.result();
    });
    Form->findChild<QAction*>("ButtonSettings")->trigger();
    QCOMPARE(document->Model.SurfaceData.GeometrySettings.Gamma, 65.0);
    QCOMPARE(document->Model.SurfaceData.GeometrySettings.MinNormalAngle, 20.0);
    QCOMPARE(document->Model.SurfaceData.GeometrySettings.PointTolerance, 0.002);
    QVERIFY(document->Model.SurfaceData.Modified);
    // The stored geometry is as it was; the interface part is written.
    QCOMPARE(Memory->Values.Geometry, tessarin::model::kDefaultGeometrySettings);
    QVERIFY(!Memory->Values.ViewChart);
    QCOMPARE(Memory->Writes, 1);
}

void TSettingsTest::NewAccuracyForTheCurrentProjectShowsAtOnce() {
    Form->OpenProjectDocument(kSampleProject);
    TMDIChild* document = Form->ActiveDocument();
    QVERIFY(document != nullptr);
    const QAbstractItemModel& table = *document->Data().Table().model();
    // Row 1 of the "Угол в ПСК" column, as the project shows it with four decimals.
    const QModelIndex polar = table.index(0, 1);
    QCOMPARE(table.data(polar).toString(), QStringLiteral("-177,4387"));

    Dialogs->WorkModal([this](QDialog& dialog) {
        dialog.findChild<QComboBox*>("ComboTarget")->setCurrentIndex(1);
        TypeInto("EditTableAccu", "1");
        dialog.accept();
        return dialog.result();
    });
    Form->findChild<QAction*>("ButtonSettings")->trigger();
    QCOMPARE(document->Model.SurfaceData.GeometrySettings.TableAccuracy, 1);
    QCOMPARE(table.data(table.index(0, 1)).toString(), QStringLiteral("-177,4"));
}

void TSettingsTest::CuttingEdgeValuesReachANewDocument() {
    Dialogs->WorkModal([this](QDialog& dialog) {
        TypeInto("EditMinNormalAngle", "12,5");
        TypeInto("EditPointTolerance", "0,01");
        dialog.accept();
        return dialog.result();
    });
    Form->findChild<QAction*>("ButtonSettings")->trigger();
    QCOMPARE(Memory->Values.Geometry.MinNormalAngle, 12.5);
    QCOMPARE(Memory->Values.Geometry.PointTolerance, 0.01);
    Form->findChild<QAction*>("ButtonNew")->trigger();
    const tessarin::model::TGeometrySettings& geometry =
        Form->ActiveDocument()->Model.SurfaceData.GeometrySettings;
    QCOMPARE(geometry.MinNormalAngle, 12.5);
    QCOMPARE(geometry.PointTolerance, 0.01);
    // And a model imported into it searches its cutting edge with them.
    Dialogs->ChooseFile(QStringLiteral(TESSARIN_SAMPLES "/cutter.stl"));
    Dialogs->CloseModal(QDialog::Accepted);  // "Параметры импорта"
    Form->findChild<QAction*>("ButtonOpenSTL")->trigger();
    QCOMPARE(Form->ActiveDocument()->Model.SurfaceData.GeometrySettings.MinNormalAngle, 12.5);
}

void TSettingsTest::SettingsCommandCancelled() {
    Form->findChild<QAction*>("ButtonNew")->trigger();
    Dialogs->WorkModal([this](QDialog& dialog) {
        dialog.findChild<QComboBox*>("ComboTarget")->setCurrentIndex(1);
        TypeInto("EditGamma", "50");
        dialog.findChild<QRadioButton*>("RadioButtStyle1")->setChecked(true);
        dialog.reject();
        return dialog.result();
    });
    Form->findChild<QAction*>("ButtonSettings")->trigger();
    QCOMPARE(Memory->Writes, 0);
    QCOMPARE(Form->ActiveDocument()->Model.SurfaceData.GeometrySettings.Gamma, 80.0);
    QCOMPARE(Form->ButtonStyle(), 0);
}

void TSettingsTest::ButtonStyles() {
    auto buttons = [this] {
        QList<QToolButton*> all;
        for (QToolBar* bar : Form->findChildren<QToolBar*>()) {
            all += bar->findChildren<QToolButton*>();
        }
        return all;
    };
    QVERIFY(!buttons().isEmpty());
    Form->ApplyButtonStyle(1);
    QCOMPARE(Form->ButtonStyle(), 1);
    for (QToolButton* button : buttons()) {
        QVERIFY(!button->autoRaise());
    }
    Form->ApplyButtonStyle(7);
    QCOMPARE(Form->ButtonStyle(), 0);
    for (QToolButton* button : buttons()) {
        QVERIFY(button->autoRaise());
    }
}

// ---- help, command line, splash -----------------------------------------------------------

void TSettingsTest::HelpLooksInTheExecutableFolderFirst() {
    const QString beside = Sandbox->filePath("bin/Help/Help_ZQ1.0");
    const QString installed = Sandbox->filePath("share/tessarin/Help/Help_ZQ1.0");
    QList<QUrl> opened;
    Form->SetHelpOpener([&opened](const QUrl& url) {
        opened.append(url);
        return true;
    });
    Form->SetHelpFolders({beside, installed});

    Form->findChild<QAction*>("ButtonHelp")->trigger();
    QCOMPARE(Dialogs->Transcript(), QStringList{"Error: Не найден файл справки"});
    QVERIFY(opened.isEmpty());

    auto makeIndex = [](const QString& folder) {
        QVERIFY(QDir().mkpath(folder));
        QFile index(folder + "/index.htm");
        QVERIFY(index.open(QIODevice::WriteOnly));
    };
    makeIndex(installed);
    Dialogs->Clear();
    Form->findChild<QAction*>("ButtonHelp")->trigger();
    QVERIFY(Dialogs->Records().isEmpty());
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(installed + "/index.htm")});

    makeIndex(beside);
    opened.clear();
    Form->findChild<QAction*>("ButtonHelp")->trigger();
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(beside + "/index.htm")});

    // The desktop could not open it: the program's own window shows the pages.
    Form->SetHelpOpener([](const QUrl&) { return false; });
    Dialogs->Clear();
    Form->findChild<QAction*>("ButtonHelp")->trigger();
    QVERIFY(Dialogs->Records().isEmpty());
    QVERIFY(Form->HelpWindow() != nullptr);
    QCOMPARE(Form->HelpWindow()->Source(), QUrl::fromLocalFile(beside + "/index.htm"));
    QVERIFY(Form->HelpWindow()->isVisible());

    // The program's own list: beside the executable, then the installed data folder.
    const QStringList folders = tessarin::shell::HelpFolders();
    QVERIFY(folders.size() >= 2);
    QCOMPARE(folders.at(0), QCoreApplication::applicationDirPath() + "/Help/Help_ZQ1.0");
    QVERIFY(folders.at(1).endsWith("share/tessarin/Help/Help_ZQ1.0"));
}

void TSettingsTest::CommandLineProject_data() {
    QTest::addColumn<QString>("argument");
    QTest::addColumn<bool>("opens");
    QTest::newRow("sample project") << kSampleProject << true;
    QTest::newRow("missing") << Sandbox->filePath("нет такого.tsf") << false;
    // The first word of an unquoted path with a blank.
    QTest::newRow("cut at a blank") << Sandbox->filePath("Мои") << false;
}

void TSettingsTest::CommandLineProject() {
    QFETCH(QString, argument);
    QFETCH(bool, opens);
    Form->SetCommandLineFile(argument);
    // The show event itself: the offscreen platform must not really show the window.
    QShowEvent show;
    QCoreApplication::sendEvent(Form.get(), &show);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (opens) {
        QVERIFY(Dialogs->Records().isEmpty());
        QCOMPARE(Form->OpenDocumentCount(), 1);
        TMDIChild* document = Form->ActiveDocument();
        QCOMPARE(document->Caption(), argument);
        QVERIFY(document->Model.CutEdgeExist);
        // The "Режущая кромка" node is the one chosen.
        QCOMPARE(document->Data().Tree().SelectedKinds(), std::vector<int>{1});
    } else {
        QCOMPARE(Dialogs->Transcript(), QStringList{"Error: Ошибка при открытии файла"});
        QCOMPARE(BeepCount(*Dialogs), 1);
        QCOMPARE(Form->OpenDocumentCount(), 0);
        QVERIFY(Form->ActiveDocument() == nullptr);
    }
}

void TSettingsTest::SplashStaysThenGoes() {
    QPointer<tessarin::shell::TGateForm> gate = new tessarin::shell::TGateForm;
    QCOMPARE(gate->size(), QSize(306, 76));
    QVERIFY(gate->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(gate->windowFlags().testFlag(Qt::FramelessWindowHint));
    gate->ShowNow();
    QVERIFY(gate->isVisible());
    gate->ReleaseWhenReady(300);
    // Released but not yet gone: the event loop decides, nothing waits here.
    QVERIFY(!gate.isNull() && gate->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(gate.isNull(), 10000);
}

void TSettingsTest::DialogPictures() {
    const QString folder = qEnvironmentVariable("TESSARIN_SETTINGS_SHOTS");
    if (folder.isEmpty()) {
        QSKIP("TESSARIN_SETTINGS_SHOTS is not set");
    }
    tessarin::model::TGeometrySettings project{10.0, 80.0, true, 4, true};
    Dialog().Prepare(Memory->Values, project);
    auto* pages = Dialog().findChild<QTabWidget*>("PageControl");
    Dialog().show();
    QVERIFY(QTest::qWaitForWindowExposed(&Dialog()));
    pages->setCurrentIndex(0);
    QVERIFY(Dialog().grab().save(folder + "/settings_geometry.png"));
    pages->setCurrentIndex(1);
    QVERIFY(Dialog().grab().save(folder + "/settings_interface.png"));
    Dialog().hide();
}

int main(int argc, char** argv) {
    // Before anything reads QSettings or the XDG folders.
    QTemporaryDir sandbox;
    if (!sandbox.isValid()) {
        return 1;
    }
    Sandbox = &sandbox;
    qputenv("XDG_CONFIG_HOME", sandbox.filePath("config").toUtf8());
    qputenv("XDG_DATA_HOME", sandbox.filePath("data").toUtf8());
    QApplication application(argc, argv);
    TSettingsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "settings_test.moc"
