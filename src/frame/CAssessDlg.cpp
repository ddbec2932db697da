#include "CAssessDlg.h"

#include "AssessReport.h"
#include "CGraph.h"
#include "CProgressDlg.h"
#include "CriterionPlot.h"
#include "CReportDlg.h"
#include "KVErrorList.h"
#include "ProtocolFiles.h"
#include "ResultLook.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <map>

namespace {

using Assess::CriterionResult;

QString Q(const std::string& s) { return QString::fromStdString(s); }

// A result's look in a cell of the tree: its text on its colour.
void SetLook(QTreeWidgetItem* item, int column, const Assess::Look& look)
{
    item->setText(column, Q(look.text));
    if (look.fill)
        item->setBackground(column, QColor(look.fill->r, look.fill->g, look.fill->b));
    if (look.strong) {
        QFont font = item->font(column);
        font.setBold(true);
        item->setFont(column, font);
    }
}

enum Column { kName, kUnit, kLimit };
enum List { kCriteria, kRegionModifiers, kTotalModifiers };

// Where a criterion sits in every test's assessment: occupant, region, list, name.
struct RowKey {
    char position = '1';
    std::string region;
    int list = kCriteria;
    std::string name;
};

QVariant KeyData(const RowKey& k)
{
    return QList<QVariant>{int(k.position), Q(k.region), k.list, Q(k.name)};
}

bool KeyOf(const QTreeWidgetItem* item, RowKey& k)
{
    const QList<QVariant> at = item ? item->data(kName, Qt::UserRole).toList() : QList<QVariant>();
    if (at.size() != 4)
        return false;
    k = {char(at[0].toInt()), at[1].toString().toStdString(), at[2].toInt(), at[3].toString().toStdString()};
    return true;
}

const Assess::OccupantResult* OccupantAt(const Assess::Assessment& a, char position)
{
    for (const Assess::OccupantResult& o : a.occupants)
        if (o.position == position)
            return &o;
    return nullptr;
}

} // namespace

CAssessResultsDlg::CAssessResultsDlg(std::vector<Assess::Assessment> assessments, Pick pick, QWidget* parent)
    : QDialog(parent)
    , m_assessments(std::move(assessments))
    , m_pick(std::move(pick))
{
    QString tests;
    for (const Assess::Assessment& a : m_assessments)
        tests += (tests.isEmpty() ? "" : ", ") + Q(a.test);
    const std::string protocol = m_assessments.empty() ? std::string() : m_assessments.front().protocol.id;
    setWindowTitle((m_assessments.size() == 1 ? QStringLiteral("Assessment of test ") : QStringLiteral("Assessment of tests "))
                   + tests + Q(" under " + protocol));
    auto* layout = new QVBoxLayout(this);
    const auto prefix = [this](const Assess::Assessment& a) {
        return m_assessments.size() > 1 ? Q(a.test) + ": " : QString();
    };
    // Every input used and where it came from, as the text report lists them
    // (the same file's inputs for every test).
    if (!m_assessments.empty() && !m_assessments.front().inputs.empty()) {
        QString text;
        for (const Assess::InputUse& in : m_assessments.front().inputs)
            text += (text.isEmpty() ? "" : "\n") + Q("input " + Assess::InputUseText(in));
        m_inputs = new QLabel(text, this);
        layout->addWidget(m_inputs);
    }
    // What concerns a test as a whole (no occupant found, a dummy to choose).
    QString warnings;
    for (const Assess::Assessment& a : m_assessments)
        for (const std::string& w : a.warnings)
            warnings += (warnings.isEmpty() ? "" : "\n") + prefix(a) + Q("warning: " + w);
    if (!warnings.isEmpty()) {
        m_warnings = new QLabel(warnings, this);
        m_warnings->setWordWrap(true);
        layout->addWidget(m_warnings);
    }
    m_tree = new QTreeWidget(this);
    Fill();
    layout->addWidget(m_tree);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    // Enter belongs to the tree's rows, not to Close.
    for (QAbstractButton* b : buttons->buttons())
        if (auto* push = qobject_cast<QPushButton*>(b)) {
            push->setAutoDefault(false);
            push->setDefault(false);
        }
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    connect(m_tree, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item, int column) { PickRow(item, column); });
    m_tree->installEventFilter(this);
    resize(m_assessments.size() > 1 ? 1100 : 900, 600);
}

