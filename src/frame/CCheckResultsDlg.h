#pragma once
// "Check Signals": the verdict and findings of every checked file, the files
// with warnings or failures first. A double click on a file (or one of its
// findings) picks that file, so that the window selects it in the list and
// plots it. Modeless: the list and the plot stay usable beside it.
#include "SignalCheckCache.h"

#include <QDialog>

#include <functional>
#include <vector>

class QTreeWidget;

class CCheckResultsDlg : public QDialog {
public:
    // pick(name) is called with the list name of a double-clicked file.
    CCheckResultsDlg(const std::vector<CCheckedFile>& files, std::function<void(const QString&)> pick,
                     QWidget* parent = nullptr);
    QTreeWidget* Tree() const { return m_tree; }

private:
    QTreeWidget* m_tree = nullptr;
};
