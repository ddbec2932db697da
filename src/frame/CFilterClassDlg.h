#pragma once
// "Select Filter Class": CFC 60, 180, 600, 1000 or a cut-off frequency.
#include <QDialog>

class QLineEdit;
class QRadioButton;

class CFilterClassDlg : public QDialog {
public:
    // The index of "Select Cutoff Frequency".
    static constexpr int kFrequencyChoice = 4;

    explicit CFilterClassDlg(QWidget* parent = nullptr);

    // After OK: the choice 0..4 in the order of the buttons, and for choice 4 the frequency.
    int Choice() const { return m_choice; }
    float Frequency() const { return m_frequency; }

    QRadioButton* ChoiceButton(int i) const { return m_buttons[i]; }
    QLineEdit* FrequencyField() const { return m_frequencyField; }

    void accept() override;

private:
    void OnChoice(int choice);

    QRadioButton* m_buttons[5] = {};
    QLineEdit* m_frequencyField = nullptr;
    int m_choice = 0;
    float m_frequency = 30.0f;
};
