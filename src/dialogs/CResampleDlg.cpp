#include "CResampleDlg.h"

#include "NumberText.h"

#include <QGridLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

CResampleDlg::CResampleDlg(QWidget* parent)
    : QDialog(parent),
      m_radioStep(new QRadioButton(QStringLiteral("Time Step"), this)),
      m_radioPoints(new QRadioButton(QStringLiteral("Number of Points"), this)),
      m_editStep(new QLineEdit(this)),
      m_editPoints(new QLineEdit(this))
{
    setWindowTitle(QStringLiteral("Select Time Step or Number of Points"));
    m_radioStep->setObjectName(QStringLiteral("radioTimeStep"));
    m_radioPoints->setObjectName(QStringLiteral("radioPoints"));
    m_editStep->setObjectName(QStringLiteral("timeStep"));
    m_editPoints->setObjectName(QStringLiteral("points"));

    auto* grid = new QGridLayout;
    grid->addWidget(m_radioStep, 0, 0);
    grid->addWidget(m_editStep, 0, 1);
    grid->addWidget(m_radioPoints, 1, 0);
    grid->addWidget(m_editPoints, 1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(OkCancelButtons(this));

    connect(m_radioStep, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            SetMode(ResampleMode::TimeStep);
    });
    connect(m_radioPoints, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            SetMode(ResampleMode::Points);
    });
    SetValues(0.0f, 0, 0.0f);
}

void CResampleDlg::SetValues(float timeStep, int points, float span)
{
    m_timeStep = timeStep;
    m_points = points;
    m_span = ResampleSpan(timeStep, points, span);
    m_editStep->setText(FormatPlainReal(timeStep));
    m_editPoints->setText(FormatInt(points));
    m_radioStep->setChecked(true);
    SetMode(ResampleMode::TimeStep);
}

void CResampleDlg::SetMode(ResampleMode mode)
{
    m_mode = mode;
    const bool byStep = mode == ResampleMode::TimeStep;
    m_editStep->setEnabled(byStep);
    m_editPoints->setEnabled(!byStep);
    (byStep ? m_editStep : m_editPoints)->setFocus();
}

void CResampleDlg::accept()
{
    const bool byStep = m_mode == ResampleMode::TimeStep;
    const std::optional<float> step = byStep ? ParseReal(m_editStep->text()) : std::optional<float>(m_timeStep);
    const std::optional<int> points = byStep ? std::optional<int>(m_points) : ParseInt(m_editPoints->text());
    std::optional<ResampleChoice> choice;
    if (step && points)
        choice = ResolveResample(m_mode, *step, *points, m_span);
    if (!choice) {
        m_showMessage(this, QStringLiteral("Invalid Entry - Try Again"));
        QLineEdit* edit = byStep ? m_editStep : m_editPoints;
        edit->setFocus();
        edit->selectAll();
        return;
    }
    m_timeStep = choice->timeStep;
    m_points = choice->points;
    m_editStep->setText(FormatPlainReal(m_timeStep));
    m_editPoints->setText(FormatInt(m_points));
    QDialog::accept();
}

bool SelectTimeStep(QWidget* parent, float& timeStep, int& points, float& span, bool* byPoints)
{
    CResampleDlg dlg(parent);
    dlg.SetValues(timeStep, points, span);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    timeStep = dlg.TimeStep();
    points = dlg.Points();
    span = dlg.Span();
    if (byPoints)
        *byPoints = dlg.Mode() == ResampleMode::Points;
    return true;
}
