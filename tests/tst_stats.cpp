// placeholder
#include <QtTest>

class Tst_stats : public QObject {
    Q_OBJECT
private slots:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(Tst_stats)
#include "tst_stats.moc"
