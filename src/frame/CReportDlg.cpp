#include "CReportDlg.h"

#include "AssessRequest.h"
#include "CProgressDlg.h"
#include "KVErrorList.h"
#include "OndrelSettings.h"
#include "ProtocolFiles.h"
#include "TestSource.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSet>
#include <QVBoxLayout>

#include <map>

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
    // A row of a field and its button: the label needs its buddy to take the '&'.
    const auto labelFor = [this](const QString& text, QWidget* buddy) {
        auto* label = new QLabel(text, this);
        label->setBuddy(buddy);
        return label;
    };
    form->addRow(labelFor(QStringLiteral("&Inputs:"), m_inputs), inputsRow);
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
        form->addRow(labelFor(QStringLiteral("&File:"), m_file), fileRow);
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
        // Replacing is asked once, when the report is written.
        const QString name = QFileDialog::getSaveFileName(this, QStringLiteral("Export Report"), m_file->text(),
                                                          QStringLiteral("PDF files (*.pdf)"), nullptr,
                                                          QFileDialog::DontConfirmOverwrite);
        if (!name.isEmpty())
            m_file->setText(name);
    });
    buttons->button(QDialogButtonBox::Ok)->setEnabled(!m_protocols.empty());
    // The choice of the last time.
    const QString protocol = OndrelSettings::ReadString(QString::fromLatin1(OndrelSettings::kAssessProtocol));
    for (size_t i = 0; i < m_protocols.size(); ++i)
        if (!protocol.isEmpty() && QString::fromStdString(m_protocols[i].id) == protocol)
            m_protocol->setCurrentIndex(static_cast<int>(i));
    m_positions->setText(OndrelSettings::ReadString(QString::fromLatin1(OndrelSettings::kAssessPositions)));
}

void CReportDlg::ProposeFile(const QString& folder, const QStringList& tests)
{
    const auto proposal = [this, folder, tests] {
        const int index = m_protocol->currentIndex();
        const QString protocol = index >= 0 && index < static_cast<int>(m_protocols.size())
                                     ? QString::fromStdString(m_protocols[static_cast<size_t>(index)].id)
                                     : QStringLiteral("report");
        return QDir(folder).filePath(tests.join(QLatin1Char('_')) + QLatin1Char('_') + protocol + ".pdf");
    };
    m_proposed = proposal();
    m_file->setText(m_proposed);
    connect(m_protocol, &QComboBox::currentIndexChanged, this, [this, proposal] {
        if (m_file->text() != m_proposed)
            return; // the person's own name stays
        m_proposed = proposal();
        m_file->setText(m_proposed);
    });
}

void CReportDlg::RememberChoice() const
{
    const int index = m_protocol->currentIndex();
    if (index >= 0 && index < static_cast<int>(m_protocols.size()))
        OndrelSettings::WriteString(QString::fromLatin1(OndrelSettings::kAssessProtocol),
                                    QString::fromStdString(m_protocols[static_cast<size_t>(index)].id));
    OndrelSettings::WriteString(QString::fromLatin1(OndrelSettings::kAssessPositions), m_positions->text().trimmed());
}

QString CReportDlg::FileName() const { return m_file->text().trimmed(); }

bool CReportDlg::Asked(Assess::AssessRequest& asked, QString& problem) const
{
    asked = {};
    const int index = m_protocol->currentIndex();
    if (index < 0 || index >= static_cast<int>(m_protocols.size())) {
        problem = QStringLiteral("No protocol was found to choose from.");
        return false;
    }
    asked.protocol = m_protocols[static_cast<size_t>(index)].id;
    asked.dummy = m_dummy->currentData().toString().toStdString();
    asked.inputsFile = QFile::encodeName(m_inputs->text().trimmed()).toStdString();
    asked.page = m_page->currentIndex() == 1 ? Assess::PageSize::Letter : Assess::PageSize::A4;
    std::string why;
    if (!Assess::AddRequestPositions(asked, m_positions->text().toStdString(), why)) {
        problem = QStringLiteral("Each position %1.").arg(QString::fromStdString(why));
        return false;
    }
    return true;
}

