// placeholder
#include <QtTest>

class Tst_frmDescriptives : public QObject {
    Q_OBJECT
private slots:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(Tst_frmDescriptives)
#include "tst_frmDescriptives.moc"
