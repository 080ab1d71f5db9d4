// placeholder
#include <QtTest>

class Tst_descriptives : public QObject {
    Q_OBJECT
private slots:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(Tst_descriptives)
#include "tst_descriptives.moc"
