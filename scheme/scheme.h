// The macro interpreter: cells, the collector, the register machine and the
// embedding interface. Platform-free: whatever it needs from the system
// (message box, keyboard state, files, the multibyte code page) it asks of a
// scheme_host that the embedder fills in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>

struct MPool;
struct scheme_context;
struct scheme_hash_table;

enum scheme_cell_type : uint16_t {
    SCHEME_FREE = 0,
    SCHEME_PAIR = 1,
    SCHEME_SYNTAX = 2,
    SCHEME_PRIMITIVE = 3,
    SCHEME_SYMBOL = 4,
    SCHEME_CLOSURE = 5,
    SCHEME_CONTINUATION = 6,
    SCHEME_MACRO = 7,
    SCHEME_VECTOR = 8,
    SCHEME_PORT = 9,
    SCHEME_EOF = 10,
    SCHEME_INTEGER = 11,
    SCHEME_STRING = 12,
    SCHEME_CHAR = 13,
    SCHEME_CALLBACK = 14,
    SCHEME_REGEXP = 15,
    SCHEME_REGMATCH = 16,
    SCHEME_HASH = 17,
    SCHEME_HASH_ITER = 18,
    SCHEME_CLASS = 19,
    SCHEME_OBJECT = 20,
    SCHEME_RESERVED = 21,
};

constexpr uint16_t SCHEME_TYPE_MASK = 0x1F;
constexpr uint16_t SCHEME_PRINTING = 0x1000;  // a pair or vector the printer is inside (may be stale)
constexpr uint16_t SCHEME_EXPANDED = 0x2000;  // macro call site carries its expansion
constexpr uint16_t SCHEME_ATOM = 0x4000;      // the marker does not follow car/cdr
constexpr uint16_t SCHEME_MARK = 0x8000;

struct scheme_cell {
    uint16_t flags;
    union {
        scheme_cell* car;
        int32_t ival;    // integer
        uint32_t cval;   // character code point
        int32_t op;      // primitive and syntax
        void* payload;   // every other atom
    };
    scheme_cell* cdr;
};

inline int scheme_type(const scheme_cell* c) { return c->flags & SCHEME_TYPE_MASK; }
inline bool scheme_is(const scheme_cell* c, int type) { return (c->flags & SCHEME_TYPE_MASK) == type; }

struct scheme_string_payload {
    int32_t length;  // UTF-16 units
    char16_t text[1];
};

struct scheme_hash_entry;

struct scheme_symbol_payload {
    int32_t gensym;
    const char16_t* name;
    // The symbol's entry in the global frame, valid while the table's
    // deletion count still equals global_deletions.
    scheme_hash_entry* global_entry;
    uint32_t global_deletions;
    char16_t text[1];
};

// Containers (atoms whose payload holds cells: vectors, continuations, hash
// tables and their iterators, and every later kind with a mark-children row)
// begin with this link, which threads them onto the collector's work list
// while their children wait, so marking never recurses.
struct scheme_container_header {
    scheme_cell* gc_link;
};

struct scheme_vector_payload {
    scheme_cell* gc_link;
    int32_t length;
    int32_t capacity;
    scheme_cell* cells[1];
};

using scheme_port_writer = void (*)(scheme_context* ctx, const char16_t* text);

enum : int32_t {
    SCHEME_PORT_INPUT = 1,
    SCHEME_PORT_OUTPUT = 2,
    SCHEME_PORT_CLOSED = 4,
    SCHEME_PORT_STRING = 8,
    SCHEME_PORT_UTF16 = 0x10,
};

struct scheme_port_payload {
    int32_t flags;
    void* stream;       // host file handle, or null
    int32_t capacity;   // buffer units
    char16_t* buffer;   // from the payload pool, or null
    char16_t* pos;
    char16_t* end;
    scheme_port_writer writer;
    int32_t carry_len;  // multibyte bytes read but not yet converted
    char carry[8];
    char16_t name[1];
};

using scheme_callback_fn = scheme_cell* (*)(scheme_context* ctx, scheme_cell** args, int count);

struct scheme_callback_function {
    scheme_callback_fn fn;
    int32_t min_args;
    int32_t max_args;
    char16_t letters[32];
    char16_t name[1];
};

struct scheme_continuation_payload;

