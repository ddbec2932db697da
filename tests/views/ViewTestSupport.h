#pragma once
// A document with a recording console UI, settings in a temporary
// directory and RVF files written there, for the plot view tests.
#include "CConsoleDocUi.h"
#include "OndrelDoc.h"
#include "SupportSignals.h"
#include "SupportWidgets.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>

// Records what the document and the view show; save dialogs answer from a queue.
class CRecordingUi : public CConsoleDocUi {
public:
    QStringList messages;
    std::vector<QStringList> errorLists;
    std::deque<QString> savePaths;
    void ShowMessageBox(const QString& text) override { messages << text; }
    void ShowErrorsAndWarnings(const QStringList& list) override { errorLists.push_back(list); }
    bool SaveFileDialog(const CFileDialogRequest&, QString& path, bool&) override
    {
        if (savePaths.empty())
            return false;
        path = savePaths.front();
        savePaths.pop_front();
        return true;
    }
};

class ViewTest : public ::testing::Test {
protected:
    void SetUp() override;
    // Writes s as dir/name in RVF-1992 and returns the full path.
    QString WriteRvf(const QString& name, const KVSignal& s);
    // Writes text as dir/name and returns the full path.
    QString WriteText(const QString& name, const QByteArray& text);
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    // A vehicle acceleration of n points at 0.1 ms, scaled by k.
    static KVSignal Pulse(size_t n, float k = 1.0f);
    // Loads files into the document as the selection (what was loaded goes)
    // and tells the views.
    void Load(const QStringList& paths);

    TempSettings m_settings;
    QTemporaryDir m_dir;
    CRecordingUi m_ui;
    std::unique_ptr<COndrelDoc> m_doc;
};
