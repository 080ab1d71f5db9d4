// frmGuide: the user's guide, shown inside the program.
#pragma once

#include <QDialog>

class QTextBrowser;

// Shows the guide installed with the program (or, in a build folder, the one
// beside the sources); links to other documents open in the desktop's
// browser.
class frmGuide : public QDialog {
    Q_OBJECT
public:
    explicit frmGuide(const QString& guidePath, QWidget* parent = nullptr);

    // The guide's file: installed beside the program's share folder, else in
    // the sources it was built from; empty when neither is there.
    static QString findGuide();

private:
    QTextBrowser* txtGuide = nullptr;
};
