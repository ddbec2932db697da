// Requests from the desktop, end to end: a second ondrel process hands its
// --datafile or --hitlist to the running one, whose list gains the names.
#include "CMainFrame.h"
#include "COndrelApp.h"
#include "COndrelView.h"
#include "CRequestChannel.h"
#include "FrameTestSupport.h"
#include "OndrelDoc.h"

#include <QDir>
#include <QProcess>
#include <QTest>

namespace {

class RequestChannelTest : public FrameTest {
protected:
    void SetUp() override
    {
        FrameTest::SetUp();
        channel = QStringLiteral("ondrel-test-%1-%2").arg(QCoreApplication::applicationPid()).arg(++count);
        qputenv("ONDREL_REQUEST_CHANNEL", channel.toLocal8Bit());
    }

    // Runs ondrel with the arguments, the test's settings and channel; waits
    // for it to end while this process keeps answering requests.
    int RunSecondOndrel(const QStringList& arguments, QProcess& process)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_settingsDir.Path());
        env.insert(QStringLiteral("ONDREL_REQUEST_CHANNEL"), channel);
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(m_dataDir.path());
        process.start(QStringLiteral(ONDREL_EXE), arguments);
        if (!process.waitForStarted(10000))
            return -1;
        if (!WaitFor([&process] { return process.state() == QProcess::NotRunning; }, 20000))
            return -3;
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    }

    QString channel;
    static inline int count = 0;
};

} // namespace

TEST_F(RequestChannelTest, SecondProcessHandsADataFileToTheRunningOne)
{
    ASSERT_TRUE(WriteRvf(Dir() + "first.rvf", RampSignal(5)));
    ASSERT_TRUE(WriteRvf(Dir() + "x.rvf", RampSignal(5)));
    COndrelApp running;
    ASSERT_TRUE(running.InitInstance({Dir() + "first.rvf"}));
    ASSERT_TRUE(WaitFor([&running] { return running.Doc()->FileList().size() == 1; }));

    QProcess second;
    // A relative name: the running program works elsewhere, so it gets the full path.
    EXPECT_EQ(RunSecondOndrel({"--datafile", "x.rvf"}, second), 0) << second.readAllStandardError().toStdString();
    EXPECT_TRUE(WaitFor([&running] { return running.MainFrame()->ListView()->count() == 2; }));
    EXPECT_EQ(running.Doc()->FileList(), (QStringList{Dir() + "first.rvf", Dir() + "x.rvf"}));
}

TEST_F(RequestChannelTest, SecondProcessHandsAHitlistToTheRunningOne)
{
    for (const char* name : {"a.rvf", "b.rvf"})
        ASSERT_TRUE(WriteRvf(Dir() + name, RampSignal(5)));
    QFile list(Dir() + "pair.hit");
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write(QFile::encodeName(Dir() + "a.rvf\r\n" + Dir() + "b.rvf\r\n"));
    list.close();
    COndrelApp running;
    ASSERT_TRUE(running.InitInstance({"--datafile", Dir() + "a.rvf"}));
    ASSERT_TRUE(WaitFor([&running] { return running.Doc()->FileList().size() == 1; }));

    QProcess second;
    EXPECT_EQ(RunSecondOndrel({"--hitlist", Dir() + "pair.hit"}, second), 0);
    EXPECT_TRUE(WaitFor([&running] { return running.Doc()->FileList().size() == 3; }));
    // The hitlist's names are appended, even one the list already holds.
    EXPECT_EQ(running.Doc()->FileList(), (QStringList{Dir() + "a.rvf", Dir() + "a.rvf", Dir() + "b.rvf"}));
}

TEST_F(RequestChannelTest, WithoutARunningOndrelTheRequestStartsOne)
{
    ASSERT_TRUE(WriteRvf(Dir() + "x.rvf", RampSignal(5)));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_settingsDir.Path());
    env.insert(QStringLiteral("ONDREL_REQUEST_CHANNEL"), channel);
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(QStringLiteral(ONDREL_EXE), {"--datafile", Dir() + "x.rvf"});
    ASSERT_TRUE(first.waitForStarted(10000));
    // The started program stays and listens: a later request reaches it.
    bool delivered = false;
    for (int i = 0; i < 200 && !delivered; ++i) {
        delivered = SendRequests(channel, {QStringLiteral("[DataFile(%1)]").arg(Dir() + "x.rvf")}, 500);
        if (!delivered)
            QTest::qWait(50);
    }
    EXPECT_TRUE(delivered);
    EXPECT_EQ(first.state(), QProcess::Running);
    first.kill();
    first.waitForFinished(5000);
}

TEST_F(RequestChannelTest, AChannelLeftBehindIsTakenOver)
{
    // A program that ended without closing leaves its socket file behind; a
    // new server must not be locked out by it.
    QFile stale(QDir::tempPath() + QLatin1Char('/') + channel);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    CRequestServer server([](const QString&) {});
    ASSERT_TRUE(server.Listen(channel));
    // Regression: a second server took the channel from the running one.
    CRequestServer second([](const QString&) {});
    EXPECT_FALSE(second.Listen(channel));
}