void CAssessResultsDlg::Fill()
{
    const bool scored = !m_assessments.empty() && m_assessments.front().protocol.scoring == Assess::Scoring::SlidingScale;
    const bool several = m_assessments.size() > 1;
    QStringList header{QStringLiteral("Criterion"), QStringLiteral("Unit"),
                       scored ? QStringLiteral("HPL / LPL") : QStringLiteral("Limit")};
    for (const Assess::Assessment& a : m_assessments) {
        const QString test = several ? Q(a.test) + " " : QString();
        header << test + (several ? QStringLiteral("value") : QStringLiteral("Value"))
               << test + (scored ? (several ? QStringLiteral("points") : QStringLiteral("Points"))
                                 : (several ? QStringLiteral("verdict") : QStringLiteral("Verdict")));
    }
    header << QStringLiteral("Note");
    m_tree->setHeaderLabels(header);
    // The rows are the union of the tests' occupants, regions and criteria,
    // in the order each first appears.
    std::map<std::string, QTreeWidgetItem*> rows;
    const auto row = [&](QTreeWidgetItem* parent, const std::string& key, bool& made) {
        auto& item = rows[key];
        made = !item;
        if (!item)
            item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_tree);
        return item;
    };
    const auto addNote = [&](QTreeWidgetItem* item, const Assess::Assessment& a, const std::string& note) {
        if (note.empty())
            return;
        const QString text = (several ? Q(a.test) + ": " : QString()) + Q(note);
        const QString old = item->text(NoteColumn());
        item->setText(NoteColumn(), old.isEmpty() ? text : old + "; " + text);
        item->setToolTip(NoteColumn(), item->text(NoteColumn()));
    };
    for (size_t t = 0; t < m_assessments.size(); ++t) {
        const Assess::Assessment& a = m_assessments[t];
        for (const Assess::OccupantResult& occupant : a.occupants) {
            const std::string occupantKey(1, occupant.position);
            bool made = false;
            QTreeWidgetItem* top = row(nullptr, occupantKey, made);
            if (made) {
                top->setText(kName, QStringLiteral("Position %1 (%2, %3)")
                                        .arg(QChar(occupant.position))
                                        .arg(Q(occupant.label), Q(occupant.dummyName)));
                QString notes;
                for (const std::string& n : occupant.notes)
                    notes += (notes.isEmpty() ? "" : "\n") + Q(n);
                top->setToolTip(kName, notes);
            }
            SetLook(top, ResultColumn(t), Assess::TotalLook(&occupant, scored));
            addNote(top, a, Assess::TotalNote(occupant));
            const auto add = [&](QTreeWidgetItem* parentItem, const std::string& parentKey, const CriterionResult& c,
                                 const std::string& region, int list) {
                bool fresh = false;
                QTreeWidgetItem* item = row(parentItem, parentKey + "/" + std::to_string(list) + "/" + c.criterion, fresh);
                if (fresh) {
                    item->setText(kName, Q(c.criterion));
                    item->setData(kName, Qt::UserRole, KeyData({occupant.position, region, list, c.criterion}));
                }
                if (item->text(kUnit).isEmpty())
                    item->setText(kUnit, Q(c.unit));
                if (item->text(kLimit).isEmpty())
                    item->setText(kLimit, Q(Assess::CriterionLimitText(c)));
                item->setText(ValueColumn(t), Q(Assess::CriterionValueText(c)));
                SetLook(item, ResultColumn(t), Assess::CriterionLook(c, scored));
                addNote(item, a, Assess::ReasonText(c));
                // The exceedance judgement, the channels filtered and their warnings.
                QString details = item->toolTip(kName);
                for (const std::string& line : Assess::DetailLines(c))
                    details += (details.isEmpty() ? "" : "\n") + (several ? Q(a.test) + ": " : QString()) + Q(line);
                item->setToolTip(kName, details);
            };
            for (const Assess::RegionResult& region : occupant.regions) {
                const std::string regionKey = occupantKey + "/" + region.region;
                QTreeWidgetItem* regionItem = row(top, regionKey, made);
                if (made)
                    regionItem->setText(kName, Q(region.region));
                SetLook(regionItem, ResultColumn(t), Assess::RegionLook(&region, scored));
                for (const CriterionResult& c : region.criteria)
                    add(regionItem, regionKey, c, region.region, kCriteria);
                for (const CriterionResult& c : region.modifiers)
                    add(regionItem, regionKey, c, region.region, kRegionModifiers);
            }
            // Modifiers of the total (occupant load criterion, a door that opened).
            if (!occupant.modifiers.empty()) {
                const std::string totalKey = occupantKey + "//total";
                QTreeWidgetItem* totalItem = row(top, totalKey, made);
                if (made)
                    totalItem->setText(kName, QStringLiteral("modifiers of the total"));
                for (const CriterionResult& c : occupant.modifiers)
                    add(totalItem, totalKey, c, std::string(), kTotalModifiers);
            }
        }
    }
    m_tree->expandAll();
    for (int c = 0; c < NoteColumn(); ++c)
        m_tree->resizeColumnToContents(c);
}

