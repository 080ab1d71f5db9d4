// placeholder
#include <QtTest>

class Tst_frmBootstrap : public QObject {
    Q_OBJECT
private slots:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(Tst_frmBootstrap)
#include "tst_frmBootstrap.moc"
