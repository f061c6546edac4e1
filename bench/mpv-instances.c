/* Run by hand, to tell libmpv's and Mesa's memory from the player's: plays movies one after
 * another through libmpv alone, drawing with vo=gpu (x11egl) into an X window as the player's
 * "ActiveMovie" device does, and prints the resident memory every 25 movies.
 *
 *   cc -O2 -o /tmp/mpv-instances bench/mpv-instances.c -lmpv -lX11
 *   LIBGL_ALWAYS_SOFTWARE=1 xvfb-run -a /tmp/mpv-instances COUNT MOVIE...
 *
 * COUNT movies are played, cycling through the MOVIEs. Environment:
 *   REUSE=1  one libmpv instance loads every movie (as mpv's own playlist does); otherwise
 *            each movie gets a new instance, destroyed after it (as the player does)
 *   TRIM=1   malloc_trim(0) after each instance is destroyed (as the player does)
 *   MALLOC_ARENA_MAX=N  glibc's own setting: at most N allocator arenas */
#include <X11/Xlib.h>
#include <locale.h>
#include <malloc.h>
#include <mpv/client.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static long residentKib(void) {
    FILE* status = fopen("/proc/self/status", "r");
    char line[256];
    long kib = 0;
    while (status && fgets(line, sizeof line, status)) {
        if (strncmp(line, "VmRSS:", 6) == 0) {
            kib = atol(line + 6);
        }
    }
    if (status) {
        fclose(status);
    }
    return kib;
}

static mpv_handle* startEngine(Window window) {
    mpv_handle* engine = mpv_create();
    int64_t wid = (int64_t)window;
    mpv_set_option_string(engine, "config", "no");
    mpv_set_option_string(engine, "idle", "yes");
    mpv_set_option_string(engine, "ao", "null");
    mpv_set_option_string(engine, "gpu-context", "x11egl");
    mpv_set_option(engine, "wid", MPV_FORMAT_INT64, &wid);
    mpv_set_option_string(engine, "vo", "gpu");
    if (mpv_initialize(engine) < 0) {
        fprintf(stderr, "libmpv did not start\n");
        exit(1);
    }
    return engine;
}

/* Plays one movie to its end; gives up after ten seconds without an event. */
static void play(mpv_handle* engine, const char* movie) {
    const char* load[] = {"loadfile", movie, NULL};
    mpv_command(engine, load);
    for (;;) {
        const mpv_event* event = mpv_wait_event(engine, 10);
        if (event->event_id == MPV_EVENT_END_FILE || event->event_id == MPV_EVENT_NONE) {
            return;
        }
    }
}

int main(int argc, char** argv) {
    if (argc < 3) {
        fprintf(stderr, "usage: %s COUNT MOVIE...\n", argv[0]);
        return 2;
    }
    const int count = atoi(argv[1]);
    const int reuse = getenv("REUSE") != NULL;
    const int trim = getenv("TRIM") != NULL;
    Display* display = XOpenDisplay(NULL);
    if (!display) {
        fprintf(stderr, "no X display\n");
        return 1;
    }
    Window window =
        XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 352, 288, 0, 0, 0);
    XMapWindow(display, window);
    XFlush(display);
    setlocale(LC_NUMERIC, "C"); /* libmpv needs it */

    printf("movie,rss_kib\n"); /* the number of the movie just played, from 0 */
    mpv_handle* engine = NULL;
    for (int i = 0; i < count; i++) {
        if (!engine) {
            engine = startEngine(window);
        }
        play(engine, argv[2 + i % (argc - 2)]);
        if (!reuse) {
            mpv_terminate_destroy(engine);
            engine = NULL;
            if (trim) {
                malloc_trim(0);
            }
        }
        if (i % 25 == 0) {
            printf("%d,%ld\n", i, residentKib());
            fflush(stdout);
        }
    }
    if (engine) {
        mpv_terminate_destroy(engine);
    }
    printf("%d,%ld\n", count, residentKib());
    XCloseDisplay(display);
    return 0;
}
