// The library's results as the typed objects of kalvio.results, made from
// the result structures themselves.
#include "PyResults.h"

#include "AssessReport.h"

#include <pybind11/stl.h>

#include <cmath>

namespace {

// A text of the library: bytes that are no UTF-8 (header texts) are replaced.
py::str Text(const std::string& bytes)
{
    return py::reinterpret_steal<py::str>(
        PyUnicode_DecodeUTF8(bytes.data(), static_cast<Py_ssize_t>(bytes.size()), "replace"));
}

py::object TextOrNone(const std::string& bytes)
{
    return bytes.empty() ? py::none() : py::object(Text(bytes));
}

py::object Number(const std::optional<double>& v)
{
    return v && std::isfinite(*v) ? py::object(py::float_(*v)) : py::none();
}

py::object Verdict(const std::optional<bool>& pass)
{
    return pass ? py::object(py::str(*pass ? "pass" : "fail")) : py::none();
}

py::tuple Texts(const std::vector<std::string>& list)
{
    py::tuple out(list.size());
    for (size_t i = 0; i < list.size(); ++i)
        out[i] = Text(list[i]);
    return out;
}

py::tuple Pairs(const std::vector<std::pair<double, double>>& list)
{
    py::tuple out(list.size());
    for (size_t i = 0; i < list.size(); ++i)
        out[i] = py::make_tuple(list[i].first, list[i].second);
    return out;
}

template <class T, class F>
py::tuple Each(const std::vector<T>& list, F make)
{
    py::tuple out(list.size());
    for (size_t i = 0; i < list.size(); ++i)
        out[i] = make(list[i]);
    return out;
}

// A band of a sliding scale, else a rating of a rating protocol, by name.
py::object BandOrRating(const std::optional<Assess::Band>& band, const std::optional<Assess::Rating>& rating)
{
    if (band)
        return py::str(Assess::BandName(*band));
    return rating ? py::object(py::str(Assess::RatingName(*rating))) : py::none();
}

py::object Integer(const std::optional<int>& v)
{
    return v ? py::object(py::int_(*v)) : py::none();
}

py::object Results()
{
    return py::module_::import("kalvio.results");
}

py::object CriterionScore(const py::object& r, const Assess::CriterionResult& c)
{
    using namespace Assess;
    py::object exceedance = py::none();
    if (!c.curve.empty()) {
        const ExceedanceJudgement e = c.exceedance.value_or(ExceedanceJudgement{});
        exceedance = r.attr("Exceedance")(Pairs(c.curve), e.judged, e.level, e.duration, Number(e.allowed),
                                          Number(e.margin));
    }
    const py::tuple channels = Each(c.channels, [&](const ChannelUse& u) {
        return r.attr("ChannelUse")(Text(u.code), Text(u.name), Text(u.path), Text(u.filter));
    });
    py::dict k;
    k["criterion"] = Text(c.criterion);
    k["title"] = Text(CriterionTitle(c));
    k["value"] = c.status == Status::NotAvailable ? py::none() : Number(c.value);
    k["unit"] = Text(c.unit);
    k["t1"] = Number(c.t1);
    k["t2"] = Number(c.t2);
    k["limit"] = Number(c.limit);
    k["hpl"] = Number(c.hpl);
    k["lpl"] = Number(c.lpl);
    k["capping"] = Number(c.capping);
    k["score"] = Number(c.score);
    k["max_score"] = Number(c.maxScore);
    k["band_score"] = Number(c.bandScore);
    k["band"] = BandOrRating(c.band, c.rating);
    k["band_colour"] = c.band ? py::object(py::str(BandColour(*c.band))) : py::none();
    k["risk"] = c.byRisk ? Number(c.risk) : py::none();
    k["rating_bounds"] = py::tuple(py::cast(c.ratingBounds));
    k["verdict"] = Verdict(c.pass);
    k["status"] = py::str(StatusName(c.status));
    k["reason"] = TextOrNone(c.reason);
    k["channels"] = channels;
    k["filter"] = c.filterClass ? py::object(py::int_(c.filterClass)) : py::none();
    k["capped"] = c.capped;
    k["modifier"] = c.isModifier;
    k["points_taken"] = Number(c.pointsTaken);
    k["input"] = TextOrNone(c.input);
    k["exceedance"] = exceedance;
    k["notes"] = Texts(c.notes);
    return r.attr("CriterionScore")(**k);
}

} // namespace

py::object PyCheckFinding(const Kalvio::CheckFinding& f, const py::object& code, const py::object& file)
{
    const py::object r = Results();
    const py::str kind(Kalvio::CheckKindName(f.kind)), severity(Kalvio::CheckVerdictName(f.severity));
    if (code.is_none())
        return r.attr("Finding")(kind, severity, Text(f.message), f.t1, f.t2);
    return r.attr("ChannelFinding")(kind, severity, Text(f.message), f.t1, f.t2, code, file);
}

