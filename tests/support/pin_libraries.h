// Keeps every library loaded so far (the GL driver among them) in memory
// until the process ends.  Mesa unloads its driver at exit before the leak
// checker runs; the checker could then neither name the driver's own
// allocations nor apply the suppressions for system libraries.
#pragma once

#include <dlfcn.h>
#include <link.h>

#include <cstddef>

inline void pinLoadedLibraries()
{
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void*) {
            if (info->dlpi_name && info->dlpi_name[0])
                dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}
