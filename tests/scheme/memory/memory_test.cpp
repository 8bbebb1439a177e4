#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "tests/scheme/support/test_host.h"
#include "textengine/mpool.h"

// The payload-failure test asks the allocator for an impossible block.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }

using scheme_test::Interp;

namespace {

int count_marked(scheme_context* ctx) {
    int n = 0;
    for (int s = 0; s <= ctx->last_segment; ++s)
        for (int i = 0; i < ctx->segment_sizes[s]; ++i)
            if (ctx->segments[s][i].flags & SCHEME_MARK) ++n;
    return n;
}

TEST(Payload, ClassesAndAccounting) {
    Interp in;
    scheme_context* ctx = in.ctx;
    std::size_t before = ctx->payload_bytes;
    void* p = scheme_payload_alloc(ctx, 9);
    EXPECT_EQ(mpool_block_size(p), 16u);
    EXPECT_EQ(ctx->payload_bytes, before + 16);
    std::memcpy(p, "abcdefgh", 8);
    void* same = scheme_payload_realloc(ctx, p, 16);
    EXPECT_EQ(same, p);
    void* grown = scheme_payload_realloc(ctx, p, 17);
    EXPECT_NE(grown, p);
    EXPECT_EQ(mpool_block_size(grown), 32u);
    EXPECT_EQ(std::memcmp(grown, "abcdefgh", 8), 0);
    EXPECT_EQ(ctx->payload_bytes, before + 32);
    scheme_payload_free(ctx, grown);
    scheme_payload_free(ctx, nullptr);
    EXPECT_EQ(ctx->payload_bytes, before);
}

TEST(Payload, FreedLargeBlocksAreReusedWithinTheirClass) {
    Interp in;
    scheme_context* ctx = in.ctx;
    std::size_t before = ctx->payload_bytes;
    void* p = scheme_payload_alloc(ctx, 10000);
    std::size_t size = mpool_block_size(p);
    ASSERT_GE(size, 10000u);
    scheme_payload_free(ctx, p);
    EXPECT_EQ(ctx->payload_bytes, before);
    EXPECT_EQ(ctx->cached_bytes, size);
    void* q = scheme_payload_alloc(ctx, size - 100);  // same class: the cached block
    EXPECT_EQ(q, p);
    EXPECT_EQ(ctx->cached_bytes, 0u);
    EXPECT_EQ(ctx->payload_bytes, before + size);
    std::memcpy(q, "large", 6);
    EXPECT_EQ(scheme_payload_realloc(ctx, q, size), q);
    void* grown = scheme_payload_realloc(ctx, q, size + 1);
    EXPECT_NE(grown, q);
    EXPECT_STREQ(static_cast<char*>(grown), "large");
    scheme_payload_free(ctx, grown);
    EXPECT_EQ(ctx->payload_bytes, before);
}

TEST(Payload, AFailedReallocationKeepsTheOldBlock) {
    Interp in;
    scheme_context* ctx = in.ctx;
    void* p = scheme_payload_alloc(ctx, 24);
    std::memcpy(p, "keep me", 8);
    std::size_t bytes = ctx->payload_bytes;
    // Beyond any process's address space, 32-bit with 4 GB of it included;
    // the second size would wrap to a small block if rounding overflowed.
    EXPECT_THROW(scheme_payload_realloc(ctx, p, SIZE_MAX / 4 * 3), scheme_fatal);
    EXPECT_THROW(scheme_payload_realloc(ctx, p, SIZE_MAX - 8), scheme_fatal);
    ASSERT_EQ(in.host.fatal_boxes.size(), 2u);
    EXPECT_EQ(scheme_test::u8(in.host.fatal_boxes[0]), "fatal error: no memory");
    EXPECT_EQ(ctx->payload_bytes, bytes);
    EXPECT_STREQ(static_cast<char*>(p), "keep me");
    scheme_payload_free(ctx, p);  // exactly once: the failure did not free it
}

TEST(Collector, LiveCountAfterAFullCollectionIsTheReachableCells) {
    Interp in;
    scheme_context* ctx = in.ctx;
    in.eval("(define keep '(1 2 3 (4 5) #(6 7)))");
    for (int i = 0; i < 5000; ++i) cons(ctx, ctx->NIL, ctx->NIL);  // garbage
    scheme_collect(ctx, ctx->NIL, ctx->NIL, true);
    int live = ctx->live_cells;
    EXPECT_EQ(count_marked(ctx), 0);  // swept whole
    scheme_collect(ctx, ctx->NIL, ctx->NIL, false);  // marks only
    EXPECT_EQ(count_marked(ctx), live);
    scheme_finish_sweep(ctx);
    EXPECT_EQ(ctx->live_cells, live);
    EXPECT_EQ(count_marked(ctx), 0);
    EXPECT_EQ(in.run("keep"), "(1 2 3 (4 5) #(6 7))");
}

TEST(Collector, CollectionInTheMiddleOfBuildingALongList) {
    Interp in;
    EXPECT_EQ(in.run("(define (build n acc) (if (= n 0) acc (build (- n 1) (cons n acc))))"
                     "(define (sum l acc) (if (null? l) acc (sum (cdr l) (+ acc (car l)))))"
                     "(sum (build 150000 '()) 0)"),
              "-1634826888");  // 150000 * 150001 / 2, wrapped to 32 bits
    // the same from C++: only the protected head keeps the list alive
    scheme_context* ctx = in.ctx;
    scheme_cell* list = ctx->NIL;
    scheme_root root(ctx, list);
    for (int i = 0; i < 100000; ++i) list = cons(ctx, mk_integer(ctx, i), list);
    scheme_collect(ctx, ctx->NIL, ctx->NIL, true);
    int n = 0;
    int expect = 99999;
    for (scheme_cell* p = list; scheme_is(p, SCHEME_PAIR); p = p->cdr, ++n, --expect) {
        ASSERT_EQ(p->car->ival, expect);
    }
    EXPECT_EQ(n, 100000);
}

TEST(Collector, DeeplyNestedDataIsMarkedWithoutRecursion) {
    Interp in;
    scheme_context* ctx = in.ctx;
    // car-nested list and a chain of vectors, each holding the next
    scheme_cell* nested = ctx->NIL;
    scheme_root r1(ctx, nested);
    for (int i = 0; i < 100000; ++i) nested = cons(ctx, nested, ctx->NIL);
    scheme_cell* chain = ctx->NIL;
    scheme_root r2(ctx, chain);
    for (int i = 0; i < 150000; ++i) {
        scheme_cell* link = cons(ctx, chain, ctx->NIL);
        chain = mk_vector(ctx, 1, link);
    }
    scheme_collect(ctx, ctx->NIL, ctx->NIL, true);
    scheme_collect(ctx, ctx->NIL, ctx->NIL, true);
    int depth = 0;
    for (scheme_cell* v = chain; scheme_is(v, SCHEME_VECTOR); v = scheme_vector(v)->cells[0]) ++depth;
    EXPECT_EQ(depth, 150000);
    depth = 0;
    for (scheme_cell* p = nested; scheme_is(p, SCHEME_PAIR); p = p->car) ++depth;
    EXPECT_EQ(depth, 100000);
}

TEST(Collector, AMillionNestedVectorsAreMarkedWithoutRecursion) {
    // More cells than an interpreter's segments hold, so they are laid out
    // here and handed to the marker directly.
    Interp in;
    scheme_context* ctx = in.ctx;
    const int n = 1000000;
    std::vector<scheme_cell> cells(n);
    for (int i = 0; i < n; ++i) {
        auto* v = static_cast<scheme_vector_payload*>(scheme_payload_alloc(ctx, sizeof(scheme_vector_payload)));
        v->gc_link = nullptr;
        v->length = v->capacity = 1;
        v->cells[0] = i + 1 < n ? &cells[i + 1] : ctx->NIL;
        cells[i].flags = SCHEME_ATOM | SCHEME_VECTOR;
        cells[i].payload = v;
        cells[i].cdr = ctx->NIL;
    }
    scheme_mark(ctx, &cells[0]);
    int marked = 0;
    for (auto& c : cells) {
        if (c.flags & SCHEME_MARK) ++marked;
        scheme_payload_free(ctx, c.payload);
    }
    EXPECT_EQ(marked, n);
}

TEST(Collector, RunningOutOfCellsIsAFatalErrorTheInterpreterSurvives) {
    Interp in;
    EXPECT_EQ(in.run("(define (build n acc) (if (= n 0) acc (build (- n 1) (cons n acc))))"
                     "(define big (build 300000 '()))"),
              "#f");
    ASSERT_FALSE(in.host.fatal_boxes.empty());
    EXPECT_EQ(scheme_test::u8(in.host.fatal_boxes.back()), "fatal error: no memory");
    EXPECT_EQ(in.ctx->no_gc, 0);
    EXPECT_EQ(in.ctx->dump_count, 0);
    EXPECT_EQ(in.ctx->total_cells, SCHEME_MAX_SEGMENTS * SCHEME_SEGMENT_CELLS);
    EXPECT_EQ(in.run("(gc) (car (build 1000 '()))"), "1");
}

TEST(Collector, PayloadVolumeTriggersCollections) {
    Interp in;
    scheme_context* ctx = in.ctx;
    ctx->threshold = 64 * 1024;
    std::vector<char16_t> text(1000, u'x');
    text.push_back(0);
    // 2 MB of garbage strings: collections started by payload alone keep
    // what is held under 512 KiB, a quarter of what was made.
    for (int i = 0; i < 2000; ++i) mk_string(ctx, text.data());
    EXPECT_LT(ctx->payload_bytes, 512u * 1024);
}

// Strings grown step by step through many size classes, then a large live
// set (some 12 MB) dropped: the threshold and the cache of freed blocks come
// back down instead of holding the peak for the rest of the session. The
// bound checked after each phase: the cache within scheme_payload_cache_cap,
// and payload live and cached together within four allowances (1 MiB).
TEST(Collector, GrowAndDropCyclesKeepTheBlockCacheBounded) {
    Interp in;
    scheme_context* ctx = in.ctx;
    EXPECT_EQ(in.run("(define (grow i s) (if (= i 0) s (grow (- i 1) (string-append s \"abcdefgh\"))))"
                     "(define (churn n) (if (> n 0) (begin (grow 2000 \"\") (churn (- n 1)))))"
                     "(churn 3) (string-length (grow 2000 \"\"))"),
              "16000");
    EXPECT_LE(ctx->cached_bytes, scheme_payload_cache_cap(ctx));
    EXPECT_LE(ctx->payload_bytes + ctx->cached_bytes, 4u * SCHEME_PAYLOAD_ALLOWANCE);
    EXPECT_EQ(in.run("(define big (make-vector 300 #f))"
                     "(define (fill i) (if (< i 300) (begin (vector-set! big i (make-string 20000 #\\a)) (fill (+ i 1)))))"
                     "(fill 0) (string-length (vector-ref big 299))"),
              "20000");
    EXPECT_GT(ctx->threshold, 8u << 20);  // some 12 MB live
    EXPECT_EQ(in.run("(set! big #f) (churn 8) (string-length (grow 1000 \"\"))"), "8000");
    EXPECT_LE(ctx->cached_bytes, scheme_payload_cache_cap(ctx));
    EXPECT_LE(ctx->payload_bytes + ctx->cached_bytes, 4u * SCHEME_PAYLOAD_ALLOWANCE);
}

// --- hash tables -------------------------------------------------------------------

scheme_hash_table* table_of(scheme_cell* c) { return static_cast<scheme_hash_payload*>(c->payload)->table; }

TEST(HashTable, BucketsAndSegments) {
    Interp in;
    scheme_hash_table* t = table_of(mk_hash(in.ctx, 256, "eq?"));
    EXPECT_EQ(t->max_bucket, 255u);
    EXPECT_EQ(t->segments, 1);
    t = table_of(mk_hash(in.ctx, 300, "eq?"));
    EXPECT_EQ(t->max_bucket, 511u);
    EXPECT_EQ(t->segments, 2);
    t = table_of(mk_hash(in.ctx, 1, "eq?"));
    EXPECT_EQ(t->max_bucket, 0u);
}

TEST(HashTable, DeletingAndReinsertingReusesTheEntry) {
    Interp in;
    scheme_cell* h = mk_hash(in.ctx, 16, "eq?");
    scheme_hash_table* t = table_of(h);
    scheme_cell* k = intern(in.ctx, u"k");
    uint32_t hash = scheme_hash_key(SCHEME_HASH_EQ, k);
    scheme_hash_entry* e = TableLookup(t, hash, k, TABLE_INSERT);
    e->value = in.ctx->T;
    EXPECT_EQ(TableLookup(t, hash, k, TABLE_DELETE), e);
    EXPECT_EQ(TableLookup(t, hash, k, TABLE_FIND), nullptr);
    EXPECT_EQ(t->count, 0);
    EXPECT_EQ(TableLookup(t, hash, k, TABLE_INSERT), e);
}

TEST(HashTable, KindsDecideWhichKeysAreTheSame) {
    Interp in;
    scheme_context* ctx = in.ctx;
    struct {
        const char* kind;
        bool strings_same;
    } kinds[] = {{"eq?", false}, {"eqv?", false}, {"equal?", true}, {"string=?", true}};
    for (auto& k : kinds) {
        scheme_cell* h = mk_hash(ctx, 16, k.kind);
        scheme_root r(ctx, h);
        int kind = static_cast<scheme_hash_payload*>(h->payload)->kind;
        scheme_cell* a = mk_string(ctx, u"text");
        scheme_root ra(ctx, a);
        scheme_cell* b = mk_string(ctx, u"text");
        TableLookup(table_of(h), scheme_hash_key(kind, a), a, TABLE_INSERT)->value = ctx->T;
        EXPECT_EQ(TableLookup(table_of(h), scheme_hash_key(kind, b), b, TABLE_FIND) != nullptr, k.strings_same)
            << k.kind;
        if (kind == SCHEME_HASH_STRING) continue;
        // integers compare by value in the other kinds
        scheme_cell* i1 = mk_integer(ctx, 100000);
        scheme_root ri(ctx, i1);
        scheme_cell* i2 = mk_integer(ctx, 100000);
        TableLookup(table_of(h), scheme_hash_key(kind, i1), i1, TABLE_INSERT)->value = ctx->T;
        EXPECT_NE(TableLookup(table_of(h), scheme_hash_key(kind, i2), i2, TABLE_FIND), nullptr) << k.kind;
    }
    // equal?: every vector lands in one bucket and equal? tells them apart
    scheme_cell* h = mk_hash(ctx, 16, "equal?");
    scheme_root r(ctx, h);
    scheme_cell* v1 = in.eval("#(1 2)");
    scheme_root r1(ctx, v1);
    scheme_cell* v2 = in.eval("#(1 3)");
    EXPECT_EQ(scheme_hash_key(SCHEME_HASH_EQUAL, v1), scheme_hash_key(SCHEME_HASH_EQUAL, v2));
    TableLookup(table_of(h), scheme_hash_key(SCHEME_HASH_EQUAL, v1), v1, TABLE_INSERT)->value = ctx->T;
    EXPECT_EQ(TableLookup(table_of(h), scheme_hash_key(SCHEME_HASH_EQUAL, v2), v2, TABLE_FIND), nullptr);
    scheme_cell* v3 = in.eval("#(1 2)");
    EXPECT_NE(TableLookup(table_of(h), scheme_hash_key(SCHEME_HASH_EQUAL, v3), v3, TABLE_FIND), nullptr);
}

TEST(HashTable, EntriesAndKeysSurviveCollection) {
    Interp in;
    scheme_context* ctx = in.ctx;
    scheme_cell* h = mk_hash(ctx, 64, "equal?");
    scheme_root r(ctx, h);
    for (int i = 0; i < 500; ++i) {
        scheme_cell* k = mk_integer(ctx, i);
        scheme_root rk(ctx, k);
        scheme_cell* v = cons(ctx, k, ctx->NIL);
        TableLookup(table_of(h), scheme_hash_key(SCHEME_HASH_EQUAL, k), k, TABLE_INSERT)->value = v;
    }
    for (int i = 0; i < 20000; ++i) cons(ctx, ctx->NIL, ctx->NIL);
    scheme_collect(ctx, ctx->NIL, ctx->NIL, true);
    for (int i = 0; i < 20000; ++i) cons(ctx, mk_integer(ctx, -1), ctx->NIL);  // reuse freed cells
    int found = 0;
    for (int i = 0; i < 500; ++i) {
        scheme_cell* k = mk_integer(ctx, i);
        scheme_hash_entry* e = TableLookup(table_of(h), scheme_hash_key(SCHEME_HASH_EQUAL, k), k, TABLE_FIND);
        if (e && static_cast<scheme_cell*>(e->value)->car->ival == i) ++found;
    }
    EXPECT_EQ(found, 500);
}

TEST(HashTable, IteratorsKeepTheirTableAndTolerateDeletion) {
    Interp in;
    scheme_context* ctx = in.ctx;
    scheme_cell* h = mk_hash(ctx, 4, "eq?");
    scheme_cell* it = ctx->NIL;
    scheme_root r(ctx, it);
    {
        scheme_root rh(ctx, h);
        for (int i = 0; i < 40; ++i) {
            scheme_cell* k = mk_integer(ctx, i);
            TableLookup(table_of(h), scheme_hash_key(SCHEME_HASH_EQ, k), k, TABLE_INSERT)->value = ctx->T;
        }
        it = mk_hash_iterator(ctx, h);
    }
    // only the iterator holds the table now
    scheme_collect(ctx, ctx->NIL, ctx->NIL, true);
    scheme_finish_sweep(ctx);
    auto* iter = static_cast<scheme_hash_iter*>(it->payload);
    ASSERT_EQ(iter->table_cell, h);
    ASSERT_TRUE(scheme_is(h, SCHEME_HASH));
    // delete pending entries while iterating: each key is seen or deleted, never both
    std::set<int> seen, deleted;
    while (scheme_hash_entry* e = TableIterNext(iter)) {
        int key = static_cast<scheme_cell*>(e->key)->ival;
        EXPECT_FALSE(deleted.count(key)) << key;
        seen.insert(key);
        if (iter->next) {
            auto* pending = static_cast<scheme_cell*>(iter->next->key);
            if (pending->ival % 3 == 0) {
                deleted.insert(pending->ival);
                TableLookup(iter->table, iter->next->hash, pending, TABLE_DELETE);
            }
        }
    }
    EXPECT_FALSE(deleted.empty());
    EXPECT_EQ(seen.size() + deleted.size(), 40u);
    EXPECT_EQ(table_of(h)->count, 40 - static_cast<int>(deleted.size()));
    // dropping both: whichever is finalized first, nothing dangles
    it = ctx->NIL;
    scheme_collect(ctx, ctx->NIL, ctx->NIL, true);
    scheme_finish_sweep(ctx);
}

TEST(HashTable, AnIteratorOutlivingItsTableSeesNoMoreEntries) {
    Interp in;
    scheme_context* ctx = in.ctx;
    scheme_cell* h = mk_hash(ctx, 4, "eq?");
    scheme_root rh(ctx, h);
    scheme_cell* it = mk_hash_iterator(ctx, h);
    scheme_root ri(ctx, it);
    auto* iter = static_cast<scheme_hash_iter*>(it->payload);
    DestroyTable(table_of(h));
    static_cast<scheme_hash_payload*>(h->payload)->table = nullptr;
    EXPECT_EQ(TableIterNext(iter), nullptr);
}

}  // namespace

namespace {

TEST(HashTable, GlobalLookupsSeeDeletionsFromTheGlobalFrame) {
    Interp in;
    scheme_context* ctx = in.ctx;
    EXPECT_EQ(in.run("(define g 1) g"), "1");  // g's entry is now remembered in the symbol
    scheme_cell* g = intern(ctx, u"g");
    scheme_hash_table* t = table_of(ctx->global_frame->car);
    ASSERT_NE(TableLookup(t, scheme_hash_key(SCHEME_HASH_PTR, g), g, TABLE_DELETE), nullptr);
    EXPECT_EQ(in.run("g"), "Error: unbounded variable g \n");
    // the freed entry goes to the next key inserted; g must not see it
    EXPECT_EQ(in.run("(define h 2) h"), "2");
    EXPECT_EQ(in.run("g"), "Error: unbounded variable g \n");
    EXPECT_EQ(in.run("(define g 3) (list g h)"), "(3 2)");
}

}  // namespace
