// placeholder
#include <QtTest>

class Tst_platform : public QObject {
    Q_OBJECT
private slots:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(Tst_platform)
#include "tst_platform.moc"
