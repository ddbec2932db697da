#pragma once
// The operations that change one signal in place, as one table: the command
// line builds its commands, their help, the --then parser and the dispatch
// from it, and the Python module its functions.
#include <string_view>
#include <vector>

class KVErrorList;
class KVSignal;

namespace Kalvio {

// One number an operation takes: its name on the command line and in Python,
// whether it is a time (in the signal's X units; Python gives seconds), and
// a value for the example of the Python function's help.
struct OperationArg {
    const char* cli;
    const char* py;
    bool time = false;
    const char* example = "1";
};

struct OperationDef {
    const char* name;           // the command ("add-y"); Python writes "-" as "_"
    int arity;                  // numbers taken, 0 to 2
    OperationArg args[2];
    bool integerArg;            // the numbers are whole (a channel class)
    const char* flag;           // its own switch ("--keep-bias"), or nullptr
    const char* summary;        // one line
    const char* description;    // what it does, lines ending in "\n"
    // Runs the operation with its numbers (floats, or whole numbers where
    // integerArg) and whether the switch was given.
    bool (*apply)(KVSignal& signal, const double* args, bool flag, KVErrorList* errors);
    // The same into out, which becomes the result for a copy of in, without
    // copying what the operation leaves or overwrites; nullptr where the
    // operation has no such form.
    bool (*applyInto)(const KVSignal& in, KVSignal& out, const double* args, bool flag, KVErrorList* errors);
};

// Every operation, in the order the command line lists them.
const std::vector<OperationDef>& Operations();
// The operation named name, or nullptr.
const OperationDef* FindOperation(std::string_view name);

} // namespace Kalvio
