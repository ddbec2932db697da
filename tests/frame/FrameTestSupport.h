#pragma once
// Shared by the window tests: settings in a temporary directory, small
// signal files, and a way to answer the next modal dialog.
#include "KVFileRvf.h"
#include "KVSignal.h"
#include "SupportSignals.h"
#include "SupportWidgets.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// A ramp signal of n points, Y in the given units.
inline KVSignal RampSignal(size_t n, const char* yUnits = "G")
{
    KVSignal s = MakeSignal(n, 0.0f, 0.001f, [](size_t i) { return static_cast<float>(i); });
    s.SetDel(0.001f);
    s.SetXType("TIME");
    s.SetXUnits("SECONDS");
    s.SetYType("ACCELERATION");
    s.SetYUnits(yUnits);
    return s;
}

inline bool WriteRvf(const QString& path, const KVSignal& s)
{
    return SaveSignalAsRvf(s, QFile::encodeName(path).toStdString());
}

// Settings and data in temporary directories for each test.
class FrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_settingsDir.IsValid());
        ASSERT_TRUE(m_dataDir.isValid());
    }

    QString Dir() const { return m_dataDir.path() + QStringLiteral("/"); }
    QString Stored(const char* key) const
    {
        return QSettings("Zelnor", "Ondrel").value(QStringLiteral("Settings/") + QString::fromLatin1(key)).toString();
    }

    TempSettings m_settingsDir;
    QTemporaryDir m_dataDir;
};
