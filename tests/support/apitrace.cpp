#include "tests/support/apitrace.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>

namespace fs = std::filesystem;

double GlCall::num(std::size_t i) const { return std::strtod(args.at(i).c_str(), nullptr); }

std::string GlCall::text() const
{
    std::string s = name + "(";
    for (std::size_t i = 0; i < args.size(); ++i)
        s += (i ? ", " : "") + args[i];
    return s + ")";
}

GlCall parseCall(const std::string& line)
{
    GlCall call;
    const std::size_t open = line.find('(');
    if (open == std::string::npos)
        return {line, {}};
    call.name = line.substr(0, open);
    int depth = 0;
    std::string arg;
    for (std::size_t i = open + 1; i < line.size(); ++i) {
        const char ch = line[i];
        if (depth == 0 && ch == ')')
            break;
        if (ch == '(' || ch == '{' || ch == '[')
            ++depth;
        if (ch == ')' || ch == '}' || ch == ']')
            --depth;
        if (depth == 0 && ch == ',') {
            call.args.push_back(arg);
            arg.clear();
            if (i + 1 < line.size() && line[i + 1] == ' ')
                ++i;
            continue;
        }
        arg += ch;
    }
    if (!arg.empty())
        call.args.push_back(arg);
    return call;
}

namespace {

std::string quoted(const std::string& word)
{
    std::string out = "'";
    for (char ch : word)
        out += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    return out + "'";
}

std::string shellLine(const std::vector<std::string>& words)
{
    std::string line;
    for (const std::string& word : words)
        line += (line.empty() ? "" : " ") + quoted(word);
    return line;
}

}  // namespace

std::vector<std::string> tracedCommand(const fs::path& trace, const std::vector<std::string>& program)
{
    const char* asan = std::getenv("ASAN_OPTIONS");
    setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":verify_asan_link_order=0:detect_leaks=0").c_str(), 1);
    std::vector<std::string> command = {"apitrace", "trace", "-o", trace.string()};
    command.insert(command.end(), program.begin(), program.end());
    return command;
}

bool recordTrace(const fs::path& trace, const std::vector<std::string>& program, const fs::path& out,
                 const fs::path& err)
{
    const std::string line = shellLine(tracedCommand(trace, program)) + " >" + quoted(out.string()) +
                             (err.empty() ? std::string(" 2>&1") : " 2>" + quoted(err.string()));
    return std::system(line.c_str()) == 0;
}

std::vector<std::string> dumpTrace(const fs::path& trace, bool argNames)
{
    const std::string line = std::string("apitrace dump --call-nos=no --color=never --multiline=no --arg-names=") +
                             (argNames ? "yes " : "no ") + quoted(trace.string());
    std::vector<std::string> lines;
    FILE* pipe = popen(line.c_str(), "r");
    if (!pipe)
        return lines;
    std::string text;
    std::array<char, 4096> buffer;
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
        text.append(buffer.data(), n);
    const int status = pclose(pipe);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return {};
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> glCallsOnly(const std::vector<std::string>& lines)
{
    std::vector<std::string> calls;
    for (const std::string& line : lines)
        if (line.rfind("gl", 0) == 0 && line.rfind("glX", 0) != 0)
            calls.push_back(line);
    return calls;
}
