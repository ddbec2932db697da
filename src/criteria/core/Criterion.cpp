#include "Criterion.h"

#include "KVFilterClass.h"
#include "KVPrintableName.h"

#include "Bric.h"
#include "Clip3ms.h"
#include "Hic.h"
#include "KVErrorList.h"
#include "NeckCriteria.h"
#include "Olc.h"
#include "TibiaIndex.h"
#include "ViscousCriterion.h"

#include <cmath>
#include <cstdio>

namespace Criteria {

namespace {

const char* const kScope = "Criteria::Evaluate";
constexpr double kClipDuration = 0.003;

using Q = Quantity;

std::string Format(const char* format, double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

std::string FilterText(int filterClass, float cutOff)
{
    if (KVIsChannelClass(filterClass))
        return KVChannelClassText(filterClass);
    switch (filterClass) {
    case 0:
        return "filter unknown";
    case 1003:
        return "FIR100";
    default:
        return cutOff > 0 ? "filtered at " + Format("%g", cutOff) + " Hz, no channel class" : "no channel class";
    }
}

std::string ExpectedClasses(const CriterionDef& def)
{
    std::string s = KVChannelClassText(def.filterClasses[0]);
    if (def.filterClasses[1] != 0)
        s += " or " + KVChannelClassText(def.filterClasses[1]);
    return s;
}

// Reports each input and warns about a filter class the criterion is not
// defined on; the data are used as they are.
void DescribeInputs(const CriterionDef& def, const std::vector<Channel>& inputs, Outcome& out)
{
    for (size_t i = 0; i < inputs.size(); ++i) {
        const Channel& c = inputs[i];
        const std::string label = inputs.size() == 3 ? def.labels[i] : def.singleLabel;
        const std::string filter = FilterText(c.filterClass, c.cutOff);
        out.inputLines.push_back(label + ": " + KVPrintableName(c.path) + " (" + (c.units.empty() ? "no units" : c.units) + ", "
                                 + filter + ")");
        out.inputInfo.push_back({label, c.path, c.description, c.axis, c.units, c.filterClass, filter,
                                 UnitName(c.quantity)});
        for (const std::string& note : c.notes)
            out.notes.push_back(note);
        const bool expected = c.filterClass == def.filterClasses[0]
                              || (def.filterClasses[1] != 0 && c.filterClass == def.filterClasses[1]);
        if (!expected)
            out.notes.push_back("warning: " + c.path + ": " + filter + ", but " + def.title + " is defined on "
                                + ExpectedClasses(def) + " data (no filter is applied here)");
        if (inputs.size() == 3 && (c.axis.empty() || c.axis[0] != "XYZ"[i]))
            out.notes.push_back("warning: " + c.path + " has axis \"" + c.axis + "\" where " + "XYZ"[i]
                                + " was expected");
        out.inputs.push_back({label, UnitName(c.quantity), c.t0, c.dt, c.y});
    }
}

ResultValue Value(const std::string& name, const char* key, double value, const char* unit, int decimals,
                  double limit)
{
    ResultValue r;
    r.name = name;
    r.key = key;
    r.value = value;
    r.unit = unit;
    r.decimals = decimals;
    r.hasLimit = true;
    r.limit = limit;
    return r;
}

void SetTime(ResultValue& r, const Channel& grid, size_t i1, size_t i2)
{
    r.hasTime = true;
    r.t1 = grid.TimeAt(i1);
    r.t2 = grid.TimeAt(i2);
}

bool Fail(KVErrorList& errors, const std::string& message)
{
    errors.AddError(message, kScope);
    return false;
}

std::string DummiesWith(bool (*has)(const DummyInfo&))
{
    std::string keys;
    for (const DummyInfo& d : Dummies())
        if (has(d))
            keys += (keys.empty() ? "" : ", ") + std::string(d.key);
    return keys;
}

bool NoConstants(KVErrorList& errors, const CriterionDef& def, const DummyInfo& dummy,
                 bool (*has)(const DummyInfo&))
{
    return Fail(errors, std::string("no ") + def.title + " constants for the " + dummy.name
                            + "; choose one of: " + DummiesWith(has));
}

// The acceleration the head criteria use: the resultant of three axes, or a
// single channel by its magnitude so that a deceleration pulse counts too.
std::vector<double> HeadAcceleration(const std::vector<Channel>& inputs, Outcome& out)
{
    if (inputs.size() == 3) {
        std::vector<double> r = ResultantOf(inputs);
        out.inputs.push_back({"Resultant", "g", inputs[0].t0, inputs[0].dt, r});
        return r;
    }
    std::vector<double> a = inputs[0].y;
    bool negative = false;
    for (double& v : a) {
        negative = negative || v < 0;
        v = std::fabs(v);
    }
    if (negative)
        out.notes.push_back("note: the single channel is taken by its magnitude");
    return a;
}

bool EvaluateHic(const std::vector<Channel>& in, Outcome& out, KVErrorList&)
{
    const std::vector<double> a = HeadAcceleration(in, out);
    const std::vector<HicResult> hic = ComputeHic(a, in[0].dt, {0.015, 0.036});
    const char* names[2] = {"HIC15", "HIC36"};
    const double limits[2] = {kHic15Limit, kHic36Limit};
    for (size_t k = 0; k < 2; ++k) {
        ResultValue r = Value(names[k], names[k], hic[k].value, "", 1, limits[k]);
        if (hic[k].found) {
            SetTime(r, in[0], hic[k].i1, hic[k].i2);
            out.marks.push_back({names[k], r.t1, r.t2});
        } else {
            out.notes.push_back(std::string("note: no window with a positive mean acceleration; ") + names[k] + " is 0");
        }
        out.values.push_back(r);
    }
    return true;
}

bool EvaluateClip(const std::vector<Channel>& in, const EvaluateOptions& options, Outcome& out,
                  KVErrorList& errors)
{
    const std::vector<double> a = HeadAcceleration(in, out);
    const ClipResult clip = ComputeClip(a, in[0].dt, kClipDuration);
    const CumulativeClipResult cumulative = ComputeCumulativeClip(a, in[0].dt, kClipDuration);
    if (!clip.found || !cumulative.found)
        return Fail(errors, "too few samples: the input spans " + Format("%.2f", in[0].dt * double(a.size() - 1) * 1000)
                                + " ms, the 3 ms clip needs 3 ms");
    ResultValue r = Value("3ms clip", "clip3ms", clip.value, "g", 2, kClip3msLimit);
    SetTime(r, in[0], clip.i1, clip.i2);
    out.marks.push_back({"3 ms", r.t1, r.t2});
    ResultValue c = Value("3ms clip cumulative", "clip3ms_cumulative", cumulative.value, "g", 2, kClip3msLimit);
    SetTime(c, in[0], cumulative.runs.front().first, cumulative.runs.back().second);
    for (const auto& [i1, i2] : cumulative.runs)
        c.intervals.push_back({in[0].TimeAt(i1), in[0].TimeAt(i2)});
    // Plenty of marks would hide the curve, the first few show where it lies;
    // one interval that is the continuous window is marked once.
    const bool same = cumulative.runs.size() == 1 && cumulative.runs[0] == std::pair{clip.i1, clip.i2};
    for (size_t k = 0; k < c.intervals.size() && k < 8 && !same; ++k)
        out.marks.push_back({"cumulative " + std::to_string(k + 1), c.intervals[k].first, c.intervals[k].second});
    c.detail = std::to_string(c.intervals.size()) + (c.intervals.size() == 1 ? " interval" : " intervals");
    ResultValue& unjudged = options.clipCumulative ? r : c;
    unjudged.hasLimit = false;
    unjudged.detail += std::string(unjudged.detail.empty() ? "" : ", ") + "not judged";
    out.values.push_back(r);
    out.values.push_back(c);
    return true;
}

bool EvaluateNeck(const std::vector<Channel>& in, const DummyInfo& dummy, Outcome& out, KVErrorList& errors)
{
    const CriterionDef& def = *out.def;
    if (!dummy.neck)
        return NoConstants(errors, def, dummy, [](const DummyInfo& d) { return d.neck.has_value(); });
    const std::vector<double>& fz = in[0].y;
    const PeakResult peaks[2] = {PeakTension(fz), PeakCompression(fz)};
    const char* names[2] = {"tension", "compression"};
    const char* keys[2] = {"neck_tension", "neck_compression"};
    const double limits[2] = {dummy.neck->tension, dummy.neck->compression};
    for (size_t k = 0; k < 2; ++k) {
        ResultValue r = Value(names[k], keys[k], peaks[k].value, "N", 0, limits[k]);
        if (peaks[k].found) {
            SetTime(r, in[0], peaks[k].at, peaks[k].at);
            out.marks.push_back({names[k], r.t1, r.t1});
        }
        out.values.push_back(r);
    }
    return true;
}

bool EvaluateNij(const std::vector<Channel>& in, const DummyInfo& dummy, Outcome& out, KVErrorList& errors)
{
    const CriterionDef& def = *out.def;
    if (!dummy.nij)
        return NoConstants(errors, def, dummy, [](const DummyInfo& d) { return d.nij.has_value(); });
    const NijResult nij = ComputeNij(in[0].y, in[1].y, in[2].y, *dummy.nij);
    out.history = {"Nij", "", in[0].t0, in[0].dt, nij.history};
    for (size_t k = 0; k < 4; ++k) {
        ResultValue r = Value(kNijCaseNames[k], kNijCaseNames[k], nij.cases[k].value, "", 3, kNijLimit);
        if (nij.cases[k].found)
            SetTime(r, in[0], nij.cases[k].at, nij.cases[k].at);
        out.values.push_back(r);
    }
    ResultValue r = Value("Nij", "Nij", nij.overall.value, "", 3, kNijLimit);
    r.detail = kNijCaseNames[nij.overallCase];
    SetTime(r, in[0], nij.overall.at, nij.overall.at);
    out.marks.push_back({"Nij", r.t1, r.t1});
    out.values.push_back(r);
    return true;
}

bool EvaluateVc(const std::vector<Channel>& in, const DummyInfo& dummy, Outcome& out, KVErrorList& errors)
{
    const CriterionDef& def = *out.def;
    if (!dummy.vc)
        return NoConstants(errors, def, dummy, [](const DummyInfo& d) { return d.vc.has_value(); });
    const VcResult vc = ComputeVc(in[0].y, in[0].dt, dummy.vc->scale, dummy.vc->depth);
    if (!vc.peak.found)
        return Fail(errors, "too few samples: V*C needs at least 5, the input has " + std::to_string(in[0].y.size()));
    out.history = {"V*C", "m/s", in[0].t0, in[0].dt, vc.history};
    ResultValue r = Value("V*C", "VC", vc.peak.value, "m/s", 3, kVcLimit);
    SetTime(r, in[0], vc.peak.at, vc.peak.at);
    r.detail = "SF " + Format("%g", dummy.vc->scale) + ", D0 " + Format("%g", dummy.vc->depth) + " mm";
    out.marks.push_back({"V*C", r.t1, r.t1});
    out.values.push_back(r);
    return true;
}

bool EvaluateTibia(const std::vector<Channel>& in, const DummyInfo& dummy, Outcome& out, KVErrorList& errors)
{
    const CriterionDef& def = *out.def;
    if (!dummy.tibia)
        return NoConstants(errors, def, dummy, [](const DummyInfo& d) { return d.tibia.has_value(); });
    const TibiaResult ti = ComputeTibiaIndex(in[0].y, in[1].y, in[2].y, *dummy.tibia);
    out.history = {"TI", "", in[0].t0, in[0].dt, ti.history};
    ResultValue r = Value("TI", "TI", ti.peak.value, "", 3, kTibiaLimit);
    SetTime(r, in[0], ti.peak.at, ti.peak.at);
    r.detail = "Mc " + Format("%g", dummy.tibia->moment) + " N m, Fc " + Format("%g", dummy.tibia->force / 1000)
               + " kN";
    out.marks.push_back({"TI", r.t1, r.t1});
    out.values.push_back(r);
    return true;
}

bool EvaluateOlc(const std::vector<Channel>& in, const EvaluateOptions& options, Outcome& out, KVErrorList& errors)
{
    const Channel& c = in[0];
    double v0 = c.initialVelocity;
    std::string source = "the header";
    if (options.v0) {
        v0 = *options.v0;
        source = "--v0";
    }
    if (!(v0 > 0))
        return Fail(errors, "no initial velocity: " + c.path + " gives none in its header; give it with --v0 M/S");
    const OlcResult olc = ComputeOlc(c.y, c.dt, v0);
    if (!olc.found)
        return Fail(errors, olc.problem);
    if (olc.reversed)
        out.notes.push_back("note: the velocity change is positive, so the acceleration is taken with its sign "
                            "reversed (a deceleration stored as positive)");
    out.history = {"occupant displacement", "mm", c.t0, c.dt, olc.history};
    ResultValue r = Value("OLC", "OLC", olc.value, "g", 2, 0);
    r.hasLimit = false;
    r.hasTime = true;
    r.t1 = c.t0 + olc.t1;
    r.t2 = c.t0 + olc.t2;
    r.detail = "v0 " + Format("%g", v0) + " m/s (" + Format("%g", v0 * 3.6) + " km/h) from " + source;
    out.marks.push_back({"OLC", r.t1, r.t2});
    out.values.push_back(r);
    return true;
}

bool EvaluateBric(const std::vector<Channel>& in, const DummyInfo& dummy, Outcome& out, KVErrorList& errors)
{
    const CriterionDef& def = *out.def;
    if (!dummy.bric)
        return NoConstants(errors, def, dummy, [](const DummyInfo& d) { return d.bric.has_value(); });
    const BricResult bric = ComputeBric(in[0].y, in[1].y, in[2].y, *dummy.bric);
    const char* names[3] = {"peak wx", "peak wy", "peak wz"};
    const char* keys[3] = {"wx_peak", "wy_peak", "wz_peak"};
    const double criticals[3] = {dummy.bric->x, dummy.bric->y, dummy.bric->z};
    for (size_t k = 0; k < 3; ++k) {
        ResultValue r = Value(names[k], keys[k], bric.peaks[k].value, "rad/s", 2, 0);
        r.hasLimit = false;
        r.detail = "critical " + Format("%g", criticals[k]) + " rad/s";
        SetTime(r, in[0], bric.peaks[k].at, bric.peaks[k].at);
        out.marks.push_back({std::string(def.labels[k]), r.t1, r.t1});
        out.values.push_back(r);
    }
    ResultValue r = Value("BrIC", "BrIC", bric.value, "", 3, 0);
    r.hasLimit = false;
    out.values.push_back(r);
    return true;
}

} // namespace

const std::vector<CriterionDef>& CriterionDefs()
{
    static const std::vector<CriterionDef> defs = {
        {CriterionId::Hic, "hic", "HIC", true, true, Q::Acceleration,
         {Q::Acceleration, Q::Acceleration, Q::Acceleration}, {"X", "Y", "Z"}, "a", {1000, 0}, 0.015},
        {CriterionId::Neck208, "neck208", "208 Neck", true, false, Q::Force,
         {Q::Force, Q::Force, Q::Force}, {"", "", ""}, "Fz", {600, 0}, 0},
        {CriterionId::Nij, "nij", "Nij", false, true, Q::Force, {Q::Force, Q::Moment, Q::Force},
         {"Fx", "My", "Fz"}, "", {600, 0}, 0},
        {CriterionId::Clip3ms, "clip3ms", "3ms Clip", true, true, Q::Acceleration,
         {Q::Acceleration, Q::Acceleration, Q::Acceleration}, {"X", "Y", "Z"}, "a", {180, 1000}, kClipDuration},
        {CriterionId::Vc, "vc", "V*C", true, false, Q::Deflection,
         {Q::Deflection, Q::Deflection, Q::Deflection}, {"", "", ""}, "D", {180, 0}, 0},
        {CriterionId::Tibia, "tibia", "Tibia Index", false, true, Q::Moment, {Q::Moment, Q::Moment, Q::Force},
         {"Mx", "My", "Fz"}, "", {600, 0}, 0},
        {CriterionId::Olc, "olc", "OLC", true, false, Q::Acceleration,
         {Q::Acceleration, Q::Acceleration, Q::Acceleration}, {"", "", ""}, "ax", {180, 60}, 0},
        {CriterionId::Bric, "bric", "BrIC", false, true, Q::AngularVelocity,
         {Q::AngularVelocity, Q::AngularVelocity, Q::AngularVelocity}, {"wx", "wy", "wz"}, "", {60, 180}, 0},
    };
    return defs;
}

const CriterionDef* FindCriterion(const std::string& program)
{
    for (const CriterionDef& s : CriterionDefs())
        if (program == s.program)
            return &s;
    return nullptr;
}

const CriterionDef& DefOf(CriterionId id)
{
    for (const CriterionDef& s : CriterionDefs())
        if (s.id == id)
            return s;
    return CriterionDefs().front();
}

bool Outcome::HasLimit() const
{
    for (const ResultValue& v : values)
        if (v.hasLimit)
            return true;
    return false;
}

bool Outcome::Pass() const
{
    for (const ResultValue& v : values)
        if (!v.Pass())
            return false;
    return true;
}

bool Evaluate(const CriterionDef& def, const std::vector<Channel>& inputs, const DummyInfo& dummy, Outcome& out,
              KVErrorList& errors, const EvaluateOptions& options)
{
    out = Outcome{};
    out.def = &def;
    out.dummy = &dummy;
    const bool countFits = (inputs.size() == 1 && def.takesOne) || (inputs.size() == 3 && def.takesThree);
    if (!countFits)
        return Fail(errors, std::string(def.title) + " takes " + (def.takesOne ? "one" : "")
                                + (def.takesOne && def.takesThree ? " or " : "") + (def.takesThree ? "three" : "")
                                + " input channels, not " + std::to_string(inputs.size()));
    for (const Channel& c : inputs)
        if (c.y.size() != inputs[0].y.size() || c.y.empty())
            return Fail(errors, "the input channels are not aligned");
    DescribeInputs(def, inputs, out);
    switch (def.id) {
    case CriterionId::Hic:
        return EvaluateHic(inputs, out, errors);
    case CriterionId::Clip3ms:
        return EvaluateClip(inputs, options, out, errors);
    case CriterionId::Neck208:
        return EvaluateNeck(inputs, dummy, out, errors);
    case CriterionId::Nij:
        return EvaluateNij(inputs, dummy, out, errors);
    case CriterionId::Vc:
        return EvaluateVc(inputs, dummy, out, errors);
    case CriterionId::Tibia:
        return EvaluateTibia(inputs, dummy, out, errors);
    case CriterionId::Olc:
        return EvaluateOlc(inputs, options, out, errors);
    case CriterionId::Bric:
        return EvaluateBric(inputs, dummy, out, errors);
    }
    return false;
}

std::string FormatOutcome(const Outcome& o)
{
    std::string text = std::string("criterion: ") + o.def->title + "\n";
    text += std::string("dummy: ") + o.dummy->key + " (" + o.dummy->name + ")\n";
    for (const std::string& line : o.inputLines)
        text += "input " + line + "\n";
    for (const std::string& note : o.notes)
        text += KVPrintableText(note) + "\n"; // a note may quote a file name or a header text
    for (const ResultValue& v : o.values) {
        char number[64];
        std::snprintf(number, sizeof number, "%.*f", v.decimals, v.value);
        text += v.name + ": " + number + (v.unit.empty() ? "" : " " + v.unit);
        if (!v.detail.empty())
            text += " (" + v.detail + ")";
        if (v.hasTime && v.t1 != v.t2)
            text += Format("; t1 %.5f s", v.t1) + Format(", t2 %.5f s", v.t2);
        else if (v.hasTime)
            text += Format("; at %.5f s", v.t1);
        if (v.hasLimit) {
            char limit[64];
            std::snprintf(limit, sizeof limit, "%g", v.limit);
            text += std::string("; limit ") + limit + (v.Pass() ? "; pass" : "; FAIL");
        }
        text += "\n";
    }
    text += std::string("result: ") + (!o.HasLimit() ? "no limit" : o.Pass() ? "pass" : "FAIL") + "\n";
    return text;
}

} // namespace Criteria
