// placeholder
#include <QtTest>

class Tst_import : public QObject {
    Q_OBJECT
private slots:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(Tst_import)
#include "tst_import.moc"
