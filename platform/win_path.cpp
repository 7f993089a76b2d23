#include "platform/win_path.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

bool exists(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

// The entry of `dir` that matches `component` case-insensitively; of several
// the first in byte order, so the choice does not depend on directory order.
std::string findEntry(const std::string& dir, std::string_view component)
{
    std::unique_ptr<DIR, int (*)(DIR*)> handle(::opendir(dir.empty() ? "." : dir.c_str()), ::closedir);
    std::string best;
    if (!handle)
        return best;
    while (const dirent* entry = ::readdir(handle.get())) {
        const std::string_view entryName(entry->d_name);
        if (equalsIgnoringCase(entryName, component) && (best.empty() || entryName < best))
            best = entryName;
    }
    return best;
}

}  // namespace

std::string resolveWindowsPath(std::string_view name)
{
    std::string asWritten(name);
    if (asWritten.empty() || exists(asWritten))
        return asWritten;

    std::string slashed = asWritten;
    std::replace(slashed.begin(), slashed.end(), '\\', '/');

    std::string result;
    std::size_t pos = 0;
    if (slashed.front() == '/') {
        result = "/";
        pos = 1;
    }
    while (pos <= slashed.size()) {
        std::size_t end = slashed.find('/', pos);
        if (end == std::string::npos)
            end = slashed.size();
        const std::string_view component(slashed.data() + pos, end - pos);
        pos = end + 1;
        if (component.empty())
            continue;
        std::string next = result;
        if (!next.empty() && next.back() != '/')
            next += '/';
        const std::string exact = next + std::string(component);
        if (component == "." || component == ".." || exists(exact)) {
            result = exact;
            continue;
        }
        const std::string match = findEntry(result, component);
        result = match.empty() ? exact : next + match;
    }
    return result;
}
