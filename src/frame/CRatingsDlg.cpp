#include "CRatingsDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const char* const kColumns[] = {"Signal", "Rating", "Corridor", "Phase", "Magnitude", "Slope", "Shift (ms)", "Note"};

QTableWidgetItem* Number(double v, int decimals)
{
    auto* item = new QTableWidgetItem(QString::number(v, 'f', decimals));
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

} // namespace

CRatingsDlg::CRatingsDlg(const QStringList& names, int reference, std::function<std::vector<CRatingRow>(int)> rows,
                         bool showBand, QWidget* parent)
    : QDialog(parent)
    , m_rows(std::move(rows))
{
    setWindowTitle(QStringLiteral("Rate Against Reference"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_reference = new QComboBox(this);
    m_reference->addItems(names);
    m_reference->setCurrentIndex(reference >= 0 && reference < names.size() ? reference : 0);
    form->addRow(QStringLiteral("&Reference:"), m_reference);
    layout->addLayout(form);
    m_table = new QTableWidget(0, int(std::size(kColumns)), this);
    QStringList headers;
    for (const char* c : kColumns)
        headers << QString::fromLatin1(c);
    m_table->setHorizontalHeaderLabels(headers);
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(m_table);
    auto* legend = new QLabel(QStringLiteral("ISO/TS 18571: rating = 0.4 corridor + 0.2 (phase + magnitude + slope), "
                                             "from 0 (no likeness) to 1 (the same curve). Shift: positive when "
                                             "the signal is later than the reference."),
                              this);
    legend->setWordWrap(true);
    layout->addWidget(legend);
    m_band = new QCheckBox(QStringLiteral("&Show the reference's inner and outer corridors on the plot"), this);
    m_band->setChecked(showBand);
    layout->addWidget(m_band);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    connect(m_reference, &QComboBox::currentIndexChanged, this, [this] { Fill(); });
    Fill();
    resize(760, 320);
}

int CRatingsDlg::Reference() const
{
    return m_reference->currentIndex();
}

bool CRatingsDlg::ShowBand() const
{
    return m_band->isChecked();
}

void CRatingsDlg::Fill()
{
    const std::vector<CRatingRow> rows = m_rows ? m_rows(Reference()) : std::vector<CRatingRow>();
    m_table->setRowCount(int(rows.size()));
    for (int r = 0; r < int(rows.size()); ++r) {
        const CRatingRow& row = rows[std::size_t(r)];
        m_table->setItem(r, 0, new QTableWidgetItem(row.name));
        if (!row.failure.isEmpty()) {
            // A score that could not be computed is never shown as one.
            for (int c = 1; c <= 6; ++c)
                m_table->setItem(r, c, new QTableWidgetItem(QStringLiteral("n/a")));
            m_table->setItem(r, 7, new QTableWidgetItem(row.failure));
            m_table->item(r, 7)->setToolTip(row.failure);
            continue;
        }
        const double scores[5] = {row.rating, row.corridor, row.phase, row.magnitude, row.slope};
        for (int c = 0; c < 5; ++c)
            m_table->setItem(r, c + 1, Number(scores[c], 3));
        m_table->setItem(r, 6, Number(row.shiftMs, 2));
        m_table->setItem(
            r, 7,
            new QTableWidgetItem(row.resampled ? QStringLiteral("resampled onto the reference's step") : QString()));
    }
    m_table->resizeColumnsToContents();
}