py::object PyRatingResult(const Kalvio::CurveRating& rating, const std::string& reference,
                          const std::string& comparison, double secondsPerUnit)
{
    const py::object r = Results();
    // Times in seconds as the library has them; converted ones without the last bits of rounding.
    const auto seconds = [secondsPerUnit](double t) {
        return secondsPerUnit == 1 ? t : Kalvio::RatingRound(t * secondsPerUnit);
    };
    return r.attr("Rating")(Text(reference), Text(comparison), rating.rating, rating.corridor, rating.phase,
                            rating.magnitude, rating.slope, seconds(rating.shift),
                            py::make_tuple(seconds(rating.from), seconds(rating.to)), rating.resampled);
}

py::object PyCriterionResult(const Criteria::Outcome& o)
{
    using namespace Criteria;
    const py::object r = Results();
    const py::tuple inputs = Each(o.inputInfo, [&](const InputInfo& in) {
        return r.attr("CriterionInput")(Text(in.label), Text(in.path), Text(in.description), Text(in.axis),
                                        in.filterClass ? py::object(py::int_(in.filterClass)) : py::none(),
                                        Text(in.filter), TextOrNone(in.units), Text(in.criterionUnit));
    });
    const py::tuple values = Each(o.values, [&](const ResultValue& v) {
        const py::object t1 = v.hasTime ? py::object(py::float_(v.t1)) : py::none();
        const py::object t2 = v.hasTime ? py::object(py::float_(v.t2)) : py::none();
        return r.attr("CriterionValue")(Text(v.key), v.value, Text(v.unit), t1, t2, Pairs(v.intervals),
                                        v.hasLimit ? py::object(py::float_(v.limit)) : py::none(),
                                        v.hasLimit ? py::object(py::bool_(v.Pass())) : py::none(), Text(v.detail));
    });
    return r.attr("CriterionResult")(Text(o.def->program), Text(o.def->title), Text(o.dummy->key),
                                     Text(o.dummy->name), inputs, values, Texts(o.notes),
                                     o.HasLimit() ? py::object(py::bool_(o.Pass())) : py::none());
}

py::object PyAssessmentResult(const Assess::Assessment& a)
{
    using namespace Assess;
    const py::object r = Results();
    const Protocol& p = a.protocol;
    const bool scored = p.scoring == Scoring::SlidingScale, risk = p.scoring == Scoring::Risk;
    const auto scoredNumber = [scored](const std::optional<double>& v) { return scored ? Number(v) : py::none(); };
    const auto score = [&r](const CriterionResult& c) { return CriterionScore(r, c); };
    const py::tuple inputs = Each(a.inputs, [&](const InputUse& in) {
        const py::object value = in.isNumber ? py::object(py::float_(in.value)) : py::object(py::bool_(in.value != 0));
        return r.attr("InputValue")(Text(in.name), value, Text(in.unit), Text(in.source), Text(in.meaning));
    });
    const py::tuple occupants = Each(a.occupants, [&](const OccupantResult& o) {
        const py::tuple regions = Each(o.regions, [&](const RegionResult& g) {
            std::vector<CriterionResult> all = g.criteria;
            all.insert(all.end(), g.modifiers.begin(), g.modifiers.end());
            return r.attr("RegionResult")(Text(g.region), scoredNumber(g.score),
                                          scored ? py::object(py::float_(g.maxScore)) : py::none(),
                                          scoredNumber(g.bandScore), BandOrRating(g.band, g.rating),
                                          risk ? Number(g.risk) : py::none(),
                                          p.scoring == Scoring::PassFail ? Verdict(g.pass) : py::none(),
                                          Each(all, score));
        });
        return r.attr("Occupant")(py::str(std::string(1, o.position)), Text(o.label), Text(o.dummy),
                                  Text(o.dummyName), TextOrNone(o.verdict), scoredNumber(o.score),
                                  scored ? py::object(py::float_(o.maxScore)) : py::none(), scoredNumber(o.bandScore),
                                  TextOrNone(o.capped), risk ? Number(o.risk) : py::none(),
                                  risk ? Number(o.relativeRisk) : py::none(), risk ? Integer(o.stars) : py::none(),
                                  regions, Each(o.modifiers, score), Texts(o.notes));
    });
    const py::object vehicle =
        risk ? r.attr("Vehicle")(Number(a.relativeRisk), Integer(a.stars), TextOrNone(a.vehicleReason)) : py::none();
    return r.attr("Assessment")(r.attr("ProtocolInfo")(Text(p.id), Text(p.name), Text(p.version), Text(p.source)),
                                Text(a.test), inputs, occupants, vehicle, Texts(a.warnings));
}
