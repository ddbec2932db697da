#pragma once
// Shared by the window tests: settings in a temporary directory, small
// signal files, and a way to answer the next modal dialog.
#include "KVFileRvf.h"
#include "KVSignal.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

// Runs `answer` on the next modal dialog once it is shown (polling, so that
// it works from inside exec()); gives up after about five seconds.
inline void AnswerNextModal(std::function<void(QWidget*)> answer, int tries = 500)
{
    QTimer::singleShot(10, [answer = std::move(answer), tries]() mutable {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible()) {
            answer(modal);
            return;
        }
        if (tries > 0)
            AnswerNextModal(std::move(answer), tries - 1);
    });
}

// Keeps the event loop running until `done` holds or `ms` milliseconds passed;
// whether it holds.
template <typename Condition>
bool WaitFor(Condition done, int ms = 10000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QTest::qWait(10);
    }
    return true;
}

// A ramp signal of n points, Y in the given units.
inline KVSignal RampSignal(size_t n, const char* yUnits = "G")
{
    KVSignal s;
    s.Allocate(n);
    for (size_t i = 0; i < n; ++i)
        s.SetPoint(static_cast<float>(i) * 0.001f, static_cast<float>(i), i);
    s.SetNfp(0);
    s.SetNlp(static_cast<int>(n) - 1);
    s.SetDel(0.001f);
    s.SetXType("TIME");
    s.SetXUnits("SECONDS");
    s.SetYType("ACCELERATION");
    s.SetYUnits(yUnits);
    s.UpdateExtremes();
    s.SetHasData(true);
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
        ASSERT_TRUE(m_settingsDir.isValid());
        ASSERT_TRUE(m_dataDir.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
        QSettings("Zelnor", "Ondrel").clear();
    }

    QString Dir() const { return m_dataDir.path() + QStringLiteral("/"); }
    QString Stored(const char* key) const
    {
        return QSettings("Zelnor", "Ondrel").value(QStringLiteral("Settings/") + QString::fromLatin1(key)).toString();
    }

    QTemporaryDir m_settingsDir;
    QTemporaryDir m_dataDir;
};
