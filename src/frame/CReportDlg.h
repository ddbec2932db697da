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
    CReportDlg(std::vector<Assess::Protocol> protocols, const QString& fileName, QWidget* parent = nullptr,
               bool forReport = true);

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

private:
    std::vector<Assess::Protocol> m_protocols;
    QComboBox* m_protocol = nullptr;
    QLineEdit* m_positions = nullptr;
    QComboBox* m_page = nullptr;
    QLineEdit* m_file = nullptr;
    QLineEdit* m_inputs = nullptr;
    QComboBox* m_dummy = nullptr; // "" (from the channel codes), then the protocol's dummies
};

// The listed files as the library names them; empty, after telling the user
// to list a test first (in a box titled title), when nothing is listed.
std::vector<std::string> ListedTestFiles(QWidget* parent, const QStringList& listed, const QString& title);

// The protocols in the protocol folders (userDir, the Options' folder, else
// $ONDREL_PROTOCOL_DIR, before the shipped one); the files that could not be
// read or are bad are named with their reasons in a box titled title.
std::vector<Assess::Protocol> LoadProtocolsTellingProblems(QWidget* parent, const QString& title,
                                                           const QString& userDir = {});

// Runs File > "Export Report..." for the listed files (one test): asks with
// the dialog, writes the report behind the progress window and says how it
// went, with the protocols of userDir as LoadProtocolsTellingProblems finds
// them. Returns whether a report was written.
bool ExportListedReport(QWidget* parent, const QStringList& listed, const QString& userDir = {});
