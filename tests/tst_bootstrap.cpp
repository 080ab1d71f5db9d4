// placeholder
#include <QtTest>

class Tst_bootstrap : public QObject {
    Q_OBJECT
private slots:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(Tst_bootstrap)
#include "tst_bootstrap.moc"
