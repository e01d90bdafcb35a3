// The help pages as installed beside the program: the index is where "Справка" looks,
// every page it reaches is there, every link and picture of every page resolves, and
// the pages are Russian text in UTF-8.
//
// With TESSARIN_HELP_SHOTS=<file.png> in the environment, IndexPicture renders the
// index page (or the page named by TESSARIN_HELP_PAGE) with Qt's rich-text browser
// into that file.
#include <QtTest>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTextBrowser>

#include "shell/help_files.h"

class THelpPagesTest : public QObject {
    Q_OBJECT

private slots:
    void IndexIsBesideTheProgram();
    void EveryLinkAndPictureResolves();
    void IndexPicture();

private:
    static QString Folder() { return tessarin::shell::HelpFolders().constFirst(); }
};

void THelpPagesTest::IndexIsBesideTheProgram() {
    const QString index = tessarin::shell::FindHelpIndex(tessarin::shell::HelpFolders());
    QCOMPARE(index, QDir(Folder()).filePath("index.htm"));
}

void THelpPagesTest::EveryLinkAndPictureResolves() {
    const QDir folder(Folder());
    static const QRegularExpression reference(
        QStringLiteral(R"((?:href|src)="([^"#]+)(?:#[^"]*)?")"));
    QStringList pending{QStringLiteral("index.htm")};
    QSet<QString> seen;
    while (!pending.isEmpty()) {
        const QString page = pending.takeFirst();
        if (seen.contains(page)) {
            continue;
        }
        seen.insert(page);
        QFile file(folder.filePath(page));
        QVERIFY2(file.open(QIODevice::ReadOnly), qPrintable(page));
        const QByteArray bytes = file.readAll();
        const QString text = QString::fromUtf8(bytes);
        QCOMPARE(text.toUtf8(), bytes);  // valid UTF-8
        QVERIFY2(text.contains("charset=\"utf-8\""), qPrintable(page));
        QVERIFY2(text.contains(QStringLiteral("Tessarin")), qPrintable(page));
        auto matches = reference.globalMatch(text);
        while (matches.hasNext()) {
            const QString target = matches.next().captured(1);
            QVERIFY2(!target.contains("://"), qPrintable(page + ": external " + target));
            QVERIFY2(QFile::exists(folder.filePath(target)),
                     qPrintable(page + ": missing " + target));
            if (target.endsWith(".htm")) {
                pending.append(target);
            }
        }
    }
    // The index reaches every page.
    const QStringList pages = folder.entryList({"*.htm"}, QDir::Files);
    for (const QString& page : pages) {
        QVERIFY2(seen.contains(page), qPrintable(page + " is not reachable from the index"));
    }
    QVERIFY(pages.size() >= 7);
}

void THelpPagesTest::IndexPicture() {
    const QString out = qEnvironmentVariable("TESSARIN_HELP_SHOTS");
    if (out.isEmpty()) {
        QSKIP("TESSARIN_HELP_SHOTS is not set");
    }
    QTextBrowser browser;
    browser.setSearchPaths({Folder()});
    browser.resize(900, 1100);
    const QString page = qEnvironmentVariable("TESSARIN_HELP_PAGE", QStringLiteral("index.htm"));
    browser.setSource(QUrl::fromLocalFile(QDir(Folder()).filePath(page)));
    // The whole page in one picture.
    browser.document()->setTextWidth(880);
    browser.resize(900, static_cast<int>(browser.document()->size().height()) + 24);
    browser.show();
    QVERIFY(QTest::qWaitForWindowExposed(&browser));
    QVERIFY(browser.grab().save(out));
}

QTEST_MAIN(THelpPagesTest)
#include "help_pages_test.moc"
