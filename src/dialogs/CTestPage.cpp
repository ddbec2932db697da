#include "CTestPage.h"

namespace {
constexpr BoxAccess E = BoxAccess::Editable;

std::vector<SheetBox> Boxes()
{
    return {
        TextBox("Test Title:", KV_BOX_FIELD(TestTitle), E),
        TextBox("Test Reference:", KV_BOX_FIELD(TestReference), E),
        TextBox("Test Number:", KV_BOX_FIELD(TestNumber), E),
        TextBox("Test Config:", KV_BOX_FIELD(TestConfig), E),
        TextBox("Test Source:", KV_BOX_FIELD(TestSource), E),
        TextBox("Dimension:", KV_BOX_FIELD(Dimension), E),
    };
}
}

CTestPage::CTestPage(QWidget* parent) : CSheetPage(QStringLiteral("Test"), Boxes(), parent) {}
