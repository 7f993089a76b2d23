#include "platform/data_path.h"

#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "platform/win_path.h"

namespace {

bool isRegularFile(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

std::string executableFolder()
{
    char buffer[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (length <= 0)
        return {};
    std::string path(buffer, static_cast<std::size_t>(length));
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::vector<std::string> dataSearchFolders()
{
    std::vector<std::string> folders{""};
    const std::string exeFolder = executableFolder();
    if (!exeFolder.empty()) {
        folders.push_back(exeFolder + "/../share/solar-system");
        folders.push_back(exeFolder);
    }
    return folders;
}

std::string findDataFile(std::string_view name)
{
    if (name.empty())
        return std::string(name);
    // An absolute name is looked up only where it points.
    if (name.front() == '/' || name.front() == '\\')
        return resolveWindowsPath(name);
    for (const std::string& folder : dataSearchFolders()) {
        const std::string candidate =
            resolveWindowsPath(folder.empty() ? std::string(name) : folder + "/" + std::string(name));
        if (isRegularFile(candidate))
            return candidate;
    }
    return std::string(name);
}
