// The extension module kalendo._core: converts and checks the arguments of
// parse_raw, calls the parse core and returns the outcome as JSON text.
//
// Written against the CPython limited API (3.10) so that one abi3 build
// serves every interpreter from 3.10 on. Every reference is owned by a PyRef
// or borrowed for a stated span; no C++ exception crosses into Python.
#ifndef Py_LIMITED_API
#define Py_LIMITED_API 0x030A0000
#endif
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include <nanoarrow/nanoarrow.h>

#include "batch/arrow.h"
#include "batch/batch.h"
#include "config.h"
#include "everyday/mod.h"
#include "iso_parse.h"
#include "locale.h"
#include "parse.h"
#include "quote.h"
#include "search/search.h"
#include "tokenize.h"
#include "types.h"
#include "unicode.h"

namespace {

using namespace kalendo;

// A move-only owned reference.
class PyRef {
 public:
  PyRef() = default;
  static PyRef steal(PyObject* o) { return PyRef(o); }
  static PyRef borrow(PyObject* o) {
    Py_XINCREF(o);
    return PyRef(o);
  }
  PyRef(PyRef&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  PyRef& operator=(PyRef&& other) noexcept {
    if (this != &other) {
      Py_XDECREF(p_);
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }
  PyRef(const PyRef&) = delete;
  PyRef& operator=(const PyRef&) = delete;
  ~PyRef() { Py_XDECREF(p_); }

  PyObject* get() const { return p_; }
  // Returns the reference to the caller, who now owns it.
  PyObject* release() { return std::exchange(p_, nullptr); }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  explicit PyRef(PyObject* o) : p_(o) {}
  PyObject* p_ = nullptr;
};

// State that outlives a call: created once by the first initialisation.
PyObject* g_module = nullptr;          // strong
PyObject* g_internal_error = nullptr;  // strong
// The interpreter that owns the module, by ID: an address may be reused by
// a later interpreter once the first is gone, an ID never is.
int64_t g_interpreter_id = -1;

constexpr const char* kVersion = "0.4.0";
constexpr Py_ssize_t kParamCount = 7;
constexpr Py_ssize_t kRequiredCount = 6;
constexpr const char* kParamNames[kParamCount] = {
    "text", "now", "anchors", "default_time", "week_start", "next_skips_today", "holidays",
};
enum Param { kText, kNow, kAnchors, kDefaultTime, kWeekStart, kNextSkipsToday, kHolidays };

constexpr const char* kOverflowText = "out of range integral type conversion attempted";

// Returns the `__name__` of the object's type as a new reference, or a
// placeholder when it cannot be read.
PyRef type_name(PyObject* o) {
  PyRef name =
      PyRef::steal(PyObject_GetAttrString(reinterpret_cast<PyObject*>(Py_TYPE(o)), "__name__"));
  if (!name || !PyUnicode_Check(name.get())) {
    PyErr_Clear();
    return PyRef::steal(PyUnicode_FromString("object"));
  }
  return name;
}

// Raises TypeError "argument '<param>': '<type>' object cannot be converted
// to '<target>'".
void raise_conversion(Param param, PyObject* o, const char* target) {
  PyRef name = type_name(o);
  if (!name) return;
  PyErr_Format(PyExc_TypeError, "argument '%s': '%U' object cannot be converted to '%s'",
               kParamNames[param], name.get(), target);
}

// Re-raises a pending TypeError with the argument's name in front; other
// exceptions stay as they are.
void prefix_type_error(Param param) {
  if (!PyErr_ExceptionMatches(PyExc_TypeError)) return;
  PyObject *type = nullptr, *value = nullptr, *tb = nullptr;
  PyErr_Fetch(&type, &value, &tb);
  PyRef t = PyRef::steal(type), v = PyRef::steal(value), b = PyRef::steal(tb);
  PyRef text = PyRef::steal(v ? PyObject_Str(v.get()) : PyUnicode_FromString(""));
  if (!text) return;
  PyErr_Format(PyExc_TypeError, "argument '%s': %U", kParamNames[param], text.get());
}

// Returns true for numpy's boolean scalar type, recognised by its module and
// name so that numpy is never imported here.
bool is_numpy_bool(PyObject* o) {
  PyObject* type = reinterpret_cast<PyObject*>(Py_TYPE(o));
  PyRef module = PyRef::steal(PyObject_GetAttrString(type, "__module__"));
  PyRef name = PyRef::steal(PyObject_GetAttrString(type, "__name__"));
  if (!module || !name || !PyUnicode_Check(module.get()) || !PyUnicode_Check(name.get())) {
    PyErr_Clear();
    return false;
  }
  return PyUnicode_CompareWithASCIIString(module.get(), "numpy") == 0 &&
         (PyUnicode_CompareWithASCIIString(name.get(), "bool_") == 0 ||
          PyUnicode_CompareWithASCIIString(name.get(), "bool") == 0);
}

// Binds by position and keyword like `def fn(<positional>, *, <the rest>)`,
// whose first kRequiredCount parameters have no default, with the
// call-error texts of such a `def`: keywords first, in the caller's order,
// then too many positional arguments, then the missing ones. Fills `bound`
// (one slot per name) with borrowed references.
bool bind_call(const char* fn, std::span<const char* const> names, Py_ssize_t positional,
               PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames, PyObject** bound) {
  if (kwnames == nullptr && nargs >= kRequiredCount && nargs <= positional) {
    // The usual call: every argument by position, none missing.
    std::copy(args, args + nargs, bound);
    return true;
  }
  const auto count = static_cast<Py_ssize_t>(names.size());
  for (Py_ssize_t i = 0; i < nargs && i < positional; ++i)
    bound[i] = args[i];
  const Py_ssize_t nkw = kwnames != nullptr ? PyTuple_Size(kwnames) : 0;
  Py_ssize_t keyword_only = 0;
  for (Py_ssize_t k = 0; k < nkw; ++k) {
    PyObject* key = PyTuple_GetItem(kwnames, k);  // borrowed
    if (key == nullptr) return false;
    Py_ssize_t index = -1;
    for (Py_ssize_t p = 0; p < count && PyUnicode_Check(key); ++p) {
      if (PyUnicode_CompareWithASCIIString(key, names[p]) == 0) {
        index = p;
        break;
      }
    }
    if (index < 0) {
      PyErr_Format(PyExc_TypeError, "%s() got an unexpected keyword argument '%S'", fn, key);
      return false;
    }
    if (index < nargs && index < positional) {
      PyErr_Format(PyExc_TypeError, "%s() got multiple values for argument '%s'", fn, names[index]);
      return false;
    }
    if (index >= positional) ++keyword_only;
    bound[index] = args[nargs + k];
  }
  if (nargs > positional) {
    if (keyword_only == 0) {
      PyErr_Format(PyExc_TypeError,
                   "%s() takes from %zd to %zd positional arguments but %zd were given", fn,
                   kRequiredCount, positional, nargs);
    } else {
      PyErr_Format(PyExc_TypeError,
                   "%s() takes from %zd to %zd positional arguments but %zd positional "
                   "arguments (and %zd keyword-only argument%s) were given",
                   fn, kRequiredCount, positional, nargs, keyword_only,
                   keyword_only == 1 ? "" : "s");
    }
    return false;
  }
  Py_ssize_t missing = 0;
  for (Py_ssize_t p = 0; p < kRequiredCount; ++p)
    missing += bound[p] == nullptr ? 1 : 0;
  if (missing == 0) return true;
  std::string list;
  Py_ssize_t listed = 0;
  for (Py_ssize_t p = 0; p < kRequiredCount; ++p) {
    if (bound[p] != nullptr) continue;
    if (listed != 0) list += missing == 2 ? " and " : (listed + 1 == missing ? ", and " : ", ");
    list += '\'';
    list += names[p];
    list += '\'';
    ++listed;
  }
  PyErr_Format(PyExc_TypeError, "%s() missing %zd required positional argument%s: %s", fn, missing,
               missing == 1 ? "" : "s", list.c_str());
  return false;
}

// Binds parse_raw's arguments: all of them positional or keyword.
bool bind_arguments(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames,
                    PyObject* bound[kParamCount]) {
  return bind_call("parse_raw", kParamNames, kParamCount, args, nargs, kwnames, bound);
}

// Converts a str (or subclass) to its UTF-8 text, borrowed from the object.
bool to_utf8(Param param, PyObject* o, std::string_view* out) {
  if (!PyUnicode_Check(o)) {
    raise_conversion(param, o, "str");
    return false;
  }
  Py_ssize_t size = 0;
  const char* data = PyUnicode_AsUTF8AndSize(o, &size);
  if (data == nullptr) return false;  // the interpreter's encoding error
  *out = std::string_view(data, static_cast<std::size_t>(size));
  return true;
}

// Converts an integer (or an object with __index__) to an unsigned value of
// at most `max`.
bool to_unsigned(Param param, PyObject* o, unsigned long max, unsigned long* out) {
  // An int (or bool) is read as it is; anything else through __index__.
  PyRef index;
  if (!PyLong_Check(o)) {
    index = PyRef::steal(PyNumber_Index(o));
    if (!index) {
      prefix_type_error(param);
      return false;
    }
  }
  const long v = PyLong_AsLong(index ? index.get() : o);
  if (v == -1 && PyErr_Occurred()) return false;  // beyond a C long
  if (v < 0 || static_cast<unsigned long>(v) > max) {
    PyErr_SetString(PyExc_OverflowError, kOverflowText);
    return false;
  }
  *out = static_cast<unsigned long>(v);
  return true;
}

// The arguments after conversion, before their values are checked.
struct Converted {
  std::string_view text;
  std::string_view now;
  PyObject* now_object = nullptr;  // borrowed
  bool now_known = false;          // `now` is the memo's object: its moment is known
  // Anchor entries in dict order, copied: converting the later arguments
  // runs Python code (the `__index__` of a default_time element or of
  // week_start, the `__bool__` of a numpy boolean) that may change or clear
  // the dict and free the strings it held.
  std::vector<std::pair<std::string, std::string>> anchors;
  unsigned long hms[3] = {0, 0, 0};
  unsigned long week_start = 0;
  bool next_skips_today = false;
  PyObject* holidays = nullptr;  // borrowed; null for None
};

bool convert_anchors(PyObject* o, Converted& c) {
  if (!PyDict_Check(o)) {
    raise_conversion(kAnchors, o, "dict");
    return false;
  }
  const Py_ssize_t size = PyDict_Size(o);
  if (size == 0) return true;  // most calls: nothing to copy
  Py_ssize_t pos = 0;
  PyObject *key = nullptr, *value = nullptr;  // borrowed
  c.anchors.reserve(static_cast<std::size_t>(size));
  while (PyDict_Next(o, &pos, &key, &value)) {
    std::string_view k, v;
    if (!to_utf8(kAnchors, key, &k) || !to_utf8(kAnchors, value, &v)) return false;
    c.anchors.emplace_back(std::string(k), std::string(v));
  }
  return true;
}

// An argument that callers pass call after call, as read the last time: a
// tuple of exact ints, or an exact int, cannot change, so while the memo
// holds it (a strong reference) the same object reads the same. Holding
// one small object is all it costs; the interpreter lock guards it.
struct ExactMemo {
  PyObject* object = nullptr;  // strong, or null
  unsigned long values[3] = {0, 0, 0};

  // Remembers `o` (borrowed) as reading `values`.
  void keep(PyObject* o, const unsigned long* read, std::size_t count) {
    Py_INCREF(o);
    Py_XDECREF(std::exchange(object, o));
    std::copy(read, read + count, values);
  }
};
ExactMemo g_default_time_memo;
ExactMemo g_week_start_memo;

// The `now` that callers pass call after call, as parsed the last time: a
// str cannot change, so while the memo holds it (a strong reference) the
// same object is the same moment, and neither its text nor its parse is
// needed again. The interpreter lock guards it.
struct NowMemo {
  PyObject* object = nullptr;  // strong, or null
  DateTime value;

  // Remembers `o` (borrowed) as the moment `t`.
  void keep(PyObject* o, DateTime t) {
    Py_INCREF(o);
    Py_XDECREF(std::exchange(object, o));
    value = t;
  }
};
NowMemo g_now_memo;

bool convert_default_time(PyObject* o, Converted& c) {
  if (o == g_default_time_memo.object) {
    std::copy(g_default_time_memo.values, g_default_time_memo.values + 3, c.hms);
    return true;
  }
  if (!PyTuple_Check(o)) {
    raise_conversion(kDefaultTime, o, "tuple");
    return false;
  }
  const Py_ssize_t n = PyTuple_Size(o);
  if (n != 3) {
    PyErr_Format(PyExc_TypeError,
                 "argument 'default_time': expected tuple of length 3, but got tuple of length %zd",
                 n);
    return false;
  }
  for (Py_ssize_t i = 0; i < 3; ++i) {
    PyObject* item = PyTuple_GetItem(o, i);  // borrowed
    if (item == nullptr || !to_unsigned(kDefaultTime, item, 0xFFFFFFFFul, &c.hms[i])) {
      return false;
    }
  }
  // Only a tuple of exact ints: an int subclass may change what it reads as.
  if (PyTuple_CheckExact(o) && PyLong_CheckExact(PyTuple_GetItem(o, 0)) &&
      PyLong_CheckExact(PyTuple_GetItem(o, 1)) && PyLong_CheckExact(PyTuple_GetItem(o, 2))) {
    g_default_time_memo.keep(o, c.hms, 3);
  }
  return true;
}

bool convert_week_start(PyObject* o, Converted& c) {
  if (o == g_week_start_memo.object) {
    c.week_start = g_week_start_memo.values[0];
    return true;
  }
  if (!to_unsigned(kWeekStart, o, 255, &c.week_start)) return false;
  if (PyLong_CheckExact(o)) g_week_start_memo.keep(o, &c.week_start, 1);
  return true;
}

bool convert_bool(PyObject* o, bool* out) {
  if (PyBool_Check(o)) {
    *out = o == Py_True;
    return true;
  }
  if (is_numpy_bool(o)) {
    const int truth = PyObject_IsTrue(o);
    if (truth < 0) return false;
    *out = truth == 1;
    return true;
  }
  raise_conversion(kNextSkipsToday, o, "bool");
  return false;
}

// Converts the arguments in parameter order; the first failure raises.
bool convert(PyObject* const bound[kParamCount], Converted& c) {
  if (!to_utf8(kText, bound[kText], &c.text)) return false;
  c.now_object = bound[kNow];
  c.now_known = c.now_object == g_now_memo.object;
  if (!c.now_known && !to_utf8(kNow, c.now_object, &c.now)) return false;
  if (!convert_anchors(bound[kAnchors], c)) return false;
  if (!convert_default_time(bound[kDefaultTime], c)) return false;
  if (!convert_week_start(bound[kWeekStart], c)) return false;
  if (!convert_bool(bound[kNextSkipsToday], &c.next_skips_today)) return false;
  PyObject* h = bound[kHolidays];
  c.holidays = (h == nullptr || h == Py_None) ? nullptr : h;
  return true;
}

bool build_anchor_map(const Converted& c, AnchorMap& anchors) {
  if (c.anchors.empty()) return true;  // most calls: nothing to read or index
  std::vector<std::pair<std::string, Date>> entries;
  entries.reserve(c.anchors.size());
  for (const auto& [key, value] : c.anchors) {
    const IsoResult<Date> date = parse_iso_date(value);
    if (const auto* e = std::get_if<IsoError>(&date)) {
      std::string message = "invalid anchor date for ";
      append_quoted(message, key);
      message += ": ";
      message += iso_error_text(*e);
      PyErr_SetString(PyExc_ValueError, message.c_str());
      return false;
    }
    std::string lowered;
    uni::to_lower(uni::trim_white_space(key), lowered);
    entries.emplace_back(std::move(lowered), std::get<Date>(date));
  }
  anchors = make_anchor_map(std::move(entries));
  return true;
}

// Refuses anchor names that would grow the text past the tokenizer's bound
// by matching inside one another's markers; the tokenizer would otherwise
// stop replacing names part way and answer about a half-replaced text.
bool check_anchor_nesting(std::string_view text, const AnchorMap& anchors) {
  if (anchors.empty()) return true;
  std::vector<std::string_view> names;
  names.reserve(anchors.size());
  for (const auto& entry : anchors)
    names.push_back(entry.first);
  if (anchor_markers_fit(uni::trim_white_space(text), names)) return true;
  PyErr_SetString(PyExc_ValueError,
                  "anchor names match inside the markers of other anchor names and would grow "
                  "the text without bound; avoid names that begin with a digit");
  return false;
}

// The caller's holiday callable for one call, and what ends the call early:
// a KeyboardInterrupt or SystemExit from the callable, or whatever a signal
// handler raised during the walk. The walk reads `stop` after every ask.
struct HolidayCall {
  PyObject* callable = nullptr;  // borrowed for the call
  bool stop = false;
  uint32_t asks = 0;
  uint32_t rows = 0;         // parse_many: rows and asks read through rows_stop
  PyObject* type = nullptr;  // the exception that ends the call, owned
  PyObject* value = nullptr;
  PyObject* traceback = nullptr;

  HolidayCall() = default;
  HolidayCall(const HolidayCall&) = delete;
  HolidayCall& operator=(const HolidayCall&) = delete;
  ~HolidayCall() {
    Py_XDECREF(type);
    Py_XDECREF(value);
    Py_XDECREF(traceback);
  }

  // Takes the pending exception as the one that ends the call.
  void keep_pending() {
    PyErr_Fetch(&type, &value, &traceback);
    stop = true;
  }
  // Raises the kept exception again; the caller returns NULL.
  void restore() {
    PyErr_Restore(std::exchange(type, nullptr), std::exchange(value, nullptr),
                  std::exchange(traceback, nullptr));
  }
};

// Signals are checked once per this many asks: often enough that Ctrl-C
// ends a long walk at once, rarely enough to cost nothing.
constexpr uint32_t kSignalCheckAsks = 4096;

// Asks the caller's callable about one date. An ordinary failure of the
// callable makes a working day and its exception is discarded, so none is
// left pending; an interrupt or an exit is kept and stops the walk.
bool call_holiday(void* context, Date d) {
  auto* call = static_cast<HolidayCall*>(context);
  if (call->stop) return false;
  if (++call->asks % kSignalCheckAsks == 0 && PyErr_CheckSignals() < 0) {
    call->keep_pending();
    return false;
  }
  std::string iso;
  append_date(iso, d);
  PyRef arg =
      PyRef::steal(PyUnicode_FromStringAndSize(iso.data(), static_cast<Py_ssize_t>(iso.size())));
  if (!arg) {
    PyErr_Clear();
    return false;
  }
  PyRef result = PyRef::steal(PyObject_CallFunctionObjArgs(call->callable, arg.get(), nullptr));
  if (!result) {
    if (PyErr_ExceptionMatches(PyExc_KeyboardInterrupt) ||
        PyErr_ExceptionMatches(PyExc_SystemExit)) {
      call->keep_pending();
    } else {
      PyErr_Clear();
    }
    return false;
  }
  if (PyBool_Check(result.get())) return result.get() == Py_True;
  if (is_numpy_bool(result.get())) {
    const int truth = PyObject_IsTrue(result.get());
    if (truth < 0) PyErr_Clear();
    return truth == 1;
  }
  return false;
}

bool holiday_stop(void* context) {
  return static_cast<HolidayCall*>(context)->stop;
}

// The stop of parse_many with a holiday callable, read after every text
// resolved, every ask and every chunk of rows: a row that asks nothing
// still lets Ctrl-C end a long call. Checking costs a load of the flag a
// signal sets, a hundredth of a row's parse.
bool rows_stop(void* context) {
  auto* call = static_cast<HolidayCall*>(context);
  if (!call->stop && PyErr_CheckSignals() < 0) call->keep_pending();
  return call->stop;
}

// Parses `now`, remembering the last text that parsed: callers pass the
// same moment call after call. The interpreter lock serialises all use.
IsoResult<DateTime> parse_now(std::string_view text) {
  static char last_text[48];
  static std::size_t last_size = 0;
  static DateTime last_value;
  if (last_size != 0 && text == std::string_view(last_text, last_size)) return last_value;
  IsoResult<DateTime> parsed = parse_iso_date_time(text);
  if (const auto* value = std::get_if<DateTime>(&parsed);
      value && text.size() <= sizeof last_text) {
    std::copy(text.begin(), text.end(), last_text);
    last_size = text.size();
    last_value = *value;
  }
  return parsed;
}

// The checks that follow conversion, shared by parse_raw and parse_full: in
// this order and with these messages. Returns false with an exception set.
bool check_converted(const Converted& c, DateTime& now, AnchorMap& anchors, Options& opts) {
  if (c.now_known) {
    now = g_now_memo.value;
  } else {
    const IsoResult<DateTime> parsed = parse_now(c.now);
    if (const auto* e = std::get_if<IsoError>(&parsed)) {
      std::string message = "invalid `now` datetime: ";
      message += iso_error_text(*e);
      PyErr_SetString(PyExc_ValueError, message.c_str());
      return false;
    }
    now = std::get<DateTime>(parsed);
    // Only an exact str: what a subclass holds is the caller's to define.
    if (PyUnicode_CheckExact(c.now_object)) g_now_memo.keep(c.now_object, now);
  }
  if (!build_anchor_map(c, anchors)) return false;
  if (c.hms[0] >= 24 || c.hms[1] >= 60 || c.hms[2] >= 60) {
    PyErr_SetString(PyExc_ValueError, "invalid default_time");
    return false;
  }
  if (c.week_start >= 7) {
    PyErr_SetString(PyExc_ValueError, "week_start must be 0 (Mon) .. 6 (Sun)");
    return false;
  }
  if (!check_anchor_nesting(c.text, anchors)) return false;

  opts.default_time =
      TimeOfDay::hms(static_cast<uint32_t>(c.hms[0]), static_cast<uint32_t>(c.hms[1]),
                     static_cast<uint32_t>(c.hms[2]));
  opts.locale = &EN;
  opts.week_start = static_cast<uint8_t>(c.week_start);
  opts.next_skips_today = c.next_skips_today;
  return true;
}

// Returns the JSON text of an outcome as a new str.
PyObject* write_json_text(const Outcome& outcome) {
  // One buffer per thread: it is written only after the parse has returned,
  // so a nested call from the holiday callable is over before it is used.
  thread_local std::string json;
  json.clear();
  write_json(outcome, json);
  PyObject* text = PyUnicode_FromStringAndSize(json.data(), static_cast<Py_ssize_t>(json.size()));
  if (json.capacity() > (std::size_t{1} << 16)) std::string().swap(json);
  return text;
}

// Runs one parse with the caller's holiday callable (borrowed, or null) and
// returns what `finish` makes of its outcome: a new reference, or null when
// an interrupt or an exit from the callable ended the call.
template <typename Parse, typename Finish>
PyObject* parse_with_holidays(PyObject* callable, Parse&& parse, Finish&& finish) {
  // Holds the callable for the length of the call only.
  PyRef holidays = PyRef::borrow(callable);
  HolidayCall call;
  call.callable = holidays.get();
  const HolidayFn predicate = holidays ? HolidayFn(call_holiday, &call, holiday_stop) : HolidayFn();

  Outcome outcome = parse(predicate);
  if (call.stop) {
    // The answer of a stopped walk is not an answer: Ctrl-C propagates.
    call.restore();
    return nullptr;
  }
  return finish(outcome);
}

// Returns the outcome of one parse as JSON text; see parse_with_holidays.
template <typename Parse>
PyObject* parse_to_json(PyObject* callable, Parse&& parse) {
  return parse_with_holidays(callable, std::forward<Parse>(parse), write_json_text);
}

// The one catch-all at the binding's edge, around every entry: running out
// of memory is MemoryError, any other C++ exception InternalError, and none
// reaches the interpreter.
template <typename F>
PyObject* guarded(F&& f) {
  try {
    return f();
  } catch (const std::bad_alloc&) {
    return PyErr_NoMemory();
  } catch (const std::exception& e) {
    PyErr_SetString(g_internal_error, e.what());
  } catch (...) {
    PyErr_SetString(g_internal_error, "unknown internal failure");
  }
  return nullptr;
}

PyObject* parse_raw_impl(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  PyObject* bound[kParamCount] = {};
  if (!bind_arguments(args, nargs, kwnames, bound)) return nullptr;

  Converted c;
  if (!convert(bound, c)) return nullptr;
  DateTime now;
  AnchorMap anchors;
  Options opts;
  if (!check_converted(c, now, anchors, opts)) return nullptr;
  return parse_to_json(c.holidays, [&](HolidayFn predicate) {
    return parse_str(c.text, now, anchors, opts, predicate);
  });
}

PyObject* parse_raw(PyObject* /*module*/, PyObject* const* args, Py_ssize_t nargs,
                    PyObject* kwnames) {
  return guarded([&] { return parse_raw_impl(args, nargs, kwnames); });
}

constexpr char kParseRawDoc[] =
    "parse_raw(text, now, anchors, default_time, week_start, next_skips_today, holidays=None)\n"
    "--\n"
    "\n"
    "Low-level binding. `now` is an ISO datetime string, anchor values are ISO\n"
    "dates, `holidays` is an optional callable `(iso_date_str) -> bool`.\n"
    "Returns the outcome as a JSON string (see `types::WireOutcome`).";

// ---------------------------------------------------------------------------
// parse_full: full mode, the core grammar and then the everyday grammar.
// It takes parse_raw's parameters, checked and converted by the same
// functions with the same messages, and keyword-only options of its own
// after them; new options are added to the end of kFullNames.
namespace full {

constexpr Py_ssize_t kCount = 11;
constexpr Py_ssize_t kPositional = kParamCount;
constexpr const char* kNames[kCount] = {
    "text",     "now",        "anchors",   "default_time", "week_start", "next_skips_today",
    "holidays", "date_order", "day_parts", "zones",        "region",
};
enum Extra { kDateOrder = kParamCount, kDayParts, kZones, kRegion };

// Binds like `def parse_full(text, ..., holidays=None, *, date_order=None, ...)`.
bool bind(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames, PyObject* bound[kCount]) {
  return bind_call("parse_full", kNames, kPositional, args, nargs, kwnames, bound);
}

// None, "MDY", "DMY" or "YMD".
bool convert_date_order(PyObject* o, everyday::DateOrder* out) {
  *out = everyday::DateOrder::Unset;
  if (o == nullptr || o == Py_None) return true;
  if (!PyUnicode_Check(o)) {
    PyRef name = type_name(o);
    if (name) {
      PyErr_Format(PyExc_TypeError,
                   "argument 'date_order': '%U' object cannot be converted to 'str'", name.get());
    }
    return false;
  }
  constexpr std::pair<const char*, everyday::DateOrder> kOrders[] = {
      {"MDY", everyday::DateOrder::MDY},
      {"DMY", everyday::DateOrder::DMY},
      {"YMD", everyday::DateOrder::YMD},
  };
  for (const auto& [name, order] : kOrders) {
    if (PyUnicode_CompareWithASCIIString(o, name) == 0) {
      *out = order;
      return true;
    }
  }
  PyErr_Format(PyExc_ValueError, "date_order must be None, 'MDY', 'DMY' or 'YMD', not %R", o);
  return false;
}

// Reads one field of a day part's (hour, minute, second) as a whole number
// in [0, limit).
bool day_part_field(PyObject* item, long limit, PyObject* name, uint32_t* out) {
  PyRef index = PyRef::steal(PyNumber_Index(item));
  if (!index) return false;
  const long v = PyLong_AsLong(index.get());
  if (v == -1 && PyErr_Occurred() != nullptr) return false;
  if (v < 0 || v >= limit) {
    PyErr_Format(PyExc_ValueError, "day_parts[%R]: time out of range", name);
    return false;
  }
  *out = static_cast<uint32_t>(v);
  return true;
}

// None, or a dict from part names ("morning", ...) to (hour, minute, second).
bool convert_day_parts(PyObject* o, std::array<TimeOfDay, 7>* out) {
  if (o == nullptr || o == Py_None) return true;
  if (!PyDict_Check(o)) {
    PyRef name = type_name(o);
    if (name) {
      PyErr_Format(PyExc_TypeError,
                   "argument 'day_parts': '%U' object cannot be converted to 'dict'", name.get());
    }
    return false;
  }
  Py_ssize_t pos = 0;
  PyObject* key = nullptr;    // borrowed
  PyObject* value = nullptr;  // borrowed
  while (PyDict_Next(o, &pos, &key, &value)) {
    std::size_t part = std::size(everyday::kDayPartNames);
    for (std::size_t k = 0; k < part && PyUnicode_Check(key); ++k) {
      const std::string_view n = everyday::kDayPartNames[k];
      if (PyUnicode_CompareWithASCIIString(key, std::string(n).c_str()) == 0) part = k;
    }
    if (part == std::size(everyday::kDayPartNames)) {
      PyErr_Format(PyExc_ValueError,
                   "day_parts: unknown part of the day %R (known: morning, lunch, afternoon, "
                   "evening, tonight, night, eod)",
                   key);
      return false;
    }
    if (!PyTuple_Check(value) || PyTuple_Size(value) != 3) {
      PyErr_Format(PyExc_TypeError, "day_parts[%R]: expected a tuple (hour, minute, second)", key);
      return false;
    }
    uint32_t h = 0, m = 0, sec = 0;
    if (!day_part_field(PyTuple_GetItem(value, 0), 24, key, &h) ||
        !day_part_field(PyTuple_GetItem(value, 1), 60, key, &m) ||
        !day_part_field(PyTuple_GetItem(value, 2), 60, key, &sec)) {
      return false;
    }
    (*out)[part] = TimeOfDay::hms(h, m, sec);
  }
  return true;
}

// None, or a tuple of the zone abbreviations the caller maps ("IST").
bool convert_zones(PyObject* o, std::vector<std::string>* out) {
  if (o == nullptr || o == Py_None) return true;
  if (!PyTuple_Check(o)) {
    PyRef name = type_name(o);
    if (name) {
      PyErr_Format(PyExc_TypeError, "argument 'zones': '%U' object cannot be converted to 'tuple'",
                   name.get());
    }
    return false;
  }
  const Py_ssize_t n = PyTuple_Size(o);
  for (Py_ssize_t i = 0; i < n; ++i) {
    PyObject* item = PyTuple_GetItem(o, i);  // borrowed
    Py_ssize_t size = 0;
    const char* bytes =
        item != nullptr && PyUnicode_Check(item) ? PyUnicode_AsUTF8AndSize(item, &size) : nullptr;
    if (bytes == nullptr) {
      if (PyErr_Occurred() == nullptr)
        PyErr_SetString(PyExc_TypeError, "argument 'zones': expected a tuple of str");
      return false;
    }
    out->emplace_back(bytes, static_cast<std::size_t>(size));
  }
  return true;
}

// "US" (the default), "GB", "CA", "AU", "IE" or "NZ".
bool convert_region(PyObject* o, everyday::Region* out) {
  *out = everyday::Region::US;
  if (o == nullptr) return true;
  if (!PyUnicode_Check(o)) {
    PyRef name = type_name(o);
    if (name) {
      PyErr_Format(PyExc_TypeError, "argument 'region': '%U' object cannot be converted to 'str'",
                   name.get());
    }
    return false;
  }
  Py_ssize_t size = 0;
  const char* utf8 = PyUnicode_AsUTF8AndSize(o, &size);
  if (utf8 == nullptr) {
    PyErr_Clear();
  } else if (const auto region = everyday::holidays::region_named(
                 std::string_view(utf8, static_cast<std::size_t>(size)))) {
    *out = *region;
    return true;
  }
  PyErr_Format(PyExc_ValueError,
               "region must be one of 'US', 'GB', 'CA', 'AU', 'IE' or 'NZ', not %R", o);
  return false;
}

// Converts the everyday grammar's own options, each may be null (absent):
// parse_full, search_full and parse_many take them alike.
bool convert_given_options(PyObject* date_order, PyObject* day_parts, PyObject* zones,
                           PyObject* region, everyday::FullOptions* opts) {
  return convert_date_order(date_order, &opts->date_order) &&
         convert_day_parts(day_parts, &opts->day_parts) &&
         convert_zones(zones, &opts->zone_names) && convert_region(region, &opts->region);
}

inline bool convert_options(PyObject* date_order, PyObject* day_parts, PyObject* zones,
                            PyObject* region, everyday::FullOptions* opts) {
  // The usual call passes none of them: the defaults stand as constructed,
  // and the test is made where the call is.
  if (date_order == nullptr && day_parts == nullptr && zones == nullptr && region == nullptr)
    return true;
  return convert_given_options(date_order, day_parts, zones, region, opts);
}

PyObject* impl(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  PyObject* bound[kCount] = {};
  if (!bind(args, nargs, kwnames, bound)) return nullptr;

  Converted c;
  if (!convert(bound, c)) return nullptr;
  everyday::FullOptions opts;
  if (!convert_options(bound[kDateOrder], bound[kDayParts], bound[kZones], bound[kRegion], &opts))
    return nullptr;

  DateTime now;
  AnchorMap anchors;
  if (!check_converted(c, now, anchors, opts.core)) return nullptr;
  return parse_to_json(c.holidays, [&](HolidayFn predicate) {
    return everyday::parse_full(c.text, now, anchors, opts, predicate);
  });
}

PyObject* entry(PyObject* /*module*/, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return guarded([&] { return impl(args, nargs, kwnames); });
}

constexpr char kDoc[] =
    "parse_full(text, now, anchors, default_time, week_start, next_skips_today, holidays=None, *, "
    "date_order=None, day_parts=None, zones=None, region='US')\n"
    "--\n"
    "\n"
    "Full mode: the core grammar, then the everyday grammar (calendar dates in\n"
    "every common spelling, clock times, parts of the day, zones, holidays by\n"
    "name). Arguments as for parse_raw; `date_order` is None, \"MDY\", \"DMY\" or\n"
    "\"YMD\"; `day_parts` maps part names (morning, lunch, afternoon, evening,\n"
    "tonight, night, eod) to (hour, minute, second); `zones` is a tuple of zone\n"
    "abbreviations the caller maps (\"IST\"); `region` chooses whose holidays the\n"
    "names mean: \"US\", \"GB\", \"CA\", \"AU\", \"IE\" or \"NZ\". A text that names a\n"
    "zone is read on the clock of `now` as given, and the JSON names the zone in\n"
    "an extra \"zone\" field.\n"
    "Returns the outcome as the same JSON text.";

}  // namespace full
// ---------------------------------------------------------------------------
// parse_typed: the outcome of parse_full (or of parse_raw, with `strict`) as
// the typed API's own objects, without a JSON text in between. The package
// calls it with every argument in place, as parse_many is called, the ten
// that stay the same for many texts in one tuple:
//   parse_typed(text, now, (anchors, default_time, week_start,
//               next_skips_today, holidays, date_order, day_parts, zones,
//               region, strict), tzinfo, zone_tzinfo) -> (outcome, zone)
// The date-times of an answer that names no zone carry `tzinfo`; those of
// one that names a zone carry `zone_tzinfo`, and when that is None the
// outcome is not built: the answer is (None, zone name), and the package
// asks again on that zone's clock. Otherwise the answer is (outcome, zone
// name or None).
namespace typed {

enum Arg {
  kDateOrder = kParamCount,
  kDayParts,
  kZones,
  kRegion,
  kStrict,
  kTzinfo,
  kZoneTzinfo,
  kCount
};

// The classes of the typed API and the datetime type, given once by the
// package through typed_classes(); strong references.
struct Classes {
  PyObject* instant = nullptr;
  PyObject* range = nullptr;
  PyObject* ambiguous = nullptr;
  PyObject* no_parse = nullptr;
  PyObject* datetime = nullptr;
};
Classes g_classes;

// Field names, interned once.
struct Names {
  PyObject* when = nullptr;
  PyObject* start = nullptr;
  PyObject* end = nullptr;
  PyObject* confidence = nullptr;
  PyObject* interpretation = nullptr;
  PyObject* candidates = nullptr;
  PyObject* reason = nullptr;
};
Names g_names;

// Returns the confidence as Python reads its JSON text, so that both entries
// give the same float: 0.95, not the nearest double to the 32-bit 0.95.
double confidence_as_read(float f) {
  if (const int k = hundredths_of(f); k >= 0) return k / 100.0;
  char buf[32];
  const auto written = std::to_chars(buf, buf + sizeof buf, f);
  double d = 0.0;
  std::from_chars(buf, written.ptr, d);
  return d;
}

// Returns a new datetime for `t` with `tzinfo`, or null with ValueError for
// a year that a Python datetime cannot hold (the message names the answer).
PyObject* make_datetime(DateTime t, PyObject* tzinfo) {
  const Civil c = t.date.civil();
  if (c.year < 1 || c.year > 9999) {
    std::string message = "the answer ";
    append_date_time(message, t);
    message += " lies outside the years 1 to 9999 that a Python datetime can hold";
    PyErr_SetString(PyExc_ValueError, message.c_str());
    return nullptr;
  }
  // A datetime is made from its pickled state, ten bytes (year high and
  // low, month, day, hour, minute, second, three of microseconds): the
  // constructor takes that form without reading arguments by keyword, three
  // times faster than from seven numbers. The state of a leap second (which
  // no datetime `now` gives) would be refused unchecked; the numbers are.
  PyRef args;
  const unsigned second = t.time.second();
  if (second < 60) {
    const char state[10] = {static_cast<char>(c.year >> 8),
                            static_cast<char>(c.year & 0xFF),
                            static_cast<char>(c.month),
                            static_cast<char>(c.day),
                            static_cast<char>(t.time.hour()),
                            static_cast<char>(t.time.minute()),
                            static_cast<char>(second),
                            0,
                            0,
                            0};
    PyRef bytes = PyRef::steal(PyBytes_FromStringAndSize(state, sizeof state));
    if (!bytes) return nullptr;
    args = PyRef::steal(PyTuple_Pack(2, bytes.get(), tzinfo));
  } else {
    args = PyRef::steal(Py_BuildValue("(iIIIIIiO)", c.year, c.month, c.day, t.time.hour(),
                                      t.time.minute(), second, 0, tzinfo));
  }
  if (!args) return nullptr;
  return PyObject_Call(g_classes.datetime, args.get(), nullptr);
}

// The records of the typed API, and the fields each is built with, in the
// order make_record takes their values.
enum Record { kInstantRecord, kRangeRecord, kAmbiguousRecord, kNoParseRecord, kRecordCount };
constexpr std::size_t kMaxFields = 4;
struct RecordFields {
  PyObject** names[kMaxFields];
  std::size_t count;
};
const RecordFields kRecordFields[kRecordCount] = {
    {{&g_names.when, &g_names.confidence, &g_names.interpretation}, 3},
    {{&g_names.start, &g_names.end, &g_names.confidence, &g_names.interpretation}, 4},
    {{&g_names.candidates, &g_names.reason}, 2},
    {{&g_names.reason}, 1},
};

PyObject* record_class(Record r) {
  PyObject* const classes[kRecordCount] = {g_classes.instant, g_classes.range, g_classes.ambiguous,
                                           g_classes.no_parse};
  return classes[r];
}

// A field's slot, as the class defines it, read once by typed_classes(): the
// slot's descriptor (a strong reference) and its setter, which is what
// setting the attribute generically would find and call on every record.
// Without one, the field is set generically.
struct FieldSlot {
  PyObject* descr = nullptr;
  descrsetfunc set = nullptr;
};
FieldSlot g_field_slots[kRecordCount][kMaxFields];

// Reads the slots of every record's fields from the classes now given.
void read_field_slots() {
  for (std::size_t r = 0; r < kRecordCount; ++r) {
    PyObject* type = record_class(static_cast<Record>(r));
    for (std::size_t i = 0; i < kRecordFields[r].count; ++i) {
      FieldSlot& slot = g_field_slots[r][i];
      Py_CLEAR(slot.descr);
      slot.set = nullptr;
      PyRef descr = PyRef::steal(PyObject_GetAttr(type, *kRecordFields[r].names[i]));
      if (!descr) {
        // A field without a class attribute: set generically.
        PyErr_Clear();
        continue;
      }
      // Only a slot of the class itself: any other attribute is left to the
      // generic path, which knows every kind of descriptor.
      if (!Py_IS_TYPE(descr.get(), &PyMemberDescr_Type)) continue;
      slot.set =
          reinterpret_cast<descrsetfunc>(PyType_GetSlot(Py_TYPE(descr.get()), Py_tp_descr_set));
      if (slot.set != nullptr) slot.descr = descr.release();
    }
  }
}

// Makes an instance of one of the frozen dataclasses as its __init__ would,
// field by field, without the Python-level call: `values` (borrowed) are the
// record's fields in the order of kRecordFields. Returns a new reference.
PyObject* make_record(Record r, std::initializer_list<PyObject*> values) {
  auto* type = reinterpret_cast<PyTypeObject*>(record_class(r));
  auto alloc = reinterpret_cast<allocfunc>(PyType_GetSlot(type, Py_tp_alloc));
  if (alloc == nullptr) return nullptr;
  PyRef record = PyRef::steal(alloc(type, 0));
  if (!record) return nullptr;
  std::size_t i = 0;
  for (PyObject* value : values) {
    const FieldSlot& slot = g_field_slots[r][i];
    const int status = slot.set != nullptr ? slot.set(slot.descr, record.get(), value)
                                           : PyObject_GenericSetAttr(
                                                 record.get(), *kRecordFields[r].names[i], value);
    if (status < 0) return nullptr;
    ++i;
  }
  return record.release();
}

PyRef str_of(std::string_view s) {
  return PyRef::steal(PyUnicode_DecodeUTF8(s.data(), static_cast<Py_ssize_t>(s.size()), "replace"));
}

// Returns a new Instant or Range for one reading.
// The confidences that are hundredths, as floats made once: a float cannot
// change, and most readings carry one of a few. Strong references.
PyObject* g_hundredths[101] = {};

// Returns a new reference to the float of a confidence.
PyRef confidence_object(float f) {
  const int k = hundredths_of(f);
  if (k < 0) return PyRef::steal(PyFloat_FromDouble(confidence_as_read(f)));
  if (g_hundredths[k] == nullptr) {
    g_hundredths[k] = PyFloat_FromDouble(k / 100.0);
    if (g_hundredths[k] == nullptr) return PyRef();
  }
  return PyRef::borrow(g_hundredths[k]);
}

PyObject* make_resolution(const Resolution& r, PyObject* tzinfo) {
  PyRef confidence = confidence_object(r.confidence);
  PyRef interpretation = str_of(r.interpretation);
  if (!confidence || !interpretation) return nullptr;
  const Value& v = r.value;
  if (!v.is_range()) {
    PyRef when = PyRef::steal(make_datetime(v.start, tzinfo));
    if (!when) return nullptr;
    return make_record(kInstantRecord, {when.get(), confidence.get(), interpretation.get()});
  }
  // An open end is None.
  PyRef start =
      v.open_start ? PyRef::borrow(Py_None) : PyRef::steal(make_datetime(v.start, tzinfo));
  if (!start) return nullptr;
  PyRef end = v.open_end ? PyRef::borrow(Py_None) : PyRef::steal(make_datetime(v.end, tzinfo));
  if (!end) return nullptr;
  return make_record(kRangeRecord,
                     {start.get(), end.get(), confidence.get(), interpretation.get()});
}

// Returns a new outcome object; see the note at the top.
PyObject* make_outcome(const Outcome& o, PyObject* tzinfo) {
  switch (o.kind) {
    case Outcome::Kind::Resolved:
      return make_resolution(o.reading, tzinfo);
    case Outcome::Kind::Ambiguous: {
      PyRef candidates = PyRef::steal(PyTuple_New(static_cast<Py_ssize_t>(o.candidates.size())));
      if (!candidates) return nullptr;
      for (std::size_t i = 0; i < o.candidates.size(); ++i) {
        PyObject* item = make_resolution(o.candidates[i], tzinfo);
        if (item == nullptr) return nullptr;
        PyTuple_SetItem(candidates.get(), static_cast<Py_ssize_t>(i), item);  // steals
      }
      PyRef reason = str_of(o.reason);
      if (!reason) return nullptr;
      return make_record(kAmbiguousRecord, {candidates.get(), reason.get()});
    }
    case Outcome::Kind::NoParse: {
      PyRef reason = str_of(o.reason);
      if (!reason) return nullptr;
      return make_record(kNoParseRecord, {reason.get()});
    }
  }
  PyErr_SetString(g_internal_error, "unknown outcome kind");
  return nullptr;
}

PyObject* answer(const Outcome& outcome, PyObject* tzinfo, PyObject* zone_tzinfo) {
  if (outcome.zone.empty()) {
    PyRef built = PyRef::steal(make_outcome(outcome, tzinfo));
    return built ? PyTuple_Pack(2, built.get(), Py_None) : nullptr;
  }
  PyRef zone = str_of(outcome.zone);
  if (!zone) return nullptr;
  if (zone_tzinfo == Py_None) return PyTuple_Pack(2, Py_None, zone.get());
  PyRef built = PyRef::steal(make_outcome(outcome, zone_tzinfo));
  return built ? PyTuple_Pack(2, built.get(), zone.get()) : nullptr;
}

// The arguments as parse_typed is called: the settings tuple stands for the
// ten from anchors to strict.
constexpr Py_ssize_t kCallCount = 5;
constexpr Py_ssize_t kSettingsCount = Py_ssize_t{kTzinfo} - Py_ssize_t{kAnchors};

PyObject* impl(PyObject* const* call, Py_ssize_t nargs) {
  if (nargs != kCallCount) {
    PyErr_Format(PyExc_TypeError, "parse_typed() takes %d arguments (%zd given)", int{kCallCount},
                 nargs);
    return nullptr;
  }
  PyObject* settings = call[2];
  if (!PyTuple_Check(settings) || PyTuple_Size(settings) != kSettingsCount) {
    PyErr_Format(PyExc_TypeError, "parse_typed() takes its settings as a tuple of %d",
                 int{kSettingsCount});
    return nullptr;
  }
  // Every argument in its place, as parse_full takes them: borrowed.
  PyObject* args[kCount];
  args[kText] = call[0];
  args[kNow] = call[1];
  for (Py_ssize_t i = 0; i < kSettingsCount; ++i)
    args[kAnchors + i] = PyTuple_GetItem(settings, i);
  args[kTzinfo] = call[3];
  args[kZoneTzinfo] = call[4];
  if (g_classes.datetime == nullptr) {
    PyErr_SetString(PyExc_RuntimeError, "parse_typed() needs typed_classes() first");
    return nullptr;
  }
  Converted c;
  if (!convert(args, c)) return nullptr;
  everyday::FullOptions opts;
  if (!full::convert_date_order(args[kDateOrder], &opts.date_order)) return nullptr;
  if (!full::convert_day_parts(args[kDayParts], &opts.day_parts)) return nullptr;
  if (!full::convert_zones(args[kZones], &opts.zone_names)) return nullptr;
  if (!full::convert_region(args[kRegion], &opts.region)) return nullptr;
  const bool strict = args[kStrict] == Py_True;

  DateTime now;
  AnchorMap anchors;
  if (!check_converted(c, now, anchors, opts.core)) return nullptr;
  PyObject* tzinfo = args[kTzinfo];
  PyObject* zone_tzinfo = args[kZoneTzinfo];
  return parse_with_holidays(
      c.holidays,
      [&](HolidayFn predicate) {
        return strict ? parse_str(c.text, now, anchors, opts.core, predicate)
                      : everyday::parse_full(c.text, now, anchors, opts, predicate);
      },
      [&](const Outcome& outcome) { return answer(outcome, tzinfo, zone_tzinfo); });
}

PyObject* entry(PyObject* /*module*/, PyObject* const* args, Py_ssize_t nargs) {
  return guarded([&] { return impl(args, nargs); });
}

bool intern(PyObject** slot, const char* name) {
  if (*slot == nullptr) *slot = PyUnicode_InternFromString(name);
  return *slot != nullptr;
}

// typed_classes(Instant, Range, Ambiguous, NoParse, datetime): the classes
// parse_typed builds. Called once by the package; a later call replaces them.
PyObject* classes_impl(PyObject* const* args, Py_ssize_t nargs) {
  if (nargs != 5) {
    PyErr_Format(PyExc_TypeError, "typed_classes() takes 5 arguments (%zd given)", nargs);
    return nullptr;
  }
  for (Py_ssize_t i = 0; i < nargs; ++i) {
    if (!PyType_Check(args[i])) {
      PyErr_SetString(PyExc_TypeError, "typed_classes() takes classes");
      return nullptr;
    }
  }
  if (!intern(&g_names.when, "when") || !intern(&g_names.start, "start") ||
      !intern(&g_names.end, "end") || !intern(&g_names.confidence, "confidence") ||
      !intern(&g_names.interpretation, "interpretation") ||
      !intern(&g_names.candidates, "candidates") || !intern(&g_names.reason, "reason")) {
    return nullptr;
  }
  PyObject** slots[] = {&g_classes.instant, &g_classes.range, &g_classes.ambiguous,
                        &g_classes.no_parse, &g_classes.datetime};
  for (Py_ssize_t i = 0; i < nargs; ++i) {
    Py_INCREF(args[i]);
    Py_XDECREF(std::exchange(*slots[i], args[i]));
  }
  read_field_slots();
  Py_RETURN_NONE;
}

PyObject* classes_entry(PyObject* /*module*/, PyObject* const* args, Py_ssize_t nargs) {
  return guarded([&] { return classes_impl(args, nargs); });
}

// same_objects(a, b): whether the tuples hold the very same objects, in
// order; kalendo.parse compares its arguments with the last call's so.
PyObject* same_objects(PyObject* /*module*/, PyObject* const* args, Py_ssize_t nargs) {
  if (nargs != 2 || !PyTuple_Check(args[0]) || !PyTuple_Check(args[1])) {
    PyErr_SetString(PyExc_TypeError, "same_objects() takes two tuples");
    return nullptr;
  }
  const Py_ssize_t n = PyTuple_Size(args[0]);
  bool same = n == PyTuple_Size(args[1]);
  for (Py_ssize_t i = 0; same && i < n; ++i)
    same = PyTuple_GetItem(args[0], i) == PyTuple_GetItem(args[1], i);
  return PyBool_FromLong(same ? 1 : 0);
}

}  // namespace typed
// ---------------------------------------------------------------------------
// Columns: parse_many resolves many texts in one call into an Arrow column.
// The package calls it with every argument in place, checked and converted
// by the functions parse_full uses, and the texts as a list of str (None
// and NaN for missing rows), an Arrow stream capsule, or a pair of Arrow
// schema and array capsules. The interpreter lock is released while the
// rows are resolved unless a holiday callable must be asked.
namespace many {

constexpr const char* kColumnCapsule = "kalendo._column";
enum Arg {
  kTexts,
  kNow,
  kAnchors,
  kDefaultTime,
  kWeekStart,
  kNextSkipsToday,
  kHolidays,
  kDateOrder,
  kStrict,
  kThreads,
  kHolidayDays,
  kZone,
  kUtcOffsets,
  kDayParts,
  kZones,
  kRegion,
  kZoneClocks,
  kCount
};

// Items of a long list fetched into the cache ahead of their turn.
constexpr std::size_t kAhead = 16;

// The texts of one call as views, and what keeps their bytes alive.
struct Texts {
  std::vector<std::string_view> views;
  PyObject* list = nullptr;                // a list still to read into `views`, borrowed
  std::vector<batch::Buffer<char>> bytes;  // the texts of a list, copied; never moved
  PyRef owner;                             // a capsule
  std::vector<ArrowArray> arrays;          // the chunks of a stream, released at the end
  ArrowSchema schema{};
  Texts() = default;
  Texts(const Texts&) = delete;
  Texts& operator=(const Texts&) = delete;
  ~Texts() {
    for (ArrowArray& a : arrays)
      if (a.release != nullptr) a.release(&a);
    if (schema.release != nullptr) schema.release(&schema);
  }
};

bool raise_arrow(const std::string& error) {
  PyErr_Format(PyExc_TypeError, "texts: %s", error.c_str());
  return false;
}

// Bytes of text a row of a list is first given room for; untouched room
// costs no memory.
constexpr std::size_t kListBytesPerRow = 32;
// Strs recently copied, by their address: a column of few distinct strs
// (the same objects again and again) shares their copies.
constexpr std::size_t kRecentStrs = 256;
// Rows of a list read between two stores of how far the reading is.
constexpr std::size_t kPublished = 256;

// Returns the UTF-8 text of a list's item, "" for a missing one (None, NaN),
// or none with an exception set.
std::optional<std::string_view> item_text(PyObject* item, Py_ssize_t i) {
  if (PyUnicode_Check(item)) {
    Py_ssize_t size = 0;
    const char* data = PyUnicode_AsUTF8AndSize(item, &size);
    if (data == nullptr) {
      PyErr_Clear();
      PyErr_Format(PyExc_ValueError, "texts[%zd] holds a character that UTF-8 cannot encode", i);
      return std::nullopt;
    }
    return std::string_view(data, static_cast<std::size_t>(size));
  }
  if (item == Py_None ||
      (PyFloat_Check(item) && PyFloat_AsDouble(item) != PyFloat_AsDouble(item))) {
    return std::string_view();
  }
  PyRef name = type_name(item);
  if (name)
    PyErr_Format(PyExc_TypeError, "texts[%zd] must be a str or None, not %U", i, name.get());
  return std::nullopt;
}

// Whether a list's texts repeat enough to resolve each once, told by the
// texts at batch::sample_rows; an item that is no text counts as a null row
// here, and fails when the list is read.
bool list_repeats(PyObject* list, std::size_t rows) {
  const std::vector<std::size_t> at = batch::sample_rows(rows);
  std::vector<std::string_view> sampled(at.size());
  for (std::size_t i = 0; i < at.size(); ++i) {
    PyObject* item = PyList_GetItem(list, static_cast<Py_ssize_t>(at[i]));  // borrowed
    if (item != nullptr && PyUnicode_Check(item)) {
      Py_ssize_t size = 0;
      const char* data = PyUnicode_AsUTF8AndSize(item, &size);
      if (data != nullptr) sampled[i] = {data, static_cast<std::size_t>(size)};
    }
    PyErr_Clear();
  }
  return batch::repeats_in(sampled);
}

// Gives a list's rows their views, all null until the list is read.
void size_list(PyObject* list, Texts& t) {
  t.list = list;
  t.views.assign(static_cast<std::size_t>(PyList_Size(list)), std::string_view());
}

// Reads a list of str, None and float NaN into the views that size_list
// made, storing in `ready` (when given) how many rows are read as it goes,
// so that workers may start on them. Each text is copied, while its str is
// in the cache, into buffers that the views point into: another thread may
// change the list, and free its strs, once the lock is released. Copying
// costs less than holding a reference to each str, which writes to every
// str and takes a second pass over them all to give the references back;
// and the workers then read the texts in row order from one place rather
// than wherever the strs lie. A buffer is never moved: a text that does
// not fit goes to a larger one. The strs lie anywhere in memory, and a long
// list is latency-bound: each one is fetched a few items ahead of its turn.
bool read_list(Texts& t, std::atomic<std::size_t>* ready) {
  PyObject* list = t.list;
  const auto n = static_cast<Py_ssize_t>(t.views.size());
  std::size_t room = t.views.size() * kListBytesPerRow + 4096;
  t.bytes.emplace_back(room);
  char* out = t.bytes.back().data();
  struct Recent {
    PyObject* str = nullptr;
    std::string_view text;
  };
  std::array<Recent, kRecentStrs> recent{};
  // Nothing below runs Python code, so the list cannot change during the loop.
  for (Py_ssize_t i = 0; i < n; ++i) {
    if (ready != nullptr && static_cast<std::size_t>(i) % kPublished == 0) {
      ready->store(static_cast<std::size_t>(i), std::memory_order_release);
    }
    if (i + static_cast<Py_ssize_t>(kAhead) < n) {
      __builtin_prefetch(PyList_GetItem(list, i + static_cast<Py_ssize_t>(kAhead)));
    }
    PyObject* item = PyList_GetItem(list, i);  // borrowed
    if (item == nullptr) return false;
    Recent& seen = recent[(reinterpret_cast<uintptr_t>(item) >> 4) % kRecentStrs];
    if (seen.str == item) {
      t.views[static_cast<std::size_t>(i)] = seen.text;
      continue;
    }
    const std::optional<std::string_view> text = item_text(item, i);
    if (!text) return false;
    if (text->empty()) continue;  // a null row
    if (text->size() > room) {
      room = std::max(t.views.size() * kListBytesPerRow, text->size());
      t.bytes.emplace_back(room);
      out = t.bytes.back().data();
    }
    std::memcpy(out, text->data(), text->size());
    t.views[static_cast<std::size_t>(i)] = {out, text->size()};
    out += text->size();
    room -= text->size();
    if (PyUnicode_Check(item)) seen = {item, t.views[static_cast<std::size_t>(i)]};
  }
  if (ready != nullptr) ready->store(t.views.size(), std::memory_order_release);
  return true;
}

// Reads a (schema capsule, array capsule) pair of one string array. The
// array is moved out of its capsule: this call releases it at the end.
bool texts_of_array(PyObject* pair, Texts& t) {
  PyObject* schema_capsule = PyTuple_GetItem(pair, 0);  // borrowed
  PyObject* array_capsule = PyTuple_GetItem(pair, 1);
  if (schema_capsule == nullptr || array_capsule == nullptr) return false;
  auto* schema = static_cast<ArrowSchema*>(PyCapsule_GetPointer(schema_capsule, "arrow_schema"));
  auto* array = static_cast<ArrowArray*>(PyCapsule_GetPointer(array_capsule, "arrow_array"));
  if (schema == nullptr || array == nullptr) return false;
  if (array->release == nullptr) return raise_arrow("the Arrow array was already released");
  t.arrays.push_back(*array);
  array->release = nullptr;  // moved
  std::string error;
  return batch::append_texts(schema, &t.arrays.back(), t.views, error) || raise_arrow(error);
}

// Reads every chunk of an Arrow stream capsule of string arrays.
bool texts_of_stream(PyObject* capsule, Texts& t) {
  auto* stream =
      static_cast<ArrowArrayStream*>(PyCapsule_GetPointer(capsule, "arrow_array_stream"));
  if (stream == nullptr) return false;
  if (stream->release == nullptr) return raise_arrow("the Arrow stream was already released");
  t.owner = PyRef::borrow(capsule);
  if (stream->get_schema(stream, &t.schema) != 0) {
    const char* e = stream->get_last_error(stream);
    return raise_arrow(e != nullptr ? e : "the stream gave no schema");
  }
  while (true) {
    ArrowArray chunk{};
    if (stream->get_next(stream, &chunk) != 0) {
      const char* e = stream->get_last_error(stream);
      return raise_arrow(e != nullptr ? e : "the stream failed");
    }
    if (chunk.release == nullptr) return true;  // the end
    t.arrays.push_back(chunk);
    std::string error;
    if (!batch::append_texts(&t.schema, &t.arrays.back(), t.views, error))
      return raise_arrow(error);
  }
}

// Reads the texts of an Arrow input; a list is only sized, and read by
// read_list as the rows are resolved.
bool read_texts(PyObject* o, Texts& t) {
  if (PyList_Check(o)) {
    size_list(o, t);
    return true;
  }
  if (PyTuple_Check(o) && PyTuple_Size(o) == 2) return texts_of_array(o, t);
  if (PyCapsule_CheckExact(o)) return texts_of_stream(o, t);
  PyErr_SetString(PyExc_TypeError, "texts must be a list, an Arrow stream or an Arrow array");
  return false;
}

// A sequence of ISO date texts, read once into sorted days.
// Reads the wall clock of `now` in each zone a text may name: a tuple of
// (zone name, ISO date-time) pairs, or None.
bool read_zone_clocks(PyObject* o, std::vector<std::pair<std::string, DateTime>>& clocks) {
  if (o == Py_None) return true;
  PyRef items = PyRef::steal(PySequence_Tuple(o));
  if (!items) return false;
  for (Py_ssize_t i = 0; i < PyTuple_Size(items.get()); ++i) {
    PyObject* pair = PyTuple_GetItem(items.get(), i);
    std::string_view name, wall;
    if (!PyTuple_Check(pair) || PyTuple_Size(pair) != 2) {
      PyErr_SetString(PyExc_TypeError, "zone clocks must be (name, date-time) pairs");
      return false;
    }
    if (!to_utf8(Param::kNow, PyTuple_GetItem(pair, 0), &name) ||
        !to_utf8(Param::kNow, PyTuple_GetItem(pair, 1), &wall))
      return false;
    const IsoResult<DateTime> t = parse_now(wall);
    if (std::holds_alternative<IsoError>(t)) {
      PyErr_SetString(PyExc_ValueError, "invalid zone clock");
      return false;
    }
    clocks.emplace_back(std::string(name), std::get<DateTime>(t));
  }
  return true;
}

// Seconds east of UTC of one zone by wall time: `steps` holds (wall time,
// offset from then on), ascending; before the first, the first offset.
struct ZoneSteps {
  std::vector<std::pair<int64_t, int32_t>> steps;
  int32_t at(int64_t wall) const {
    auto it = std::upper_bound(steps.begin(), steps.end(), wall,
                               [](int64_t w, const auto& step) { return w < step.first; });
    if (it == steps.begin()) return steps.empty() ? 0 : steps.front().second;
    return std::prev(it)->second;
  }
};

// Fills the seconds east of UTC of every row's stored start and end. The
// zone's own rules come from `steps_of`, asked once per zone other than a
// fixed one, as steps_of(zone name or None for `now`'s zone, weeks): the
// weeks since 1970-01-01 its times fall in, ascending; it answers a list
// of (wall time, offset from then on) pairs that holds on those weeks.
bool utc_offsets(const batch::Column& c, PyObject* steps_of, std::vector<int32_t>& start,
                 std::vector<int32_t>& end) {
  const auto n = static_cast<std::size_t>(c.size());
  const auto bit = [](const std::vector<uint8_t>& bits, std::size_t i) {
    return (bits[i / 8] >> (i % 8) & 1u) != 0;
  };
  std::vector<std::string_view> names{std::string_view()};  // 0: `now`'s zone
  std::vector<uint32_t> zone_of(n, 0);
  for (const auto& [row, name] : c.zones) {
    auto it = std::find(names.begin() + 1, names.end(), std::string_view(name));
    if (it == names.end()) it = names.insert(names.end(), name);
    zone_of[static_cast<std::size_t>(row)] = static_cast<uint32_t>(it - names.begin());
  }
  std::vector<ZoneSteps> zones(names.size());
  std::vector<std::pair<uint32_t, int64_t>> weeks;  // (zone, week) of every time of a ruled zone
  for (std::size_t z = 1; z < names.size(); ++z) {
    if (const auto offset = batch::fixed_offset(names[z])) zones[z].steps.emplace_back(0, *offset);
  }
  constexpr int64_t kWeek = 7 * kSecondsPerDay;
  // Weeks seen lately, by the week's low bits: repeats, the most of a
  // column, are not kept again for the sort.
  std::vector<std::pair<uint32_t, int64_t>> seen(1024, {UINT32_MAX, 0});
  const auto note = [&](uint32_t z, int64_t t) {
    const std::pair<uint32_t, int64_t> key{z, floor_div(t, kWeek)};
    auto& slot = seen[static_cast<std::size_t>(key.second + z) & (seen.size() - 1)];
    if (slot == key) return;
    slot = key;
    weeks.push_back(key);
  };
  for (std::size_t i = 0; i < n; ++i) {
    const uint32_t z = zone_of[i];
    if (!zones[z].steps.empty()) continue;
    if (bit(c.start_valid, i)) note(z, c.start[i]);
    if (bit(c.end_valid, i)) note(z, c.end[i]);
  }
  std::sort(weeks.begin(), weeks.end());
  weeks.erase(std::unique(weeks.begin(), weeks.end()), weeks.end());
  for (std::size_t k = 0; k < weeks.size();) {
    const uint32_t z = weeks[k].first;
    std::size_t stop = k;
    while (stop < weeks.size() && weeks[stop].first == z)
      ++stop;
    PyRef asked = PyRef::steal(PyList_New(static_cast<Py_ssize_t>(stop - k)));
    if (!asked) return false;
    for (std::size_t j = k; j < stop; ++j) {
      PyObject* week = PyLong_FromLongLong(static_cast<long long>(weeks[j].second));
      if (week == nullptr) return false;
      PyList_SetItem(asked.get(), static_cast<Py_ssize_t>(j - k), week);  // steals
    }
    PyRef name =
        PyRef::steal(z == 0 ? (Py_INCREF(Py_None), Py_None)
                            : PyUnicode_FromStringAndSize(
                                  names[z].data(), static_cast<Py_ssize_t>(names[z].size())));
    if (!name) return false;
    PyRef answered =
        PyRef::steal(PyObject_CallFunctionObjArgs(steps_of, name.get(), asked.get(), nullptr));
    if (!answered) return false;
    PyRef items = PyRef::steal(PySequence_Tuple(answered.get()));
    if (!items) return false;
    auto& steps = zones[z].steps;
    for (Py_ssize_t j = 0; j < PyTuple_Size(items.get()); ++j) {
      long long wall = 0;
      int offset = 0;
      if (!PyArg_ParseTuple(PyTuple_GetItem(items.get(), j), "Li", &wall, &offset)) return false;
      if (offset <= -kSecondsPerDay || offset >= kSecondsPerDay) {
        PyErr_SetString(PyExc_ValueError, "a UTC offset must be less than a day");
        return false;
      }
      steps.emplace_back(static_cast<int64_t>(wall), static_cast<int32_t>(offset));
    }
    std::stable_sort(steps.begin(), steps.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    k = stop;
  }
  start.assign(n, 0);
  end.assign(n, 0);
  for (std::size_t i = 0; i < n; ++i) {
    const ZoneSteps& zone = zones[zone_of[i]];
    if (bit(c.start_valid, i)) start[i] = zone.at(c.start[i]);
    if (bit(c.end_valid, i)) end[i] = zone.at(c.end[i]);
  }
  return true;
}

bool read_holiday_days(PyObject* o, std::vector<Date>& days) {
  if (o == Py_None) return true;
  PyRef items = PyRef::steal(PySequence_Tuple(o));
  if (!items) return false;
  const Py_ssize_t n = PyTuple_Size(items.get());
  days.reserve(static_cast<std::size_t>(n));
  for (Py_ssize_t i = 0; i < n; ++i) {
    std::string_view iso;
    if (!to_utf8(Param::kHolidays, PyTuple_GetItem(items.get(), i), &iso)) return false;
    const IsoResult<Date> d = parse_iso_date(iso);
    if (const auto* day = std::get_if<Date>(&d)) days.push_back(*day);
  }
  std::sort(days.begin(), days.end());
  days.erase(std::unique(days.begin(), days.end()), days.end());
  return true;
}

void free_column(PyObject* capsule) {
  delete static_cast<std::shared_ptr<const batch::Held>*>(
      PyCapsule_GetPointer(capsule, kColumnCapsule));
}

const batch::Held* held_of(PyObject* capsule,
                           std::shared_ptr<const batch::Held>** share = nullptr) {
  auto* p = static_cast<std::shared_ptr<const batch::Held>*>(
      PyCapsule_GetPointer(capsule, kColumnCapsule));
  if (p == nullptr) return nullptr;
  if (share != nullptr) *share = p;
  return p->get();
}

PyObject* raise_failure(const batch::Column& c) {
  switch (c.failure) {
    case batch::Failure::NoMemory:
      return PyErr_NoMemory();
    case batch::Failure::TooLarge:
      PyErr_SetString(PyExc_OverflowError, c.failure_text.c_str());
      return nullptr;
    default:
      PyErr_SetString(g_internal_error, c.failure_text.c_str());
      return nullptr;
  }
}

// Releases the interpreter lock for its lifetime; `relock` takes it back
// for a moment.
class Unlocked {
 public:
  Unlocked() : state_(PyEval_SaveThread()) {}
  Unlocked(const Unlocked&) = delete;
  Unlocked& operator=(const Unlocked&) = delete;
  ~Unlocked() { PyEval_RestoreThread(state_); }
  // Returns false when a signal handler raised; the exception stays set.
  bool check_signals() {
    PyEval_RestoreThread(state_);
    const bool ok = PyErr_CheckSignals() == 0;
    state_ = PyEval_SaveThread();
    return ok;
  }

 private:
  PyThreadState* state_;
};

// Calls this small run inline: it ends within milliseconds anyway.
constexpr std::size_t kInlineRows = 2048;
// How long the calling thread waits between looks at the signals.
constexpr std::chrono::milliseconds kSignalPoll{5};

// Resolves the rows without the interpreter lock. Workers see only the
// views, the settings and the sorted days. A long call runs on a thread of
// its own while this one takes the lock back every few milliseconds to let
// signal handlers run: when one raises (Ctrl-C), the workers are told to
// stop, and false is returned with the exception set once they have.
bool parse_unlocked(Texts& t, const batch::Settings& s, batch::Column& column) {
  const std::span<const std::string_view> views = t.views;
  if (views.size() <= kInlineRows) {
    if (t.list != nullptr && !read_list(t, nullptr)) return false;
    Unlocked unlocked;
    column = batch::parse_column(views, s);
    return true;
  }
  std::atomic<bool> cancel{false};
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  bool raised = false;
  // A list is read under the lock while the workers start on the rows read
  // so far: its reading is no longer a pass of its own before them.
  std::atomic<std::size_t> ready{0};
  batch::Feed feed;
  if (t.list != nullptr) feed = {&ready, list_repeats(t.list, views.size())};
  std::jthread runner([&] {
    batch::Column result =
        batch::parse_column(views, s, {}, &cancel, t.list != nullptr ? &feed : nullptr);
    const std::lock_guard<std::mutex> hold(mutex);
    column = std::move(result);
    done = true;
    finished.notify_one();
  });
  if (t.list != nullptr && !read_list(t, &ready)) {
    cancel = true;  // the workers waiting for rows stop
    return false;   // joined here, the exception set
  }
  Unlocked unlocked;  // taken back before the runner is joined
  std::unique_lock<std::mutex> lock(mutex);
  while (!finished.wait_for(lock, kSignalPoll, [&] { return done; })) {
    if (raised) continue;
    lock.unlock();
    if (!unlocked.check_signals()) {
      raised = true;
      cancel = true;
    }
    lock.lock();
  }
  return !raised;
}

PyObject* impl(PyObject* const* args, Py_ssize_t nargs) {
  if (nargs != kCount) {
    PyErr_Format(PyExc_TypeError, "parse_many() takes %d arguments (%zd given)", int{kCount},
                 nargs);
    return nullptr;
  }
  // parse_full's converters and checks, with an empty text in the text's place.
  PyRef empty = PyRef::steal(PyUnicode_FromStringAndSize("", 0));
  if (!empty) return nullptr;
  PyObject* bound[kParamCount] = {empty.get(),        args[kNow],       args[kAnchors],
                                  args[kDefaultTime], args[kWeekStart], args[kNextSkipsToday],
                                  args[kHolidays]};
  Converted c;
  if (!convert(bound, c)) return nullptr;
  batch::Settings s;
  if (!full::convert_options(args[kDateOrder], args[kDayParts], args[kZones], args[kRegion],
                             &s.opts))
    return nullptr;
  if (!check_converted(c, s.now, s.anchors, s.opts.core)) return nullptr;
  s.strict = PyObject_IsTrue(args[kStrict]) == 1;
  unsigned long threads = 0;
  if (!to_unsigned(Param::kWeekStart, args[kThreads], 1024, &threads)) return nullptr;
  s.threads = static_cast<unsigned>(threads);
  if (!read_holiday_days(args[kHolidayDays], s.holidays)) return nullptr;
  std::string_view zone;
  if (args[kZone] != Py_None && !to_utf8(Param::kNow, args[kZone], &zone)) return nullptr;
  if (!read_zone_clocks(args[kZoneClocks], s.zone_clocks)) return nullptr;

  Texts texts;
  if (!read_texts(args[kTexts], texts)) return nullptr;

  batch::Column column;
  if (c.holidays != nullptr) {
    // The callable is Python: one thread, under the lock, with parse_raw's
    // stop on an interrupt.
    if (texts.list != nullptr && !read_list(texts, nullptr)) return nullptr;
    PyRef holidays = PyRef::borrow(c.holidays);
    HolidayCall call;
    call.callable = holidays.get();
    column = batch::parse_column(texts.views, s, HolidayFn(call_holiday, &call, rows_stop));
    if (call.stop) {
      call.restore();
      return nullptr;
    }
  } else if (!parse_unlocked(texts, s, column)) {
    return nullptr;  // a signal handler raised
  }
  if (column.failure != batch::Failure::None) return raise_failure(column);
  if (!column.unfit_rows.empty()) {
    PyErr_Format(PyExc_ValueError,
                 "texts[%lld]: anchor names match inside the markers of other anchor names and "
                 "would grow the text without bound; avoid names that begin with a digit",
                 static_cast<long long>(column.unfit_rows.front()));
    return nullptr;
  }
  std::vector<int32_t> start_offset, end_offset;
  if (args[kUtcOffsets] != Py_None &&
      !utc_offsets(column, args[kUtcOffsets], start_offset, end_offset))
    return nullptr;
  auto* share = new std::shared_ptr<const batch::Held>(batch::hold(
      std::move(column), std::string(zone), std::move(start_offset), std::move(end_offset)));
  PyObject* capsule = PyCapsule_New(share, kColumnCapsule, free_column);
  if (capsule == nullptr) delete share;
  return capsule;
}

void free_schema(PyObject* capsule) {
  auto* schema = static_cast<ArrowSchema*>(PyCapsule_GetPointer(capsule, "arrow_schema"));
  if (schema != nullptr && schema->release != nullptr) schema->release(schema);
  delete schema;
}

void free_array(PyObject* capsule) {
  auto* array = static_cast<ArrowArray*>(PyCapsule_GetPointer(capsule, "arrow_array"));
  if (array != nullptr && array->release != nullptr) array->release(array);
  delete array;
}

// column_arrow(column) -> (schema capsule, array capsule): a new export
// each call, sharing the column's buffers.
PyObject* arrow_impl(PyObject* capsule) {
  std::shared_ptr<const batch::Held>* share = nullptr;
  const batch::Held* held = held_of(capsule, &share);
  if (held == nullptr) return nullptr;
  std::string error;
  auto* schema = new ArrowSchema{};
  PyRef schema_capsule = PyRef::steal(PyCapsule_New(schema, "arrow_schema", free_schema));
  if (!schema_capsule) {
    delete schema;
    return nullptr;
  }
  auto* array = new ArrowArray{};
  PyRef array_capsule = PyRef::steal(PyCapsule_New(array, "arrow_array", free_array));
  if (!array_capsule) {
    delete array;
    return nullptr;
  }
  if (!batch::export_schema(*held, schema, error) || !batch::export_array(*share, array, error)) {
    PyErr_SetString(g_internal_error, error.c_str());
    return nullptr;
  }
  return PyTuple_Pack(2, schema_capsule.get(), array_capsule.get());
}

// column_rows(column) -> list of the JSON text of each row, None for a null row.
PyObject* rows_impl(PyObject* capsule) {
  const batch::Held* held = held_of(capsule);
  if (held == nullptr) return nullptr;
  const batch::Column& c = held->column;
  PyRef list = PyRef::steal(PyList_New(static_cast<Py_ssize_t>(c.size())));
  if (!list) return nullptr;
  std::string json;
  for (int64_t i = 0; i < c.size(); ++i) {
    PyObject* item = Py_None;
    if (c.kind[i] == batch::RowKind::Null) {
      Py_INCREF(Py_None);
    } else {
      json.clear();
      const bool instants = !held->start_offset.empty();
      write_json(
          to_wire(c.outcome(i, instants ? held->start_offset[static_cast<std::size_t>(i)] : 0,
                            instants ? held->end_offset[static_cast<std::size_t>(i)] : 0)),
          json);
      item = PyUnicode_FromStringAndSize(json.data(), static_cast<Py_ssize_t>(json.size()));
      if (item == nullptr) return nullptr;
    }
    PyList_SetItem(list.get(), static_cast<Py_ssize_t>(i), item);  // steals
  }
  return list.release();
}

PyObject* entry(PyObject* /*module*/, PyObject* const* args, Py_ssize_t nargs) {
  return guarded([&] { return impl(args, nargs); });
}
PyObject* zone_names_entry(PyObject* /*module*/, PyObject* /*unused*/) {
  return guarded([&]() -> PyObject* {
    const std::span<const std::string_view> names = everyday::zones::zone_names();
    PyRef out = PyRef::steal(PyTuple_New(static_cast<Py_ssize_t>(names.size())));
    if (!out) return nullptr;
    for (std::size_t i = 0; i < names.size(); ++i) {
      PyObject* name =
          PyUnicode_FromStringAndSize(names[i].data(), static_cast<Py_ssize_t>(names[i].size()));
      if (name == nullptr) return nullptr;
      PyTuple_SetItem(out.get(), static_cast<Py_ssize_t>(i), name);  // steals
    }
    return out.release();
  });
}
PyObject* arrow_entry(PyObject* /*module*/, PyObject* capsule) {
  return guarded([&] { return arrow_impl(capsule); });
}
PyObject* rows_entry(PyObject* /*module*/, PyObject* capsule) {
  return guarded([&] { return rows_impl(capsule); });
}
PyObject* size_entry(PyObject* /*module*/, PyObject* capsule) {
  const batch::Held* held = held_of(capsule);
  return held == nullptr ? nullptr : PyLong_FromLongLong(held->column.size());
}

}  // namespace many
// ---------------------------------------------------------------------------

// ---------------------------------------------------------------------------
// search_full: finds the date expressions of a running text. It takes
// parse_full's parameters, checked by the same functions, and `strict` (the
// core grammar alone for every span); it returns a JSON array of
// [start, end, outcome] in text order, offsets in code points.
namespace find {

constexpr Py_ssize_t kCount = 12;
constexpr const char* kNames[kCount] = {
    "text",     "now",        "anchors", "default_time", "week_start", "next_skips_today",
    "holidays", "date_order", "strict",  "day_parts",    "zones",      "region",
};
enum Extra { kDateOrder = kParamCount, kStrict, kDayParts, kZones, kRegion };

// Binds like `def search_full(text, ..., holidays=None, *, date_order=None,
// strict=False, day_parts=None, zones=None, region="US")`.
bool bind(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames, PyObject* bound[kCount]) {
  return bind_call("search_full", kNames, kParamCount, args, nargs, kwnames, bound);
}

// Appends [start, end, outcome] for each item.
void write_found(const std::vector<search::Found>& items, std::string& out) {
  out += '[';
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i != 0) out += ',';
    out += '[';
    out += std::to_string(items[i].start);
    out += ',';
    out += std::to_string(items[i].end);
    out += ',';
    write_json(to_wire(items[i].outcome), out);
    out += ']';
  }
  out += ']';
}

PyObject* impl(PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  PyObject* bound[kCount] = {};
  if (!bind(args, nargs, kwnames, bound)) return nullptr;

  Converted c;
  if (!convert(bound, c)) return nullptr;
  everyday::FullOptions opts;
  if (!full::convert_options(bound[kDateOrder], bound[kDayParts], bound[kZones], bound[kRegion],
                             &opts))
    return nullptr;
  bool strict = false;
  if (bound[kStrict] != nullptr && !convert_bool(bound[kStrict], &strict)) return nullptr;

  DateTime now;
  AnchorMap anchors;
  if (!check_converted(c, now, anchors, opts.core)) return nullptr;

  PyRef holidays = PyRef::borrow(c.holidays);
  HolidayCall call;
  call.callable = holidays.get();
  const HolidayFn predicate = holidays ? HolidayFn(call_holiday, &call, holiday_stop) : HolidayFn();
  const search::Request request{now, anchors, opts, strict, predicate};
  const std::vector<search::Found> items = search::find_dates(c.text, request);
  if (call.stop) {
    call.restore();
    return nullptr;
  }
  std::string json;
  write_found(items, json);
  return PyUnicode_FromStringAndSize(json.data(), static_cast<Py_ssize_t>(json.size()));
}

PyObject* entry(PyObject* /*module*/, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return guarded([&] { return impl(args, nargs, kwnames); });
}

constexpr char kDoc[] =
    "search_full(text, now, anchors, default_time, week_start, next_skips_today, holidays=None, "
    "*, date_order=None, strict=False, day_parts=None, zones=None, region='US')\n"
    "--\n"
    "\n"
    "Finds the date expressions of a running text. Arguments as for parse_full;\n"
    "`strict` resolves every span with the core grammar alone. Returns a JSON\n"
    "array of [start, end, outcome], offsets in code points, in text order.";

}  // namespace find
// ---------------------------------------------------------------------------

PyMethodDef kMethods[] = {
    {"parse_raw", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(parse_raw)),
     METH_FASTCALL | METH_KEYWORDS, kParseRawDoc},
    {"parse_full", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(full::entry)),
     METH_FASTCALL | METH_KEYWORDS, full::kDoc},
    {"search_full", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(find::entry)),
     METH_FASTCALL | METH_KEYWORDS, find::kDoc},
    {"parse_typed", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(typed::entry)),
     METH_FASTCALL, "Resolves one text into the typed API's objects; called by kalendo.parse."},
    {"typed_classes",
     reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(typed::classes_entry)),
     METH_FASTCALL, "Gives parse_typed the classes it builds; called by kalendo on import."},
    {"same_objects",
     reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(typed::same_objects)),
     METH_FASTCALL, "Whether two tuples hold the very same objects; used by kalendo.parse."},
    {"parse_many", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(many::entry)),
     METH_FASTCALL, "Resolves a column of texts; called by kalendo.parse_many."},
    {"column_arrow", many::arrow_entry, METH_O, "A new Arrow export of a column."},
    {"zone_names", many::zone_names_entry, METH_NOARGS,
     "The IANA names of the zones a text may name by abbreviation."},
    {"column_rows", many::rows_entry, METH_O, "The JSON text of each row of a column."},
    {"column_size", many::size_entry, METH_O, "The number of rows of a column."},
    {nullptr, nullptr, 0, nullptr},
};

