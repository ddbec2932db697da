#pragma once
// The "Vehicle" page of the header information sheet.
#include "CSheetPage.h"

class CVehPage : public CSheetPage {
    Q_OBJECT
public:
    explicit CVehPage(QWidget* parent = nullptr);
};
