#pragma once
// Shared fixture: settings in a temporary directory, a data directory for
// signal files, a document driven by a scripted UI, and the hints it sent.
#include "FileCommands.h"
#include "KVFileRvf.h"
#include "KVSignal.h"
#include "ListCommands.h"
#include "OndrelDoc.h"
#include "ScriptedUi.h"
#include "SupportQt.h"
#include "SupportSignals.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

// A signal of n points X = x0 + i * del, Y = y(i).
template <typename F>
KVSignal MakeSignal(size_t n, float del, F y, float x0 = 0.0f)
{
    KVSignal s = MakeSignal(n, x0, del, [&y](size_t i) { return static_cast<float>(y(i)); });
    s.SetNfp(static_cast<int>(x0 / del + (x0 >= 0 ? 0.5f : -0.5f)));
    s.SetNlp(s.Nfp() + static_cast<int>(n) - 1);
    s.SetDel(del);
    s.SetXType("TIME");
    s.SetXUnits("SECONDS");
    s.SetYType("ACCELERATION");
    s.SetYUnits("G");
    return s;
}

inline KVSignal Ramp(size_t n, float del = 0.001f)
{
    return MakeSignal(n, del, [](size_t i) { return static_cast<float>(i); });
}

// Records an error about no signal in the document's messages, as an operation would.
inline void AddDocError(COndrelDoc& doc, const char* message, const char* scope)
{
    KVErrorList errors;
    errors.AddError(message, scope);
    doc.Messages().AddErrorsAbout(QString(), errors);
}

class AppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_settingsDir.IsValid());
        ASSERT_TRUE(m_dataDir.isValid());
        MakeDoc();
    }

    void MakeDoc()
    {
        doc = std::make_unique<COndrelDoc>(&ui);
        QObject::connect(doc.get(), &COndrelDoc::ViewsUpdated, [this](int hint) { hints.push_back(hint); });
        doc->OnNewDocument();
    }

    // The data directory, ending in "/".
    QString Dir() const { return m_dataDir.path() + "/"; }
    QString PathOf(const QString& name) const { return Dir() + name; }

    QString WriteRvf(const QString& name, const KVSignal& s) const
    {
        const QString path = PathOf(name);
        KVFileRvf file(QFile::encodeName(path).toStdString());
        EXPECT_TRUE(file.Store(s)) << file.ErrorMessage(0);
        return path;
    }

    QString WriteBytes(const QString& name, const QByteArray& bytes) const
    {
        const QString path = PathOf(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        return path;
    }

    static QByteArray ReadBytes(const QString& path)
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return f.readAll();
    }

    // Browses the data directory in directory mode, as Open Directory does.
    void BrowseDataDir()
    {
        ui.directories.push_back(Dir());
        FileCommands::OpenDirectory(*doc);
        ListCommands::Relist(*doc);
    }

    QStringList LoadedNames() const
    {
        QStringList names;
        for (const CSignalEntry& e : doc->Signals())
            names.append(e.name);
        return names;
    }

    // Where the document looks for the criterion programs (an Options value).
    void SetQuillonDir(const QString& dir)
    {
        COptionsValues options = doc->Options();
        options.quillonDir = dir;
        doc->SetOptions(options);
    }

    CScriptedUi ui;
    std::unique_ptr<COndrelDoc> doc;
    std::vector<int> hints;

private:
    TempSettings m_settingsDir;
    QTemporaryDir m_dataDir;
};
