// Qt's own texts in Russian: the standard buttons of message boxes and dialogs, and the
// file dialog Qt draws itself, whatever the system's locale (the test sets an English one).
#include <QtTest>

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QPushButton>

#include "shell/translations.h"

class TTranslationsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void StandardButtonsAreRussian();
    void FileDialogIsRussian();
};

void TTranslationsTest::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QVERIFY2(tessarin::shell::InstallQtTranslations(*QCoreApplication::instance()),
             "Qt's Russian translations are not installed (qt6-translations-l10n)");
}

void TTranslationsTest::StandardButtonsAreRussian() {
    QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Yes |
                         QDialogButtonBox::No);
    QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Отмена"));
    QVERIFY(box.button(QDialogButtonBox::Yes)->text().contains(QStringLiteral("Да")));
    QVERIFY(box.button(QDialogButtonBox::No)->text().contains(QStringLiteral("Нет")));
}

void TTranslationsTest::FileDialogIsRussian() {
    // Qt's own dialog, as on a desktop without a native one.
    QFileDialog dialog(nullptr, QStringLiteral("Открыть STL"), QDir::tempPath(),
                       QStringLiteral("Файлы стереолитографии (*.stl)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    QStringList texts;
    for (const QLabel* label : dialog.findChildren<QLabel*>()) {
        texts.append(label->text());
    }
    for (const QPushButton* button : dialog.findChildren<QPushButton*>()) {
        texts.append(button->text());
    }
    const QString all = texts.join(QLatin1Char('|'));
    QVERIFY2(!all.contains(QStringLiteral("Look in")) && !all.contains(QStringLiteral("File name")),
             qPrintable(all));
    QVERIFY2(all.contains(QStringLiteral("Отмена")), qPrintable(all));
}

QTEST_MAIN(TTranslationsTest)
#include "translations_test.moc"
