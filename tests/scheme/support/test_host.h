// A host for interpreter tests: in-memory files, captured standard streams,
// a scripted keyboard and a recorded fatal-error box.
#pragma once

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "scheme/ops.h"
#include "textengine/bytestream.h"

namespace scheme_test {

inline std::u16string u16(const std::string& s) { return Utf8ToUtf16(s); }

inline std::string u8(const std::u16string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        uint32_t cp = s[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            cp = ((cp & 0x3FF) << 10 | (s[i + 1] & 0x3FF)) + 0x10000;
            ++i;
        }
        if (cp < 0x80) out += static_cast<char>(cp);
        else if (cp < 0x800) out += static_cast<char>(0xC0 | cp >> 6), out += static_cast<char>(0x80 | (cp & 0x3F));
        else if (cp < 0x10000)
            out += static_cast<char>(0xE0 | cp >> 12), out += static_cast<char>(0x80 | (cp >> 6 & 0x3F)),
                out += static_cast<char>(0x80 | (cp & 0x3F));
        else
            out += static_cast<char>(0xF0 | cp >> 18), out += static_cast<char>(0x80 | (cp >> 12 & 0x3F)),
                out += static_cast<char>(0x80 | (cp >> 6 & 0x3F)), out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

struct TestHost {
    struct Handle {
        std::string* data = nullptr;  // file bytes (reading or writing)
        std::size_t pos = 0;
        std::u16string* sink = nullptr;  // standard stream capture
        bool writing = false;
    };

    std::map<std::u16string, std::string> files;
    std::u16string out, err;
    std::set<int> keys_down;
    std::function<void()> on_key_poll;  // may press or release keys
    std::vector<std::u16string> fatal_boxes;
    int open_handles = 0;
    std::size_t read_chunk = 0;  // when nonzero, reads return at most this many bytes
    Handle std_out{nullptr, 0, &out, true}, std_err{nullptr, 0, &err, true}, std_in;
    std::string stdin_data;
    scheme_host host;

    TestHost() {
        std_in.data = &stdin_data;
        host.user = this;
        host.fatal_box = [](void* u, const char16_t* text) { self(u)->fatal_boxes.push_back(text); };
        host.key_down = [](void* u, int vk) {
            if (self(u)->on_key_poll) self(u)->on_key_poll();
            return self(u)->keys_down.count(vk) > 0;
        };
        host.file_open = [](void* u, const char16_t* path, const char* mode) -> void* {
            TestHost* h = self(u);
            bool write = mode[0] == 'w';
            if (!write && !h->files.count(path)) return nullptr;
            auto* f = new Handle;
            if (write) h->files[path].clear();
            f->data = &h->files[path];
            f->writing = write;
            h->open_handles++;
            return f;
        };
        host.file_read = [](void* u, void* f, void* buf, std::size_t n) -> std::size_t {
            auto* hd = static_cast<Handle*>(f);
            if (!hd->data) return 0;
            std::size_t chunk = self(u)->read_chunk;
            if (chunk && n > chunk) n = chunk;
            std::size_t left = hd->data->size() - hd->pos;
            if (n > left) n = left;
            std::memcpy(buf, hd->data->data() + hd->pos, n);
            hd->pos += n;
            return n;
        };
        host.file_write = [](void*, void* f, const char16_t* text, std::size_t n) {
            auto* hd = static_cast<Handle*>(f);
            if (hd->sink) hd->sink->append(text, n);
            else if (hd->data) hd->data->append(reinterpret_cast<const char*>(text), n * 2);
        };
        host.file_close = [](void* u, void* f) {
            self(u)->open_handles--;
            delete static_cast<Handle*>(f);
        };
        host.file_exists = [](void* u, const char16_t* path) { return self(u)->files.count(path) > 0; };
        host.mb_decode = [](void*, const char* bytes, std::size_t n, char16_t* out, std::size_t* used,
                            bool at_end) -> std::size_t {
            // ASCII and the hiragana row of Shift_JIS (82 9F .. 82 F1) are enough here.
            std::size_t i = 0, k = 0;
            while (i < n) {
                unsigned char c = static_cast<unsigned char>(bytes[i]);
                bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
                if (!lead) {
                    out[k++] = c < 0x80 ? c : 0xFF61 + (c - 0xA1);
                    ++i;
                    continue;
                }
                if (i + 1 >= n) {
                    if (at_end) ++i;  // a lone lead byte at the end is dropped
                    break;
                }
                unsigned char t = static_cast<unsigned char>(bytes[i + 1]);
                if (c == 0x82 && t >= 0x9F && t <= 0xF1) out[k++] = static_cast<char16_t>(0x3041 + (t - 0x9F));
                i += 2;
            }
            *used = i;
            return k;
        };
        host.std_in = &std_in;
        host.std_out = &std_out;
        host.std_err = &std_err;
    }

    static TestHost* self(void* u) { return static_cast<TestHost*>(u); }
};

// Write form of an object, as the printer makes it.
inline std::string write_form(scheme_context* ctx, scheme_cell* obj) {
    return u8(scheme_print_to_string(ctx, obj, true));
}

// An interpreter over a TestHost with `list` defined (the core library
// normally supplies it).
struct Interp {
    TestHost host;
    scheme_context* ctx;

    Interp() {
        ctx = scheme_create(&host.host);
        scheme_eval_string(ctx, u"(define (list . x) x)");
    }
    ~Interp() { scheme_destroy(ctx); }

    scheme_cell* eval(const std::string& src) { return scheme_eval_string(ctx, u16(src).c_str()); }

    // Write form of the value, or the error output when there was one.
    std::string run(const std::string& src) {
        host.err.clear();
        scheme_cell* v = eval(src);
        if (!host.err.empty()) return u8(host.err);
        return write_form(ctx, v);
    }

    std::string out() {
        std::string s = u8(host.out);
        host.out.clear();
        return s;
    }
};

}  // namespace scheme_test
