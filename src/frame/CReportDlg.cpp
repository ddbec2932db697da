#include "CReportDlg.h"

#include "CProgressDlg.h"
#include "ProtocolFiles.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

CReportDlg::CReportDlg(std::vector<Assess::Protocol> protocols, const QString& fileName, QWidget* parent,
                       bool forReport)
    : QDialog(parent)
    , m_protocols(std::move(protocols))
{
    setWindowTitle(forReport ? QStringLiteral("Export Report") : QStringLiteral("Assess Test"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    m_protocol = new QComboBox(this);
    for (const Assess::Protocol& p : m_protocols)
        m_protocol->addItem(QString::fromStdString(p.id + "  " + p.name));
    form->addRow(QStringLiteral("&Protocol:"), m_protocol);
    m_positions = new QLineEdit(this);
    m_positions->setPlaceholderText(QStringLiteral("every position (or e.g. 1 3)"));
    form->addRow(QStringLiteral("P&ositions:"), m_positions);
    // The dummy for every occupant, when the channel codes do not name it.
    m_dummy = new QComboBox(this);
    const auto listDummies = [this](int index) {
        m_dummy->clear();
        m_dummy->addItem(QStringLiteral("as the channel codes name it"), QString());
        if (index < 0 || index >= static_cast<int>(m_protocols.size()))
            return;
        for (const std::string& key : m_protocols[static_cast<size_t>(index)].dummies)
            m_dummy->addItem(QString::fromStdString(key + "  " + Assess::DummyNameOfKey(key)),
                             QString::fromStdString(key));
    };
    listDummies(m_protocol->currentIndex());
    connect(m_protocol, &QComboBox::currentIndexChanged, this, listDummies);
    form->addRow(QStringLiteral("&Dummy:"), m_dummy);
    // Observations that are no curves, as kalvio assess --inputs takes them.
    auto* inputsRow = new QHBoxLayout;
    m_inputs = new QLineEdit(this);
    m_inputs->setPlaceholderText(QStringLiteral("the protocol's defaults (or a JSON file {\"name\": value})"));
    auto* browseInputs = new QPushButton(QStringLiteral("B&rowse..."), this);
    inputsRow->addWidget(m_inputs);
    inputsRow->addWidget(browseInputs);
    form->addRow(QStringLiteral("&Inputs:"), inputsRow);
    connect(browseInputs, &QPushButton::clicked, this, [this] {
        const QString name = QFileDialog::getOpenFileName(this, QStringLiteral("Inputs"), m_inputs->text(),
                                                          QStringLiteral("JSON files (*.json);;All files (*)"));
        if (!name.isEmpty())
            m_inputs->setText(name);
    });
    m_page = new QComboBox(this);
    m_page->addItems({QStringLiteral("A4"), QStringLiteral("Letter")});
    auto* fileRow = new QHBoxLayout;
    m_file = new QLineEdit(fileName, this);
    auto* browse = new QPushButton(QStringLiteral("&Browse..."), this);
    fileRow->addWidget(m_file);
    fileRow->addWidget(browse);
    if (forReport) {
        form->addRow(QStringLiteral("P&age:"), m_page);
        form->addRow(QStringLiteral("&File:"), fileRow);
    } else {
        m_page->hide();
        m_file->hide();
        browse->hide();
    }
    layout->addLayout(form);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(browse, &QPushButton::clicked, this, [this] {
        const QString name = QFileDialog::getSaveFileName(this, QStringLiteral("Export Report"), m_file->text(),
                                                          QStringLiteral("PDF files (*.pdf)"));
        if (!name.isEmpty())
            m_file->setText(name);
    });
    buttons->button(QDialogButtonBox::Ok)->setEnabled(!m_protocols.empty());
}

QString CReportDlg::FileName() const { return m_file->text().trimmed(); }

bool CReportDlg::Choice(Assess::Protocol& protocol, Assess::AssessOptions& options, QString& problem) const
{
    std::vector<char>& positions = options.positions;
    options.dummy = m_dummy->currentData().toString().toStdString();
    const int index = m_protocol->currentIndex();
    if (index < 0 || index >= static_cast<int>(m_protocols.size())) {
        problem = QStringLiteral("No protocol was found to choose from.");
        return false;
    }
    protocol = m_protocols[static_cast<size_t>(index)];
    positions.clear();
    for (const QString& p : m_positions->text().split(QRegularExpression(QStringLiteral("[\\s,]+")),
                                                     Qt::SkipEmptyParts)) {
        if (p.size() != 1) {
            problem = QStringLiteral("A position is one code character (1 driver, 3 front passenger), not \"%1\".").arg(p);
            return false;
        }
        positions.push_back(p.at(0).toLatin1());
    }
    options.inputsText.clear();
    options.inputsFile.clear();
    const QString inputs = m_inputs->text().trimmed();
    if (inputs.isEmpty())
        return true;
    QFile file(inputs);
    if (!file.open(QIODevice::ReadOnly)) {
        problem = QStringLiteral("The inputs file %1 cannot be read: %2.").arg(inputs, file.errorString());
        return false;
    }
    options.inputsText = file.readAll().toStdString();
    options.inputsFile = QFile::encodeName(inputs).toStdString();
    // Checked now, so that a mistyped name is mended in the dialog.
    std::vector<Assess::InputUse> uses;
    std::string error;
    if (!Assess::ReadInputs(protocol, options.inputsText, options.inputsFile, uses, error)) {
        problem = QString::fromStdString(error);
        return false;
    }
    return true;
}

bool CReportDlg::Request(const std::vector<std::vector<std::string>>& tests, Report::ReportRequest& request,
                         QString& problem) const
{
    if (!Choice(request.protocol, request.options, problem))
        return false;
    request.tests = tests;
    request.page = m_page->currentIndex() == 1 ? Report::PageFormat::Letter : Report::PageFormat::A4;
    request.maker = "Ondrel";
    if (FileName().isEmpty()) {
        problem = QStringLiteral("Name the PDF file the report goes to.");
        return false;
    }
    return true;
}

std::vector<std::string> ListedTestFiles(QWidget* parent, const QStringList& listed, const QString& title)
{
    if (listed.isEmpty())
        QMessageBox::information(parent, title,
                                 QStringLiteral("List a test first (File > Open Directory or Open Hitlist)."));
    std::vector<std::string> files;
    for (const QString& name : listed)
        files.push_back(QFile::encodeName(name).toStdString());
    return files;
}

std::vector<Assess::Protocol> LoadProtocolsTellingProblems(QWidget* parent, const QString& title, const QString& userDir)
{
    std::vector<std::string> problems;
    std::vector<Assess::Protocol> protocols
        = Assess::LoadProtocols(Assess::ProtocolDirs(QFile::encodeName(userDir).toStdString()), problems);
    if (!problems.empty()) {
        QString text = QStringLiteral("These protocol files are left out:");
        for (const std::string& p : problems)
            text += "\n" + QString::fromStdString(p);
        QMessageBox::warning(parent, title, text);
    }
    return protocols;
}

bool ExportListedReport(QWidget* parent, const QStringList& listed, const QString& userDir)
{
    const std::vector<std::string> files = ListedTestFiles(parent, listed, QStringLiteral("Export Report"));
    if (files.empty())
        return false;
    CReportDlg dialog(LoadProtocolsTellingProblems(parent, QStringLiteral("Export Report"), userDir),
                      QStringLiteral("report.pdf"), parent);
    for (;;) {
        if (dialog.exec() != QDialog::Accepted)
            return false;
        Report::ReportRequest request;
        QString problem;
        if (!dialog.Request({files}, request, problem)) {
            QMessageBox::warning(parent, QStringLiteral("Export Report"), problem);
            continue;
        }
        CProgressDlg progress(QStringLiteral("Export Report"), parent);
        progress.SetRange(100, 0);
        progress.SetStatus(QStringLiteral("Assessing and drawing the report"));
        request.progress = [&progress](double done) {
            progress.SetPos(static_cast<int>(done * 100));
            QApplication::processEvents();
            return !progress.Cancelled();
        };
        std::string error;
        const bool written = Report::WriteReport(request, QFile::encodeName(dialog.FileName()).toStdString(), error);
        progress.close();
        if (!written) {
            if (error != "cancelled")
                QMessageBox::warning(parent, QStringLiteral("Export Report"), QString::fromStdString(error));
            return false;
        }
        return true;
    }
}
