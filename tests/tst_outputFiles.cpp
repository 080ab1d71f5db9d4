// placeholder
#include <QtTest>

class Tst_outputFiles : public QObject {
    Q_OBJECT
private slots:
    void placeholder() {}
};

QTEST_GUILESS_MAIN(Tst_outputFiles)
#include "tst_outputFiles.moc"
