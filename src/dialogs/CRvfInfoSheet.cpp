#include "CRvfInfoSheet.h"

#include "CDataPage.h"
#include "COccPage.h"
#include "CSensorPage.h"
#include "CTestPage.h"
#include "CVehPage.h"

#include <QLineEdit>
#include <QTabWidget>
#include <QVBoxLayout>

CRvfInfoSheet::CRvfInfoSheet(const QString& caption, QWidget* parent)
    : QDialog(parent), m_tabs(new QTabWidget(this))
{
    setWindowTitle(caption);
    m_pages = {new CSensorPage, new CDataPage, new CTestPage, new CVehPage, new COccPage};
    for (CSheetPage* page : m_pages)
        m_tabs->addTab(page, page->Title());
    // Every tab shows at once: the sheet is as wide as its five tabs.
    m_tabs->setUsesScrollButtons(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(OkCancelButtons(this));
    SetSignal(m_signal);
}

void CRvfInfoSheet::SetSignal(const KVSignal& signal)
{
    m_signal = signal;
    // Every page is filled now, not when first shown, so that a page the user
    // never opened writes back the values it was given.
    for (CSheetPage* page : m_pages)
        page->Load(m_signal.Header());
}

void CRvfInfoSheet::accept()
{
    for (CSheetPage* page : m_pages) {
        QString message;
        if (QLineEdit* bad = page->InvalidBox(&message)) {
            m_tabs->setCurrentWidget(page);
            m_showMessage(this, message);
            bad->setFocus();
            bad->selectAll();
            return;
        }
    }
    for (CSheetPage* page : m_pages)
        page->Store(m_signal.Header());
    QDialog::accept();
}

bool EditSignalHeader(QWidget* parent, KVSignal& signal)
{
    CRvfInfoSheet sheet(QStringLiteral("Rvf Information"), parent);
    sheet.SetSignal(signal);
    if (sheet.exec() != QDialog::Accepted)
        return false;
    signal = sheet.Signal();
    return true;
}
