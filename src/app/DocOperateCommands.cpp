// Operate menu and the CFC toolbar buttons: the signal operations applied to
// the loaded signals.
#include "Kalvio.h"
#include "OndrelDoc.h"
#include "KVNumberText.h"
#include "TimeAxis.h"

#include <algorithm>
#include <cmath>

void COndrelDoc::OperateOnEachSignal(const std::function<bool(KVSignal&, KVErrorList*)>& op,
                                     const std::function<bool(const KVSignal&)>& keeps)
{
    ClearErrors();
    {
        CWaitCursor wait(m_ui);
        for (CSignalEntry& entry : m_signals) {
            KVErrorList errors;
            const bool unchanged = keeps && keeps(entry.signal);
            if (op(entry.signal, &errors) && !unchanged)
                entry.modified = true;
            AddErrorsAbout(entry.DisplayName(), errors);
        }
    }
    SignalsOperatedOn();
}

void COndrelDoc::SignalsOperatedOn()
{
    // Every operation may change the point counts the plot buffers are sized by.
    UpdateMaxPoints();
    UpdateLabels();
    UpdateTitle();
    UpdateAllViews(HINT_PLOT_CHANGED);
    CollectErrors();
    ShowMessages();
}

bool COndrelDoc::EnterConstant(const QString& caption, const QString& field, const QString& initial, float& value)
{
    if (!m_ui)
        return false;
    QString text = initial;
    if (!m_ui->EnterText(caption, field, text))
        return false;
    value = static_cast<float>(KVLeadingNumber(text.toStdString()));
    return true;
}

void COndrelDoc::OnDerivative()
{
    OperateOnEachSignal([](KVSignal& s, KVErrorList* e) { return Kalvio::derivY(s, e); });
}

void COndrelDoc::OnIntegrate()
{
    OperateOnEachSignal([](KVSignal& s, KVErrorList* e) { return Kalvio::TrapInteg(s, e); });
}

void COndrelDoc::OnFir100()
{
    OperateOnEachSignal([](KVSignal& s, KVErrorList* e) { return Kalvio::FIR100(s, true, e); });
}

void COndrelDoc::OnResample()
{
    if (m_signals.empty() || !m_ui)
        return;
    const KVSignal& first = m_signals.front().signal;
    CResampleValues values;
    values.timeStep = first.Del();
    values.points = static_cast<int>(first.PointCount());
    // The span the points are spread over: data may start before time zero.
    values.span = XSpan(first);
    if (!m_ui->SelectTimeStep(values))
        return;
    const float step = values.timeStep;
    if (values.byPoints) {
        // n points over a span are n - 1 steps: every signal gets a point at
        // both ends of its span (the first signal exactly the number chosen).
        OperateOnEachSignal([step](KVSignal& s, KVErrorList* e) {
            const double steps = std::round(double(XSpan(s)) / double(step));
            return Kalvio::ResampleToPoints(s, step, static_cast<std::size_t>(std::max(steps, 1.0)) + 1, e);
        });
        return;
    }
    OperateOnEachSignal([step](KVSignal& s, KVErrorList* e) { return Kalvio::Resample(s, step, e); });
}

void COndrelDoc::OnTruncate()
{
    if (m_signals.empty() || !m_ui)
        return;
    const KVSignal& first = m_signals.front().signal;
    const size_t n = first.PointCount();
    float start = n > 0 ? first.X()[0] : 0.0f;
    float stop = n > 0 ? first.X()[n - 1] : 0.0f;
    if (!m_ui->SelectInterval(start, stop))
        return;
    OperateOnEachSignal([start, stop](KVSignal& s, KVErrorList* e) { return Kalvio::Truncate(s, start, stop, e); });
}

void COndrelDoc::OnBiasAutoRemoveY()
{
    OperateOnEachSignal([](KVSignal& s, KVErrorList* e) { return Kalvio::Bias(s, e); });
}

void COndrelDoc::OperateWithConstant(const QString& caption, const QString& field, const QString& initial,
                                     bool (*op)(KVSignal&, float, KVErrorList*))
{
    float c = 0.0f;
    if (!EnterConstant(caption, field, initial, c))
        return;
    OperateOnEachSignal([c, op](KVSignal& s, KVErrorList* e) { return op(s, c, e); });
}

void COndrelDoc::OnAddConstantY()
{
    OperateWithConstant(QStringLiteral("Add A constant Value to Y data"), QStringLiteral("Y Value"),
                        QStringLiteral("0.0"), &Kalvio::AddConstantY);
}

