#include "CCheckResultsDlg.h"

#include "CheckMarks.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Files to look at come first, failures before warnings; else list order.
std::vector<const CCheckedFile*> WorstFirst(const std::vector<CCheckedFile>& files)
{
    std::vector<const CCheckedFile*> order;
    order.reserve(files.size());
    for (const CCheckedFile& f : files)
        order.push_back(&f);
    std::stable_sort(order.begin(), order.end(), [](const CCheckedFile* a, const CCheckedFile* b) {
        return CheckedFileVerdict(*a) > CheckedFileVerdict(*b);
    });
    return order;
}

} // namespace

CCheckResultsDlg::CCheckResultsDlg(const std::vector<CCheckedFile>& files, std::function<void(const QString&)> pick,
                                   QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Check Signals"));
    auto* layout = new QVBoxLayout(this);
    int warnings = 0;
    int failures = 0;
    m_tree = new QTreeWidget(this);
    m_tree->setColumnCount(3);
    m_tree->setHeaderLabels({QStringLiteral("File"), QStringLiteral("Verdict"), QStringLiteral("Findings")});
    m_tree->setUniformRowHeights(true);
    for (const CCheckedFile* f : WorstFirst(files)) {
        const Kalvio::CheckVerdict verdict = CheckedFileVerdict(*f);
        const QStringList lines = CheckFindingLines(*f);
        auto* item = new QTreeWidgetItem(m_tree, {f->shown.isEmpty() ? f->name : f->shown, CheckVerdictText(*f),
                                                  lines.value(0)});
        item->setData(0, Qt::UserRole, f->name);
        item->setToolTip(2, lines.value(0));
        item->setIcon(0, CheckVerdictIcon(verdict, this));
        if (const QColor c = CheckVerdictColor(verdict); c.isValid())
            item->setForeground(1, c);
        warnings += verdict == Kalvio::CheckVerdict::Warning ? 1 : 0;
        failures += verdict == Kalvio::CheckVerdict::Fail ? 1 : 0;
        // Further findings each on a line of their own below the file.
        for (qsizetype k = 1; k < lines.size(); ++k) {
            auto* child = new QTreeWidgetItem(item, {QString(), QString(), lines[k]});
            child->setData(0, Qt::UserRole, f->name);
            child->setToolTip(2, lines[k]);
        }
        item->setExpanded(true);
    }
    m_tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_tree->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    // Findings are read in full: scroll sideways rather than cut them short.
    m_tree->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    m_tree->header()->setStretchLastSection(false);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [pick](QTreeWidgetItem* item, int) {
        if (item && pick)
            pick(item->data(0, Qt::UserRole).toString());
    });
    auto* summary = new QLabel(QStringLiteral("%1 files checked: %2 with warnings, %3 failed. "
                                              "Double-click a file to plot it.")
                                   .arg(files.size())
                                   .arg(warnings)
                                   .arg(failures),
                               this);
    summary->setObjectName(QStringLiteral("summary"));
    layout->addWidget(summary);
    layout->addWidget(m_tree);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    resize(900, 420);
}
