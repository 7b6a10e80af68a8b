/* Reads one text per line from standard input and prints what each means,
 * said on Wednesday 5 June 2024 at 14:20:10, with 7 June 2024 a holiday and
 * "launch" on 20 June 2024. Build: see README.md, "From C and C++". */
#include <kalendo/kalendo.h>
#include <stdio.h>
#include <string.h>

static int is_holiday(void* user, int32_t year, unsigned month, unsigned day) {
  (void)user;
  return year == 2024 && month == 6 && day == 7;
}

static void print_datetime(const kalendo_datetime* t) {
  printf("%04d-%02u-%02uT%02u:%02u:%02u", (int)t->year, (unsigned)t->month, (unsigned)t->day,
         (unsigned)t->hour, (unsigned)t->minute, (unsigned)t->second);
}

/* An open end of a range prints as nothing: "range 2023-08-01T00:00:00..". */
static void print_reading(const kalendo_reading* r, unsigned open_ends) {
  printf("%s ", r->is_range ? "range" : "instant");
  if (!(open_ends & KALENDO_OPEN_START)) print_datetime(&r->start);
  if (r->is_range) {
    printf("..");
    if (!(open_ends & KALENDO_OPEN_END)) print_datetime(&r->end);
  }
  printf(" %g %s\n", (double)r->confidence, r->interpretation);
}

static int check(kalendo_status status) {
  if (status == KALENDO_OK) return 1;
  fprintf(stderr, "kalendo: %s: %s\n", kalendo_status_text(status), kalendo_last_error());
  return 0;
}

int main(void) {
  kalendo_options* options = NULL;
  char line[1024];
  int ok = check(kalendo_options_new(&options)) &&
           check(kalendo_options_set_now(options, "2024-06-05T14:20:10")) &&
           check(kalendo_options_set_anchor(options, "Launch", "2024-06-20")) &&
           check(kalendo_options_set_holidays(options, is_holiday, NULL, NULL));
  while (ok && fgets(line, sizeof line, stdin) != NULL) {
    kalendo_result* result = NULL;
    kalendo_reading reading;
    size_t i;
    line[strcspn(line, "\n")] = '\0';
    if (!check(kalendo_parse(options, line, strlen(line), &result))) {
      ok = 0;
      break;
    }
    printf("%s => ", line);
    switch (kalendo_result_kind(result)) {
      case KALENDO_INSTANT:
      case KALENDO_RANGE:
        ok = check(kalendo_result_reading(result, &reading));
        if (ok) print_reading(&reading, kalendo_result_open_ends(result));
        break;
      case KALENDO_AMBIGUOUS:
        printf("ambiguous %s\n", kalendo_result_reason(result));
        for (i = 0; ok && i < kalendo_result_candidate_count(result); ++i) {
          ok = check(kalendo_result_candidate(result, i, &reading));
          if (ok) {
            printf("  ");
            print_reading(&reading, kalendo_result_candidate_open_ends(result, i));
          }
        }
        break;
      case KALENDO_NO_PARSE:
        printf("no_parse %s\n", kalendo_result_reason(result));
        break;
    }
    kalendo_result_free(result);
  }
  kalendo_options_free(options);
  return ok ? 0 : 1;
}