bool CReportDlg::Choice(Assess::Protocol& protocol, Assess::AssessOptions& options, QString& problem) const
{
    Assess::AssessRequest asked;
    if (!Asked(asked, problem))
        return false;
    protocol = m_protocols[static_cast<size_t>(m_protocol->currentIndex())];
    // Read as the command reads it: a folder, a pipe or an empty file is
    // refused, and a mistyped name is mended in the dialog.
    std::string error;
    bool unreadable = false;
    if (!Assess::RequestOptions(asked, protocol, options, error, &unreadable)) {
        problem = unreadable ? QStringLiteral("The inputs file cannot be read: %1.").arg(QString::fromStdString(error))
                             : QString::fromStdString(error);
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
    request.page = m_page->currentIndex() == 1 ? Assess::PageSize::Letter : Assess::PageSize::A4;
    request.maker = "Ondrel";
    if (FileName().isEmpty()) {
        problem = QStringLiteral("Name the PDF file the report goes to.");
        return false;
    }
    return true;
}

namespace {

// The listed files as whole ISO-MME tests (TEST/Channel/TEST.001 ... of
// TEST/TEST.mme), each test once in the order listed, when every listed file
// is a channel of one and every channel of each test is listed; else empty.
// Opening a test from its .mme takes milliseconds where its 200 channel files
// one by one take most of a second.
std::vector<std::vector<std::string>> WholeIsoTests(const QStringList& listed)
{
    QStringList order;
    std::map<QString, QSet<QString>> channelsOf; // .mme -> the listed channel files
    for (const QString& name : listed) {
        const QFileInfo file(name);
        const QDir channelDir = file.dir();
        const QString mme = QFileInfo(channelDir.absolutePath()).dir().filePath(file.completeBaseName() + ".mme");
        if (channelDir.dirName().compare(QLatin1String("Channel"), Qt::CaseInsensitive) != 0 || !QFileInfo(mme).isFile())
            return {};
        if (!channelsOf.count(mme))
            order << mme;
        channelsOf[mme].insert(file.canonicalFilePath());
    }
    std::vector<std::vector<std::string>> tests;
    for (const QString& mme : order) {
        Assess::TestSource source;
        KVErrorList errors;
        const std::string path = QFile::encodeName(mme).toStdString();
        if (!source.Open({path}, errors))
            return {};
        QSet<QString> all;
        for (const Assess::TestSource::Entry& e : source.Channels())
            all.insert(QFileInfo(QFile::decodeName(e.path.c_str())).canonicalFilePath());
        if (all != channelsOf[mme])
            return {};
        tests.push_back({path});
    }
    return tests;
}

} // namespace

std::vector<std::vector<std::string>> ListedTests(QWidget* parent, const QStringList& listed, const QString& title)
{
    if (listed.isEmpty()) {
        QMessageBox::information(parent, title,
                                 QStringLiteral("List a test first (File > Open Directory or Open Hitlist)."));
        return {};
    }
    if (std::vector<std::vector<std::string>> whole = WholeIsoTests(listed); !whole.empty())
        return whole;
    std::vector<std::string> files;
    for (const QString& name : listed)
        files.push_back(QFile::encodeName(name).toStdString());
    std::vector<std::vector<std::string>> tests;
    KVErrorList errors;
    if (!Assess::SplitByTest(files, tests, errors)) {
        QString text;
        for (const KVException& e : errors.Errors())
            text += QString::fromStdString(e.Message()) + "\n";
        QMessageBox::warning(parent, title, text.trimmed());
        return {};
    }
    return tests;
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

namespace {

// The names of the tests as the report names them.
QStringList TestNames(const std::vector<std::vector<std::string>>& tests)
{
    QStringList names;
    for (const std::vector<std::string>& files : tests) {
        Assess::TestSource source;
        KVErrorList errors;
        names << (source.Open(files, errors) && !source.Name().empty() ? QString::fromStdString(source.Name())
                                                                        : QStringLiteral("report"));
    }
    return names;
}

// Whether name is one of the listed files (a report never replaces its input).
bool IsListed(const QString& name, const QStringList& listed)
{
    const QFileInfo target(name);
    for (const QString& l : listed)
        if (QFileInfo(l) == target)
            return true;
    return false;
}

} // namespace

QString ExportListedReport(QWidget* parent, const QStringList& listed, const QString& userDir)
{
    const QString title = QStringLiteral("Export Report");
    const std::vector<std::vector<std::string>> tests = ListedTests(parent, listed, title);
    if (tests.empty())
        return {};
    CReportDlg dialog(LoadProtocolsTellingProblems(parent, title, userDir), QString(), parent);
    QString folder = OndrelSettings::ReadString(QString::fromLatin1(OndrelSettings::kOutputDir));
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    dialog.ProposeFile(folder, TestNames(tests));
    for (;;) {
        if (dialog.exec() != QDialog::Accepted)
            return {};
        Report::ReportRequest request;
        QString problem;
        if (!dialog.Request(tests, request, problem)) {
            QMessageBox::warning(parent, title, problem);
            continue;
        }
        dialog.RememberChoice();
        const QString file = dialog.FileName();
        if (IsListed(file, listed)) {
            QMessageBox::warning(parent, title, QStringLiteral("%1 is a listed channel: the report goes to another file.").arg(file));
            continue;
        }
        if (QFileInfo::exists(file)
            && QMessageBox::question(parent, title, QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(file),
                                     QMessageBox::Yes | QMessageBox::No, QMessageBox::No)
                   != QMessageBox::Yes)
            continue;
        CProgressDlg progress(title, parent);
        progress.SetRange(100, 0);
        progress.SetStatus(QStringLiteral("Assessing and drawing the report"));
        request.progress = [&progress](double done) {
            progress.SetPos(static_cast<int>(done * 100));
            QApplication::processEvents();
            return !progress.Cancelled();
        };
        std::string error;
        const bool written = Report::WriteReport(request, QFile::encodeName(file).toStdString(), error);
        progress.close();
        if (!written) {
            if (error != "cancelled")
                QMessageBox::warning(parent, title, QString::fromStdString(error));
            return {};
        }
        OndrelSettings::StoreOutputDir(file);
        return file;
    }
}
