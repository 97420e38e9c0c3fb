/* Preloaded (LD_PRELOAD) into a program under measure, never linked into one: writes down the
 * moment each SDL_RenderPresent call returns, as CLOCK_BOOTTIME nanoseconds (the clock of
 * /proc/uptime, so that a shell script can pick out a span), one decimal number a
 * line, into the file named by PRESENT_CLOCK_FILE. Lines go out in batches of about half a second, and
 * straight away for the first frame, so a reader watching the file sees the program's first
 * present at once and the rest with at most a second's delay. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

typedef void (*present_fn)(void *);

static present_fn real_present;
static int out_fd = -2;
static char batch[32 * 24];
static size_t batch_used;
static unsigned long presents;

static void flush_batch(void) {
    size_t done = 0;
    while (done < batch_used) {
        ssize_t n = write(out_fd, batch + done, batch_used - done);
        if (n <= 0) break;
        done += (size_t)n;
    }
    batch_used = 0;
}

void SDL_RenderPresent(void *renderer) {
    if (real_present == NULL) real_present = (present_fn)dlsym(RTLD_NEXT, "SDL_RenderPresent");
    if (real_present != NULL) real_present(renderer);
    if (out_fd == -2) {
        const char *path = getenv("PRESENT_CLOCK_FILE");
        out_fd = path ? open(path, O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644) : -1;
    }
    if (out_fd < 0) return;
    struct timespec now;
    clock_gettime(CLOCK_BOOTTIME, &now);
    batch_used += (size_t)snprintf(batch + batch_used, 24, "%lld\n",
                                   (long long)now.tv_sec * 1000000000LL + now.tv_nsec);
    if (++presents == 1 || batch_used + 24 > sizeof(batch)) flush_batch();
}

/* What is left of the last batch when the program ends by returning or exit(). */
__attribute__((destructor)) static void flush_at_exit(void) {
    if (out_fd >= 0) flush_batch();
}