void COndrelDoc::OnAddConstantX()
{
    OperateWithConstant(QStringLiteral("Add A constant Value to X data"), QStringLiteral("X Value"),
                        QStringLiteral("0.0"), &Kalvio::AddConstantX);
}

void COndrelDoc::OnScaleY()
{
    OperateWithConstant(QStringLiteral("Multiply Y Axis by Constant Value"), QStringLiteral("Y Multiplier"),
                        QStringLiteral("1.0"), &Kalvio::ScaleY);
}

void COndrelDoc::OnScaleX()
{
    OperateWithConstant(QStringLiteral("Multiply X Axis by Constant Value"), QStringLiteral("X Multiplier"),
                        QStringLiteral("1.0"), &Kalvio::ScaleX);
}

void COndrelDoc::OnFilter()
{
    if (!m_ui)
        return;
    int index = 0;
    float frequency = 30.0f;
    if (!m_ui->SelectFilterClass(index, frequency))
        return;
    static constexpr int kClasses[] = {60, 180, 600, 1000};
    if (index >= 0 && index < 4) {
        OnFilterClass(kClasses[index]);
        return;
    }
    const double corner = frequency;
    OperateOnEachSignal([corner](KVSignal& s, KVErrorList* e) { return Kalvio::BWfilt(s, corner, e); });
}

void COndrelDoc::OnFilterClass(int cfc)
{
    if (cfc != 60 && cfc != 180 && cfc != 600 && cfc != 1000) {
        m_messages = QStringList{QStringLiteral("Improper Frequency Class")};
        ShowMessages();
        return;
    }
    // The class a signal is filtered at already leaves it as it is: not modified.
    OperateOnEachSignal([cfc](KVSignal& s, KVErrorList* e) { return Kalvio::BWfilt(s, cfc, e); },
                        [cfc](const KVSignal& s) { return Kalvio::FilterClassKeeps(s, cfc); });
}

void COndrelDoc::FinishCombining(bool ok, const KVSignal& result, const QString& computedName,
                                 const KVErrorList& errors)
{
    // A combination's messages are about all the signals it combined.
    QStringList combined;
    for (const CSignalEntry& entry : m_signals)
        combined << entry.DisplayName();
    ClearErrors();
    AddErrorsAbout(combined.join(QStringLiteral(", ")), errors);
    if (ok) {
        // Computed, it is in no file: it counts as modified until saved.
        m_signals.clear();
        m_signals.emplace_back(QString(), result, true);
        m_signals.back().computedName = computedName;
        UpdateMaxPoints();
        UpdateLabels();
        UpdateTitle();
        UpdateAllViews(HINT_PLOT_CHANGED);
    }
    // Warnings of a success are shown too; failures leave the signals loaded.
    CollectErrors();
    ShowMessages();
}

void COndrelDoc::OnResultant()
{
    KVErrorList errors;
    KVSignal result;
    bool ok = false;
    if (m_signals.size() == 2) {
        result = m_signals[0].signal;
        ok = Kalvio::Resultant(result, m_signals[0].signal, m_signals[1].signal, &errors);
    } else if (m_signals.size() == 3) {
        result = m_signals[0].signal;
        ok = Kalvio::Resultant(result, m_signals[0].signal, m_signals[1].signal, m_signals[2].signal, &errors);
    } else {
        errors.AddError("Resultant is computed for 2 or 3 signals only", "Ondrel");
    }
    FinishCombining(ok, result, QStringLiteral("Resultant"), errors);
}

void COndrelDoc::CombineAll(bool (*op)(const std::vector<KVSignal*>&, KVErrorList*), const QString& computedName)
{
    if (m_signals.empty())
        return;
    KVErrorList errors;
    // The result is computed in a copy so that a failure leaves the first signal as it was.
    KVSignal result = m_signals[0].signal;
    std::vector<KVSignal*> list{&result};
    for (size_t k = 1; k < m_signals.size(); ++k)
        list.push_back(&m_signals[k].signal);
    const bool ok = op(list, &errors);
    FinishCombining(ok, result, computedName, errors);
}

void COndrelDoc::OnAverage()
{
    CombineAll(&Kalvio::Average, QStringLiteral("Average"));
}

void COndrelDoc::OnSum()
{
    CombineAll(&Kalvio::Sum, QStringLiteral("Sum"));
}
