// Classes with named slots and their objects, the built-in classes
// <sys-tm> and <sys-stat>, and the system procedures (time, files, starting
// programs, the clipboard; the platform's part comes through the host).
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <cwchar>
#include <string>

#include "scheme/library.h"

namespace {

using slot_getter = scheme_cell* (*)(scheme_context* ctx, scheme_cell* object, int index);
// Returns the index, or -1 after writing a message into the error text.
using slot_setter = int (*)(scheme_context* ctx, scheme_cell* object, scheme_cell* value, int index);

struct SlotAccessors {
    slot_getter get;
    slot_setter set;
};

struct ClassPayload {
    scheme_cell* gc_link;  // container header
    scheme_cell* supers;
    scheme_cell* slots;    // slot-name symbols in declaration order
    SlotAccessors* accessors;  // built-in classes only
    int32_t slot_count;
    char16_t name[1];
};

struct ObjectPayload {
    scheme_cell* gc_link;  // container header
    scheme_cell* klass;
    scheme_cell* values[1];
};

ClassPayload* class_of(scheme_cell* c) { return static_cast<ClassPayload*>(c->payload); }
ObjectPayload* object_of(scheme_cell* c) { return static_cast<ObjectPayload*>(c->payload); }

void mark_class(scheme_context* ctx, scheme_cell* c) {
    scheme_mark(ctx, class_of(c)->supers);
    scheme_mark(ctx, class_of(c)->slots);
}

void finalize_class(scheme_context* ctx, scheme_cell* c) {
    if (ClassPayload* k = class_of(c)) {
        scheme_payload_free(ctx, k->accessors);
        scheme_payload_free(ctx, k);
        c->payload = nullptr;
    }
}

void mark_object(scheme_context* ctx, scheme_cell* c) {
    ObjectPayload* o = object_of(c);
    scheme_mark(ctx, o->klass);
    int32_t n = class_of(o->klass)->slot_count;
    for (int32_t i = 0; i < n; ++i) scheme_mark(ctx, o->values[i]);
}

scheme_cell* make_class(scheme_context* ctx, const char16_t* name, std::size_t name_len, scheme_cell* supers,
                        scheme_cell* slots) {
    scheme_root r1(ctx, supers), r2(ctx, slots);
    int32_t count = scheme_list_length(ctx, slots);
    scheme_cell* c = get_cell(ctx, ctx->NIL, ctx->NIL);
    auto* k = static_cast<ClassPayload*>(
        scheme_payload_alloc(ctx, offsetof(ClassPayload, name) + (name_len + 1) * sizeof(char16_t)));
    k->gc_link = nullptr;
    k->supers = supers;
    k->slots = slots;
    k->accessors = nullptr;
    k->slot_count = count < 0 ? 0 : count;
    std::memcpy(k->name, name, name_len * sizeof(char16_t));
    k->name[name_len] = 0;
    c->payload = k;
    c->cdr = ctx->NIL;
    c->flags = SCHEME_ATOM | SCHEME_CLASS;
    return c;
}

scheme_cell* make_object(scheme_context* ctx, scheme_cell* klass) {
    scheme_root r(ctx, klass);
    int32_t n = class_of(klass)->slot_count;
    scheme_cell* c = get_cell(ctx, klass, ctx->NIL);
    auto* o = static_cast<ObjectPayload*>(scheme_payload_alloc(
        ctx, offsetof(ObjectPayload, values) + static_cast<std::size_t>(n ? n : 1) * sizeof(scheme_cell*)));
    o->gc_link = nullptr;
    o->klass = klass;
    for (int32_t i = 0; i < n; ++i) o->values[i] = ctx->UNDEF;
    c->payload = o;
    c->cdr = ctx->NIL;
    c->flags = SCHEME_ATOM | SCHEME_OBJECT;
    return c;
}

int slot_index(scheme_cell* klass, scheme_cell* name) {
    int i = 0;
    for (scheme_cell* p = class_of(klass)->slots; scheme_is(p, SCHEME_PAIR); p = p->cdr, ++i)
        if (p->car == name) return i < class_of(klass)->slot_count ? i : -1;
    return -1;
}

// Stores through the slot's setter when it has one; -1 with the error text set.
int store_slot(scheme_context* ctx, scheme_cell* object, int index, scheme_cell* value) {
    ClassPayload* k = class_of(object_of(object)->klass);
    if (k->accessors && k->accessors[index].set) return k->accessors[index].set(ctx, object, value, index);
    object_of(object)->values[index] = value;
    return index;
}

int integer_setter(scheme_context* ctx, scheme_cell* object, scheme_cell* value, int index) {
    if (!scheme_is_atom_of(value, SCHEME_INTEGER)) {
        scheme_ascii_to_u16("exact integer required, but got", ctx->error_text, SCHEME_ERROR_TEXT);
        return -1;
    }
    object_of(object)->values[index] = value;
    return index;
}

// --- class builtins ------------------------------------------------------------------------

bool op_define_class(scheme_context* ctx) {
    SCHEME_CHECK(3, 3, "SLL");
    auto* s = scheme_string(a[0]);
    for (scheme_cell* p = a[2]; scheme_is(p, SCHEME_PAIR); p = p->cdr)
        if (!scheme_is_atom_of(p->car, SCHEME_SYMBOL)) return scheme_raise_type(ctx, "Y", p->car);
    return scheme_return(ctx, make_class(ctx, s->text, static_cast<std::size_t>(s->length), a[1], a[2]));
}

bool op_make(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "k");
    return scheme_return(ctx, make_object(ctx, a[0]));
}

