#include "ViewTestSupport.h"

#include "KVFileRvf.h"
#include "ListCommands.h"

#include <QFile>

#include <cmath>

void ViewTest::SetUp()
{
    EnsureApplication();
    ASSERT_TRUE(m_settings.IsValid());
    ASSERT_TRUE(m_dir.isValid());
    m_doc = std::make_unique<COndrelDoc>(&m_ui);
    m_doc->SwitchToHitMode();
}

QString ViewTest::WriteRvf(const QString& name, const KVSignal& s)
{
    const QString path = Path(name);
    EXPECT_TRUE(SaveSignalAsRvf(s, path.toStdString())) << name.toStdString();
    return path;
}

QString ViewTest::WriteText(const QString& name, const QByteArray& text)
{
    const QString path = Path(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(text) == text.size()) << name.toStdString();
    return path;
}

KVSignal ViewTest::Pulse(size_t n, float k)
{
    KVSignal s = MakeSignal(n, 0.0f, 0.0001f, [k](size_t i) {
        const float t = float(i) * 0.0001f;
        return k * 40.0f * std::sin(t * 60.0f) * std::exp(-t * 10.0f);
    });
    s.SetNfp(0);
    s.SetNlp(static_cast<int>(n) - 1);
    s.SetDel(0.0001f);
    s.SetXType("TIME");
    s.SetXUnits("SECONDS");
    s.SetYType("ACCELERATION");
    s.SetYUnits("G");
    s.SetTestSource("VEHICLE DB");
    s.SetCurveText("DRIVER HEAD ACCELERATION");
    s.UpdateExtremes();
    return s;
}

void ViewTest::Load(const QStringList& paths)
{
    ListCommands::SelectionChanged(*m_doc, paths, true);
    ASSERT_EQ(m_doc->Signals().size(), static_cast<size_t>(paths.size())) << m_ui.messages.join('\n').toStdString();
}
