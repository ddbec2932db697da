#pragma once
// The "Data" page of the header information sheet.
#include "CSheetPage.h"

class CDataPage : public CSheetPage {
    Q_OBJECT
public:
    explicit CDataPage(QWidget* parent = nullptr);
};
