#pragma once
// The main window over a fresh demo data set, with settings of its own.
#include "CMainFrame.h"
#include "OndrelDoc.h"
#include "SupportWidgets.h"

#include <QProcess>
#include <QTemporaryDir>

#include <memory>

class DemoWindowTest : public WidgetTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(settings.IsValid());
        ASSERT_TRUE(dataDir.isValid());
        ASSERT_EQ(QProcess::execute(QStringLiteral(KALVIO_PROGRAM), {"demo", dataDir.path()}), 0);

        doc = std::make_unique<COndrelDoc>();
        frame = std::make_unique<CMainFrame>(doc.get());
        doc->OnNewDocument();
        frame->show();
    }

    // The demo data directory, ending in "/".
    QString Dir() const { return dataDir.path() + QStringLiteral("/"); }

    TempSettings settings;
    QTemporaryDir dataDir;
    std::unique_ptr<COndrelDoc> doc;
    std::unique_ptr<CMainFrame> frame;
};
