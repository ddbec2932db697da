#include "AssessRequest.h"

#include "AssessInputs.h"
#include "JsonFile.h"
#include "ProtocolFiles.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace Assess {

namespace {

constexpr const char* kPositionNeeds = "one code character (1 driver, 3 front passenger)";

bool SetPosition(AssessRequest& r, const std::string& text, std::string& problem)
{
    if (text.size() != 1) {
        problem = std::string("takes ") + kPositionNeeds + ", not \"" + text + "\"";
        return false;
    }
    r.positions.push_back(text[0]);
    return true;
}

bool SetPage(AssessRequest& r, const std::string& text, std::string& problem)
{
    if (PageSizeOfName(text, r.page))
        return true;
    problem = "takes a4 or letter";
    return false;
}

template <std::string AssessRequest::*member>
bool SetText(AssessRequest& r, const std::string& text, std::string&)
{
    r.*member = text;
    return true;
}

// The fields of a request. The name is the JSON key and Python's keyword;
// the option is "--" and the name with '-' for '_'.
struct Field {
    const char* name;
    const char* needs; // what a missing value needs
    bool (*set)(AssessRequest&, const std::string&, std::string&);
};
constexpr std::array kFields = {
    Field{"protocol", "an id", SetText<&AssessRequest::protocol>},
    Field{"protocol_dir", "a folder", SetText<&AssessRequest::protocolDir>},
    Field{"position", kPositionNeeds, SetPosition},
    Field{"dummy", "a key", SetText<&AssessRequest::dummy>},
    Field{"inputs", "a file", SetText<&AssessRequest::inputsFile>},
    Field{"page", "a4 or letter", SetPage},
};

const Field* FieldNamed(std::string_view name)
{
    for (const Field& f : kFields)
        if (name == f.name)
            return &f;
    return nullptr;
}

std::string OptionOf(const Field& f)
{
    std::string option = std::string("--") + f.name;
    std::replace(option.begin(), option.end(), '_', '-');
    return option;
}

// The strings of a JSON value that is one string or a list of them.
bool Strings(const nlohmann::json& j, std::vector<std::string>& out)
{
    if (j.is_string()) {
        out.push_back(j.get<std::string>());
        return true;
    }
    if (!j.is_array())
        return false;
    for (const nlohmann::json& e : j) {
        if (!e.is_string())
            return false;
        out.push_back(e.get<std::string>());
    }
    return true;
}

bool ReadTests(const nlohmann::json& j, AssessRequest& r)
{
    // One path, the paths of one test, or a list per test.
    if (j.is_array() && !j.empty() && j.front().is_array()) {
        for (const nlohmann::json& test : j) {
            r.tests.emplace_back();
            if (!Strings(test, r.tests.back()))
                return false;
        }
        return true;
    }
    r.tests.emplace_back();
    return Strings(j, r.tests.back());
}

} // namespace

bool PageSizeOfName(const std::string& name, PageSize& page)
{
    for (PageSize p : {PageSize::A4, PageSize::Letter})
        if (name == PageSizeName(p)) {
            page = p;
            return true;
        }
    return false;
}

const char* PageSizeName(PageSize page) { return page == PageSize::Letter ? "letter" : "a4"; }

bool SetRequestField(AssessRequest& request, const std::string& name, const std::string& text, std::string& problem)
{
    const Field* f = FieldNamed(name);
    if (!f) {
        problem = "no field " + name;
        return false;
    }
    return f->set(request, text, problem);
}

bool AddRequestPositions(AssessRequest& request, const std::string& list, std::string& problem)
{
    size_t at = 0;
    for (;;) {
        at = list.find_first_not_of(" \t,", at);
        if (at == std::string::npos)
            return true;
        const size_t end = std::min(list.find_first_of(" \t,", at), list.size());
        if (!SetPosition(request, list.substr(at, end - at), problem))
            return false;
        at = end;
    }
}

ArgRead ReadRequestArg(const std::vector<std::string>& args, size_t& i, AssessRequest& request, std::string& problem,
                       bool withPage)
{
    const std::string& a = args[i];
    for (const Field& f : kFields) {
        if (!withPage && f.set == SetPage)
            continue;
        const std::string option = OptionOf(f);
        std::string value;
        if (a.size() > option.size() && a.compare(0, option.size(), option) == 0 && a[option.size()] == '=') {
            value = a.substr(option.size() + 1);
        } else if (a == option) {
            if (i + 1 >= args.size()) {
                problem = option + " needs " + f.needs;
                return ArgRead::Bad;
            }
            value = args[++i];
        } else {
            continue;
        }
        if (!f.set(request, value, problem)) {
            problem = option + " " + problem;
            return ArgRead::Bad;
        }
        return ArgRead::Taken;
    }
    return ArgRead::NotMine;
}

bool ReadRequestJson(const std::string& text, AssessRequest& request, std::string& problem)
{
    nlohmann::json j;
    if (!ParseJsonText(text, "request", j, problem))
        return false;
    if (!j.is_object()) {
        problem = "a request is one JSON object";
        return false;
    }
    for (auto it = j.begin(); it != j.end(); ++it) {
        const std::string& key = it.key();
        const nlohmann::json& v = *it;
        if (v.is_null())
            continue;
        if (key == "tests") {
            if (!ReadTests(v, request)) {
                problem = "tests are a path, a list of paths or a list of them per test";
                return false;
            }
            continue;
        }
        if (key == "inputs" && v.is_object()) {
            request.inputsText = v.dump();
            continue;
        }
        const Field* f = FieldNamed(key == "positions" ? "position" : key);
        std::vector<std::string> values;
        if (!f || key == "position") {
            problem = "\"" + key + "\" is no field of a request";
            return false;
        }
        if (!Strings(v, values) || (values.size() != 1 && key != "positions")) {
            problem = key + " takes " + (key == "positions" ? "a code character or a list of them" : "a text");
            return false;
        }
        for (const std::string& value : values)
            if (!f->set(request, value, problem)) {
                problem = std::string(f->name) + " " + problem;
                return false;
            }
    }
    return true;
}

bool RequestProtocol(const AssessRequest& request, Protocol& protocol, std::string& error)
{
    if (!request.protocolDir.empty() && !CheckProtocolDir(request.protocolDir, error))
        return false;
    return FindProtocol(ProtocolDirs(request.protocolDir), request.protocol, protocol, error);
}

bool RequestOptions(const AssessRequest& request, const Protocol& protocol, AssessOptions& options,
                    std::string& error, bool* inputsUnreadable)
{
    if (inputsUnreadable)
        *inputsUnreadable = false;
    options.positions = request.positions;
    options.dummy = request.dummy;
    options.inputsText = request.inputsText;
    options.inputsFile = request.inputsText.empty() ? std::string() : "inputs";
    if (!request.inputsFile.empty()) {
        options.inputsFile = request.inputsFile;
        if (!ReadInputsFile(request.inputsFile, options.inputsText, error)) {
            if (inputsUnreadable)
                *inputsUnreadable = true;
            return false;
        }
    }
    // Checked now, so that a mistyped name is told before any test is read.
    std::vector<InputUse> uses;
    return ReadInputs(protocol, options.inputsText, options.inputsFile, uses, error);
}

} // namespace Assess
