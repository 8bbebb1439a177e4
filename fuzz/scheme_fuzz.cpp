// Fuzz target: any text read and evaluated by the macro interpreter, with
// in-memory files and a cancel key that comes down after a bounded number
// of evaluation steps, so loops end.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "tests/scheme/support/test_host.h"

namespace {

int polls = 0;

struct Interpreter {
    scheme_test::TestHost host;
    scheme_context* ctx;
    Interpreter() {
        host.host.key_down = [](void*, int) { return ++polls > 200; };
        ctx = scheme_create(&host.host);
    }
    ~Interpreter() { scheme_destroy(ctx); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 4096) return 0;
    static std::unique_ptr<Interpreter> interp;
    static int runs = 0;
    // Interned symbols live as long as their interpreter: a fresh one now and then.
    if (!interp || ++runs % 500 == 0) {
        interp.reset();
        interp = std::make_unique<Interpreter>();
    }
    std::u16string text(size / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i) text[i] = char16_t(data[2 * i] | data[2 * i + 1] << 8);
    text = text.substr(0, text.find(u'\0'));
    polls = 0;
    interp->host.out.clear();
    interp->host.err.clear();
    scheme_eval_string(interp->ctx, text.c_str());
    return 0;
}
