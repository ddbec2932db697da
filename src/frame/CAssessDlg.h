#pragma once
// Injury > "Assess Test...": the listed test assessed under a chosen
// protocol, its results as a tree (occupant, region, criterion) with values,
// limits, points or verdicts in their band colours and the reasons of what is
// n/a. Double-clicking a criterion plots its channels with its limits.
#include "Assessment.h"

#include <QDialog>

#include <functional>

class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

class CAssessResultsDlg : public QDialog {
public:
    // pick(c) selects and plots the channels criterion c used.
    CAssessResultsDlg(Assess::Assessment assessment, std::function<void(const Assess::CriterionResult&)> pick,
                      QWidget* parent = nullptr);
    QTreeWidget* Tree() const { return m_tree; }
    // The inputs used and the test's warnings above the tree, or null when
    // there are none.
    QLabel* Inputs() const { return m_inputs; }
    QLabel* Warnings() const { return m_warnings; }
    // The criterion behind a tree row, or null (an occupant's or a region's row).
    const Assess::CriterionResult* CriterionOf(const QTreeWidgetItem* item) const;

private:
    Assess::Assessment m_assessment;
    std::function<void(const Assess::CriterionResult&)> m_pick;
    QTreeWidget* m_tree = nullptr;
    QLabel* m_inputs = nullptr;
    QLabel* m_warnings = nullptr;
};

// Asks for the protocol and positions, assesses the listed files (one test)
// behind the progress window and shows the results window (modeless, owned
// by parent), with the protocols of userDir as LoadProtocolsTellingProblems
// finds them. Returns the results window, or null when nothing was assessed.
CAssessResultsDlg* AssessListedTest(QWidget* parent, const QStringList& listed,
                                    std::function<void(const Assess::CriterionResult&)> pick,
                                    const QString& userDir = {});
