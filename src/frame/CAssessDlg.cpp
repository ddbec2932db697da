#include "CAssessDlg.h"

#include "AssessReport.h"
#include "CProgressDlg.h"
#include "CReportDlg.h"
#include "KVErrorList.h"
#include "ProtocolFiles.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

using Assess::CriterionResult;

QString Q(const std::string& s) { return QString::fromStdString(s); }

// The band colours of the report, for the tree's points cells.
QColor Fill(const CriterionResult& c, bool scored)
{
    if (c.status == Assess::Status::NotAvailable)
        return QColor(190, 190, 190);
    if (scored && c.band) {
        static const QColor bands[] = {QColor(46, 158, 68), QColor(245, 214, 40), QColor(242, 140, 20),
                                       QColor(140, 90, 45), QColor(210, 40, 40)};
        return bands[static_cast<int>(*c.band)];
    }
    if (!scored && c.pass)
        return *c.pass ? QColor(46, 158, 68) : QColor(210, 40, 40);
    return {};
}

QString Result(const CriterionResult& c, bool scored)
{
    if (c.status == Assess::Status::NotAvailable)
        return QStringLiteral("n/a");
    if (c.isModifier)
        return Q(Assess::ModifierText(c));
    if (c.byRisk && c.risk)
        return Q("risk " + Assess::Fixed(*c.risk * 100, 2) + " %");
    if (c.rating)
        return QString::fromLatin1(Assess::RatingName(*c.rating));
    if (scored && c.score)
        return Q(Assess::Fixed(*c.score, 2) + " of " + Assess::Fixed(c.maxScore.value_or(0), 0)
                 + (c.band ? std::string(", ") + Assess::BandName(*c.band) : std::string()));
    if (!scored && c.pass)
        return *c.pass ? QStringLiteral("pass") : QStringLiteral("FAIL");
    return QStringLiteral("monitored");
}

enum Column { kName, kValue, kUnit, kLimit, kResult, kNote };

} // namespace

CAssessResultsDlg::CAssessResultsDlg(Assess::Assessment assessment,
                                     std::function<void(const Assess::CriterionResult&)> pick, QWidget* parent)
    : QDialog(parent)
    , m_assessment(std::move(assessment))
    , m_pick(std::move(pick))
{
    const Assess::Protocol& p = m_assessment.protocol;
    const bool scored = p.scoring == Assess::Scoring::SlidingScale;
    setWindowTitle(Q("Assessment of test " + m_assessment.test + " under " + p.id));
    auto* layout = new QVBoxLayout(this);
    // Every input used and where it came from, as the text report lists them.
    if (!m_assessment.inputs.empty()) {
        QString text;
        for (const Assess::InputUse& in : m_assessment.inputs)
            text += (text.isEmpty() ? "" : "\n") + Q("input " + Assess::InputUseText(in));
        m_inputs = new QLabel(text, this);
        layout->addWidget(m_inputs);
    }
    // What concerns the test as a whole (no occupant found, a dummy to choose).
    if (!m_assessment.warnings.empty()) {
        QString text;
        for (const std::string& w : m_assessment.warnings)
            text += (text.isEmpty() ? "" : "\n") + Q("warning: " + w);
        m_warnings = new QLabel(text, this);
        m_warnings->setWordWrap(true);
        layout->addWidget(m_warnings);
    }
    m_tree = new QTreeWidget(this);
    m_tree->setHeaderLabels({QStringLiteral("Criterion"), QStringLiteral("Value"), QStringLiteral("Unit"),
                             scored ? QStringLiteral("HPL / LPL") : QStringLiteral("Limit"),
                             scored ? QStringLiteral("Points") : QStringLiteral("Verdict"), QStringLiteral("Note")});
    for (size_t o = 0; o < m_assessment.occupants.size(); ++o) {
        const Assess::OccupantResult& occupant = m_assessment.occupants[o];
        auto* top = new QTreeWidgetItem(m_tree);
        top->setText(kName, QStringLiteral("Position %1 (%2, %3)")
                                .arg(QChar(occupant.position))
                                .arg(Q(occupant.label), Q(occupant.dummyName)));
        top->setText(kResult, scored ? (occupant.score ? Q(Assess::Fixed(*occupant.score, 2)) : QStringLiteral("n/a"))
                                           + Q(" of " + Assess::Fixed(occupant.maxScore, 0))
                              : occupant.risk ? Q("risk " + Assess::Fixed(*occupant.risk * 100, 2) + " %"
                                                  + (occupant.stars ? ", " + std::to_string(*occupant.stars) + " stars"
                                                                    : std::string()))
                                              : Q(occupant.verdict));
        top->setText(kNote, Q(occupant.verdict == "incomplete" ? "incomplete: a criterion could not be computed"
                                                                : occupant.capped.empty() ? "" : "capped by " + occupant.capped));
        QString notes;
        for (const std::string& n : occupant.notes)
            notes += (notes.isEmpty() ? "" : "\n") + Q(n);
        top->setToolTip(kName, notes);
        // Rows of criteria under parent; list 0 criteria, 1 a region's modifiers, 2 the occupant's.
        const auto add = [&](QTreeWidgetItem* parentItem, const CriterionResult& c, size_t r, int list, size_t index) {
            auto* item = new QTreeWidgetItem(parentItem);
            item->setText(kName, Q(c.criterion));
            item->setText(kValue, Q(Assess::CriterionValueText(c)));
            item->setText(kUnit, Q(c.unit));
            item->setText(kLimit, Q(Assess::CriterionLimitText(c)));
            item->setText(kResult, Result(c, scored));
            if (const QColor fill = Fill(c, scored); fill.isValid())
                item->setBackground(kResult, fill);
            item->setText(kNote, Q(c.reason));
            item->setToolTip(kNote, Q(c.reason));
            // Where the criterion sits: occupant, region, list, index.
            item->setData(kName, Qt::UserRole, QList<QVariant>{int(o), int(r), list, int(index)});
        };
        for (size_t r = 0; r < occupant.regions.size(); ++r) {
            const Assess::RegionResult& region = occupant.regions[r];
            auto* regionItem = new QTreeWidgetItem(top);
            regionItem->setText(kName, Q(region.region));
            regionItem->setText(kResult, scored ? (region.score ? Q(Assess::Fixed(*region.score, 2)) : QStringLiteral("n/a"))
                                                      + Q(" of " + Assess::Fixed(region.maxScore, 0))
                                                : region.risk ? Q("risk " + Assess::Fixed(*region.risk * 100, 2) + " %")
                                                : region.rating ? QString::fromLatin1(Assess::RatingName(*region.rating))
                                                : region.pass ? (*region.pass ? QStringLiteral("pass") : QStringLiteral("FAIL"))
                                                              : QStringLiteral("incomplete"));
            for (size_t i = 0; i < region.criteria.size(); ++i)
                add(regionItem, region.criteria[i], r, 0, i);
            for (size_t i = 0; i < region.modifiers.size(); ++i)
                add(regionItem, region.modifiers[i], r, 1, i);
        }
        // Modifiers of the total (occupant load criterion, a door that opened).
        if (!occupant.modifiers.empty()) {
            auto* totalItem = new QTreeWidgetItem(top);
            totalItem->setText(kName, QStringLiteral("modifiers of the total"));
            for (size_t i = 0; i < occupant.modifiers.size(); ++i)
                add(totalItem, occupant.modifiers[i], 0, 2, i);
        }
    }
    m_tree->expandAll();
    for (int c = 0; c < kNote; ++c)
        m_tree->resizeColumnToContents(c);
    layout->addWidget(m_tree);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (const CriterionResult* c = CriterionOf(item); c && m_pick)
            m_pick(*c);
    });
    resize(900, 600);
}

