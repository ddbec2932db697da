#pragma once
// The "Occupant" page of the header information sheet.
#include "CSheetPage.h"

class COccPage : public CSheetPage {
    Q_OBJECT
public:
    explicit COccPage(QWidget* parent = nullptr);
};
