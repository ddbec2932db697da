#pragma once
// The "Sensor" page of the header information sheet.
#include "CSheetPage.h"

class CSensorPage : public CSheetPage {
    Q_OBJECT
public:
    explicit CSensorPage(QWidget* parent = nullptr);
};
