#pragma once
// The "Test" page of the header information sheet.
#include "CSheetPage.h"

class CTestPage : public CSheetPage {
    Q_OBJECT
public:
    explicit CTestPage(QWidget* parent = nullptr);
};
