#pragma once
// The main window over a fresh demo data set, with settings of its own.
#include "CMainFrame.h"
#include "OndrelDoc.h"
#include "TestApp.h"

#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <memory>

class DemoWindowTest : public WidgetTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(settingsDir.isValid());
        ASSERT_TRUE(dataDir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir.path());
        QSettings("Zelnor", "Ondrel").clear();
        ASSERT_EQ(QProcess::execute(QStringLiteral(KALVIO_PROGRAM), {"demo", dataDir.path()}), 0);

        doc = std::make_unique<COndrelDoc>();
        frame = std::make_unique<CMainFrame>(doc.get());
        doc->OnNewDocument();
        frame->show();
    }

    // The demo data directory, ending in "/".
    QString Dir() const { return dataDir.path() + QStringLiteral("/"); }

    QTemporaryDir settingsDir;
    QTemporaryDir dataDir;
    std::unique_ptr<COndrelDoc> doc;
    std::unique_ptr<CMainFrame> frame;
};
