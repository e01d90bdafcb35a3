// Tests follow in a following change.
#include <QtTest>
class TPlaceholder : public QObject {
    Q_OBJECT
};
QTEST_MAIN(TPlaceholder)
#include "view_navigation_test.moc"
