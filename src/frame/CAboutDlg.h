#pragma once
// "About Ondrel": what the program is and its picture. There is no contact
// address to offer, so the box names none rather than a made-up one.
#include <QDialog>

class CAboutDlg : public QDialog {
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