bool op_slot_ref(scheme_context* ctx) {
    SCHEME_CHECK(2, 2, "bY");
    scheme_cell* klass = object_of(a[0])->klass;
    int i = slot_index(klass, a[1]);
    if (i < 0) return scheme_raise(ctx, u"slot-ref: object doesn't have such slot:", a[1]);
    ClassPayload* k = class_of(klass);
    if (k->accessors && k->accessors[i].get) return scheme_return(ctx, k->accessors[i].get(ctx, a[0], i));
    return scheme_return(ctx, object_of(a[0])->values[i]);
}

bool op_slot_set(scheme_context* ctx) {
    SCHEME_CHECK(3, 3, "bYA");
    int i = slot_index(object_of(a[0])->klass, a[1]);
    if (i < 0) return scheme_raise(ctx, u"slot-ref: object doesn't have such slot:", a[2]);
    if (store_slot(ctx, a[0], i, a[2]) < 0) return scheme_raise_error_text(ctx, a[2]);
    return scheme_return(ctx, ctx->UNDEF);
}

// --- built-in classes ------------------------------------------------------------------------

const char16_t* const kTmSlots[] = {u"sec", u"min", u"hour", u"mday", u"mon", u"year", u"wday", u"yday", u"isdst"};
const char16_t* const kStatSlots[] = {u"size", u"atime", u"mtime", u"ctime"};

scheme_cell* builtin_class(scheme_context* ctx, const char16_t* name, const char16_t* const* slots, int count) {
    scheme_list_builder names(ctx);
    for (int i = 0; i < count; ++i) names.add(intern(ctx, slots[i]));
    scheme_cell* slot_list = names.finish(ctx->NIL);
    scheme_cell* klass = make_class(ctx, name, scheme_u16len(name), ctx->NIL, slot_list);
    auto* acc = static_cast<SlotAccessors*>(
        scheme_payload_alloc(ctx, static_cast<std::size_t>(count) * sizeof(SlotAccessors)));
    for (int i = 0; i < count; ++i) acc[i] = {nullptr, integer_setter};
    class_of(klass)->accessors = acc;
    scheme_define(ctx, intern(ctx, name), klass);
    return klass;
}

// An object of a built-in class with its slots filled in order.
scheme_cell* filled_object(scheme_context* ctx, scheme_cell* klass, const int64_t* values, int count) {
    scheme_cell* obj = make_object(ctx, klass);
    scheme_root r(ctx, obj);
    for (int i = 0; i < count; ++i) {
        int64_t v = values[i];
        // times and sizes beyond 32 bits clamp (integers are 32-bit)
        int32_t clamped = v > INT32_MAX ? INT32_MAX : v < INT32_MIN ? INT32_MIN : static_cast<int32_t>(v);
        store_slot(ctx, obj, i, mk_integer(ctx, clamped));
    }
    return obj;
}

// --- system procedures -----------------------------------------------------------------------

