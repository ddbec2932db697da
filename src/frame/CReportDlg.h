#pragma once
// File > "Export Report...": the protocol, the positions and the page size
// of the listed test's report, and the PDF file it goes to.
#include "TestReport.h"

#include <QDialog>

#include <vector>

class QComboBox;
class QLineEdit;

class CReportDlg : public QDialog {
public:
    // protocols: those the user may choose from (the first is chosen).
    // Without forReport it asks for the protocol and the positions alone
    // (Assess Test).
    // The protocol and positions chosen last (RememberChoice) are chosen again.
    CReportDlg(std::vector<Assess::Protocol> protocols, const QString& fileName, QWidget* parent = nullptr,
               bool forReport = true);
    // Proposes folder/TEST_PROTOCOL.pdf (the tests' names joined by "_") as
    // the file, and follows the protocol chosen while the name is the proposal.
    void ProposeFile(const QString& folder, const QStringList& tests);
    // Stores the protocol and positions for the next Assess Test or Export Report.
    void RememberChoice() const;

    QComboBox* ProtocolBox() const { return m_protocol; }
    QLineEdit* PositionsEdit() const { return m_positions; }
    QComboBox* PageBox() const { return m_page; }
    QLineEdit* FileEdit() const { return m_file; }
    QLineEdit* InputsEdit() const { return m_inputs; }
    QComboBox* DummyBox() const { return m_dummy; }

    // The request for tests as the dialog stands; false with the reason
    // when a position is no single code character, the inputs file is bad or
    // no file is named.
    bool Request(const std::vector<std::vector<std::string>>& tests, Report::ReportRequest& request,
                 QString& problem) const;
    QString FileName() const;
    // The protocol, positions, dummy and inputs chosen; false with the reason for a
    // position that is no single code character, or an inputs file that
    // cannot be read or names an input the protocol does not declare.
    bool Choice(Assess::Protocol& protocol, Assess::AssessOptions& options, QString& problem) const;
    // What the dialog asks, as every caller of the assessment reads a request
    // (no tests: the listed ones); false with the reason for a bad position.
    bool Asked(Assess::AssessRequest& asked, QString& problem) const;

private:
    std::vector<Assess::Protocol> m_protocols;
    QComboBox* m_protocol = nullptr;
    QLineEdit* m_positions = nullptr;
    QComboBox* m_page = nullptr;
    QLineEdit* m_file = nullptr;
    QLineEdit* m_inputs = nullptr;
    QComboBox* m_dummy = nullptr; // "" (from the channel codes), then the protocol's dummies
    QString m_proposed;           // the file name proposed, while the field holds it
};

// The listed files as the library names them, split into their tests (each
// assessed by itself); empty, after telling the user why in a box titled
// title, when nothing is listed or a file cannot be read.
std::vector<std::vector<std::string>> ListedTests(QWidget* parent, const QStringList& listed, const QString& title);

// The protocols in the protocol folders (userDir, the Options' folder, else
// $ONDREL_PROTOCOL_DIR, before the shipped one); the files that could not be
// read or are bad are named with their reasons in a box titled title.
std::vector<Assess::Protocol> LoadProtocolsTellingProblems(QWidget* parent, const QString& title,
                                                           const QString& userDir = {});

// Runs File > "Export Report..." for the listed files (each test a column of
// the report): asks with the dialog (in the output folder of the settings,
// TEST_PROTOCOL.pdf proposed), asks before replacing a file, writes the
// report behind the progress window and says what failed, with the
// protocols of userDir as LoadProtocolsTellingProblems finds them. Returns
// the file written, or empty.
QString ExportListedReport(QWidget* parent, const QStringList& listed, const QString& userDir = {});
