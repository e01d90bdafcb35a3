// The help pages in a window of the program's own, for a desktop without a program that
// opens HTML files: a text browser over the help folder with back, forward and contents.
#pragma once

#include <QUrl>
#include <QWidget>

class QTextBrowser;

namespace tessarin::shell {

class THelpWindow final : public QWidget {
    Q_OBJECT

public:
    explicit THelpWindow(QWidget* parent = nullptr);

    // Shows `index` (a local file) and brings the window to the front; the links of the
    // pages are followed inside the window.
    void ShowPage(const QUrl& index);
    QUrl Source() const;
    QTextBrowser& Browser() const { return *Pages; }

private:
    QTextBrowser* Pages = nullptr;
    QUrl Contents;
};

}  // namespace tessarin::shell
