// The splash window shown while the program starts: the product banner on a borderless
// 306 x 76 plate, always on top. It stays at least a moment so that it can be seen,
// and goes when the main window is up, whichever is later, without ever holding up
// the event loop.
#pragma once

#include <QElapsedTimer>
#include <QWidget>

namespace tessarin::shell {

class TGateForm final : public QWidget {
    Q_OBJECT

public:
    static constexpr int kMinimumShowMs = 1000;

    explicit TGateForm(QWidget* parent = nullptr);

    // Shows the window and paints it at once.
    void ShowNow();
    // Call once the main window is shown: the splash closes and deletes itself when
    // `minimumMs` have passed since ShowNow (at once if they have).
    void ReleaseWhenReady(int minimumMs = kMinimumShowMs);
    // Milliseconds since ShowNow.
    qint64 ShownFor() const { return Shown.isValid() ? Shown.elapsed() : 0; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QElapsedTimer Shown;
};

}  // namespace tessarin::shell
