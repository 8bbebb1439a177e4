#include "scheme/hash.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "scheme/scheme.h"

namespace {

constexpr uint32_t kSegmentSize = 256;
constexpr uint32_t kSegmentShift = 8;

struct EntryBlock {
    EntryBlock* prev;
};

uint32_t pow2_not_below(uint32_t n) {
    uint32_t p = 1;
    while (p < n) p <<= 1;
    return p;
}

scheme_hash_entry** bucket_slot(scheme_hash_table* t, uint32_t hash) {
    uint32_t b = hash & t->high_mask;
    if (b > t->max_bucket) b = hash & t->low_mask;
    scheme_hash_entry** seg = t->directory[b >> kSegmentShift];
    if (!seg) {
        std::fputs("hash corrupted!!\n", stderr);
        std::exit(1);
    }
    return &seg[b & (kSegmentSize - 1)];
}

void release_all(scheme_hash_table* t, uint32_t dir_size) {
    if (t->directory) {
        for (uint32_t i = 0; i < dir_size; ++i)
            if (t->directory[i]) t->free(t->context, t->directory[i]);
        t->free(t->context, t->directory);
    }
    for (auto* b = static_cast<EntryBlock*>(t->entry_blocks); b;) {
        EntryBlock* prev = b->prev;
        t->free(t->context, b);
        b = prev;
    }
    t->free(t->context, t);
}

uint32_t directory_size(const scheme_hash_table* t) {
    return pow2_not_below((t->max_bucket) / kSegmentSize + 1);
}

}  // namespace

uint32_t scheme_fnv_bytes(const void* p, std::size_t n) {
    const auto* b = static_cast<const unsigned char*>(p);
    uint32_t h = 0;
    for (std::size_t i = 0; i < n; ++i) h = (h * 16777619u) ^ b[i];
    return h;
}

uint32_t scheme_fnv_units(const char16_t* s, std::size_t n) {
    uint32_t h = 0;
    for (std::size_t i = 0; i < n; ++i) h = (h * 16777619u) ^ s[i];
    return h;
}

scheme_hash_table* CreateTable(int size, scheme_hash_fn hash, scheme_hash_compare_fn compare, void* context,
                               scheme_cell* owner, scheme_hash_alloc_fn alloc, scheme_hash_free_fn free) {
    auto* t = static_cast<scheme_hash_table*>(alloc(context, sizeof(scheme_hash_table)));
    if (!t) return nullptr;
    std::memset(t, 0, sizeof(*t));
    uint32_t n = size <= 1 ? 1 : pow2_not_below(static_cast<uint32_t>(size));
    t->max_bucket = n - 1;
    t->high_mask = 2 * n - 1;
    t->low_mask = n - 1;
    t->key_size = sizeof(void*);
    t->data_size = 2 * sizeof(void*);
    t->segment_size = kSegmentSize;
    t->segment_shift = kSegmentShift;
    t->spare = 1;
    uint32_t per = size < 128 ? static_cast<uint32_t>(size < 8 ? 8 : size) : 128;
    t->per_block = per;
    t->alloc = alloc;
    t->context = context;
    t->free = free;
    t->hash = hash;
    t->compare = compare;
    t->owner = owner;
    uint32_t dir = directory_size(t);
    t->directory = static_cast<scheme_hash_entry***>(alloc(context, dir * sizeof(scheme_hash_entry**)));
    if (!t->directory) {
        release_all(t, 0);
        return nullptr;
    }
    std::memset(t->directory, 0, dir * sizeof(scheme_hash_entry**));
    uint32_t segs = (n + kSegmentSize - 1) / kSegmentSize;
    std::size_t seg_units = n < kSegmentSize ? n : kSegmentSize;
    for (uint32_t i = 0; i < segs; ++i) {
        auto* seg = static_cast<scheme_hash_entry**>(alloc(context, seg_units * sizeof(scheme_hash_entry*)));
        if (!seg) {
            release_all(t, dir);
            return nullptr;
        }
        std::memset(seg, 0, seg_units * sizeof(scheme_hash_entry*));
        t->directory[i] = seg;
        t->segments++;
    }
    return t;
}

