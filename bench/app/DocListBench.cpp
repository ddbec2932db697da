// The document's file list over a directory of 10,000 signal files: listing
// must not read the files, and a selection change loads only the newly
// selected ones.
#include "KVFileRvf.h"
#include "KVSignal.h"
#include "ListCommands.h"
#include "OndrelDoc.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int kFiles = 10000;

// A directory of kFiles small RVF-1992 files, made once for every benchmark.
class SignalDirectory {
public:
    SignalDirectory()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settings.path());
        KVSignal s;
        s.Allocate(1000);
        for (size_t i = 0; i < 1000; ++i)
            s.SetPoint(float(i) * 0.0001f, float(i % 17), i);
        s.SetNlp(999);
        s.SetDel(0.0001f);
        s.SetXUnits("SECONDS");
        s.UpdateExtremes();
        s.SetHasData(true);
        for (int k = 0; k < kFiles; ++k) {
            const QString path = m_dir.path() + QStringLiteral("/s%1.rvf").arg(k, 5, 10, QLatin1Char('0'));
            KVFileRvf(QFile::encodeName(path).toStdString()).Store(s);
        }
    }
    QString Dir() const { return m_dir.path() + QLatin1Char('/'); }

private:
    QTemporaryDir m_settings;
    QTemporaryDir m_dir;
};

const SignalDirectory& Files()
{
    static const SignalDirectory files;
    return files;
}

std::unique_ptr<COndrelDoc> BrowsingDoc()
{
    auto doc = std::make_unique<COndrelDoc>();
    doc->BrowseDirectory(Files().Dir());
    ListCommands::Relist(*doc);
    return doc;
}

void BM_RelistDirectory(benchmark::State& state)
{
    auto doc = BrowsingDoc();
    for (auto _ : state) {
        ListCommands::Relist(*doc);
        benchmark::DoNotOptimize(doc->FileList().size());
    }
    state.counters["files"] = static_cast<double>(doc->FileList().size());
}
BENCHMARK(BM_RelistDirectory)->Unit(benchmark::kMillisecond);

// One more item selected while n are loaded: one file read, n names compared.
void BM_SelectOneMore(benchmark::State& state)
{
    auto doc = BrowsingDoc();
    const int loaded = static_cast<int>(state.range(0));
    QStringList selected = doc->FileList().mid(0, loaded);
    ListCommands::SelectionChanged(*doc, selected, true);
    QStringList withOne = selected;
    withOne.append(doc->FileList()[loaded]);
    for (auto _ : state) {
        ListCommands::SelectionChanged(*doc, withOne, true);
        state.PauseTiming();
        ListCommands::SelectionChanged(*doc, selected, false);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SelectOneMore)->Arg(1)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

// Selecting the whole list at once: every file read once.
void BM_SelectAll(benchmark::State& state)
{
    auto doc = BrowsingDoc();
    for (auto _ : state) {
        ListCommands::SelectionChanged(*doc, doc->FileList(), true);
        state.PauseTiming();
        ListCommands::SelectionChanged(*doc, {}, false);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SelectAll)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

BENCHMARK_MAIN();
