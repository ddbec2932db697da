#pragma once
// The result window of a criterion program: the inputs (and resultant), the
// criterion's time history, the deciding interval or instant, the values with
// their limits and the verdict; the dummy can be changed in place.
#include "Criterion.h"

#include <QString>
#include <QWidget>

#include <vector>

class CGraph;
class QComboBox;
class QLabel;
class QPlainTextEdit;

class CCriterionWindow : public QWidget {
    Q_OBJECT
public:
    // inputs: loaded and aligned for def.
    CCriterionWindow(const Criteria::CriterionDef& def, std::vector<Criteria::Channel> inputs,
                     const Criteria::DummyInfo& dummy, const Criteria::EvaluateOptions& options = {},
                     QWidget* parent = nullptr);

    // Evaluates again for the dummy at index of Criteria::Dummies().
    void SelectDummy(int index);
    // Whether the last evaluation succeeded (else the window shows why).
    bool Evaluated() const { return m_evaluated; }
    const Criteria::Outcome& CurrentOutcome() const { return m_outcome; }
    QString ResultText() const;
    QString Verdict() const;
    const CGraph& InputGraph() const { return *m_inputGraph; }
    const CGraph& HistoryGraph() const { return *m_historyGraph; }

private:
    void Evaluate();

    const Criteria::CriterionDef& m_def;
    std::vector<Criteria::Channel> m_inputs;
    const Criteria::DummyInfo* m_dummy;
    Criteria::EvaluateOptions m_options;
    Criteria::Outcome m_outcome;
    bool m_evaluated = false;
    QComboBox* m_dummies = nullptr;
    CGraph* m_inputGraph = nullptr;
    CGraph* m_historyGraph = nullptr;
    QLabel* m_verdict = nullptr;
    QPlainTextEdit* m_result = nullptr;
};