const Assess::CriterionResult* CAssessResultsDlg::CriterionOf(const QTreeWidgetItem* item) const
{
    if (!item)
        return nullptr;
    const QList<QVariant> at = item->data(kName, Qt::UserRole).toList();
    if (at.size() != 4)
        return nullptr;
    const Assess::OccupantResult& occupant = m_assessment.occupants[size_t(at[0].toInt())];
    if (at[2].toInt() == 2)
        return &occupant.modifiers[size_t(at[3].toInt())];
    const Assess::RegionResult& region = occupant.regions[size_t(at[1].toInt())];
    return at[2].toInt() == 0 ? &region.criteria[size_t(at[3].toInt())] : &region.modifiers[size_t(at[3].toInt())];
}

CAssessResultsDlg* AssessListedTest(QWidget* parent, const QStringList& listed,
                                    std::function<void(const Assess::CriterionResult&)> pick, const QString& userDir)
{
    const std::vector<std::string> files = ListedTestFiles(parent, listed, QStringLiteral("Assess Test"));
    if (files.empty())
        return nullptr;
    CReportDlg dialog(LoadProtocolsTellingProblems(parent, QStringLiteral("Assess Test"), userDir), QString(), parent,
                      false);
    for (;;) {
        if (dialog.exec() != QDialog::Accepted)
            return nullptr;
        Assess::Protocol protocol;
        Assess::AssessOptions options;
        QString problem;
        if (!dialog.Choice(protocol, options, problem)) {
            QMessageBox::warning(parent, QStringLiteral("Assess Test"), problem);
            continue;
        }
        Assess::TestSource test;
        KVErrorList errors;
        if (!test.Open(files, errors)) {
            QString text;
            for (const KVException& e : errors.Errors())
                text += Q(e.Message()) + "\n";
            QMessageBox::warning(parent, QStringLiteral("Assess Test"), text.trimmed());
            return nullptr;
        }
        CProgressDlg progress(QStringLiteral("Assess Test"), parent);
        progress.SetRange(100, 0);
        progress.SetStatus(QStringLiteral("Assessing the listed test"));
        options.progress = [&progress](double done) {
            progress.SetPos(static_cast<int>(done * 100));
            QApplication::processEvents();
            return !progress.Cancelled();
        };
        Assess::Assessment result;
        std::string error;
        const bool assessed = Assess::AssessTest(test, protocol, options, result, error);
        progress.close();
        if (!assessed) {
            if (!progress.Cancelled())
                QMessageBox::warning(parent, QStringLiteral("Assess Test"), Q(error));
            return nullptr;
        }
        auto* results = new CAssessResultsDlg(std::move(result), std::move(pick), parent);
        results->setAttribute(Qt::WA_DeleteOnClose);
        results->show();
        return results;
    }
}
