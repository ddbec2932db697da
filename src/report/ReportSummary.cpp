// The summary pages of the report: per occupant a table of regions and
// criteria with the tests side by side, the reasons of what is n/a, the totals
// and the inputs that are no curves.
#include "AssessReport.h"
#include "ReportParts.h"

#include <algorithm>

namespace Report::Detail {

using Assess::CriterionResult;

Cell CellOf(const Assess::Look& look)
{
    return {Q(look.text), look.fill ? ColourOf(*look.fill) : QColor(), look.strong};
}

Cell ResultCell(const CriterionResult& c, bool scored)
{
    return CellOf(Assess::CriterionLook(c, scored));
}

const Assess::OccupantResult* FindOccupant(const Assess::Assessment& a, char position)
{
    for (const Assess::OccupantResult& o : a.occupants)
        if (o.position == position)
            return &o;
    return nullptr;
}

const Assess::RegionResult* FindRegion(const Assess::Assessment& a, char position, const std::string& region)
{
    if (const Assess::OccupantResult* o = FindOccupant(a, position))
        for (const Assess::RegionResult& r : o->regions)
            if (r.region == region)
                return &r;
    return nullptr;
}

// The criterion (or modifier) of name in a region of occupant position, or null.
const CriterionResult* FindCriterion(const Assess::Assessment& a, char position, const std::string& region,
                                     const std::string& name)
{
    const Assess::RegionResult* r = FindRegion(a, position, region);
    if (!r)
        return nullptr;
    const CriterionResult* c = Assess::FindNamed(r->criteria, name);
    return c ? c : Assess::FindNamed(r->modifiers, name);
}

// The summary of every occupant: a table per occupant with the tests side by
// side (as many as fit across), the reasons of what is n/a, the totals.
void SummaryPages(CReportPage& page, const std::vector<TestData>& tests)
{
    const Assess::Assessment& first = tests.front().assessment;
    const bool scored = Scored(first.protocol);
    page.NewPage();
    page.Heading("Summary");
    // Criterion, unit, limit, then per test its value and result.
    // Narrow enough that two or three tests stand side by side in one table.
    const std::vector<double> fixedWidths = {tests.size() == 1 ? 145.0 : 105.0, 28, tests.size() == 1 ? 135.0 : 80.0};
    const double fixed = fixedWidths[0] + fixedWidths[1] + fixedWidths[2];
    const double perTest = tests.size() == 1 ? page.Width() - fixed : 100;
    const size_t across = std::max<size_t>(1, static_cast<size_t>((page.Width() - fixed) / perTest));
    for (const Assess::OccupantResult& occupant : first.occupants) {
        for (size_t from = 0; from < tests.size(); from += across) {
            const size_t to = std::min(tests.size(), from + across);
            page.Heading(QStringLiteral("Position %1 (%2, %3)")
                             .arg(QChar(occupant.position))
                             .arg(Q(occupant.label), Q(occupant.dummyName)),
                         12);
            page.OneLineRows();
            std::vector<double> widths = fixedWidths;
            std::vector<Cell> head = {{"criterion"}, {"unit"}, {scored ? "HPL / LPL" : "limit"}};
            for (size_t t = from; t < to; ++t) {
                const double w = (page.Width() - fixed) / double(to - from);
                widths.push_back(w * 0.38);
                widths.push_back(w * 0.62);
                const QString name = Q(tests[t].assessment.test);
                head.push_back({tests.size() == 1 ? "value" : name + " value"});
                head.push_back({scored ? "points" : "verdict"});
            }
            page.Row(widths, head, true);
            std::vector<QString> reasons;
            // One row per criterion of the first test, with each test's
            // value and result as find picks it from that test.
            const auto criterionRows = [&](const std::vector<const CriterionResult*>& rows, const auto& find) {
                for (const CriterionResult* c0 : rows) {
                    std::vector<Cell> cells = {{Q(Assess::CriterionTitle(*c0))}, {Q(c0->unit)}, {Q(Assess::CriterionLimitText(*c0))}};
                    for (size_t t = from; t < to; ++t) {
                        const CriterionResult* c = find(tests[t].assessment, c0->criterion);
                        if (!c) {
                            cells.push_back({"-"});
                            cells.push_back({"n/a", kNotAvailable});
                            continue;
                        }
                        cells.push_back({Q(Assess::CriterionValueText(*c))});
                        cells.push_back(ResultCell(*c, scored));
                        // The reason, the exceedance judgement, the channels filtered and their warnings.
                        std::string lines = Assess::ReasonText(*c);
                        for (const std::string& line : Assess::DetailLines(*c))
                            lines += (lines.empty() ? "" : "; ") + line;
                        if (!lines.empty())
                            reasons.push_back(QStringLiteral("%1%2: %3")
                                                  .arg(tests.size() > 1 ? Q(tests[t].assessment.test) + " " : "")
                                                  .arg(Q(Assess::CriterionTitle(*c)))
                                                  .arg(Q(lines)));
                    }
                    page.Row(widths, cells);
                }
            };
            for (const Assess::RegionResult& region : occupant.regions) {
                std::vector<Cell> regionRow = {{Q(region.region), {}, true}, {}, {}};
                for (size_t t = from; t < to; ++t) {
                    const Assess::RegionResult* r = FindRegion(tests[t].assessment, occupant.position, region.region);
                    regionRow.push_back({});
                    regionRow.push_back(CellOf(Assess::RegionLook(r, scored)));
                }
                page.Row(widths, regionRow);
                std::vector<const CriterionResult*> rows;
                for (const CriterionResult& c : region.criteria)
                    rows.push_back(&c);
                for (const CriterionResult& c : region.modifiers)
                    rows.push_back(&c);
                criterionRows(rows, [&](const Assess::Assessment& a, const std::string& name) {
                    return FindCriterion(a, occupant.position, region.region, name);
                });
            }
            // The modifiers of the total (occupant load criterion, a door that opened).
            if (!occupant.modifiers.empty()) {
                std::vector<Cell> heading(widths.size());
                heading[0] = {"modifiers of the total", {}, true};
                page.Row(widths, heading);
                std::vector<const CriterionResult*> rows;
                for (const CriterionResult& c : occupant.modifiers)
                    rows.push_back(&c);
                criterionRows(rows, [&](const Assess::Assessment& a, const std::string& name) {
                    const Assess::OccupantResult* o = FindOccupant(a, occupant.position);
                    return o ? Assess::FindNamed(o->modifiers, name) : nullptr;
                });
            }
            std::vector<Cell> total = {{scored ? "total" : "verdict", {}, true}, {}, {}};
            std::vector<QString> notes; // why a total is what it is
            for (size_t t = from; t < to; ++t) {
                const Assess::OccupantResult* o = FindOccupant(tests[t].assessment, occupant.position);
                Cell cell = CellOf(Assess::TotalLook(o, scored));
                if (o && scored && o->bandScore)
                    cell.text += Q(" (2026: " + Assess::Fixed(*o->bandScore, 2) + ")");
                if (o && !Assess::TotalNote(*o).empty())
                    notes.push_back((tests.size() > 1 ? Q(tests[t].assessment.test) + " " : QString())
                                    + (scored ? "total: " : "verdict: ") + Q(Assess::TotalNote(*o)));
                total.push_back({});
                total.push_back(cell);
            }
            page.Row(widths, total);
            page.Space(4);
            for (const QString& n : notes)
                page.Paragraph(n, 8.5, QColor(40, 40, 40), 8);
            for (const QString& r : reasons)
                page.Paragraph(r, 8, QColor(90, 90, 90), 8);
            if (scored && tests.size() == 1) {
                // The bands from 2026: the points each band gives, beside the straight line.
                QString bands;
                for (const Assess::RegionResult& r : occupant.regions)
                    if (r.bandScore)
                        bands += QStringLiteral("%1%2 %3").arg(bands.isEmpty() ? "" : ", ", Q(r.region),
                                                               Q(Assess::Fixed(*r.bandScore, 2)));
                if (!bands.isEmpty())
                    page.Paragraph("Points by colour band (from 2026): " + bands, 8, QColor(60, 60, 60), 8);
            }
            page.Space(8);
        }
    }
    // The observations that are no curves, with their source.
    bool any = false;
    for (const TestData& t : tests)
        any = any || !t.assessment.inputs.empty();
    if (any) {
        page.Heading("Inputs that are not curves", 12);
        for (const TestData& t : tests)
            for (const Assess::InputUse& in : t.assessment.inputs)
                page.Paragraph(QStringLiteral("%1%2 = %3 (%4)%5")
                                   .arg(tests.size() > 1 ? Q(t.assessment.test) + ": " : "")
                                   .arg(Q(in.name))
                                   .arg(Q(Assess::InputValueText(in)))
                                   .arg(Q(in.source))
                                   .arg(in.meaning.empty() ? "" : ": " + Q(in.meaning)),
                               9);
    }
    for (const TestData& t : tests)
        for (const std::string& w : t.assessment.warnings)
            page.Paragraph(Q("warning (" + t.assessment.test + "): " + w), 8.5, QColor(120, 60, 0));
}

} // namespace Report::Detail