const Assess::CriterionResult* CAssessResultsDlg::CriterionOf(const QTreeWidgetItem* item, size_t test) const
{
    RowKey k;
    if (test >= m_assessments.size() || !KeyOf(item, k))
        return nullptr;
    const Assess::OccupantResult* occupant = OccupantAt(m_assessments[test], k.position);
    if (!occupant)
        return nullptr;
    if (k.list == kTotalModifiers)
        return Assess::FindNamed(occupant->modifiers, k.name);
    for (const Assess::RegionResult& region : occupant->regions)
        if (region.region == k.region)
            return Assess::FindNamed(k.list == kCriteria ? region.criteria : region.modifiers, k.name);
    return nullptr;
}

void CAssessResultsDlg::PickRow(const QTreeWidgetItem* item, int column)
{
    if (!m_pick)
        return;
    const int asked = column >= ValueColumn(0) && column < NoteColumn() ? (column - ValueColumn(0)) / 2 : -1;
    for (size_t t = 0; t < m_assessments.size(); ++t) {
        if (asked >= 0 && size_t(asked) != t)
            continue;
        if (const CriterionResult* c = CriterionOf(item, t)) {
            m_pick(m_assessments[t], *c);
            return;
        }
    }
}

bool CAssessResultsDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_tree && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && m_tree->currentItem()) {
            PickRow(m_tree->currentItem(), m_tree->currentColumn());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

QDialog* ShowCriterionPlot(QWidget* parent, const Assess::Assessment& a, const Assess::CriterionResult& c)
{
    auto* window = new QDialog(parent);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(Q(a.test + ": " + Assess::CriterionTitle(c)));
    auto* layout = new QVBoxLayout(window);
    auto* graph = new CGraph(window);
    layout->addWidget(graph);
    const QString why = CriterionPlot::ShowCriterion(*graph, a, c);
    if (!why.isEmpty()) {
        delete window;
        QMessageBox::information(parent, QStringLiteral("Assess Test"), why);
        return nullptr;
    }
    window->resize(800, 500);
    window->show();
    return window;
}

CAssessResultsDlg* AssessListedTest(QWidget* parent, const QStringList& listed, CAssessResultsDlg::Pick pick,
                                    const QString& userDir)
{
    const QString title = QStringLiteral("Assess Test");
    const std::vector<std::vector<std::string>> tests = ListedTests(parent, listed, title);
    if (tests.empty())
        return nullptr;
    CReportDlg dialog(LoadProtocolsTellingProblems(parent, title, userDir), QString(), parent, false);
    for (;;) {
        if (dialog.exec() != QDialog::Accepted)
            return nullptr;
        Assess::Protocol protocol;
        Assess::AssessOptions options;
        QString problem;
        if (!dialog.Choice(protocol, options, problem)) {
            QMessageBox::warning(parent, title, problem);
            continue;
        }
        dialog.RememberChoice();
        options.keepChannels = true; // plotted as used
        CProgressDlg progress(title, parent);
        progress.SetRange(100, 0);
        std::vector<Assess::Assessment> results(tests.size());
        QString failure;
        for (size_t t = 0; t < tests.size() && failure.isEmpty(); ++t) {
            Assess::TestSource test;
            KVErrorList errors;
            if (!test.Open(tests[t], errors)) {
                for (const KVException& e : errors.Errors())
                    failure += Q(e.Message()) + "\n";
                break;
            }
            progress.SetStatus(Q("Assessing test " + test.Name()));
            options.progress = [&progress, t, n = tests.size()](double done) {
                progress.SetPos(static_cast<int>((double(t) + done) / double(n) * 100));
                QApplication::processEvents();
                return !progress.Cancelled();
            };
            std::string error;
            if (!Assess::AssessTest(test, protocol, options, results[t], error))
                failure = progress.Cancelled() ? QString() : (tests.size() > 1 ? Q(test.Name()) + ": " : QString()) + Q(error);
            if (progress.Cancelled())
                break;
        }
        // Closing the progress window counts as its Cancel: asked first.
        const bool cancelled = progress.Cancelled();
        progress.close();
        if (cancelled)
            return nullptr;
        if (!failure.isEmpty()) {
            // Said, and asked again: a position the protocol does not assess is mended in the dialog.
            QMessageBox::warning(parent, title, failure.trimmed());
            continue;
        }
        auto* window = new CAssessResultsDlg(std::move(results), std::move(pick), parent);
        window->setAttribute(Qt::WA_DeleteOnClose);
        window->show();
        return window;
    }
}