// What the interpreter takes from the platform. Every member may be null;
// the interpreter then does without (no box, no cancel key, no files).
struct scheme_host {
    void* user = nullptr;
    // Shows the fatal-error text (caption "scheme fatal error").
    void (*fatal_box)(void* user, const char16_t* text) = nullptr;
    // True while the virtual key is held down.
    bool (*key_down)(void* user, int vk) = nullptr;
    // Files by UTF-16 path; mode is "rb" or "wb". Null when the file does not open.
    void* (*file_open)(void* user, const char16_t* path, const char* mode) = nullptr;
    std::size_t (*file_read)(void* user, void* file, void* buf, std::size_t bytes) = nullptr;
    // Writes UTF-16 text to a file or a standard stream handle.
    void (*file_write)(void* user, void* file, const char16_t* text, std::size_t units) = nullptr;
    void (*file_close)(void* user, void* file) = nullptr;
    bool (*file_exists)(void* user, const char16_t* path) = nullptr;
    // Converts the multibyte (CP932) text in bytes[0, n) to UTF-16. Stops before
    // a trailing lead byte whose trail byte is missing unless at_end; skips bytes
    // that do not convert. Writes at most n units, sets *used to the bytes taken.
    std::size_t (*mb_decode)(void* user, const char* bytes, std::size_t n, char16_t* out,
                             std::size_t* used, bool at_end) = nullptr;
    // Handles of the process's standard streams (never closed by the interpreter).
    void* std_in = nullptr;
    void* std_out = nullptr;
    void* std_err = nullptr;
    // File status by UTF-16 path (times in seconds since 1970); false when it fails.
    bool (*file_stat)(void* user, const char16_t* path, int64_t* size, int64_t* atime, int64_t* mtime,
                      int64_t* ctime) = nullptr;
    // Starts the command line without waiting for it; false when it does not start.
    bool (*exec)(void* user, const char16_t* command_line) = nullptr;
    // The clipboard's Unicode text, copied into memory from malloc that the
    // interpreter frees (null with *units 0 when there is none). The host
    // closes the clipboard before it returns.
    char16_t* (*clipboard_text)(void* user, std::size_t* units) = nullptr;
};

// Thrown by scheme_fatal_error; every entry of the embedding interface catches it.
struct scheme_fatal : std::exception {
    const char* what() const noexcept override { return "scheme fatal error"; }
};

struct scheme_frame {
    int32_t op;
    scheme_cell* args;
    scheme_cell* envir;
    scheme_cell* code;
};

constexpr int SCHEME_MAX_SEGMENTS = 100;
constexpr int SCHEME_SEGMENT_CELLS = 4096;
constexpr int SCHEME_ERROR_TEXT = 1026;
// Size classes of large payload blocks kept for reuse: up to four per
// doubling above the pool's own classes (2 KiB to 160 MiB).
constexpr int SCHEME_LARGE_CLASSES = 64;
// The least payload allowed to pile up between full collections (more with
// a larger heap).
constexpr std::size_t SCHEME_PAYLOAD_ALLOWANCE = std::size_t(256) << 10;

struct scheme_context {
    scheme_cell* segments[SCHEME_MAX_SEGMENTS];
    int32_t segment_sizes[SCHEME_MAX_SEGMENTS];
    int32_t last_segment;  // -1 before the first
    int32_t sweep_segment;
    scheme_cell* sweep_next;
    scheme_cell* sweep_end;
    int32_t sweep_clean;  // swept whole by a full collection: no marks left

    scheme_cell* args;
    scheme_cell* envir;
    scheme_cell* code;
    scheme_cell* oblist;
    scheme_cell* global_frame;
    scheme_cell* protected_list;
    scheme_cell* inport;
    scheme_cell* outport;
    scheme_cell* errport;
    scheme_cell* strport;
    scheme_cell* saved_outport;

    scheme_cell special[4];
    scheme_cell* NIL;
    scheme_cell* T;
    scheme_cell* F;
    scheme_cell* UNDEF;

    scheme_cell* sym_lambda;
    scheme_cell* sym_quote;
    scheme_cell* sym_quote_vector;
    scheme_cell* sym_quasiquote;
    scheme_cell* sym_unquote;
    scheme_cell* sym_unquote_splicing;
    scheme_cell* sym_quasiquote_vec;
    scheme_cell* sym_optional;
    scheme_cell* sym_arrow;  // => in cond clauses

    char16_t error_text[SCHEME_ERROR_TEXT];

