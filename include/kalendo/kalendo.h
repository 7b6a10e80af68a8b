/* kalendo: resolves English date expressions ("next friday at 5pm",
 * "3/14/2025", "in two business days") against a moment you give.
 *
 * The C interface: C11, and usable from C++ (C++17 or later) as is.
 * Every function that can fail returns a kalendo_status; kalendo_last_error()
 * then holds a message for the calling thread. Handles are opaque and freed
 * explicitly; texts that an accessor returns are owned by the handle and live
 * until it is freed. The only state kept between calls is each thread's
 * last error message, so distinct handles may be used on distinct threads
 * at once, and one options handle may be parsed with by many threads while
 * nobody changes it. */
#ifndef KALENDO_KALENDO_H
#define KALENDO_KALENDO_H

#include <stddef.h>
#include <stdint.h>

#define KALENDO_VERSION_MAJOR 0
#define KALENDO_VERSION_MINOR 4
#define KALENDO_VERSION_PATCH 0
#define KALENDO_VERSION_STRING "0.4.0"
/* Compile-time version as one number: 0.4.0 is 400. */
#define KALENDO_VERSION \
  (KALENDO_VERSION_MAJOR * 10000 + KALENDO_VERSION_MINOR * 100 + KALENDO_VERSION_PATCH)

#if defined(__GNUC__)
#define KALENDO_API __attribute__((visibility("default")))
#else
#define KALENDO_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef enum kalendo_status {
  KALENDO_OK = 0,
  KALENDO_INVALID_ARGUMENT = 1, /* a null handle or pointer, a value out of its range */
  KALENDO_INVALID_DATE = 2,     /* the moment or an anchor date cannot be read */
  KALENDO_NOW_NOT_SET = 3,      /* kalendo_parse before kalendo_options_set_now* */
  KALENDO_INTERRUPTED = 4,      /* the holiday stop function ended the call */
  KALENDO_OUT_OF_MEMORY = 5,
  KALENDO_INTERNAL_ERROR = 6, /* a broken invariant inside kalendo; never caused by input */
  KALENDO_NO_SUCH_END = 7     /* kalendo_result_start or _end of a range without that end */
} kalendo_status;

typedef enum kalendo_kind {
  KALENDO_INSTANT = 0,   /* one moment: start == end */
  KALENDO_RANGE = 1,     /* start..end, both included; one end may be open (see below) */
  KALENDO_AMBIGUOUS = 2, /* several readings: see the candidates */
  KALENDO_NO_PARSE = 3   /* not a date: see the reason */
} kalendo_kind;

typedef enum kalendo_mode {
  KALENDO_MODE_FULL = 0,  /* the default: the core grammar, then everyday dates */
  KALENDO_MODE_STRICT = 1 /* the core grammar alone */
} kalendo_mode;

typedef enum kalendo_date_order {
  KALENDO_ORDER_UNSET = 0, /* numeric dates like 3/4 may be read either way */
  KALENDO_ORDER_MDY = 1,
  KALENDO_ORDER_DMY = 2,
  KALENDO_ORDER_YMD = 3
} kalendo_date_order;

/* A local date and time of the proleptic Gregorian calendar, no zone. Years
 * run from -262143 to 262142; second is 60 during a leap second. */
typedef struct kalendo_datetime {
  int32_t year;
  uint8_t month;  /* 1..12 */
  uint8_t day;    /* 1..31 */
  uint8_t hour;   /* 0..23 */
  uint8_t minute; /* 0..59 */
  uint8_t second; /* 0..60 */
  uint32_t nanosecond;
} kalendo_datetime;

/* One reading of a text. `interpretation` is owned by the result. In full
 * mode a range may lack one end ("since August" has no end, "before friday"
 * no start): kalendo_result_open_ends says so, and the field of the missing
 * end then holds the other end's moment, never a date of its own. */
typedef struct kalendo_reading {
  int is_range; /* 0 for an instant (start == end) */
  kalendo_datetime start;
  kalendo_datetime end;
  float confidence; /* 0.05 .. 1 */
  const char* interpretation;
} kalendo_reading;

/* Answers whether a date is a holiday (non-zero) for business-day counts.
 * Called many times per parse; it must not call back into kalendo with the
 * same options handle being changed. */
