#pragma once
// "About Ondrel": what the program is, its picture, and where to write.
#include <QDialog>

// The address the About box offers for comments and questions.
inline constexpr char kContactAddress[] = "ondrel-support@example.org";

class CAboutDlg : public QDialog {
public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