bool op_sys_time(scheme_context* ctx) {
    std::time_t now = std::time(nullptr);
    return scheme_return(ctx, mk_integer(ctx, static_cast<int32_t>(now)));
}

bool op_sys_localtime(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "N");
    std::time_t t = static_cast<std::time_t>(a[0]->ival);
    // the result is copied at once: the C library's record is shared
    const std::tm* lt = std::localtime(&t);
    if (!lt) return scheme_raise(ctx, u"sys-localtime: time out of range:", a[0]);
    const int64_t fields[] = {lt->tm_sec, lt->tm_min, lt->tm_hour, lt->tm_mday, lt->tm_mon,
                              lt->tm_year, lt->tm_wday, lt->tm_yday, lt->tm_isdst};
    return scheme_return(ctx, filled_object(ctx, ctx->sys_tm_class, fields, 9));
}

// wchar_t is UTF-16 on Windows and UTF-32 elsewhere.
std::wstring to_wide(const char16_t* s, std::size_t n) {
    std::wstring out;
    for (std::size_t i = 0; i < n;) {
        if constexpr (sizeof(wchar_t) == 2) {
            out += static_cast<wchar_t>(s[i++]);
        } else {
            int w = scheme_char_units(s + i, static_cast<std::ptrdiff_t>(n - i));
            out += static_cast<wchar_t>(scheme_char_at(s + i, static_cast<std::ptrdiff_t>(n - i)));
            i += static_cast<std::size_t>(w);
        }
    }
    return out;
}

std::u16string from_wide(const wchar_t* s, std::size_t n) {
    std::u16string out;
    for (std::size_t i = 0; i < n; ++i) {
        char16_t u[2];
        int w = scheme_put_char(u, static_cast<uint32_t>(s[i]));
        out.append(u, static_cast<std::size_t>(w));
    }
    return out;
}

bool op_sys_strftime(scheme_context* ctx) {
    SCHEME_CHECK(2, 2, "Sb");
    if (object_of(a[1])->klass != ctx->sys_tm_class) {
        scheme_ascii_to_u16("sys-strftime: <sys-tm> required:", ctx->error_text, SCHEME_ERROR_TEXT);
        return scheme_raise_error_text(ctx, a[1]);
    }
    // every field must be in the range the formatter may index with
    static const struct {
        int lo, hi;
    } kRange[] = {{0, 60}, {0, 59}, {0, 23}, {0, 31}, {0, 11}, {-1900, 8099}, {0, 6}, {0, 365}, {-1, 1}};
    int f[9];
    ObjectPayload* o = object_of(a[1]);
    for (int i = 0; i < 9; ++i) {
        scheme_cell* v = o->values[i];
        f[i] = scheme_is_atom_of(v, SCHEME_INTEGER) ? v->ival : 0;
        if (f[i] < kRange[i].lo || f[i] > kRange[i].hi) {
            char16_t msg[64];
            scheme_ascii_to_u16("sys-strftime: field out of range:", msg, 64);
            return scheme_raise(ctx, msg, intern(ctx, kTmSlots[i]));
        }
    }
    std::tm tm{};
    tm.tm_sec = f[0];
    tm.tm_min = f[1];
    tm.tm_hour = f[2];
    tm.tm_mday = f[3];
    tm.tm_mon = f[4];
    tm.tm_year = f[5];
    tm.tm_wday = f[6];
    tm.tm_yday = f[7];
    tm.tm_isdst = f[8];
    auto* fmt = scheme_string(a[0]);
    std::wstring wfmt = to_wide(fmt->text, static_cast<std::size_t>(fmt->length));
    wchar_t buf[1024];
    std::size_t units = wfmt.empty() ? 0 : std::wcsftime(buf, 1024, wfmt.c_str(), &tm);
    // 0 for a non-empty format: the text did not fit, or the formatter refused.
    // Some C libraries hand back a cut text that fills the buffer instead.
    if ((units == 0 && !wfmt.empty()) || units >= 1023) return scheme_raise(ctx, u"sys-strftime: cannot format:", a[0]);
    std::u16string text = from_wide(buf, units);
    return scheme_return(ctx, mk_string_n(ctx, text.data(), text.size()));
}

