#include "PlotBatch.h"

#include "CGraph.h"
#include "GraphPictures.h"
#include "OndrelDoc.h"
#include "PictureRules.h"


namespace {

void Pump(const CBatchHooks& hooks)
{
    if (hooks.pump)
        hooks.pump();
}

// Makes the picture of the plot as it now stands; false with the reason.
bool MakePicture(CGraph& graph, const CBatchJob& job, const QString& picture, QString& error)
{
    switch (job.kind) {
    case CBatchJob::EKind::Print:
        return PrintGraphDirect(graph, &error);
    case CBatchJob::EKind::Svg:
        return SaveGraphSvg(graph, picture, job.size.width(), job.size.height(), &error);
    case CBatchJob::EKind::Jpeg:
        break;
    }
    return SaveGraphJpeg(graph, picture, job.size.width(), job.size.height(), &error);
}

// Gives the document its loaded state back however the run ends.
class CKeepLoaded {
public:
    explicit CKeepLoaded(COndrelDoc& doc) : m_doc(doc), m_state(doc.PutLoadedAside()) {}
    ~CKeepLoaded() { m_doc.RestoreLoaded(std::move(m_state)); }
    CKeepLoaded(const CKeepLoaded&) = delete;
    CKeepLoaded& operator=(const CKeepLoaded&) = delete;

private:
    COndrelDoc& m_doc;
    COndrelDoc::CLoadedState m_state;
};

} // namespace

CBatchResult RunPlotBatch(COndrelDoc& doc, const CBatchJob& job, const CBatchHooks& hooks)
{
    CBatchResult result;
    const CKeepLoaded keep(doc);
    const QStringList files = doc.FileList();
    const bool svg = job.kind == CBatchJob::EKind::Svg;
    for (int i = 0; i < files.size(); ++i) {
        // A file that does not load would otherwise be pictured with the
        // previous file's data. Its reason is collected, not shown: a batch
        // over a long list must not stop at a message box per bad file.
        QString why;
        if (!doc.LoadAlone(files[i], &why)) {
            result.failures << QStringLiteral("%1 - not loaded, no picture made%2")
                                   .arg(files[i], why.isEmpty() ? QString() : QStringLiteral(": ") + why);
            continue;
        }
        // With one point the plot would keep the previous file's picture.
        if (doc.Loaded().MaxPoints() < 2) {
            ++result.skipped;
            continue;
        }
        doc.UpdateLabels();
        CGraph* graph = hooks.plot();
        Pump(hooks);

        const QString picture = BatchPictureName(job.directory, files[i], i, svg);
        QString error;
        if (!graph || !MakePicture(*graph, job, picture, error)) {
            const QString what = job.kind == CBatchJob::EKind::Print ? files[i] : picture;
            result.failures << QStringLiteral("%1 - %2").arg(what, error);
        } else {
            ++result.done;
        }
        Pump(hooks);
        const bool goOn = !hooks.step || hooks.step(i, files[i]);
        Pump(hooks);
        if (!goOn) {
            result.cancelled = true;
            break;
        }
    }
    return result;
}
