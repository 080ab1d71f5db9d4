// placeholder
#include <QtTest>

class Tst_numbers : public QObject {
    Q_OBJECT
private slots:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(Tst_numbers)
#include "tst_numbers.moc"
