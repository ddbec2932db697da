#include "Criterion.h"

#include "Clip3ms.h"
#include "Hic.h"
#include "KVErrorList.h"
#include "NeckCriteria.h"
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
    switch (filterClass) {
    case 0:
        return "filter unknown";
    case 60:
    case 180:
    case 600:
    case 1000:
        return "CFC " + std::to_string(filterClass);
    case 1003:
        return "FIR100";
    default:
        return cutOff > 0 ? "filtered at " + Format("%g", cutOff) + " Hz, no channel class" : "no channel class";
    }
}

std::string ExpectedClasses(const CriterionDef& def)
{
    std::string s = "CFC " + std::to_string(def.filterClasses[0]);
    if (def.filterClasses[1] != 0)
        s += " or CFC " + std::to_string(def.filterClasses[1]);
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
        out.inputLines.push_back(label + ": " + c.path + " (" + (c.units.empty() ? "no units" : c.units) + ", "
                                 + filter + ")");
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

ResultValue Value(const std::string& name, double value, const char* unit, int decimals, double limit)
{
    ResultValue r;
    r.name = name;
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
        ResultValue r = Value(names[k], hic[k].value, "", 1, limits[k]);
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

bool EvaluateClip(const std::vector<Channel>& in, Outcome& out, KVErrorList& errors)
{
    const std::vector<double> a = HeadAcceleration(in, out);
    const ClipResult clip = ComputeClip(a, in[0].dt, kClipDuration);
    if (!clip.found)
        return Fail(errors, "too few samples: the input spans " + Format("%.2f", in[0].dt * double(a.size() - 1) * 1000)
                                + " ms, the 3 ms clip needs 3 ms");
    ResultValue r = Value("3ms clip", clip.value, "g", 2, kClip3msLimit);
    SetTime(r, in[0], clip.i1, clip.i2);
    out.marks.push_back({"3 ms", r.t1, r.t2});
    out.values.push_back(r);
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
    const double limits[2] = {dummy.neck->tension, dummy.neck->compression};
    for (size_t k = 0; k < 2; ++k) {
        ResultValue r = Value(names[k], peaks[k].value, "N", 0, limits[k]);
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
        ResultValue r = Value(kNijCaseNames[k], nij.cases[k].value, "", 3, kNijLimit);
        if (nij.cases[k].found)
            SetTime(r, in[0], nij.cases[k].at, nij.cases[k].at);
        out.values.push_back(r);
    }
    ResultValue r = Value("Nij", nij.overall.value, "", 3, kNijLimit);
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
    ResultValue r = Value("V*C", vc.peak.value, "m/s", 3, kVcLimit);
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
    ResultValue r = Value("TI", ti.peak.value, "", 3, kTibiaLimit);
    SetTime(r, in[0], ti.peak.at, ti.peak.at);
    r.detail = "Mc " + Format("%g", dummy.tibia->moment) + " N m, Fc " + Format("%g", dummy.tibia->force / 1000)
               + " kN";
    out.marks.push_back({"TI", r.t1, r.t1});
    out.values.push_back(r);
    return true;
}

} // namespace

const std::vector<CriterionDef>& CriterionDefs()
{
    static const std::vector<CriterionDef> defs = {
        {CriterionId::Hic, "hic", "HIC", true, true, Q::Acceleration,
         {Q::Acceleration, Q::Acceleration, Q::Acceleration}, {"X", "Y", "Z"}, "a", {1000, 0}},
        {CriterionId::Neck208, "neck208", "208 Neck", true, false, Q::Force,
         {Q::Force, Q::Force, Q::Force}, {"", "", ""}, "Fz", {600, 0}},
        {CriterionId::Nij, "nij", "Nij", false, true, Q::Force, {Q::Force, Q::Moment, Q::Force},
         {"Fx", "My", "Fz"}, "", {600, 0}},
        {CriterionId::Clip3ms, "clip3ms", "3ms Clip", true, true, Q::Acceleration,
         {Q::Acceleration, Q::Acceleration, Q::Acceleration}, {"X", "Y", "Z"}, "a", {180, 1000}},
        {CriterionId::Vc, "vc", "V*C", true, false, Q::Deflection,
         {Q::Deflection, Q::Deflection, Q::Deflection}, {"", "", ""}, "D", {180, 0}},
        {CriterionId::Tibia, "tibia", "Tibia Index", false, true, Q::Moment, {Q::Moment, Q::Moment, Q::Force},
         {"Mx", "My", "Fz"}, "", {600, 0}},
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

bool Outcome::Pass() const
{
    for (const ResultValue& v : values)
        if (!v.Pass())
            return false;
    return true;
}

bool Evaluate(const CriterionDef& def, const std::vector<Channel>& inputs, const DummyInfo& dummy, Outcome& out,
              KVErrorList& errors)
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
        return EvaluateClip(inputs, out, errors);
    case CriterionId::Neck208:
        return EvaluateNeck(inputs, dummy, out, errors);
    case CriterionId::Nij:
        return EvaluateNij(inputs, dummy, out, errors);
    case CriterionId::Vc:
        return EvaluateVc(inputs, dummy, out, errors);
    case CriterionId::Tibia:
        return EvaluateTibia(inputs, dummy, out, errors);
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
        text += note + "\n";
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
    text += std::string("result: ") + (o.Pass() ? "pass" : "FAIL") + "\n";
    return text;
}

} // namespace Criteria
