#pragma once
// "Double Click to Edit Signal Labels": the legend labels of the loaded signals
// beside their file names; a double-click edits one label.
#include "DialogHooks.h"

#include <QDialog>
#include <QStringList>

class QTreeWidget;
class QTreeWidgetItem;

class CSignalLabelsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CSignalLabelsDlg(QWidget* parent = nullptr);

    // One row per file name with the label of the same index (empty when the
    // labels run short).
    void SetLabels(const QStringList& names, const QStringList& labels);
    // The labels given, with the edits written back once the dialog closed
    // with OK; unchanged after Cancel.
    QStringList Labels() const { return m_labels; }

    // The text entry used to edit a label ("Signal Label", "Enter Label").
    void SetEditText(EditTextFn fn) { m_editText = std::move(fn); }
    // Edits the label of a row as a double-click does.
    void EditRow(int row);

    void accept() override;

private:
    QStringList m_labels;
    EditTextFn m_editText = DefaultEditText;
    QTreeWidget* m_list;
};

// Runs the dialog modally, editing a label with editText; true, with labels
// replaced by the edited list, on OK; false, with labels untouched, on Cancel.
bool EditSignalLabels(QWidget* parent, const QStringList& names, QStringList& labels,
                      EditTextFn editText = DefaultEditText);