void DestroyTable(scheme_hash_table* t) {
    if (!t) return;
    // Iterators outlive a dead table harmlessly: they see no more entries.
    for (scheme_hash_iter* it = t->iterators; it;) {
        scheme_hash_iter* next = it->link_next;
        it->table = nullptr;
        it->next = nullptr;
        it->link_prev = it->link_next = nullptr;
        it = next;
    }
    release_all(t, directory_size(t));
}

scheme_hash_entry* TableLookup(scheme_hash_table* t, uint32_t hash, const void* key, int op) {
    scheme_hash_entry** slot = bucket_slot(t, hash);
    scheme_hash_entry** link = slot;
    for (scheme_hash_entry* e = *slot; e; link = &e->next, e = e->next) {
        if (e->hash != hash || t->compare(t->context, e->key, key, t->key_size) != 0) continue;
        if (op == TABLE_DELETE) {
            for (scheme_hash_iter* it = t->iterators; it; it = it->link_next)
                if (it->next == e) it->next = e->next;
            *link = e->next;
            t->count--;
            t->deletions++;
            e->next = t->free_entries;
            t->free_entries = e;
        }
        return e;
    }
    if (op != TABLE_INSERT) return nullptr;
    if (!t->free_entries) {
        std::size_t bytes = sizeof(EntryBlock) + t->per_block * sizeof(scheme_hash_entry);
        auto* block = static_cast<EntryBlock*>(t->alloc(t->context, bytes));
        if (!block) return nullptr;
        block->prev = static_cast<EntryBlock*>(t->entry_blocks);
        t->entry_blocks = block;
        auto* entries = reinterpret_cast<scheme_hash_entry*>(block + 1);
        for (uint32_t i = 0; i < t->per_block; ++i) {
            entries[i].next = t->free_entries;
            t->free_entries = &entries[i];
        }
    }
    scheme_hash_entry* e = t->free_entries;
    t->free_entries = e->next;
    e->next = nullptr;
    e->hash = hash;
    e->key = const_cast<void*>(key);
    e->value = nullptr;
    *link = e;
    t->count++;
    return e;
}

void TableIterInit(scheme_hash_iter* it, scheme_hash_table* t, scheme_cell* table_cell) {
    it->table_cell = table_cell;
    it->table = t;
    it->bucket = 0;
    it->next = nullptr;
    it->link_prev = nullptr;
    it->link_next = t->iterators;
    if (t->iterators) t->iterators->link_prev = it;
    t->iterators = it;
}

scheme_hash_entry* TableIterNext(scheme_hash_iter* it) {
    scheme_hash_table* t = it->table;
    if (!t) return nullptr;
    scheme_hash_entry* e = it->next;
    while (!e && it->bucket <= t->max_bucket) {
        e = t->directory[it->bucket >> kSegmentShift][it->bucket & (kSegmentSize - 1)];
        it->bucket++;
    }
    if (!e) return nullptr;
    it->next = e->next;
    return e;
}

void TableIterRelease(scheme_hash_iter* it) {
    if (!it->table) return;
    if (it->link_prev) it->link_prev->link_next = it->link_next;
    else it->table->iterators = it->link_next;
    if (it->link_next) it->link_next->link_prev = it->link_prev;
    it->table = nullptr;
    it->next = nullptr;
}

// --- kinds ---------------------------------------------------------------------