bool op_sys_stat(scheme_context* ctx) {
    SCHEME_CHECK(1, 1, "S");
    const scheme_host& h = ctx->host;
    int64_t v[4] = {};
    if (!h.file_stat || !h.file_stat(h.user, scheme_string(a[0])->text, &v[0], &v[1], &v[2], &v[3]))
        return scheme_raise(ctx, u"sys-stat: stat error:", a[0]);
    return scheme_return(ctx, filled_object(ctx, ctx->sys_stat_class, v, 4));
}

bool op_win_exec(scheme_context* ctx) {
    char16_t line[1024];
    std::size_t used = 0, room = 1022;
    for (scheme_cell* p = ctx->args; scheme_is(p, SCHEME_PAIR); p = p->cdr) {
        if (!scheme_is_atom_of(p->car, SCHEME_STRING)) return scheme_raise_type(ctx, "S", p->car);
        auto* s = scheme_string(p->car);
        std::size_t len = static_cast<std::size_t>(s->length);
        if (room < len + 1) return scheme_raise(ctx, u"command is too long");
        std::memcpy(line + used, s->text, len * sizeof(char16_t));
        used += len;
        line[used++] = ' ';
        room -= len + 1;
    }
    line[used] = 0;
    const scheme_host& h = ctx->host;
    if (!h.exec || !h.exec(h.user, line)) return scheme_raise(ctx, u"win-exec: can not execute", mk_string(ctx, line));
    return scheme_return(ctx, mk_integer(ctx, 0));
}

bool op_clipboard_text(scheme_context* ctx) {
    const scheme_host& h = ctx->host;
    std::size_t units = 0;
    char16_t* text = h.clipboard_text ? h.clipboard_text(h.user, &units) : nullptr;
    if (!text) return scheme_return(ctx, mk_string(ctx, u""));
    // the host has closed the clipboard; only our copy is left to free
    scheme_cell* s;
    try {
        s = mk_string_n(ctx, text, units);
    } catch (...) {
        std::free(text);
        throw;
    }
    std::free(text);
    return scheme_return(ctx, s);
}

// Printed forms of regexps, classes and objects.
bool print_atom(scheme_context* ctx, scheme_cell* port, scheme_cell* obj, bool) {
    if (scheme_print_regexp(ctx, port, obj)) return true;
    if (scheme_is_atom_of(obj, SCHEME_CLASS)) {
        port_write(ctx, port, u"#<class ");
        port_write(ctx, port, class_of(obj)->name);
        port_write(ctx, port, u">");
        return true;
    }
    if (scheme_is_atom_of(obj, SCHEME_OBJECT)) {
        port_write(ctx, port, u"#<");
        port_write(ctx, port, class_of(object_of(obj)->klass)->name);
        char buf[32];
        std::snprintf(buf, sizeof(buf), " 0x%p>", static_cast<void*>(obj));
        port_write_ascii(ctx, port, buf);
        return true;
    }
    return false;
}

}  // namespace

void scheme_init_classes(scheme_context* ctx) {
    ctx->sys_tm_class = builtin_class(ctx, u"<sys-tm>", kTmSlots, 9);
    ctx->sys_stat_class = builtin_class(ctx, u"<sys-stat>", kStatSlots, 4);
}

void scheme_register_class_ops() {
    scheme_type_table[SCHEME_CLASS] = {SCHEME_CLASS, mark_class, finalize_class};
    scheme_type_table[SCHEME_OBJECT].mark_children = mark_object;
    scheme_atom_printer = print_atom;
    static const scheme_op_binding rows[] = {
        {OP_DEFINE_CLASS, "_define-class", op_define_class},
        {OP_MAKE, "make", op_make},
        {OP_SLOT_REF, "slot-ref", op_slot_ref},
        {OP_SLOT_SET, "slot-set!", op_slot_set},
        {OP_SYS_TIME, "sys-time", op_sys_time},
        {OP_SYS_LOCALTIME, "sys-localtime", op_sys_localtime},
        {OP_SYS_STRFTIME, "sys-strftime", op_sys_strftime},
        {OP_SYS_STAT, "sys-stat", op_sys_stat},
        {OP_WIN_EXEC, "win-exec", op_win_exec},
        {OP_WIN_GET_CLIPBOARD_TEXT, "win-get-clipboard-text", op_clipboard_text},
    };
    scheme_set_ops(rows);
}
