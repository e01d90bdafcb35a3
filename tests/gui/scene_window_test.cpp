// The 3-D view inside the program's window, drawn for real (Xvfb with Mesa) and read back
// from the screen, as the user sees it rather than as the view would draw on request:
// documents maximized in the window area and switched through the "Окно" list, and the
// sample fitted in every standard view, in a wide and a tall window.
//
// With TESSARIN_SCREENSHOT_DIR=<folder> in the environment, StandardViewScreenshots
// saves the main window on the sample in every standard view, shaded.
#include <QtTest>

#include <QDialog>

#include <QAction>
#include <QDir>
#include <QImage>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QScreen>

#include <memory>

#include "document/mdi_child.h"
#include "shell/main_window.h"
#include "tests/gui/support/find_child.h"
#include "tests/gui/support/memory_settings.h"
#include "tests/gui/support/scripted_dialogs.h"
#include "view/scene_view.h"

using tessarin::document::TMDIChild;
using tessarin::shell::TAnswer;
using tessarin::shell::TMainForm;
using tessarin::test::TMemorySettings;
using tessarin::test::TScriptedDialogs;

namespace {

const QString kSample = QStringLiteral(TESSARIN_SAMPLES "/cutter.stl");

// What the screen shows of `widget` (not a fresh frame drawn for the grab).
QImage OnScreen(QWidget& widget) {
    QCoreApplication::processEvents();
    QTest::qWait(50);
    QCoreApplication::processEvents();
    const QPoint origin = widget.mapToGlobal(QPoint(0, 0));
    return widget.screen()
        ->grabWindow(0, origin.x(), origin.y(), widget.width(), widget.height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

bool IsBackground(QRgb c) {
    return qRed(c) >= 250 && qGreen(c) >= 250 && qBlue(c) >= 250;
}

// Pixels that are neither the white background nor black (an undrawn framebuffer).
int ModelPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb c = line[x];
            count += !IsBackground(c) && qRed(c) + qGreen(c) + qBlue(c) > 30 ? 1 : 0;
        }
    }
    return count;
}

int BlackPixels(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            count += qRed(line[x]) + qGreen(line[x]) + qBlue(line[x]) <= 30 ? 1 : 0;
        }
    }
    return count;
}

}  // namespace

class TSceneWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void SwitchingMaximizedDocumentsDrawsEach();
    void SampleFitsInEveryStandardView_data();
    void SampleFitsInEveryStandardView();

private:
    QAction* Command(const char* name) const;
    TMDIChild* OpenSample();

    std::unique_ptr<TScriptedDialogs> Dialogs;
    std::unique_ptr<TMemorySettings> Settings;
    std::unique_ptr<TMainForm> Form;
};

void TSceneWindowTest::init() {
    Dialogs = std::make_unique<TScriptedDialogs>();
    Settings = std::make_unique<TMemorySettings>();
    Form = std::make_unique<TMainForm>(*Dialogs, *Settings);
    Form->resize(1000, 700);
    Form->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
}

void TSceneWindowTest::cleanup() {
    for (int i = 0; i < 2; ++i) {
        Dialogs->Answer({TAnswer::No});
    }
    Form->close();
    Form.reset();
    Settings.reset();
    Dialogs.reset();
}

QAction* TSceneWindowTest::Command(const char* name) const {
    return tessarin::test::FindChild<QAction>(*Form, name);
}

TMDIChild* TSceneWindowTest::OpenSample() {
    Command("ButtonNew")->trigger();
    Dialogs->ChooseFile(kSample);
    Dialogs->CloseModal(QDialog::Accepted);  // "Параметры импорта"
    Command("ButtonOpenSTL")->trigger();
    Command("ButtonSortFaces")->trigger();
    return Form->ActiveDocument();
}

void TSceneWindowTest::SwitchingMaximizedDocumentsDrawsEach() {
    TMDIChild* first = OpenSample();
    TMDIChild* second = OpenSample();
    QVERIFY(first != nullptr && second != nullptr && first != second);
    QVERIFY(second->parentWidget()->isMaximized());
    // The window left behind the maximized one keeps a view of some size: a view that
    // had none lost its picture for good once shown again.
    QVERIFY(!first->View().size().isEmpty());
    // The activation of the new window settles first.
    QTest::qWait(100);

    // Switched through the entries of the "Окно" list, as the user does.
    const QList<QAction*> entries = [this] {
        QList<QAction*> list;
        for (QAction* action : Form->findChildren<QAction*>()) {
            if (action->isCheckable() && action->actionGroup() != nullptr &&
                Form->WindowListEntries().contains(action->text())) {
                list.append(action);
            }
        }
        return list;
    }();
    QCOMPARE(entries.size(), 2);
    for (int round = 0; round < 2; ++round) {
        for (QAction* entry : entries) {
            entry->trigger();
            TMDIChild* active = Form->ActiveDocument();
            QVERIFY(active != nullptr);
            QVERIFY(active->parentWidget()->isMaximized());
            QTRY_VERIFY(active->View().width() > Form->width() / 2);
            const QImage image = OnScreen(active->View());
            QVERIFY2(ModelPixels(image) > image.width() * image.height() / 10,
                     QByteArray::number(ModelPixels(image)));
            QVERIFY2(BlackPixels(image) < image.width() * image.height() / 10,
                     QByteArray::number(BlackPixels(image)));
        }
    }
}

void TSceneWindowTest::SampleFitsInEveryStandardView_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QSize>("size");
    for (const char* view :
         {"ButtonViewFront", "ButtonViewBack", "ButtonViewLeft", "ButtonViewRight", "ButtonViewTop",
          "ButtonViewBottom", "ButtonViewIso"}) {
        QTest::newRow(view) << QString::fromLatin1(view) << QSize(1000, 700);
    }
    // Beside the side bar and the data panel the view is taller than wide.
    QTest::newRow("front, tall view") << QStringLiteral("ButtonViewFront") << QSize(1000, 1000);
}

void TSceneWindowTest::SampleFitsInEveryStandardView() {
    QFETCH(QString, command);
    QFETCH(QSize, size);
    Form->resize(size);
    TMDIChild* document = OpenSample();
    QVERIFY(document != nullptr);
    Command("ButtonCutEdge")->trigger();
    Command(command.toLatin1().constData())->trigger();
    QImage image = OnScreen(document->View());
    const QString folder = qEnvironmentVariable("TESSARIN_SCREENSHOT_DIR");
    if (!folder.isEmpty()) {
        QDir().mkpath(folder);
        QString name = QString::fromLatin1(QTest::currentDataTag())
                           .replace(QLatin1Char(' '), QLatin1Char('_'));
        QVERIFY(Form->grab().save(folder + "/" + name.remove(',') + ".png", "PNG"));
    }
    // The whole model in sight with a margin: no pixel of it on the view's edges, and it
    // fills a fair part of the window.
    const int w = image.width();
    const int h = image.height();
    QVERIFY(w > 100 && h > 100);
    for (int x = 0; x < w; ++x) {
        for (const int y : {0, 1, h - 2, h - 1}) {
            QVERIFY2(IsBackground(image.pixel(x, y)),
                     qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        }
    }
    for (int y = 0; y < h; ++y) {
        for (const int x : {0, 1, w - 2, w - 1}) {
            QVERIFY2(IsBackground(image.pixel(x, y)),
                     qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        }
    }
    QVERIFY2(ModelPixels(image) > w * h / 20, QByteArray::number(ModelPixels(image)));
}

QTEST_MAIN(TSceneWindowTest)
#include "scene_window_test.moc"
