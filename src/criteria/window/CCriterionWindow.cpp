#include "CCriterionWindow.h"

#include "CGraph.h"
#include "CGraphFit.h"
#include "KVErrorList.h"
#include "PlotSeries.h"

#include <QComboBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

using namespace Criteria;

namespace {

int LineTypeOf(CurveRole role)
{
    switch (role) {
    case CurveRole::Deciding:
        return 6; // thick solid
    case CurveRole::Mark:
        return 1; // dashes
    case CurveRole::Signal:
        break;
    }
    return 0;
}

void Show(CGraph& graph, const PlotCurves& p, const QString& title)
{
    std::vector<int> types;
    QStringList legend;
    for (int i = 0; i < p.curveCount; ++i) {
        types.push_back(LineTypeOf(p.roles[static_cast<size_t>(i)]));
        legend << QString::fromStdString(p.labels[static_cast<size_t>(i)]);
    }
    graph.SetCurves(p.x.data(), p.y.data(), p.curveCount, p.pointsPerCurve);
    graph.SetLineTypes(types);
    graph.SetLegend(legend);
    graph.SetTitle(title);
    graph.SetAxisLabels(QStringLiteral("Time (ms)"), QString::fromStdString(p.yLabel));
    graph.ResetZoom();
    graph.Replot();
}

} // namespace

CCriterionWindow::CCriterionWindow(const CriterionDef& def, std::vector<Channel> inputs, const DummyInfo& dummy,
                                   const EvaluateOptions& options, QWidget* parent)
    : QWidget(parent), m_def(def), m_inputs(std::move(inputs)), m_dummy(&dummy), m_options(options)
{
    QString files;
    for (const Channel& c : m_inputs)
        // A channel by its code: its file may be a temporary copy of a changed signal.
        files += (files.isEmpty() ? "" : ", ") + (c.code.empty() ? QFileInfo(QString::fromStdString(c.path)).fileName()
                                                                 : QString::fromStdString(c.code));
    setWindowTitle(QString::fromUtf8(def.title) + " - " + files);

    m_dummies = new QComboBox(this);
    int current = 0;
    for (size_t i = 0; i < Dummies().size(); ++i) {
        m_dummies->addItem(QString::fromUtf8(Dummies()[i].name));
        if (&Dummies()[i] == m_dummy)
            current = static_cast<int>(i);
    }
    m_dummies->setCurrentIndex(current);
    m_verdict = new QLabel(this);
    QFont big = m_verdict->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    m_verdict->setFont(big);

    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(tr("Dummy:"), this));
    top->addWidget(m_dummies, 1);
    top->addWidget(m_verdict);

    m_inputGraph = new CGraph(this);
    m_historyGraph = new CGraph(this);
    m_result = new QPlainTextEdit(this);
    m_result->setReadOnly(true);
    m_result->setFont(FixedPitchFont());
    m_result->setMaximumHeight(230);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_inputGraph, 3);
    layout->addWidget(m_historyGraph, 2);
    layout->addWidget(m_result);
    resize(900, 760);

    connect(m_dummies, &QComboBox::currentIndexChanged, this, &CCriterionWindow::SelectDummy);
    Evaluate();
}

void CCriterionWindow::SelectDummy(int index)
{
    if (index < 0 || static_cast<size_t>(index) >= Dummies().size())
        return;
    m_dummy = &Dummies()[static_cast<size_t>(index)];
    if (m_dummies->currentIndex() != index)
        m_dummies->setCurrentIndex(index); // comes back here through the signal
    else
        Evaluate();
}

void CCriterionWindow::Evaluate()
{
    KVErrorList errors;
    m_evaluated = Criteria::Evaluate(m_def, m_inputs, *m_dummy, m_outcome, errors, m_options);
    if (!m_evaluated) {
        QString text;
        for (int i = 0; i < errors.ErrorCount(); ++i)
            text += QString::fromStdString(errors.ErrorMessage(i)) + "\n";
        m_result->setPlainText(text);
        m_verdict->setText(tr("no result"));
        m_verdict->setStyleSheet(QString());
        m_inputGraph->SetCurves(nullptr, nullptr, 0, 0);
        m_inputGraph->Replot();
        m_historyGraph->hide();
        return;
    }
    const float absent = m_inputGraph->AbsentValue();
    const QString title = QString::fromUtf8(m_def.title) + " - " + QString::fromUtf8(m_dummy->name);
    Show(*m_inputGraph, InputCurves(m_outcome, absent), title);
    const PlotCurves history = HistoryCurves(m_outcome, absent);
    m_historyGraph->setVisible(history.curveCount > 0);
    if (history.curveCount > 0)
        Show(*m_historyGraph, history, QString::fromStdString(m_outcome.history.label));
    m_result->setPlainText(QString::fromStdString(FormatOutcome(m_outcome)));
    if (!m_outcome.HasLimit()) {
        m_verdict->setText(tr("no limit"));
        m_verdict->setStyleSheet(QString());
        return;
    }
    const bool pass = m_outcome.Pass();
    m_verdict->setText(pass ? tr("PASS") : tr("FAIL"));
    m_verdict->setStyleSheet(pass ? "color: #007000" : "color: #c00000");
}

QString CCriterionWindow::ResultText() const
{
    return m_result->toPlainText();
}

QString CCriterionWindow::Verdict() const
{
    return m_verdict->text();
}
