// objtool's one option parser, which every subcommand uses.  Options and
// operands are taken in the order given: the operations of "convert" apply
// in that order and may repeat, which getopt_long would not keep.
#include <cstring>
#include <string>
#include <vector>

#include "tools/objtool/objtool.h"

bool parseArguments(const char* command, int argc, char** argv, const std::vector<Option>& options,
                    MissingValue missing, const Taker& operand)
{
    const std::string prefix = std::string(command) + ": ";
    std::string problem;
    for (int i = 0; i < argc; i++) {
        const char* arg = argv[i];
        if (arg[0] != '-' || arg[1] == '\0') {  // "-" alone is an operand
            if (!operand(arg, &problem)) {
                fail(prefix + problem);
                return false;
            }
            continue;
        }
        const Option* option = nullptr;
        for (const Option& o : options)
            if (!std::strcmp(arg, o.name))
                option = &o;
        if (!option) {
            fail(prefix + "unknown option \"" + arg + "\" (see objtool --help)");
            return false;
        }
        const char* value = nullptr;
        if (option->wants) {
            if (i + 1 >= argc) {
                fail(prefix + (missing == MissingValue::SAY_MISSING
                                   ? "missing value after \"" + std::string(arg) + "\" (see objtool --help)"
                                   : std::string(arg) + " wants " + option->wants));
                return false;
            }
            value = argv[++i];
        }
        problem.clear();
        if (!option->take(value, &problem)) {
            if (problem.empty())
                problem = std::string(arg) + " wants " + option->wants + ", not \"" + value + "\"";
            fail(prefix + problem);
            return false;
        }
    }
    return true;
}

Taker oneModel(const char** path)
{
    return [path](const char* arg, std::string* problem) {
        if (*path) {
            *problem = "one model at a time (see objtool --help)";
            return false;
        }
        *path = arg;
        return true;
    };
}
