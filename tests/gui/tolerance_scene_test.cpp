// The cutting edge's colours in the 3-D view, drawn for real (Xvfb with Mesa): the
// segments outside a tolerance in red, and the colour map by an angle with its legend in
// the top-right corner, which replaces that red.
//
// With TESSARIN_SCREENSHOT_DIR=<folder> in the environment, the colour-mapped view is
// saved there.
#include <QtTest>

#include <QAction>
#include <QImage>

#include <cstdlib>
#include <memory>

#include "document/data_panel.h"
#include "document/mdi_child.h"
#include "document/tolerance_view.h"
#include "shell/main_window.h"
#include "tests/gui/support/memory_settings.h"
#include "tests/gui/support/scripted_dialogs.h"
#include "view/scene_view.h"

using tessarin::document::TMDIChild;
using tessarin::shell::TMainForm;
using tessarin::test::TMemorySettings;
using tessarin::test::TScriptedDialogs;
namespace model = tessarin::model;

namespace {

const QString kSampleProject = QStringLiteral(TESSARIN_SAMPLES "/cutter.tsf");

// Pixels within a small tolerance of a colour, in `area` (the whole image when empty).
int PixelsOf(const QImage& frame, QRgb colour, QRect area = {}) {
    const QImage image = frame.convertToFormat(QImage::Format_RGB32);
    if (area.isEmpty()) {
        area = image.rect();
    }
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb c = image.pixel(x, y);
            count += std::abs(qRed(c) - qRed(colour)) <= 3 &&
                             std::abs(qGreen(c) - qGreen(colour)) <= 3 &&
                             std::abs(qBlue(c) - qBlue(colour)) <= 3
                         ? 1
                         : 0;
        }
    }
    return count;
}

int NotWhite(const QImage& frame, const QRect& area) {
    const QImage image = frame.convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += image.pixel(x, y) != qRgb(255, 255, 255) ? 1 : 0;
        }
    }
    return count;
}

constexpr QRgb kRed = 0xE00000;
constexpr QRgb kYellow = qRgb(230, 230, 77);

}  // namespace

class TToleranceSceneTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void OutsideSegmentsAreRed();
    void ColourMapReplacesTheRed();

private:
    TMDIChild* OpenSample();

    std::unique_ptr<TScriptedDialogs> Dialogs;
    std::unique_ptr<TMemorySettings> Settings;
    std::unique_ptr<TMainForm> Form;
};

void TToleranceSceneTest::init() {
    Dialogs = std::make_unique<TScriptedDialogs>();
    Settings = std::make_unique<TMemorySettings>();
    Form = std::make_unique<TMainForm>(*Dialogs, *Settings);
    Form->resize(1200, 800);
    Form->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
}

void TToleranceSceneTest::cleanup() {
    QVERIFY2(Dialogs->Unscripted().isEmpty(), qPrintable(Dialogs->Unscripted().join("; ")));
    Form.reset();
    Settings.reset();
    Dialogs.reset();
}

TMDIChild* TToleranceSceneTest::OpenSample() {
    Form->OpenProjectDocument(kSampleProject);
    TMDIChild* document = Form->ActiveDocument();
    if (document == nullptr) {
        qFatal("the sample project did not open");
    }
    Form->findChild<QAction*>(QStringLiteral("ButtonViewTop"))->trigger();
    // No row chosen: nothing is drawn over the edge's own colours but the main segment.
    document->Data().ChooseRows(-1, -1);
    QCoreApplication::processEvents();
    return document;
}

void TToleranceSceneTest::OutsideSegmentsAreRed() {
    TMDIChild* document = OpenSample();
    const QImage before = document->View().GrabScene();
    const int yellow = PixelsOf(before, kYellow);
    QVERIFY2(yellow > 100, qPrintable(QString::number(yellow)));
    QCOMPARE(PixelsOf(before, kRed), 0);

    // Every segment outside: the edge turns red where it was yellow.
    document->Model.Tolerances = {{{model::kSSK, model::kKindG}, 80.0, -1.0, 1.0}};
    document->RefreshTolerances();
    const QImage outside = document->View().GrabScene();
    const int red = PixelsOf(outside, kRed);
    QVERIFY2(red > yellow / 2, qPrintable(QString("%1 red, %2 yellow").arg(red).arg(yellow)));
    QVERIFY(PixelsOf(outside, kYellow) < yellow / 10);

    // Every segment within: yellow again.
    document->Model.Tolerances = {{{model::kSSK, model::kKindG}, 0.0, -90.0, 90.0}};
    document->RefreshTolerances();
    QCOMPARE(PixelsOf(document->View().GrabScene(), kRed), 0);
}

void TToleranceSceneTest::ColourMapReplacesTheRed() {
    TMDIChild* document = OpenSample();
    const model::TAngleId rake{model::kSSK, model::kKindG};
    document->Model.Tolerances = {{rake, 80.0, -1.0, 1.0}};
    document->RefreshTolerances();
    const QImage red = document->View().GrabScene();
    const QRect corner(red.width() - 160, 0, 160, 320);
    QVERIFY(PixelsOf(red, kRed) > 100);
    QCOMPARE(NotWhite(red, corner), 0);

    document->SetColourMap(rake);
    const QImage mapped = document->View().GrabScene();
    if (const char* folder = std::getenv("TESSARIN_SCREENSHOT_DIR"); folder != nullptr) {
        mapped.save(QString::fromLocal8Bit(folder) + QStringLiteral("/colour_map.png"));
    }
    QCOMPARE(PixelsOf(mapped, kRed), 0);
    // The smallest value blue, the largest red, on the edge and in the legend's bar.
    const QRect scene(0, 0, mapped.width() - 170, mapped.height());
    QVERIFY(PixelsOf(mapped, qRgb(0, 0, 255), scene) > 5);
    QVERIFY(PixelsOf(mapped, qRgb(255, 0, 0), scene) > 5);
    QVERIFY(PixelsOf(mapped, qRgb(0, 0, 255), corner) > 5);
    QVERIFY(PixelsOf(mapped, qRgb(255, 0, 0), corner) > 5);
    QVERIFY(NotWhite(mapped, corner) > 1000);

    document->SetColourMap(std::nullopt);
    const QImage off = document->View().GrabScene();
    QVERIFY(PixelsOf(off, kRed) > 100);
    QCOMPARE(NotWhite(off, corner), 0);
}

QTEST_MAIN(TToleranceSceneTest)
#include "tolerance_scene_test.moc"
