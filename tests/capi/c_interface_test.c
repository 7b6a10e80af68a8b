/* The C interface from C: compiled as C11 with -pedantic, it checks the
 * statuses and messages of the failures a C caller can cause, and that
 * accessors asked about the wrong kind of result answer safely. */
#include <stdio.h>
#include <string.h>

#include "kalendo/kalendo.h"

static int passed, failed;

static void expect(int ok, const char* what) {
  if (ok) {
    ++passed;
  } else {
    ++failed;
    fprintf(stderr, "FAILED: %s (last error: %s)\n", what, kalendo_last_error());
  }
}

/* A status and, when given, the last error's exact text. */
static void expect_status(kalendo_status got, kalendo_status want, const char* message,
                          const char* what) {
  expect(got == want && (message == NULL || strcmp(kalendo_last_error(), message) == 0), what);
}

int main(void) {
  kalendo_options* o = NULL;
  kalendo_result* r = NULL;
  kalendo_reading reading;
  kalendo_datetime t;
  const kalendo_datetime feb29 = {2023, 2, 29, 0, 0, 0, 0};
  const kalendo_datetime leap = {2016, 12, 31, 23, 59, 60, 0};
  static char ones[10000];
  int i;

  expect(strcmp(kalendo_version(), KALENDO_VERSION_STRING) == 0, "version");
  expect(strcmp(kalendo_status_text((kalendo_status)99), "unknown status") == 0, "status 99");
  expect_status(kalendo_options_new(NULL), KALENDO_INVALID_ARGUMENT, "out is NULL", "new(NULL)");
  expect_status(kalendo_options_new(&o), KALENDO_OK, "", "new");
  expect_status(kalendo_parse(o, "x", 1, &r), KALENDO_NOW_NOT_SET, NULL, "now unset");
  expect(r == NULL, "no result on failure");

  /* Bad values: each refused with its status, the options left as they were. */
  expect_status(kalendo_options_set_now(o, "2024-06-05"), KALENDO_INVALID_DATE, NULL, "now date");
  expect_status(kalendo_options_set_now(o, NULL), KALENDO_INVALID_ARGUMENT, "now is NULL",
                "now NULL");
  expect_status(kalendo_options_set_now_fields(o, feb29), KALENDO_INVALID_DATE, NULL, "feb 29");
  expect_status(kalendo_options_set_now_fields(o, leap), KALENDO_OK, "", "leap second now");
  expect_status(kalendo_options_set_now(o, "2024-06-05T14:20:10"), KALENDO_OK, "", "now");
  expect_status(kalendo_options_set_anchor(o, "launch", "2024-13-01"), KALENDO_INVALID_DATE,
                "invalid anchor date for \"launch\": input is out of range", "anchor date");
  expect_status(kalendo_options_set_anchor(NULL, "launch", "2024-06-20"), KALENDO_INVALID_ARGUMENT,
                "options is NULL", "anchor on NULL");
  expect_status(kalendo_options_set_default_time(o, 9, 60, 0), KALENDO_INVALID_ARGUMENT,
                "invalid default_time", "minute 60");
  expect_status(kalendo_options_set_week_start(o, 7), KALENDO_INVALID_ARGUMENT,
                "week_start must be 0 (Mon) .. 6 (Sun)", "week start 7");
  expect_status(kalendo_options_set_date_order(o, (kalendo_date_order)9), KALENDO_INVALID_ARGUMENT,
                "unknown date order", "order 9");
  expect_status(kalendo_options_set_mode(o, (kalendo_mode)-1), KALENDO_INVALID_ARGUMENT,
                "unknown mode", "mode -1");
  expect_status(kalendo_parse(o, NULL, 3, &r), KALENDO_INVALID_ARGUMENT, "text is NULL",
                "text NULL");
  expect_status(kalendo_parse(o, "a\xc3", 2, &r), KALENDO_INVALID_ARGUMENT,
                "text is not valid UTF-8", "cut UTF-8");

  /* Names that match inside one another's markers ("1" at index 22, "2" at
   * 33 .. "8" last) would multiply the text replacement after replacement:
   * refused before any replacing. */
  for (i = 0; i < 100; ++i) {
    char name[16];
    if (i % 11 == 0 && i >= 22) {
      sprintf(name, "%d", i / 11 - 1);
    } else {
      sprintf(name, "name %d", i);
    }
    expect_status(kalendo_options_set_anchor(o, name, "2025-01-01"), KALENDO_OK, "", "anchor");
  }
  memset(ones, '1', sizeof ones);
  expect_status(kalendo_parse(o, ones, sizeof ones, &r), KALENDO_INVALID_ARGUMENT,
                "anchor names match inside the markers of other anchor names and would grow the "
                "text without bound; avoid names that begin with a digit",
                "nesting refused");
  expect_status(kalendo_options_clear_anchors(o), KALENDO_OK, "", "clear");

  /* A text that is not a date is an answer, not a failure; the accessors of
   * a reading fail or answer empty for it. */
  expect_status(kalendo_parse(o, "blorp", 5, &r), KALENDO_OK, "", "no parse");
  expect(kalendo_result_kind(r) == KALENDO_NO_PARSE, "kind no parse");
  expect(strcmp(kalendo_result_reason(r), "no grammar rule matched \"blorp\"") == 0, "reason");
  expect_status(kalendo_result_start(r, &t), KALENDO_INVALID_ARGUMENT, NULL, "start of none");
  expect_status(kalendo_result_reading(r, &reading), KALENDO_INVALID_ARGUMENT, NULL, "reading");
  expect_status(kalendo_result_candidate(r, 0, &reading), KALENDO_INVALID_ARGUMENT,
                "candidate index out of range", "candidate 0");
  expect(kalendo_result_confidence(r) == 0.0f && *kalendo_result_interpretation(r) == '\0',
         "empty reading");
  kalendo_result_free(r);

  /* A range through the single accessors; an embedded NUL is part of the text. */
  expect_status(kalendo_parse(o, "this week", 9, &r), KALENDO_OK, "", "range");
  expect(kalendo_result_kind(r) == KALENDO_RANGE && kalendo_result_candidate_count(r) == 0,
         "kind range");
  expect(kalendo_result_end(r, &t) == KALENDO_OK && t.day == 9 && t.hour == 23 && t.second == 59,
         "end of range");
  expect(*kalendo_result_reason(r) == '\0', "no reason");
  expect(kalendo_result_open_ends(r) == 0, "closed range");
  kalendo_result_free(r);
  /* A range without an end: its end fails, its reading's end repeats the start. */
  expect_status(kalendo_parse(o, "since August", 12, &r), KALENDO_OK, "", "open range");
  expect(kalendo_result_open_ends(r) == KALENDO_OPEN_END, "open end");
  expect_status(kalendo_result_end(r, &t), KALENDO_NO_SUCH_END, "the range has no end", "no end");
  expect(kalendo_result_start(r, &t) == KALENDO_OK && t.year == 2023 && t.month == 8, "start");
  expect(kalendo_result_reading(r, &reading) == KALENDO_OK && reading.end.month == 8, "reading");
  kalendo_result_free(r);
  expect_status(kalendo_parse(o, "today\0x", 7, &r), KALENDO_OK, "", "embedded NUL");
  expect(kalendo_result_kind(r) == KALENDO_NO_PARSE, "NUL is not white space");
  kalendo_result_free(r);

  /* The setters of the everyday grammar refuse bad values by status. */
  expect_status(kalendo_options_set_region(o, "FR"), KALENDO_INVALID_ARGUMENT,
                "region must be one of US, GB, CA, AU, IE or NZ, not \"FR\"", "region FR");
  expect_status(kalendo_options_set_region(o, NULL), KALENDO_INVALID_ARGUMENT, "region is NULL",
                "region NULL");
  expect_status(kalendo_options_set_day_part(o, "lunch", 12, 0, 60), KALENDO_INVALID_ARGUMENT,
                "day part time out of range", "lunch second 60");
  expect_status(kalendo_options_add_zone_name(o, "\xc3"), KALENDO_INVALID_ARGUMENT,
                "zone name is not valid UTF-8", "zone cut UTF-8");
  expect_status(kalendo_options_set_region(o, "GB"), KALENDO_OK, "", "region GB");
  expect_status(kalendo_options_add_zone_name(o, "IST"), KALENDO_OK, "", "zone IST");

  /* Search: byte offsets, each item's result, the list as JSON naming the
   * caller's zone; a bad index fails and gives no result. */
  {
    kalendo_found* found = NULL;
    size_t start = 0, end = 0, length = 0;
    const char* text = "lunch boxing day, then 5pm IST";
    const char* json;
    expect_status(kalendo_search(o, text, strlen(text), &found), KALENDO_OK, "", "search");
    expect(kalendo_found_count(found) == 2, "two found");
    expect(kalendo_found_span(found, 1, &start, &end) == KALENDO_OK && start == 23 && end == 30,
           "span of 5pm IST");
    expect(kalendo_result_kind(kalendo_found_result(found, 0)) == KALENDO_INSTANT, "boxing day");
    expect_status(kalendo_found_span(found, 2, &start, &end), KALENDO_INVALID_ARGUMENT,
                  "item index out of range", "span 2");
    expect(kalendo_found_result(found, 2) == NULL, "result 2");
    json = kalendo_found_json(found, &length);
    expect(strlen(json) == length && strncmp(json, "[[6,16,", 7) == 0, "json offsets");
    expect(strstr(json, "IST") != NULL, "json names the zone");
    kalendo_found_free(found);
    expect_status(kalendo_search(o, "a\xc3", 2, &found), KALENDO_INVALID_ARGUMENT,
                  "text is not valid UTF-8", "search cut UTF-8");
    expect(found == NULL && kalendo_found_count(NULL) == 0 && kalendo_found_result(NULL, 0) == NULL,
           "NULL list");
    kalendo_found_free(NULL);
  }

  /* NULL handles are safe everywhere. */
  expect(kalendo_result_kind(NULL) == KALENDO_NO_PARSE && kalendo_result_candidate_count(NULL) == 0,
         "NULL result");
  expect(strcmp(kalendo_result_json(NULL, NULL), "") == 0, "NULL json");
  kalendo_result_free(NULL);
  kalendo_options_free(NULL);
  kalendo_options_free(o);

  printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
