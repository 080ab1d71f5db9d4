// placeholder
#include <QtTest>

class Tst_frmNavigate : public QObject {
    Q_OBJECT
private slots:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(Tst_frmNavigate)
#include "tst_frmNavigate.moc"