typedef int (*kalendo_holiday_fn)(void* user, int32_t year, unsigned month, unsigned day);
/* Asked after each holiday question (so only when a predicate is set): non-zero ends the parse at
 * once with KALENDO_INTERRUPTED (a Ctrl-C arrived, a deadline passed). */
typedef int (*kalendo_stop_fn)(void* user);

typedef struct kalendo_options kalendo_options;
typedef struct kalendo_result kalendo_result;
typedef struct kalendo_found kalendo_found;

/* The library's version at run time, e.g. "0.4.0". */
KALENDO_API const char* kalendo_version(void);
/* A fixed English text for a status. */
KALENDO_API const char* kalendo_status_text(kalendo_status status);
/* The message of the last failing call on this thread ("" when none failed).
 * Valid until the next call into kalendo on the same thread. */
KALENDO_API const char* kalendo_last_error(void);

/* Options: full mode, default time 09:00:00, weeks from Monday, "next
 * friday" on a Friday a week later, no anchors, no holidays. The moment must be set before parsing.
 */
KALENDO_API kalendo_status kalendo_options_new(kalendo_options** out);
KALENDO_API void kalendo_options_free(kalendo_options* options); /* NULL is ignored */

/* The current moment as "2024-06-05T14:20:10", NUL-terminated; a fraction
 * of a second may follow, white space may surround it, second 60 is a leap
 * second. */
KALENDO_API kalendo_status kalendo_options_set_now(kalendo_options* options, const char* iso);
/* The current moment as fields; every field must be in its range. */
KALENDO_API kalendo_status kalendo_options_set_now_fields(kalendo_options* options,
                                                          kalendo_datetime now);
/* Names a date ("payday" -> "2024-06-28") that texts may refer to. A name
 * is read as a text is: lower-case, with , . ! ? ; ( ) " and the hyphen as
 * spaces, so "Go-Live" names "go-live" and "go live". A name with the same
 * words as an earlier one replaces it; a name with no word fails. */
KALENDO_API kalendo_status kalendo_options_set_anchor(kalendo_options* options, const char* name,
                                                      const char* iso_date);
KALENDO_API kalendo_status kalendo_options_clear_anchors(kalendo_options* options);
/* The time of day of results that name a day but no time. */
KALENDO_API kalendo_status kalendo_options_set_default_time(kalendo_options* options, unsigned hour,
                                                            unsigned minute, unsigned second);
/* 0 Monday .. 6 Sunday. */
KALENDO_API kalendo_status kalendo_options_set_week_start(kalendo_options* options,
                                                          unsigned weekday);
/* Whether "next friday" said on a Friday means a week later (non-zero) or today. */
KALENDO_API kalendo_status kalendo_options_set_next_skips_today(kalendo_options* options, int skip);
/* The holiday predicate and its stop function (either may be NULL); `user`
 * is passed to both and is not owned. */
KALENDO_API kalendo_status kalendo_options_set_holidays(kalendo_options* options,
                                                        kalendo_holiday_fn is_holiday,
                                                        kalendo_stop_fn stop, void* user);
KALENDO_API kalendo_status kalendo_options_set_date_order(kalendo_options* options,
                                                          kalendo_date_order order);
KALENDO_API kalendo_status kalendo_options_set_mode(kalendo_options* options, kalendo_mode mode);
/* Whose holidays names like "boxing day" mean: "US" (the default), "GB",
 * "CA", "AU", "IE" or "NZ"; anything else fails with KALENDO_INVALID_ARGUMENT. */
KALENDO_API kalendo_status kalendo_options_set_region(kalendo_options* options, const char* region);
/* Moves the hour a part of the day names: "morning" (09:00), "lunch" (12:00),
 * "afternoon" (15:00), "evening" (19:00), "tonight" (20:00), "night" (21:00)
 * or "eod" (17:00). An unknown name or a time out of range fails with
 * KALENDO_INVALID_ARGUMENT. */
KALENDO_API kalendo_status kalendo_options_set_day_part(kalendo_options* options, const char* name,
                                                        unsigned hour, unsigned minute,
                                                        unsigned second);
/* A zone abbreviation the caller maps itself ("IST"): a text naming it
 * resolves on the clock of the moment given, and the JSON answer names the
 * abbreviation as written here. It must be UTF-8 with no white space and not
 * empty. */