PyModuleDef kModuleDef = {
    PyModuleDef_HEAD_INIT,
    "_core",
    "",
    0,  // no per-module state; a repeated init returns the kept module
    nullptr,
    nullptr,
    nullptr,
    nullptr,
    nullptr,
};

// Adds `value` under `name` and appends the name to __all__.
bool add_public(PyObject* module, PyObject* all, const char* name, PyObject* value) {
  if (PyModule_AddObjectRef(module, name, value) < 0) return false;
  PyRef s = PyRef::steal(PyUnicode_FromString(name));
  return s && PyList_Append(all, s.get()) == 0;
}

PyObject* create_module() {
  PyRef module = PyRef::steal(PyModule_Create(&kModuleDef));
  if (!module) return nullptr;
  PyRef all = PyRef::steal(PyList_New(0));
  if (!all || PyModule_AddObjectRef(module.get(), "__all__", all.get()) < 0) return nullptr;

  PyRef name = PyRef::steal(PyModule_GetNameObject(module.get()));
  if (!name) return nullptr;
  PyRef function = PyRef::steal(PyCFunction_NewEx(kMethods, module.get(), name.get()));
  if (!function || !add_public(module.get(), all.get(), "parse_raw", function.get())) {
    return nullptr;
  }
  // The other entries are attributes of their own, outside __all__: the
  // module's public list is fixed, and the package exports them by name.
  for (PyMethodDef* def = kMethods + 1; def->ml_name != nullptr; ++def) {
    PyRef f = PyRef::steal(PyCFunction_NewEx(def, module.get(), name.get()));
    if (!f || PyModule_AddObjectRef(module.get(), def->ml_name, f.get()) < 0) return nullptr;
  }
  PyRef version = PyRef::steal(PyUnicode_FromString(kVersion));
  if (!version || !add_public(module.get(), all.get(), "__version__", version.get())) {
    return nullptr;
  }
  PyRef error = PyRef::steal(PyErr_NewExceptionWithDoc(
      "kalendo._core.InternalError", "A broken invariant inside kalendo; never caused by input.",
      PyExc_BaseException, nullptr));
  if (!error || PyModule_AddObjectRef(module.get(), "InternalError", error.get()) < 0) {
    return nullptr;
  }
  g_internal_error = error.release();
  return module.release();
}

}  // namespace

PyMODINIT_FUNC PyInit__core(void) {
  const int64_t interpreter = PyInterpreterState_GetID(PyInterpreterState_Get());
  if (interpreter < 0) return nullptr;
  if (g_module != nullptr) {
    if (interpreter != g_interpreter_id) {
      PyErr_SetString(PyExc_ImportError,
                      "kalendo._core cannot be loaded in more than one interpreter");
      return nullptr;
    }
    Py_INCREF(g_module);
    return g_module;
  }
  PyObject* module = create_module();
  if (module == nullptr) return nullptr;
  Py_INCREF(module);
  g_module = module;
  g_interpreter_id = interpreter;
  return module;
}
