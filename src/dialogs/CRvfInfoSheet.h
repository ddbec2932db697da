#pragma once
// "Rvf Information": the header of one signal on five tabbed pages. The sheet
// edits its own copy; the caller takes the copy back only after OK.
#include "DialogHooks.h"
#include "KVSignal.h"

#include <QDialog>

#include <vector>

class QTabWidget;
class CSheetPage;

class CRvfInfoSheet : public QDialog {
    Q_OBJECT
public:
    explicit CRvfInfoSheet(const QString& caption = QStringLiteral("Rvf Information"), QWidget* parent = nullptr);

    // Assigns signal to the sheet's copy (signal assignment) and shows its header.
    void SetSignal(const KVSignal& signal);
    // The copy, with the editable boxes written back once the sheet closed with OK.
    const KVSignal& Signal() const { return m_signal; }

    // The pages in tab order: Sensor, Data, Test, Vehicle, Occupant.
    const std::vector<CSheetPage*>& Pages() const { return m_pages; }
    QTabWidget* Tabs() const { return m_tabs; }

    void SetShowMessage(ShowMessageFn fn) { m_showMessage = std::move(fn); }

    // Refuses a number box without a valid number (the sheet stays open on its
    // page); otherwise writes the pages back in tab order and closes.
    void accept() override;

private:
    KVSignal m_signal;
    ShowMessageFn m_showMessage = DefaultShowMessage;
    QTabWidget* m_tabs;
    std::vector<CSheetPage*> m_pages;
};

// Runs the sheet modally on a copy of signal; true, with signal replaced by the
// edited copy, on OK; false, with signal untouched, on Cancel.
bool EditSignalHeader(QWidget* parent, KVSignal& signal);