namespace {

const char* const kKindNames[] = {"eq?", "eqv?", "equal?", "string=?", "ptr-eq?", "oblist"};

uint32_t hash_value_cell(const scheme_cell* c) {
    if (scheme_is(c, SCHEME_INTEGER) || scheme_is(c, SCHEME_CHAR)) {
        uint32_t v = c->cval;
        return scheme_fnv_bytes(&v, sizeof(v));
    }
    return 0xFFFFFFFFu;  // not a value cell
}

uint32_t hash_eq(const void* key) {
    auto* c = static_cast<const scheme_cell*>(key);
    if (scheme_is(c, SCHEME_INTEGER) || scheme_is(c, SCHEME_CHAR)) return hash_value_cell(c);
    return scheme_fnv_bytes(&key, sizeof(key));
}

uint32_t hash_string_or_type(const scheme_cell* c) {
    if (scheme_is(c, SCHEME_STRING)) {
        auto* s = static_cast<scheme_string_payload*>(c->payload);
        return scheme_fnv_units(s->text, static_cast<std::size_t>(s->length));
    }
    return static_cast<uint32_t>(scheme_type(c));
}

uint32_t hash_equal(const void* key) {
    auto* c = static_cast<const scheme_cell*>(key);
    if (scheme_is(c, SCHEME_INTEGER) || scheme_is(c, SCHEME_CHAR)) return hash_value_cell(c);
    return hash_string_or_type(c);
}

uint32_t hash_string(const void* key) { return hash_string_or_type(static_cast<const scheme_cell*>(key)); }

uint32_t hash_ptr(const void* key) { return scheme_fnv_bytes(&key, sizeof(key)); }

uint32_t hash_name(const void* key) {
    auto* s = static_cast<const char16_t*>(key);
    std::size_t n = 0;
    while (s[n]) ++n;
    return scheme_fnv_units(s, n);
}

int compare_eq(void*, const void* stored, const void* key, std::size_t) {
    return scheme_eqv(static_cast<scheme_cell*>(const_cast<void*>(stored)),
                      static_cast<scheme_cell*>(const_cast<void*>(key)))
               ? 0
               : 1;
}

int compare_equal(void*, const void* stored, const void* key, std::size_t) {
    bool too_deep = false;
    return scheme_equal(static_cast<scheme_cell*>(const_cast<void*>(stored)),
                        static_cast<scheme_cell*>(const_cast<void*>(key)), &too_deep)
               ? 0
               : 1;
}

int compare_string(void*, const void* stored, const void* key, std::size_t) {
    auto* a = static_cast<const scheme_cell*>(stored);
    auto* b = static_cast<const scheme_cell*>(key);
    if (!scheme_is(a, SCHEME_STRING) || !scheme_is(b, SCHEME_STRING)) return 1;
    auto* sa = static_cast<scheme_string_payload*>(a->payload);
    auto* sb = static_cast<scheme_string_payload*>(b->payload);
    if (sa->length != sb->length) return 1;
    return std::memcmp(sa->text, sb->text, static_cast<std::size_t>(sa->length) * sizeof(char16_t)) ? 1 : 0;
}

int compare_ptr(void*, const void* stored, const void* key, std::size_t) { return stored == key ? 0 : 1; }

int compare_name(void*, const void* stored, const void* key, std::size_t) {
    auto* a = static_cast<const char16_t*>(stored);
    auto* b = static_cast<const char16_t*>(key);
    while (*a && *a == *b) ++a, ++b;
    return *a == *b ? 0 : 1;
}

}  // namespace

const char* scheme_hash_kind_name(int kind) {
    return kind >= 0 && kind < 6 ? kKindNames[kind] : "unknown";
}

int scheme_hash_kind_index(const char* name) {
    for (int i = 0; i < 6; ++i)
        if (std::strcmp(name, kKindNames[i]) == 0) return i;
    return -1;
}

scheme_hash_fn scheme_hash_kind_fn(int kind) {
    switch (kind) {
    case SCHEME_HASH_EQ:
    case SCHEME_HASH_EQV: return hash_eq;
    case SCHEME_HASH_EQUAL: return hash_equal;
    case SCHEME_HASH_STRING: return hash_string;
    case SCHEME_HASH_PTR: return hash_ptr;
    default: return hash_name;
    }
}

scheme_hash_compare_fn scheme_hash_kind_compare(int kind) {
    switch (kind) {
    case SCHEME_HASH_EQ:
    case SCHEME_HASH_EQV: return compare_eq;
    case SCHEME_HASH_EQUAL: return compare_equal;
    case SCHEME_HASH_STRING: return compare_string;
    case SCHEME_HASH_PTR: return compare_ptr;
    default: return compare_name;
    }
}

uint32_t scheme_hash_key(int kind, const void* key) { return scheme_hash_kind_fn(kind)(key); }
