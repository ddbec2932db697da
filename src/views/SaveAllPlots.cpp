#include "SaveAllPlots.h"

#include "CConsoleDocUi.h"
#include "CPlotView.h"
#include "CProgressDlg.h"
#include "ListCommands.h"
#include "OndrelDoc.h"
#include "OndrelSettings.h"
#include "PictureRules.h"
#include "PlotBatch.h"

#include <QApplication>
#include <QDir>
#include <QRegularExpression>

namespace {

const QString kCommand = QStringLiteral("--save-all-plots");

// An SVG of 1 mm to 1 m a side.
constexpr int kSvgMinimum = 100;
constexpr int kSvgMaximum = 100000;

bool ParseSize(const QString& text, bool svg, QSize& size, QString& error)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,6})[xX](\\d{1,6})$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch()) {
        error = QStringLiteral("The size %1 is not of the form WIDTHxHEIGHT").arg(text);
        return false;
    }
    const int w = m.captured(1).toInt();
    const int h = m.captured(2).toInt();
    if (svg) {
        if (w < kSvgMinimum || w > kSvgMaximum || h < kSvgMinimum || h > kSvgMaximum) {
            error = QStringLiteral("Svg sizes must be between %1 and %2 (1/100 mm)").arg(kSvgMinimum).arg(kSvgMaximum);
            return false;
        }
    } else {
        const CImageSizeCheck check = CheckImageSize(w, h);
        if (!check.ok) {
            error = check.message;
            return false;
        }
    }
    size = QSize(w, h);
    return true;
}

// The option's value, or false with a message when the arguments end.
bool TakeValue(const QStringList& args, int& i, QString& value, QString& error)
{
    if (i + 1 >= args.size()) {
        error = QStringLiteral("%1 needs a value").arg(args[i]);
        return false;
    }
    value = args[++i];
    return true;
}

} // namespace

QString SaveAllPlotsUsage()
{
    return QStringLiteral(
        "usage: ondrel --save-all-plots jpg|svg DIR [--size WxH] [--multi-line-title] [--line-style N] FILE...\n"
        "  Saves one numbered picture per signal file into DIR (FILE_000.jpg, ...), as Save All Plots does.\n"
        "  --size WxH          pixels for jpg (32 to 2000, default 320x240), 1/100 mm for svg (default 10000x5000)\n"
        "  --multi-line-title  the nine-line title block instead of title and subtitle\n"
        "  --line-style N      0 alternate line types (default), 1 thin, 2 medium, 3 thick solid lines\n"
        "  The stored plot settings are not read, so a script gets the same pictures everywhere.");
}

bool IsSaveAllPlotsCommand(const QStringList& args) { return args.contains(kCommand); }

bool ParseSaveAllPlotsArgs(const QStringList& args, CSaveAllPlotsOptions& options, QString& error)
{
    CSaveAllPlotsOptions o;
    QString kind;
    QString sizeText;
    bool sawCommand = false;
    bool optionsEnd = false;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (optionsEnd || !a.startsWith(QLatin1Char('-'))) {
            o.files << a;
        } else if (a == QLatin1String("--")) {
            optionsEnd = true;
        } else if (a == kCommand) {
            if (i + 2 >= args.size()) {
                error = QStringLiteral("%1 needs the picture kind (jpg or svg) and a directory").arg(kCommand);
                return false;
            }
            sawCommand = true;
            kind = args[++i].toLower();
            o.directory = args[++i];
        } else if (a == QLatin1String("--size")) {
            if (!TakeValue(args, i, sizeText, error))
                return false;
        } else if (a == QLatin1String("--multi-line-title")) {
            o.multiLineTitle = true;
        } else if (a == QLatin1String("--line-style")) {
            QString value;
            if (!TakeValue(args, i, value, error))
                return false;
            bool ok = false;
            o.lineStyle = value.toInt(&ok);
            if (!ok || o.lineStyle < 0 || o.lineStyle > 3) {
                error = QStringLiteral("The line style must be 0, 1, 2 or 3, not %1").arg(value);
                return false;
            }
        } else {
            error = QStringLiteral("Unknown option %1").arg(a);
            return false;
        }
    }
    if (!sawCommand) {
        error = QStringLiteral("%1 is missing").arg(kCommand);
        return false;
    }
    if (kind != QLatin1String("jpg") && kind != QLatin1String("svg")) {
        error = QStringLiteral("The picture kind must be jpg or svg, not %1").arg(kind);
        return false;
    }
    o.svg = kind == QLatin1String("svg");
    o.directory = OndrelSettings::NormaliseDirectory(o.directory);
    if (o.directory.isEmpty() || !QDir(o.directory).exists()) {
        error = QStringLiteral("The directory %1 does not exist").arg(o.directory);
        return false;
    }
    o.size = BatchSizeForChoice(o.svg, 0);
    if (!sizeText.isEmpty() && !ParseSize(sizeText, o.svg, o.size, error))
        return false;
    if (o.files.isEmpty()) {
        error = QStringLiteral("No signal files given");
        return false;
    }
    options = o;
    return true;
}

int RunSaveAllPlots(const QStringList& args)
{
    CConsoleDocUi ui;
    CSaveAllPlotsOptions o;
    QString error;
    if (!ParseSaveAllPlotsArgs(args, o, error)) {
        ui.Line(error);
        ui.Line(SaveAllPlotsUsage());
        return 2;
    }
    COndrelDoc doc(&ui);
    ListCommands::AddNames(doc, o.files); // hitlist mode; a test given by its .mme, folder or .zip: its channels
    COptionsValues options = doc.Options();
    options.lineStyle = o.lineStyle;
    doc.SetOptions(options);
    CPlotView view(&doc);
    view.SetShortHeader(!o.multiLineTitle);

    CBatchJob job;
    job.kind = o.svg ? CBatchJob::EKind::Svg : CBatchJob::EKind::Jpeg;
    job.directory = o.directory;
    job.size = o.size;
    const int count = static_cast<int>(doc.FileList().size());
    CBatchHooks hooks;
    hooks.plot = [&view] {
        view.OnUpdate(HINT_BATCH_PLOT);
        return view.Graph();
    };
    hooks.step = [&](int index, const QString& file) {
        const int percent = ProgressPercent(index + 1, count, 0);
        ui.Line(ProgressCaption(QStringLiteral("Saving All Rvf Plots"), percent) + QLatin1Char(' ') +
                BatchPictureName(o.directory, file, index, o.svg));
        return true;
    };
    const CBatchResult result = RunPlotBatch(doc, job, hooks);
    ui.ShowErrorsAndWarnings(result.failures);
    ui.Line(QStringLiteral("%1 pictures written, %2 files without data, %3 failed")
                .arg(result.done)
                .arg(result.skipped)
                .arg(result.failures.size()));
    return result.failures.isEmpty() ? 0 : 1;
}

int SaveAllPlotsMain(int argc, char** argv)
{
    // No display is needed: the pictures are drawn offscreen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return RunSaveAllPlots(QApplication::arguments().mid(1));
}
