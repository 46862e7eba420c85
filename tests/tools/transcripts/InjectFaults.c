/* Faults for the tests of --isolate, preloaded into xpstext with LD_PRELOAD
 * (built for the tests only, never installed): opening a package whose path
 * holds "crash-here" crashes the reader, and one whose path holds
 * "hang-here" never returns.  Every other package opens as it would. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <signal.h>
#include <string.h>
#include <unistd.h>

typedef struct zip zip_t;
typedef zip_t *(*zip_open_function)(const char *, int, int *);

zip_t *zip_open(const char *path, int flags, int *error) {
    if (path != NULL && strstr(path, "crash-here") != NULL) {
        signal(SIGSEGV, SIG_DFL);   /* a sanitizer's handler would make it an abort */
        raise(SIGSEGV);
    }
    while (path != NULL && strstr(path, "hang-here") != NULL)
        pause();
    /* libzip comes with the container companion, which the reader loads with
     * dlopen: the next zip_open may not be in the global scope. */
    void *libzip = dlopen("libzip.so.4", RTLD_LAZY | RTLD_NOLOAD);
    zip_open_function real = (zip_open_function)dlsym(libzip != NULL ? libzip : RTLD_NEXT, "zip_open");
    return real(path, flags, error);
}
