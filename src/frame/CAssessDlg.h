#pragma once
// Injury > "Assess Test...": each listed test assessed by itself under a
// chosen protocol, the results side by side as a tree (occupant, region,
// criterion) with a value and a points or verdict column per test in their
// band colours and the reasons of what is n/a. Double-clicking a criterion
// (or Enter on it) plots its channels as it used them, with its limits.
#include "Assessment.h"

#include <QDialog>

#include <functional>
#include <vector>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

class CAssessResultsDlg : public QDialog {
public:
    // pick(a, c) shows criterion c of assessment a (its channels as used).
    using Pick = std::function<void(const Assess::Assessment&, const Assess::CriterionResult&)>;
    // assessments: one per test, in the order of their columns.
    CAssessResultsDlg(std::vector<Assess::Assessment> assessments, Pick pick, QWidget* parent = nullptr);
    QTreeWidget* Tree() const { return m_tree; }
    // The inputs used and the tests' warnings above the tree, or null when
    // there are none.
    QLabel* Inputs() const { return m_inputs; }
    QLabel* Warnings() const { return m_warnings; }
    const std::vector<Assess::Assessment>& Assessments() const { return m_assessments; }
    // The columns of test k's value and of its points or verdict.
    int ValueColumn(size_t test) const { return 3 + 2 * static_cast<int>(test); }
    int ResultColumn(size_t test) const { return 4 + 2 * static_cast<int>(test); }
    int NoteColumn() const { return 3 + 2 * static_cast<int>(m_assessments.size()); }
    // The criterion of test k behind a tree row, or null (an occupant's or a
    // region's row, or a criterion test k does not have).
    const Assess::CriterionResult* CriterionOf(const QTreeWidgetItem* item, size_t test = 0) const;

protected:
    // Enter on a criterion plots it instead of closing the window.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fill();
    // Hands on the criterion of the row: of the test whose column is column,
    // else of the first test that has it.
    void PickRow(const QTreeWidgetItem* item, int column);

    std::vector<Assess::Assessment> m_assessments;
    Pick m_pick;
    QTreeWidget* m_tree = nullptr;
    QLabel* m_inputs = nullptr;
    QLabel* m_warnings = nullptr;
};

// Shows criterion c of assessment a in a plot window of its own (modeless,
// owned by parent): its channels as the assessment used them, under its
// window and limits. Returns the window, or null after telling why nothing
// can be plotted.
QDialog* ShowCriterionPlot(QWidget* parent, const Assess::Assessment& a, const Assess::CriterionResult& c);

// Asks for the protocol and positions, assesses each listed test by itself
// behind the progress window and shows the results window (modeless, owned
// by parent), with the protocols of userDir as LoadProtocolsTellingProblems
// finds them. A test that cannot be assessed is named with the reason and
// the dialog asks again. Returns the results window, or null when nothing
// was assessed.
CAssessResultsDlg* AssessListedTest(QWidget* parent, const QStringList& listed, CAssessResultsDlg::Pick pick,
                                    const QString& userDir = {});
