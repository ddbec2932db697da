#include "Corridor.h"

#include "CorridorSums.h"
#include "CurveRating.h"
#include "KVOutputFile.h"
#include "TfCommandLine.h"
#include "TfFileNames.h"
#include "TfPrompt.h"
#include "TfRvf.h"
#include "TfSession.h"
#include "TfText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <span>

using namespace Toolsif;

namespace {

const char* const kSelfName = "Corridor";
constexpr float kDelTolerance = 2.0e-7f;

bool IsCorridorSwitch(const std::string& word)
{
    return word == "?" || word == "??" || word == "HELP" || word == "MINIMIZE_RANGE" || word == "RATE" ||
        IsGenericSwitch(word);
}

std::string FormatReal(double v)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

std::string CountText(const char* head, int curves)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s(%5d)", head, curves);
    return buf;
}

// An input curve kept to be rated against the mean.
struct InputCurve {
    std::string name;
    long long nfp = 0;
    std::vector<float> y;
    std::string yUnits;
};

// One corridor: the first file's record accumulates, the sums keep the rest.
struct Corridor {
    RvfRecord acc;
    CorridorSums sums;
    std::string xUnits, yUnits;
    float del = 0.0f;
    long long minNfp = 0, maxNfp = 0, minNlp = 0, maxNlp = 0;
    int curves = 0;
    bool warnArmed = true;
    std::vector<std::string> taken; // inputs read and outputs chosen so far
    std::vector<InputCurve> inputs; // with RATE: every curve added
};

// Whether name is the same file as one of names (or will be, for a name not
// yet written).
bool NameTaken(const std::string& name, const std::vector<std::string>& names)
{
    const std::string full = FullPath(name);
    for (const std::string& other : names) {
        std::error_code ec;
        if (full == FullPath(other) || std::filesystem::equivalent(name, other, ec))
            return true;
    }
    return false;
}

class CorridorProgram {
public:
    CorridorProgram(Session& s, bool minimize, bool rate) : m_s(s), m_minimize(minimize), m_rate(rate)
    {
        RvfControlInit(m_control);
    }

    // Runs corridors until the first question ends the program; false when
    // a corridor that was asked for was not written.
    bool Run()
    {
        // Each message on one line however long its file names, so that a
        // log can be searched line by line.
        RepCols(m_s.msg, 0);
        MsgWrite(m_s.msg, "**  Calculate a Signal Corridor **");
        while (OneCorridor()) {}
        // A template from the command line that gave no corridor at all.
        if (m_written == 0 && !Trim(m_s.options.templ).empty())
            m_failed = true;
        return !m_failed;
    }

private:
    bool Unattended() const { return BatSet(m_s) || m_s.prompt.expanding; }

    void Abandon() { FileDel(m_s.prompt); }

    // Runs one corridor; false when the first question ends the program.
    bool OneCorridor()
    {
        std::string name;
        bool end = false;
        FilePrompt(m_s, "First RVF file name/template/hitlist?", "[done]", "", name, end);
        if (end)
            return false;
        Corridor c;
        if (RvfGet(name, c.acc, m_control, m_s.msg) != 0) {
            m_failed = true;
            if (Unattended())
                Abandon();
            return true;
        }
        StartWith(c);
        c.taken.push_back(name);
        Keep(c, name, c.acc);
        bool common = m_minimize;
        if (!m_minimize && !AskCommon(common)) {
            MsgWrite(m_s.msg, "*** Operation skipped");
            m_failed = true;
            Abandon();
            return true;
        }
        if (!AddFurtherFiles(c)) {
            m_failed = true;
            return true;
        }
        Finish(c, common);
        return true;
    }

    void Keep(Corridor& c, const std::string& name, const RvfRecord& r)
    {
        if (m_rate)
            c.inputs.push_back({name, r.Nfp(), r.YRange(r.Nfp(), r.Nlp()), r.rvf.Curve.YUnits.substr(0, 20)});
    }

    void StartWith(Corridor& c)
    {
        const RvfRecord& r = c.acc;
        c.xUnits = r.rvf.Curve.XUnits;
        c.yUnits = r.rvf.Curve.YUnits;
        c.del = r.Del();
        c.minNfp = c.maxNfp = r.Nfp();
        c.minNlp = c.maxNlp = r.Nlp();
        c.curves = 1;
        c.warnArmed = true;
        const std::vector<float> y = r.YRange(r.Nfp(), r.Nlp());
        c.sums.Start(r.Nfp(), y.data(), y.size());
    }

