/* Preloaded into the viewer by bench_first_frame: once the first buffer
 * swap has returned, it writes the CLOCK_MONOTONIC time in nanoseconds to the
 * file named by FIRST_SWAP_FILE and ends the process.  The viewer itself is
 * not changed, so today's build and any other are measured the same way. */
#define _GNU_SOURCE
#include <GL/glx.h>
#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

void glXSwapBuffers(Display* display, GLXDrawable drawable)
{
    void (*real)(Display*, GLXDrawable) = (void (*)(Display*, GLXDrawable))dlsym(RTLD_NEXT, "glXSwapBuffers");
    if (real)
        real(display, drawable);
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const char* path = getenv("FIRST_SWAP_FILE");
    FILE* out = path ? fopen(path, "w") : NULL;
    if (out) {
        fprintf(out, "%lld\n", (long long)now.tv_sec * 1000000000LL + now.tv_nsec);
        fclose(out);
    }
    _exit(0);
}