    int32_t token;
    int32_t print_flag;
    scheme_cell* value;
    int32_t op;
    scheme_cell* values;  // multiple-values list, NIL when none

    scheme_frame* dump;
    int32_t dump_count;
    int32_t dump_capacity;

    MPool* pool;
    std::size_t payload_bytes;
    std::size_t threshold;  // payload bytes that start a full collection (0: every allocation)
    // Freed large payload blocks kept for reuse, newest first in each class
    // and all of them in the order they were freed (the oldest go first when
    // the cache is over scheme_payload_cache_cap). They stay blocks of the
    // pool, so the pool's end frees them.
    struct scheme_cached_block* large_free[SCHEME_LARGE_CLASSES];
    struct scheme_cached_block* cache_oldest;
    struct scheme_cached_block* cache_newest;
    std::size_t cached_bytes;

    int32_t gensym_counter;
    int32_t live_cells;
    int32_t total_cells;

    int32_t cancel_counter;
    int32_t cancel_flag;
    int32_t cancel_modifiers;
    int32_t cancel_vk;
    // The cancel key as last polled: a run is cancelled when it goes down,
    // not while it stays down (a key held, or reported held, from before).
    int32_t cancel_key_was_down;

    int32_t no_gc;

    void* host_data;  // owned by the embedder
    scheme_host host;

    // Nested runs of the machine: the dump depth below which this run may not
    // pop, and an id that continuations remember.
    int32_t run_base;
    int32_t run_depth;
    uint32_t run_id;
    uint32_t next_run_id;
    int32_t error_raised;  // the error protocol finished in the current run
    int32_t host_raised;   // a host procedure raised an error (scheme_run of the error op)

    // Cells held by C++ code across allocations (see scheme_root).
    struct scheme_root* temp_roots;
    scheme_cell* mark_work;  // containers whose children are still to be marked

    // A value maker ran out of memory inside a host procedure: the procedure's
    // call raises the error instead of letting a null cell in.
    int32_t maker_failed;

    // The built-in classes (<sys-tm>, <sys-stat>), held here so that the
    // procedures that make and read their objects never depend on what the
    // global names are bound to now.
    scheme_cell* sys_tm_class;
    scheme_cell* sys_stat_class;
};

// Keeps a C++ local cell alive across allocations for its scope. (The root
// is unlinked by its destructor; GCC cannot see that through inlining.)
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ >= 12
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdangling-pointer"
#endif
struct scheme_root {
    scheme_context* ctx;
    scheme_cell** slot;
    scheme_root* prev;
    scheme_root(scheme_context* c, scheme_cell*& s) : ctx(c), slot(&s), prev(c->temp_roots) { ctx->temp_roots = this; }
    ~scheme_root() { ctx->temp_roots = prev; }
    scheme_root(const scheme_root&) = delete;
    scheme_root& operator=(const scheme_root&) = delete;
};
#if defined(__GNUC__) && !defined(__clang__) && __GNUC__ >= 12
#pragma GCC diagnostic pop
#endif

// --- cells and memory -------------------------------------------------------
[[noreturn]] void scheme_fatal_error(scheme_context* ctx, const char* text);
void* scheme_payload_alloc(scheme_context* ctx, std::size_t bytes);
void* scheme_payload_realloc(scheme_context* ctx, void* block, std::size_t bytes);
void scheme_payload_free(scheme_context* ctx, void* block);
// The most bytes of freed large blocks the context keeps for reuse.
std::size_t scheme_payload_cache_cap(const scheme_context* ctx);
scheme_cell* get_cell(scheme_context* ctx, scheme_cell* a, scheme_cell* b);
scheme_cell* cons(scheme_context* ctx, scheme_cell* car, scheme_cell* cdr);
void scheme_collect(scheme_context* ctx, scheme_cell* a, scheme_cell* b, bool full);
// Adds one segment of free cells (false when none can be added).
bool scheme_add_segment(scheme_context* ctx);
// Marks everything reachable from c (used by the mark-children callbacks).
void scheme_mark(scheme_context* ctx, scheme_cell* c);
// Runs the pending lazy sweep to its end (live_cells then counts the survivors).
void scheme_finish_sweep(scheme_context* ctx);