    // The Y/N question; false at the end of the input. In batch mode it is
    // not asked: nobody may be there to answer, so the default (N) holds.
    bool AskCommon(bool& common)
    {
        if (BatSet(m_s)) {
            common = false;
            return true;
        }
        for (;;) {
            std::string answer;
            if (!AskLine(m_s, " Use only data points common to all signals?   (Y/N) [N] ", answer))
                return false;
            answer = Trim(answer);
            if (answer.empty() || (answer.size() == 1 && AnyChars(answer, "Nn"))) {
                common = false;
                return true;
            }
            if (answer.size() == 1 && AnyChars(answer, "Yy")) {
                common = true;
                return true;
            }
            MsgWrite(m_s.msg, "*** Invalid option");
        }
    }

    // Reads the further files; false when the corridor was abandoned.
    bool AddFurtherFiles(Corridor& c)
    {
        for (;;) {
            std::string name;
            bool end = false;
            FilePrompt(m_s, "Next RVF file name/template/hitlist?", "[no more]", "", name, end);
            if (end)
                return true;
            RvfRecord rec;
            if (RvfGet(name, rec, m_control, m_s.msg) != 0 || !Consistent(c, rec) ||
                RvfMerge(rec, c.acc, m_control, m_s.msg) != 0) {
                if (!Unattended())
                    continue;
                Abandon();
                return false;
            }
            c.minNfp = std::min<long long>(c.minNfp, rec.Nfp());
            c.maxNfp = std::max<long long>(c.maxNfp, rec.Nfp());
            c.minNlp = std::min<long long>(c.minNlp, rec.Nlp());
            c.maxNlp = std::max<long long>(c.maxNlp, rec.Nlp());
            const std::vector<float> y = rec.YRange(rec.Nfp(), rec.Nlp());
            const bool fewer = c.sums.Add(rec.Nfp(), y.data(), y.size(), c.curves);
            if (fewer && c.warnArmed) {
                MsgWrite(m_s.msg, "*** WARNING - Number of data points less than number of curves");
                c.warnArmed = false;
            }
            ++c.curves;
            c.taken.push_back(name);
            Keep(c, name, rec);
        }
    }

    // The step check and the unit warnings; false when the file is skipped.
    bool Consistent(const Corridor& c, const RvfRecord& rec)
    {
        if (!EqualSp(rec.Del(), c.del, kDelTolerance)) {
            MsgWrite(m_s.msg, "*** ERROR - Inconsistent DEL step");
            return false;
        }
        if (rec.rvf.Curve.YUnits.substr(0, 20) != c.yUnits.substr(0, 20))
            MsgWrite(m_s.msg, "*** WARNING - Inconsistent Y-units");
        if (rec.rvf.Curve.XUnits.substr(0, 20) != c.xUnits.substr(0, 20))
            MsgWrite(m_s.msg, "*** WARNING - Inconsistent X-units");
        return true;
    }

    void Finish(Corridor& c, bool common)
    {
        const long long lo = common ? c.maxNfp : c.minNfp;
        const long long hi = common ? c.minNlp : c.maxNlp;
        if (lo > hi) {
            MsgWrite(m_s.msg, "*** ERROR - No data points common to all signals");
            m_failed = true;
            return;
        }
        const CorridorSums::Result r = c.sums.Compute(lo, hi);
        const double average = r.variancePoints > 0 ? r.cumulativeVariance / double(r.variancePoints) : 0.0;
        MsgWrite(m_s.msg, "*** Average Variance = " + FormatReal(average));
        MsgWrite(m_s.msg, "*** Cumulative Variance = " + FormatReal(r.cumulativeVariance));
        MsgWrite(m_s.msg, "*** Number of Data Points = " + std::to_string(r.points));
        if (r.emptyPoints > 0)
            MsgWrite(m_s.msg,
                     "*** WARNING - No data at " + std::to_string(r.emptyPoints) + " points of the span, written as 0");
        Write(c, lo, hi, r);
    }

    void Prepare(Corridor& c, long long lo, long long hi)
    {
        RvfRecord& a = c.acc;
        a.rvf.Curve.Nfp = static_cast<int>(lo);
        a.rvf.Curve.Nlp = static_cast<int>(hi);
        a.rvf.Curve.NumberText = "AVG";
        a.rvf.Curve.Status = "COMPUTED";
        a.ClearChannelIntegers();
        a.rvf.Curve.Description = CountText("MEAN SIGNAL", c.curves);
    }

