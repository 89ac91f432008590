/* Milliseconds from starting a program to the first window it shows: started
 * here, watched on the X server as the window is mapped, then ended. Only the
 * clock and the server are between the two, so nothing slows the program down.
 * Usage: first_map PROGRAM [ARGUMENTS...]; prints the milliseconds, or fails
 * after ten seconds without a window. */
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <xcb/xcb.h>

static double Now(void) {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

int main(int argc, char** argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: first_map PROGRAM [ARGUMENTS...]\n");
    return 2;
  }
  xcb_connection_t* c = xcb_connect(NULL, NULL);
  if (xcb_connection_has_error(c)) {
    fprintf(stderr, "first_map: no X display\n");
    return 2;
  }
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
  const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
  xcb_request_check(c, xcb_change_window_attributes_checked(c, root, XCB_CW_EVENT_MASK, &mask));
  const double start = Now();
  const pid_t child = fork();
  if (child == 0) {
    execvp(argv[1], argv + 1);
    _exit(127);
  }
  double shown = -1;
  struct pollfd p = {xcb_get_file_descriptor(c), POLLIN, 0};
  while (shown < 0 && Now() - start < 10000 && poll(&p, 1, 100) >= 0) {
    for (xcb_generic_event_t* e; shown < 0 && (e = xcb_poll_for_event(c)) != NULL; free(e)) {
      if ((e->response_type & 0x7F) == XCB_MAP_NOTIFY) shown = Now() - start;
    }
    if (xcb_connection_has_error(c)) break;
  }
  kill(child, SIGTERM);
  waitpid(child, NULL, 0);
  xcb_disconnect(c);
  if (shown < 0) {
    fprintf(stderr, "first_map: %s showed no window\n", argv[1]);
    return 1;
  }
  printf("%.1f\n", shown);
  return 0;
}
