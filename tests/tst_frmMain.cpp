// placeholder
#include <QtTest>

class Tst_frmMain : public QObject {
    Q_OBJECT
private slots:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(Tst_frmMain)
#include "tst_frmMain.moc"