    std::string DefaultName(const std::string& name) const
    {
        return FnNameExtract(FnIncr(AddPath(m_s.options.outDir, name), m_s.options.overwrite));
    }

    // Asks one output name; false at the end of the input. A typed name may
    // not replace an input of this corridor or an output named before it.
    bool AskName(Corridor& c, const std::string& question, const std::string& def, std::string& name)
    {
        if (BatSet(m_s)) {
            // Regression: with OVERWRITE the default name replaced an input.
            name = def;
            if (NameTaken(name, c.taken)) {
                MsgWrite(m_s.msg, "*** ERROR - Output " + name + " is an input or output of this corridor");
                return false;
            }
            c.taken.push_back(name);
            return true;
        }
        for (;;) {
            std::string answer;
            if (!AskLine(m_s, question + " [" + def + "] ", answer))
                return false;
            answer = Trim(answer);
            name = answer.empty() ? def : AddPath(m_s.options.outDir, answer);
            if (FnValid(name) && !NameTaken(name, c.taken)) {
                c.taken.push_back(name);
                return true;
            }
            MsgWrite(m_s.msg, "*** Invalid file name");
        }
    }

    void SetY(Corridor& c, long long lo, const std::vector<float>& y)
    {
        for (size_t k = 0; k < y.size(); ++k)
            c.acc.Y(lo + static_cast<long long>(k)) = y[k];
    }

    void Write(Corridor& c, long long lo, long long hi, const CorridorSums::Result& r)
    {
        Prepare(c, lo, hi);
        const std::string meanDef = DefaultName(FnCombo(FnDef(c.acc), "rvf"));
        const size_t pos = FtPosnS(meanDef, ".rvf");
        const std::string stem = pos == std::string::npos ? meanDef : meanDef.substr(0, pos);
        const std::string plusDef = DefaultName(stem + ".aps");
        const std::string minusDef = DefaultName(stem + ".ams");
        std::string meanName, plusName, minusName;
        if (!AskName(c, " Output RVF mean file name?", meanDef, meanName) ||
            !AskName(c, " Output RVF mean+sigma file name?", plusDef, plusName) ||
            !AskName(c, " Output RVF mean-sigma file name?", minusDef, minusName)) {
            m_failed = true;
            Abandon();
            return;
        }
        for (size_t k = 0; k < r.mean.size(); ++k) {
            if (!std::isfinite(r.mean[k] + r.sigma[k]) || !std::isfinite(r.mean[k] - r.sigma[k])) {
                MsgWrite(m_s.msg, "*** ERROR - Values that are not finite; no corridor file written");
                m_failed = true;
                return;
            }
        }
        const bool failedBefore = m_failed;
        m_failed = true; // until all three are written
        SetY(c, lo, r.mean);
        if (RvfPut(meanName, c.acc, m_control, m_s.msg) != 0)
            return;
        std::vector<float> y(r.mean.size());
        for (size_t k = 0; k < y.size(); ++k)
            y[k] = r.mean[k] + r.sigma[k];
        SetY(c, lo, y);
        c.acc.rvf.Curve.NumberText = "MPS";
        c.acc.rvf.Curve.Description = CountText("MEAN + SIGMA", c.curves);
        if (RvfPut(plusName, c.acc, m_control, m_s.msg) != 0)
            return;
        for (size_t k = 0; k < y.size(); ++k)
            y[k] = r.mean[k] - r.sigma[k];
        SetY(c, lo, y);
        c.acc.rvf.Curve.NumberText = "MMS";
        c.acc.rvf.Curve.Description = CountText("MEAN - SIGMA", c.curves);
        if (RvfPut(minusName, c.acc, m_control, m_s.msg) != 0)
            return;
        m_failed = failedBefore;
        ++m_written;
        MsgWrite(m_s.msg, " *** " + std::to_string(c.curves) + " files processed");
        if (m_rate)
            Rate(c, lo, r.mean, meanName);
    }

