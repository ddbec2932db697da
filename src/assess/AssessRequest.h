#pragma once
// What a user asks of an assessment or a test report, in one form however it
// was given: the command line's options, a JSON object (Python's keywords),
// or the window's dialog. The fields are one table (name, what a value must
// be, how it is read); every caller reads them through it and resolves the
// protocol and the inputs file through the same two functions.
#include "Assessment.h"

#include <string>
#include <vector>

namespace Assess {

enum class PageSize { A4, Letter };

struct AssessRequest {
    // Each test: its .mme, folder or .zip, or the signal files of one test
    // whose headers carry the channel codes.
    std::vector<std::vector<std::string>> tests;
    std::string protocol;        // the protocol's id
    std::string protocolDir;     // a folder of the user's protocol files, or ""
    std::vector<char> positions; // empty: every position the protocol names
    std::string dummy;           // a dummy key, when the codes do not name it
    std::string inputsFile;      // a JSON file of the inputs, or ""
    std::string inputsText;      // the inputs as JSON text given in place of a file, or ""
    PageSize page = PageSize::A4;

    bool operator==(const AssessRequest&) const = default;
};

// The page size of its name ("a4", "letter") and back.
bool PageSizeOfName(const std::string& name, PageSize& page);
const char* PageSizeName(PageSize page);

// Sets field name ("protocol", "protocol_dir", "position", "dummy", "inputs",
// "page") from text; a position adds one. False with what the value must be
// ("one code character (1 driver, 3 front passenger), not \"12\"") for a bad
// value or an unknown name.
bool SetRequestField(AssessRequest& request, const std::string& name, const std::string& text,
                     std::string& problem);

// Adds the positions of a list ("1 3", "1,3"); false as SetRequestField.
bool AddRequestPositions(AssessRequest& request, const std::string& list, std::string& problem);

enum class ArgRead { NotMine, Taken, Bad };

// Reads the request option at args[i] (--protocol ID, --protocol-dir DIR,
// --position P, --dummy KEY, --inputs FILE, and --page P when withPage; the
// value after '=' or as the next argument), moving i past its value. Bad
// with "--position takes ..." or "--dummy needs a key"; NotMine for any
// other argument.
ArgRead ReadRequestArg(const std::vector<std::string>& args, size_t& i, AssessRequest& request,
                       std::string& problem, bool withPage);

// Reads a request from a JSON object: "tests" (a path, a list of paths, or a
// list of a list per test), "protocol", "protocol_dir", "positions" (one or
// a list), "dummy", "inputs" (an object of the inputs, or a file's name) and
// "page"; null leaves a field unset. False with the problem.
bool ReadRequestJson(const std::string& text, AssessRequest& request, std::string& problem);

// The protocol the request names, from its folder of protocol files and the
// shipped ones; false with the message (a missing folder, no such id with
// the ids there are, or the problem of the file of that id).
bool RequestProtocol(const AssessRequest& request, Protocol& protocol, std::string& error);

// The options of AssessTest for request under protocol: positions, dummy and
// the inputs (the file read as ReadInputsFile reads it, every name checked
// against the protocol). False with the message; inputsUnreadable tells a
// file that could not be read from inputs the protocol refuses.
bool RequestOptions(const AssessRequest& request, const Protocol& protocol, AssessOptions& options,
                    std::string& error, bool* inputsUnreadable = nullptr);

} // namespace Assess
