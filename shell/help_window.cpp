#include "shell/help_window.h"

#include <QHBoxLayout>
#include <QKeySequence>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace tessarin::shell {

THelpWindow::THelpWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Справка"));
    resize(820, 640);
    Pages = new QTextBrowser;
    Pages->setObjectName(QStringLiteral("HelpPages"));
    Pages->setOpenLinks(true);
    // Pages of the help open here; a link to the web goes to the desktop, if it can.
    Pages->setOpenExternalLinks(true);

    auto* back = new QPushButton(QStringLiteral("Назад"));
    auto* forward = new QPushButton(QStringLiteral("Вперёд"));
    auto* contents = new QPushButton(QStringLiteral("Содержание"));
    back->setShortcut(QKeySequence::Back);
    forward->setShortcut(QKeySequence::Forward);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(back, &QPushButton::clicked, Pages, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, Pages, &QTextBrowser::forward);
    connect(contents, &QPushButton::clicked, this, [this] { Pages->setSource(Contents); });
    connect(Pages, &QTextBrowser::backwardAvailable, back, &QPushButton::setEnabled);
    connect(Pages, &QTextBrowser::forwardAvailable, forward, &QPushButton::setEnabled);
    connect(Pages, &QTextBrowser::sourceChanged, this, [this] {
        const QString title = Pages->documentTitle();
        setWindowTitle(title.isEmpty() ? QStringLiteral("Справка")
                                       : QStringLiteral("Справка — ") + title);
    });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addWidget(contents);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(Pages, 1);
}

void THelpWindow::ShowPage(const QUrl& index) {
    Contents = index;
    Pages->setSource(index);
    show();
    raise();
    activateWindow();
}

QUrl THelpWindow::Source() const {
    return Pages->source();
}

}  // namespace tessarin::shell