    // One line of the ratings: the five scores and the shift, or n/a and why.
    std::string RatingLine(const Corridor& c, const InputCurve& in, long long lo, const std::vector<float>& mean,
                           double& rating)
    {
        const long long from = std::max(lo, in.nfp);
        const long long to =
            std::min(lo + static_cast<long long>(mean.size()), in.nfp + static_cast<long long>(in.y.size())) - 1;
        Kalvio::CurveRating r;
        std::string why;
        if (in.yUnits != c.yUnits.substr(0, 20))
            why = "its Y units differ from the mean's";
        else if (!Kalvio::RateSamples(mean.data() + (from - lo), in.y.data() + (from - in.nfp),
                                      to >= from ? static_cast<std::size_t>(to - from + 1) : 0, r, why))
            why = why.empty() ? "not rated" : why;
        if (!why.empty())
            return "  n/a   (" + why + ")  " + in.name;
        rating = r.rating;
        const double unit = c.xUnits.rfind("SECONDS", 0) == 0 ? 1000.0 : 1.0;
        char buf[128];
        std::snprintf(buf, sizeof buf, "%6.3f %9.3f %6.3f %9.3f %6.3f %9.6g  ", r.rating, r.corridor, r.phase,
                      r.magnitude, r.slope, Kalvio::RatingRound(double(r.shiftSamples) * double(c.del) * unit));
        return buf + in.name;
    }

    // Rates every input curve against the mean over the indices both have,
    // lists the ratings (the lowest marked) and writes them beside the mean.
    void Rate(const Corridor& c, long long lo, const std::vector<float>& mean, const std::string& meanName)
    {
        std::vector<std::string> lines;
        std::vector<double> ratings(c.inputs.size(), 2.0);
        for (std::size_t k = 0; k < c.inputs.size(); ++k)
            lines.push_back(RatingLine(c, c.inputs[k], lo, mean, ratings[k]));
        const std::size_t lowest = std::min_element(ratings.begin(), ratings.end()) - ratings.begin();
        if (c.inputs.size() > 1 && ratings[lowest] <= 1.0)
            lines[lowest] += "  <- lowest";
        const std::string unit = c.xUnits.rfind("SECONDS", 0) == 0 ? "ms" : "X";
        const std::string head = "rating  corridor  phase  magnitude  slope  shift " + unit + "  curve";
        std::string text = "Ratings against the mean (ISO/TS 18571) of " + meanName + "\n" + head + "\n";
        MsgWrite(m_s.msg, "*** Ratings against the mean (ISO/TS 18571):");
        MsgWrite(m_s.msg, head);
        for (const std::string& line : lines) {
            MsgWrite(m_s.msg, line);
            text += line + "\n";
        }
        const size_t pos = FtPosnS(meanName, ".rvf");
        const std::string stem = pos == std::string::npos ? meanName : meanName.substr(0, pos);
        const std::string name = FnNameExtract(FnIncr(stem + ".rating.txt", m_s.options.overwrite));
        std::string reason;
        if (NameTaken(name, c.taken) ||
            !KVWriteFile(name, std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()), reason)) {
            MsgWrite(m_s.msg, "*** ERROR - Ratings not written to " + name + (reason.empty() ? "" : ": " + reason));
            m_failed = true;
            return;
        }
        MsgWrite(m_s.msg, "*** Ratings written to " + name);
    }

    Session& m_s;
    bool m_minimize;
    bool m_rate;
    RvfControl m_control;
    bool m_failed = false; // a corridor asked for was not written
    int m_written = 0;
};

} // namespace

int RunCorridor(const std::vector<std::string>& argsIn, std::istream& in, std::ostream& out, bool echo)
{
    Session s(in, out);
    FileInit(s);
    s.echo = echo;
    std::vector<std::string> args = argsIn;
    bool minimize = false;
    bool rate = false;
    for (std::string& arg : args) {
        const std::string word = SwitchWord(arg, IsCorridorSwitch);
        if (word == "?" || word == "??" || word == "HELP") {
            SyntaxCl(s, kSelfName);
            out << "[MINIMIZE_RANGE]\n[RATE]\n";
            if (word != "?") {
                HelpCl(s, kSelfName);
                out << "MINIMIZE_RANGE : Use only those points in common for calculations\n";
                out << "RATE : Rate every curve against the mean (ISO/TS 18571); the ratings are listed and\n"
                       "       written beside the mean file as STEM.rating.txt\n";
            }
            return 0;
        }
        if (word == "MINIMIZE_RANGE" || word == "RATE") {
            (word == "RATE" ? rate : minimize) = true;
            arg.clear(); // the tools library skips blanked arguments
        }
    }
    if (ProcCl(s, args, kSelfName) != 0)
        return 2;
    const bool ok = CorridorProgram(s, minimize, rate).Run();
    CleanUp(s);
    return ok ? 0 : 1;
}
