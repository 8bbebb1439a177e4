// Random and mutated source text through the reader and the printer. Run it
// in the sanitizer build; WENDREL_FUZZ_ITERATIONS raises the count.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <random>

#include "tests/scheme/support/test_host.h"

using scheme_test::Interp;

namespace {

const char16_t* const kPieces[] = {
    u"(", u")", u" . ", u"'", u"`", u",", u",@", u"#(", u"'#(", u"`#(", u"\"", u"\\", u"#\\", u"#\\space",
    u"#|", u"|#", u"#!", u";", u"\n", u" ", u"\t", u"\r", u"#t", u"#f", u"#x1F", u"#o7", u"#d9", u"#q", u"#/",
    u"/i", u"abc", u"-12", u"+", u"2147483648", u"...", u".5", u"\u3042", u"\U0001F600", u"\xD800", u"\xDC00",
    u"quote", u"unquote", u"(quote x)", u"#\\(", u"\"a\\n\"", u"1", u"x",
};

// Reads every datum of the text and prints each one; returns the printed forms.
std::u16string read_all(scheme_context* ctx, const std::u16string& text) {
    scheme_cell* port = mk_string_input_port(ctx, text.c_str());
    scheme_root keep(ctx, port);
    scheme_cell* saved = ctx->inport;
    std::u16string printed;
    for (int guard = 0; guard < 10000; ++guard) {
        ctx->inport = port;
        ctx->args = ctx->NIL;
        scheme_read_first_token(ctx);
        bool ok = scheme_run_nested(ctx, OP_READ_OBJECT, true);
        ctx->inport = saved;
        if (!ok || scheme_is(ctx->value, SCHEME_EOF)) break;
        scheme_cell* v = ctx->value;
        scheme_root rv(ctx, v);
        scheme_cell* out = mk_output_string_port(ctx, 64);
        scheme_root ro(ctx, out);
        scheme_cell* saved_out = ctx->outport;
        ctx->outport = out;
        ctx->print_flag = guard & 1;
        ctx->args = v;
        scheme_run_nested(ctx, OP_PRINT_OBJECT, true);
        ctx->outport = saved_out;
        printed += scheme_port(out)->buffer;
        printed += u'\n';
        if (port_at_end(ctx, port)) break;
    }
    ctx->inport = saved;
    return printed;
}

TEST(ReaderFuzz, RandomTextNeverCrashes) {
    long iterations = 20000;
    if (const char* env = std::getenv("WENDREL_FUZZ_ITERATIONS")) iterations = std::atol(env);
    std::mt19937 rng(20261210);
    std::size_t total_units = 0;
    // Interned symbols live as long as their interpreter, so a fresh one
    // takes over now and then.
    auto in = std::make_unique<Interp>();
    for (long i = 0; i < iterations; ++i) {
        if (i % 10000 == 9999) {
            EXPECT_TRUE(in->host.fatal_boxes.empty());
            in = std::make_unique<Interp>();
        }
        std::u16string text;
        int pieces = static_cast<int>(rng() % 24);
        for (int k = 0; k < pieces; ++k) {
            if (rng() % 5 == 0) {
                // a raw unit, anything but the terminator
                text += static_cast<char16_t>(1 + rng() % 0xFFFF);
            } else {
                text += kPieces[rng() % (sizeof(kPieces) / sizeof(kPieces[0]))];
            }
        }
        total_units += text.size();
        in->host.err.clear();
        read_all(in->ctx, text);
        ASSERT_EQ(in->ctx->dump_count, 0);
        ASSERT_EQ(in->ctx->no_gc, 0);
        if (i % 5000 == 0) scheme_collect(in->ctx, in->ctx->NIL, in->ctx->NIL, true);
    }
    std::printf("reader fuzz: %ld inputs, %zu UTF-16 units\n", iterations, total_units);
    EXPECT_TRUE(in->host.fatal_boxes.empty());
}

}  // namespace