KALENDO_API kalendo_status kalendo_options_add_zone_name(kalendo_options* options,
                                                         const char* abbreviation);
KALENDO_API kalendo_status kalendo_options_clear_zone_names(kalendo_options* options);

/* Resolves `length` bytes of UTF-8 text. A text that is not a date is not a
 * failure: it gives a result of kind KALENDO_NO_PARSE with a reason. On
 * failure *out is NULL. */
KALENDO_API kalendo_status kalendo_parse(const kalendo_options* options, const char* text,
                                         size_t length, kalendo_result** out);
KALENDO_API void kalendo_result_free(kalendo_result* result); /* NULL is ignored */

KALENDO_API kalendo_kind kalendo_result_kind(const kalendo_result* result);
/* The one reading of an instant or a range; KALENDO_INVALID_ARGUMENT for the
 * other kinds. */
KALENDO_API kalendo_status kalendo_result_reading(const kalendo_result* result,
                                                  kalendo_reading* out);
/* Parts of the one reading; for the other kinds start and end fail,
 * confidence is 0 and interpretation "". The start of a range without a
 * start, and the end of one without an end, fail with KALENDO_NO_SUCH_END. */
KALENDO_API kalendo_status kalendo_result_start(const kalendo_result* result,
                                                kalendo_datetime* out);
KALENDO_API kalendo_status kalendo_result_end(const kalendo_result* result, kalendo_datetime* out);
KALENDO_API float kalendo_result_confidence(const kalendo_result* result);
KALENDO_API const char* kalendo_result_interpretation(const kalendo_result* result);
/* The ends a range lacks, KALENDO_OPEN_START | KALENDO_OPEN_END: 0 for a
 * closed range, an instant and the other kinds. The candidate form reads
 * candidate `index` of an ambiguous text (0 when out of range). */
#define KALENDO_OPEN_START 1u
#define KALENDO_OPEN_END 2u
KALENDO_API unsigned kalendo_result_open_ends(const kalendo_result* result);
KALENDO_API unsigned kalendo_result_candidate_open_ends(const kalendo_result* result, size_t index);
/* Why a text is ambiguous or not a date; "" otherwise. */
KALENDO_API const char* kalendo_result_reason(const kalendo_result* result);
/* The readings of an ambiguous text, most likely first; 0 for other kinds. */
KALENDO_API size_t kalendo_result_candidate_count(const kalendo_result* result);
KALENDO_API kalendo_status kalendo_result_candidate(const kalendo_result* result, size_t index,
                                                    kalendo_reading* out);
/* The outcome as compact JSON, NUL-terminated; *length (if not NULL) gets its
 * size. The same text the Python module's raw calls return. */
KALENDO_API const char* kalendo_result_json(const kalendo_result* result, size_t* length);

/* Finds the date expressions inside `length` bytes of running UTF-8 text
 * ("see you next friday at 5pm"), in text order and never overlapping, each
 * resolved as kalendo_parse would resolve it alone. A text with none gives
 * an empty list. On failure *out is NULL. */
KALENDO_API kalendo_status kalendo_search(const kalendo_options* options, const char* text,
                                          size_t length, kalendo_found** out);
KALENDO_API void kalendo_found_free(kalendo_found* found); /* NULL is ignored */
KALENDO_API size_t kalendo_found_count(const kalendo_found* found);
/* Where item `index` lies: byte offsets into the UTF-8 text searched, the
 * end one past its last byte. */
KALENDO_API kalendo_status kalendo_found_span(const kalendo_found* found, size_t index,
                                              size_t* start, size_t* end);
/* The answer of item `index`, owned by the list (do not free it); NULL when
 * the index is out of range. Every kalendo_result_* accessor reads it. */
KALENDO_API const kalendo_result* kalendo_found_result(const kalendo_found* found, size_t index);
/* The list as compact JSON, [[start, end, outcome], ...], with byte offsets
 * and each outcome as kalendo_result_json writes it. */
KALENDO_API const char* kalendo_found_json(const kalendo_found* found, size_t* length);

#ifdef __cplusplus
}
#endif

#endif /* KALENDO_KALENDO_H */
