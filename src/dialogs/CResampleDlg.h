#pragma once
// "Select Time Step or Number of Points": the new step of the resample command,
// set directly or derived from a number of points over the signal's span.
#include "DialogHooks.h"
#include "OperationRules.h"

#include <QDialog>

class QLineEdit;
class QRadioButton;

class CResampleDlg : public QDialog {
    Q_OBJECT
public:
    explicit CResampleDlg(QWidget* parent = nullptr);

    // Fills the dialog: the signal's Del, its PointCount and its span; a span
    // of 0 or less is derived from the other two. Starts in time-step mode.
    void SetValues(float timeStep, int points, float span);
    // The chosen values; after OK both are consistent with the span.
    float TimeStep() const { return m_timeStep; }
    int Points() const { return m_points; }
    float Span() const { return m_span; }
    ResampleMode Mode() const { return m_mode; }

    void SetShowMessage(ShowMessageFn fn) { m_showMessage = std::move(fn); }

    void accept() override;

private:
    void SetMode(ResampleMode mode);

    float m_timeStep = 0.0f;
    int m_points = 0;
    float m_span = 0.0f;
    ResampleMode m_mode = ResampleMode::TimeStep;
    ShowMessageFn m_showMessage = DefaultShowMessage;

    QRadioButton* m_radioStep;
    QRadioButton* m_radioPoints;
    QLineEdit* m_editStep;
    QLineEdit* m_editPoints;
};

// Runs the dialog modally on the caller's values; true, with all three
// completed (and byPoints, when given, set for the points mode), on OK;
// false, with nothing changed, on Cancel.
bool SelectTimeStep(QWidget* parent, float& timeStep, int& points, float& span, bool* byPoints = nullptr);
