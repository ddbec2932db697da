#include "CSignalLabelsDlg.h"

#include "OperationRules.h"

#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
constexpr int kNameColumn = 0;
constexpr int kLabelColumn = 1;
constexpr int kColumnWidth = 125;
// Where each row keeps the index of its name in the sequences it came from.
constexpr int kIndexRole = Qt::UserRole;
}

CSignalLabelsDlg::CSignalLabelsDlg(QWidget* parent) : QDialog(parent), m_list(new QTreeWidget(this))
{
    setWindowTitle(QStringLiteral("Double Click to Edit Signal Labels"));
    m_list->setObjectName(QStringLiteral("labels"));
    m_list->setColumnCount(2);
    m_list->setHeaderLabels({QStringLiteral("Filename"), QStringLiteral("Label")});
    m_list->setColumnWidth(kNameColumn, kColumnWidth);
    m_list->setColumnWidth(kLabelColumn, kColumnWidth);
    m_list->header()->setStretchLastSection(false);
    m_list->setRootIsDecorated(false);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item, int) { EditRow(m_list->indexOfTopLevelItem(item)); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(OkCancelButtons(this));
}

void CSignalLabelsDlg::SetLabels(const QStringList& names, const QStringList& labels)
{
    m_labels = labels;
    m_list->clear();
    for (qsizetype i = 0; i < names.size(); ++i) {
        auto* item = new QTreeWidgetItem(m_list);
        item->setText(kNameColumn, names[i]);
        item->setText(kLabelColumn, i < labels.size() ? labels[i] : QString());
        item->setData(kNameColumn, kIndexRole, static_cast<int>(i));
    }
}

void CSignalLabelsDlg::EditRow(int row)
{
    QTreeWidgetItem* item = m_list->topLevelItem(row);
    if (!item)
        return;
    QString text = item->text(kLabelColumn);
    if (m_editText(this, QStringLiteral("Signal Label"), QStringLiteral("Enter Label"), text))
        item->setText(kLabelColumn, text);
}

void CSignalLabelsDlg::accept()
{
    std::vector<int> rowIndex;
    QStringList rowLabels;
    for (int row = 0; row < m_list->topLevelItemCount(); ++row) {
        const QTreeWidgetItem* item = m_list->topLevelItem(row);
        rowIndex.push_back(item->data(kNameColumn, kIndexRole).toInt());
        rowLabels.push_back(item->text(kLabelColumn));
    }
    m_labels = ApplyRowLabels(m_labels, rowIndex, rowLabels);
    QDialog::accept();
}

bool EditSignalLabels(QWidget* parent, const QStringList& names, QStringList& labels, EditTextFn editText)
{
    CSignalLabelsDlg dlg(parent);
    dlg.SetEditText(std::move(editText));
    dlg.SetLabels(names, labels);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    labels = dlg.Labels();
    return true;
}
