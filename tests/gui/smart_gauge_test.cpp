// The status bar's progress gauge: range, position and caption through an operation,
// the bounded repaint rate (on a clock the test moves), and the main window refusing to
// close or run commands while an operation is under way.
#include <QtTest>

#include <QAction>
#include <QLabel>

#include <memory>

#include "shell/main_window.h"
#include "shell/smart_gauge.h"
#include "tests/gui/support/memory_settings.h"
#include "tests/gui/support/scripted_dialogs.h"

using tessarin::shell::TSmartGauge;

namespace {

// Counts the posted events it receives and runs an action on each.
class TEventProbe : public QObject {
public:
    int Received = 0;
    std::function<void()> OnEvent;

    bool event(QEvent* event) override {
        if (event->type() == QEvent::User) {
            ++Received;
            if (OnEvent) {
                OnEvent();
            }
            return true;
        }
        return QObject::event(event);
    }
};

}  // namespace

class TSmartGaugeTest : public QObject {
    Q_OBJECT

private slots:
    void StepsStopAtTheMaximum();
    void NegativeMaximumCountsAsZero();
    void RepaintsAtABoundedRate();
    void NothingClosesDuringAnOperation();
};

void TSmartGaugeTest::StepsStopAtTheMaximum() {
    QLabel caption;
    TSmartGauge gauge(caption);
    gauge.Start("Сортировка поверхностей >>", 9);
    QCOMPARE(caption.text(), QStringLiteral("Сортировка поверхностей >>"));
    QVERIFY(gauge.Busy());
    for (int i = 0; i < 10; ++i) {
        gauge.Step();
    }
    QCOMPARE(gauge.Position(), 9);
    QCOMPARE(gauge.Maximum(), 9);
    gauge.Step(std::numeric_limits<int>::max());  // a batch must not wrap around
    QCOMPARE(gauge.Position(), 9);

    gauge.Finish();
    QVERIFY(caption.text().isEmpty());
    QCOMPARE(gauge.Position(), 0);
    QCOMPARE(gauge.Maximum(), 0);
    QVERIFY(!gauge.Busy());
    // An idle bar is empty, not the busy animation a 0..0 range would show.
    QCOMPARE(gauge.value(), 0);
    QVERIFY(gauge.maximum() > gauge.minimum());
}

void TSmartGaugeTest::NegativeMaximumCountsAsZero() {
    QLabel caption;
    TSmartGauge gauge(caption);
    gauge.Start("Определение РК >>", -1);
    gauge.Step();
    QCOMPARE(gauge.Maximum(), 0);
    QCOMPARE(gauge.Position(), 0);
    gauge.Finish();
}

void TSmartGaugeTest::RepaintsAtABoundedRate() {
    QLabel caption;
    TSmartGauge gauge(caption);
    qint64 now = 1000;
    gauge.SetClock([&now] { return now; });
    TEventProbe probe;

    gauge.Start("Открытие файла >>", 100);
    // Pending events (paints, timers, this one) go through only once 50 ms have passed
    // since the start or the last repaint.
    QCoreApplication::postEvent(&probe, new QEvent(QEvent::User));
    const struct {
        qint64 At;
        bool PostFirst;  // post one more event before this step
        int Received;
        int Shown;  // the bar's value after the step
    } steps[] = {
        {1010, false, 0, 0}, {1049, false, 0, 0}, {1050, false, 1, 3},
        {1060, true, 1, 3},  {1099, false, 1, 3}, {1100, false, 2, 6},
    };
    for (const auto& step : steps) {
        if (step.PostFirst) {
            QCoreApplication::postEvent(&probe, new QEvent(QEvent::User));
        }
        now = step.At;
        gauge.Step();
        QCOMPARE(probe.Received, step.Received);
        QCOMPARE(gauge.value(), step.Shown);
        QCOMPARE(gauge.Position(), static_cast<int>(&step - steps) + 1);
    }
    QCOMPARE(probe.Received, 2);
    gauge.Finish();
}

void TSmartGaugeTest::NothingClosesDuringAnOperation() {
    tessarin::test::TScriptedDialogs dialogs;
    tessarin::test::TMemorySettings settings;
    // Not shown, as in the other offscreen tests: that platform cannot flush the 3-D view.
    auto form = std::make_unique<tessarin::shell::TMainForm>(dialogs, settings);
    form->findChild<QAction*>("ButtonNew")->trigger();
    QCOMPARE(form->OpenDocumentCount(), 1);

    TSmartGauge& gauge = form->Gauge();
    gauge.SetRefreshInterval(0);
    TEventProbe probe;
    bool closed = true;
    probe.OnEvent = [&] {
        // What a click on the close button or a shortcut would do in the middle.
        closed = form->close();
        form->findChild<QAction*>("ButtonNew")->trigger();
        form->ActiveDocument()->parentWidget()->close();
    };
    gauge.Start("Определение РК >>", 10);
    QCoreApplication::postEvent(&probe, new QEvent(QEvent::User));
    gauge.Step();
    QCOMPARE(probe.Received, 1);
    QVERIFY(!closed);
    QCOMPARE(form->OpenDocumentCount(), 1);
    QCOMPARE(form->Documents().size(), std::size_t{1});
    gauge.Finish();

    QVERIFY(form->close());
    QVERIFY(dialogs.Records().isEmpty());
}

QTEST_MAIN(TSmartGaugeTest)
#include "smart_gauge_test.moc"
