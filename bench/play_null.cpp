// Plays a media file through libmpv with no video and no sound output, as fast as the clock
// goes, and prints the CPU time it took: the cost of decoding alone, to set beside the player's.
// usage: play_null FILE
#include <clocale>
#include <initializer_list>
#include <cstdio>
#include <ctime>
#include <mpv/client.h>
#include <sys/resource.h>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: play_null FILE\n");
    return 2;
  }
  std::setlocale(LC_NUMERIC, "C");
  mpv_handle* mpv = mpv_create();
  for (const char* o : {"config=no", "vo=null", "ao=null", "hwdec=no", "idle=no"}) {
    char name[32], value[32];
    std::sscanf(o, "%31[^=]=%31s", name, value);
    mpv_set_option_string(mpv, name, value);
  }
  mpv_initialize(mpv);
  const char* command[] = {"loadfile", argv[1], nullptr};
  mpv_command(mpv, command);
  timespec start{}, end{};
  clock_gettime(CLOCK_MONOTONIC, &start);
  for (;;) {
    mpv_event* e = mpv_wait_event(mpv, 10);
    if (e->event_id == MPV_EVENT_END_FILE || e->event_id == MPV_EVENT_SHUTDOWN) break;
  }
  clock_gettime(CLOCK_MONOTONIC, &end);
  int64_t dropped = 0;
  mpv_get_property(mpv, "frame-drop-count", MPV_FORMAT_INT64, &dropped);
  mpv_terminate_destroy(mpv);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const double cpu = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  const double wall = double(end.tv_sec - start.tv_sec) + double(end.tv_nsec - start.tv_nsec) / 1e9;
  std::printf("mpv with no video output: %.1f s of playing took %.2f s of CPU (%.0f %% of one core)\n", wall, cpu,
              100 * cpu / wall);
  return 0;
}
