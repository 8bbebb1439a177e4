// The interpreter's one hash table: chained, with 256-bucket segments and
// entries carved from blocks. It serves the symbol table, the global frame
// and the user-visible tables; memory comes through the table's callbacks.
#pragma once

#include <cstddef>
#include <cstdint>

struct scheme_cell;
struct scheme_context;

struct scheme_hash_entry {
    scheme_hash_entry* next;
    uint32_t hash;
    void* key;
    void* value;
};

struct scheme_hash_table;

// Iteration state; lives in the payload of an iterator cell. The table keeps
// its live iterators on a list so that deleting the pending entry moves them on.
struct scheme_hash_iter {
    scheme_cell* gc_link;           // container header (see scheme_container_header)
    scheme_cell* table_cell;        // keeps the table alive while iterating
    scheme_hash_table* table;       // null once the table is gone
    uint32_t bucket;                // next bucket to scan when `next` is null
    scheme_hash_entry* next;        // pending entry of the current chain
    scheme_hash_iter* link_prev;
    scheme_hash_iter* link_next;
};

using scheme_hash_alloc_fn = void* (*)(void* ctx, std::size_t bytes);
using scheme_hash_free_fn = void (*)(void* ctx, void* block);
using scheme_hash_fn = uint32_t (*)(const void* key);
using scheme_hash_compare_fn = int (*)(void* ctx, const void* stored, const void* key, std::size_t key_size);

struct scheme_hash_table {
    scheme_hash_entry*** directory;
    scheme_hash_entry* free_entries;
    void* entry_blocks;
    int32_t count;
    int32_t segments;
    uint32_t max_bucket;
    uint32_t high_mask;
    uint32_t low_mask;
    uint32_t key_size;
    uint32_t data_size;
    uint32_t segment_size;
    uint32_t segment_shift;
    uint32_t spare;
    uint32_t per_block;
    scheme_hash_alloc_fn alloc;
    void* context;
    scheme_hash_free_fn free;
    scheme_hash_fn hash;
    scheme_hash_compare_fn compare;
    scheme_cell* owner;
    scheme_hash_iter* iterators;
    uint32_t deletions;  // entries deleted so far (invalidates cached entry pointers)
};

enum scheme_hash_kind : int32_t {
    SCHEME_HASH_EQ = 0,
    SCHEME_HASH_EQV = 1,
    SCHEME_HASH_EQUAL = 2,
    SCHEME_HASH_STRING = 3,
    SCHEME_HASH_PTR = 4,
    SCHEME_HASH_OBLIST = 5,
};

// Payload of a hash-table cell.
struct scheme_hash_payload {
    scheme_cell* gc_link;
    scheme_hash_table* table;
    int32_t kind;
};

enum scheme_table_op { TABLE_FIND = 0, TABLE_INSERT = 1, TABLE_DELETE = 2 };

scheme_hash_table* CreateTable(int size, scheme_hash_fn hash, scheme_hash_compare_fn compare, void* context,
                               scheme_cell* owner, scheme_hash_alloc_fn alloc, scheme_hash_free_fn free);
void DestroyTable(scheme_hash_table* table);
// Find, find-or-insert (the caller writes the value) or delete; null when
// absent (or, for insert, when no entry block can be allocated).
scheme_hash_entry* TableLookup(scheme_hash_table* table, uint32_t hash, const void* key, int op);

void TableIterInit(scheme_hash_iter* it, scheme_hash_table* table, scheme_cell* table_cell);
scheme_hash_entry* TableIterNext(scheme_hash_iter* it);
void TableIterRelease(scheme_hash_iter* it);

uint32_t scheme_fnv_bytes(const void* p, std::size_t n);
uint32_t scheme_fnv_units(const char16_t* s, std::size_t n);
const char* scheme_hash_kind_name(int kind);
int scheme_hash_kind_index(const char* name);
scheme_hash_fn scheme_hash_kind_fn(int kind);
scheme_hash_compare_fn scheme_hash_kind_compare(int kind);
// The hash of a key as its table's kind computes it.
uint32_t scheme_hash_key(int kind, const void* key);