// --- constructors and environment --------------------------------------------
scheme_cell* mk_integer(scheme_context* ctx, int32_t value);
scheme_cell* mk_char(scheme_context* ctx, uint32_t cp);
scheme_cell* mk_string(scheme_context* ctx, const char16_t* text);
scheme_cell* mk_string_n(scheme_context* ctx, const char16_t* text, std::size_t units);
scheme_cell* mk_empty_string(scheme_context* ctx, std::size_t units);
scheme_cell* mk_port(scheme_context* ctx, void* stream, int32_t flags, const char16_t* name, int32_t capacity);
scheme_cell* mk_string_input_port(scheme_context* ctx, const char16_t* text);
scheme_cell* mk_vector(scheme_context* ctx, int32_t n, scheme_cell* list);
scheme_cell* mk_eof(scheme_context* ctx);
scheme_cell* mk_hash(scheme_context* ctx, int size, const char* kind);
scheme_cell* mk_hash_iterator(scheme_context* ctx, scheme_cell* table);
scheme_cell* intern(scheme_context* ctx, const char16_t* name);
void scheme_define(scheme_context* ctx, scheme_cell* symbol, scheme_cell* value);
scheme_cell** scheme_lookup_frame(scheme_context* ctx, scheme_cell* symbol, scheme_cell* frame);
scheme_cell** scheme_lookup(scheme_context* ctx, scheme_cell* symbol);
scheme_cell* parse_atom(scheme_context* ctx, const char16_t* text);
scheme_cell* parse_sharp(scheme_context* ctx, const char16_t* text);
int scheme_count_chars(const char16_t* start, const char16_t* end);

inline scheme_string_payload* scheme_string(scheme_cell* c) {
    return static_cast<scheme_string_payload*>(c->payload);
}
inline const char16_t* scheme_symbol_name(scheme_cell* c) {
    return static_cast<scheme_symbol_payload*>(c->payload)->name;
}
inline scheme_vector_payload* scheme_vector(scheme_cell* c) {
    return static_cast<scheme_vector_payload*>(c->payload);
}
inline scheme_port_payload* scheme_port(scheme_cell* c) { return static_cast<scheme_port_payload*>(c->payload); }

// --- equality ----------------------------------------------------------------
bool scheme_eqv(scheme_cell* a, scheme_cell* b);
// Structural equality; *too_deep is set (and false returned) for data beyond
// the comparison budget (very deep or circular).
bool scheme_equal(scheme_cell* a, scheme_cell* b, bool* too_deep);

// --- embedding interface -----------------------------------------------------
// host may be null (no platform services).
scheme_context* scheme_create(const scheme_host* host = nullptr);
void scheme_destroy(scheme_context* ctx);
int scheme_register_function(scheme_context* ctx, const char16_t* name, scheme_callback_fn fn, int min_args,
                             int max_args, const char16_t* letters);
scheme_cell* scheme_eval_string(scheme_context* ctx, const char16_t* source);
int scheme_load_file(scheme_context* ctx, const char16_t* path);
scheme_cell* scheme_call_procedure(scheme_context* ctx, scheme_cell* proc);
const char16_t* scheme_to_string(scheme_context* ctx, scheme_cell* obj);
int scheme_protect(scheme_context* ctx, scheme_cell* obj);
int scheme_unprotect(scheme_context* ctx, scheme_cell* obj);
scheme_cell* scheme_mk_string(scheme_context* ctx, const char16_t* text);
scheme_cell* scheme_mk_integer(scheme_context* ctx, int32_t value);
scheme_cell* scheme_mk_char(scheme_context* ctx, uint32_t cp);
scheme_cell* scheme_mk_eof(scheme_context* ctx);
scheme_cell* scheme_run(scheme_context* ctx, int op);

// Builds a proper list front to back for a host procedure or a builtin; the
// list under construction is a collector root for the builder's lifetime, so
// a collection while it grows never frees it.
struct scheme_list_builder {
    scheme_context* ctx;
    scheme_cell* head;
    scheme_cell* tail = nullptr;
    scheme_root root;
    explicit scheme_list_builder(scheme_context* c) : ctx(c), head(c->NIL), root(c, head) {}
    void add(scheme_cell* v) {
        scheme_cell* cell = cons(ctx, v, ctx->NIL);
        if (tail) tail->cdr = cell;
        else head = cell;
        tail = cell;
    }
    // Ends the list with the given tail (improper lists).
    scheme_cell* finish(scheme_cell* rest) {
        if (tail) tail->cdr = rest;
        else head = rest;
        return head;
    }
};
