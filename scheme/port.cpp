// Port buffers: reading characters with refill from files, and writing.
#include <cstring>

#include "scheme/internal.h"

namespace {

constexpr int32_t kFileInputUnits = 1034;

bool is_file_input(const scheme_port_payload* p) {
    return (p->flags & SCHEME_PORT_INPUT) && !(p->flags & SCHEME_PORT_STRING) && p->stream &&
           !(p->flags & SCHEME_PORT_CLOSED);
}

// Moves the unread units to the buffer start and reads more from the file.
void refill(scheme_context* ctx, scheme_port_payload* p) {
    const scheme_host& h = ctx->host;
    if (!h.file_read) return;
    std::ptrdiff_t left = p->end - p->pos;
    if (left > 0 && p->pos != p->buffer) std::memmove(p->buffer, p->pos, left * sizeof(char16_t));
    p->pos = p->buffer;
    p->end = p->buffer + left;
    // one unit stays free for the terminator
    std::ptrdiff_t room = p->capacity - 1 - left;
    if (room <= 0) return;
    if (p->flags & SCHEME_PORT_UTF16) {
        char bytes[2048];
        std::size_t want = static_cast<std::size_t>(room) * 2;
        if (want > sizeof(bytes)) want = sizeof(bytes);
        std::size_t got = 0;
        // keep an odd byte from the last read
        std::memcpy(bytes, p->carry, p->carry_len);
        got = p->carry_len;
        got += h.file_read(h.user, p->stream, bytes + got, want - got);
        std::size_t units = got / 2;
        for (std::size_t i = 0; i < units; ++i)
            p->end[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                              static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
        p->end += units;
        p->carry_len = static_cast<int32_t>(got & 1);
        if (got & 1) p->carry[0] = bytes[got - 1];
    } else {
        char bytes[1024 + 8];
        std::size_t want = static_cast<std::size_t>(room) / 4;
        if (want > 1023) want = 1023;
        if (want < 8) want = 8;
        // every byte (the carried ones too) may become one unit
        std::size_t got = static_cast<std::size_t>(p->carry_len);
        std::size_t limit = static_cast<std::size_t>(room) > got ? static_cast<std::size_t>(room) - got : 0;
        if (want > limit) want = limit;
        if (want == 0) return;  // no room yet; the carried bytes wait
        std::memcpy(bytes, p->carry, p->carry_len);
        std::size_t read = want ? h.file_read(h.user, p->stream, bytes + got, want) : 0;
        got += read;
        bool at_end = read == 0;
        std::size_t used = 0, units = 0;
        if (got && h.mb_decode) {
            units = h.mb_decode(h.user, bytes, got, p->end, &used, at_end);
        } else {
            for (; units < got; ++units) p->end[units] = static_cast<unsigned char>(bytes[units]);
            used = got;
        }
        if (used > got) used = got;
        p->end += units;
        std::size_t rest = got - used;
        if (rest > sizeof(p->carry) || at_end) rest = 0;  // undecodable tail at the end: dropped
        std::memcpy(p->carry, bytes + used, rest);
        p->carry_len = static_cast<int32_t>(rest);
    }
    *p->end = 0;
}

void ensure(scheme_context* ctx, scheme_port_payload* p, std::ptrdiff_t units) {
    if (p->end - p->pos >= units || !is_file_input(p)) return;
    for (int tries = 0; tries < 4 && p->end - p->pos < units; ++tries) {
        char16_t* before = p->end;
        std::ptrdiff_t had = p->end - p->pos;
        refill(ctx, p);
        if (p->end - p->pos == had && p->end == before && p->carry_len == 0) break;
    }
}

}  // namespace

int32_t port_peek(scheme_context* ctx, scheme_cell* port) {
    auto* p = scheme_port(port);
    if (p->flags & SCHEME_PORT_CLOSED) return -1;
    ensure(ctx, p, 2);
    if (p->pos >= p->end) return -1;
    return static_cast<int32_t>(scheme_char_at(p->pos, p->end - p->pos));
}

int32_t port_peek2(scheme_context* ctx, scheme_cell* port) {
    auto* p = scheme_port(port);
    if (p->flags & SCHEME_PORT_CLOSED) return -1;
    ensure(ctx, p, 4);
    if (p->pos >= p->end) return -1;
    const char16_t* q = p->pos + scheme_char_units(p->pos, p->end - p->pos);
    if (q >= p->end) return -1;
    return static_cast<int32_t>(scheme_char_at(q, p->end - q));
}

void port_advance(scheme_context* ctx, scheme_cell* port) {
    auto* p = scheme_port(port);
    ensure(ctx, p, 2);
    if (p->pos < p->end) p->pos += scheme_char_units(p->pos, p->end - p->pos);
}

bool port_at_end(scheme_context* ctx, scheme_cell* port) { return port_peek(ctx, port) < 0; }

void port_write_n(scheme_context* ctx, scheme_cell* port, const char16_t* text, std::size_t units) {
    auto* p = scheme_port(port);
    if (!(p->flags & SCHEME_PORT_OUTPUT) || (p->flags & SCHEME_PORT_CLOSED) || units == 0) return;
    if (p->flags & SCHEME_PORT_STRING) {
        std::size_t used = static_cast<std::size_t>(p->pos - p->buffer);
        std::size_t need = used + units + 1;
        if (!p->buffer || need > static_cast<std::size_t>(p->capacity)) {
            std::size_t cap = p->capacity > 0 ? static_cast<std::size_t>(p->capacity) : 64;
            while (cap < need) cap *= 2;
            if (cap > INT32_MAX / sizeof(char16_t)) scheme_fatal_error(ctx, "no memory");
            auto* grown = static_cast<char16_t*>(scheme_payload_realloc(ctx, p->buffer, cap * sizeof(char16_t)));
            p = scheme_port(port);
            p->buffer = grown;
            p->capacity = static_cast<int32_t>(cap);
            p->pos = grown + used;
        }
        std::memcpy(p->pos, text, units * sizeof(char16_t));
        p->pos += units;
        *p->pos = 0;
        p->end = p->pos;
        return;
    }
    if (p->writer) {
        // the writer takes NUL-terminated pieces
        char16_t piece[256];
        while (units) {
            std::size_t n = units < 255 ? units : 255;
            std::memcpy(piece, text, n * sizeof(char16_t));
            piece[n] = 0;
            p->writer(ctx, piece);
            text += n;
            units -= n;
        }
        return;
    }
    if (p->stream && ctx->host.file_write) ctx->host.file_write(ctx->host.user, p->stream, text, units);
}

void port_write(scheme_context* ctx, scheme_cell* port, const char16_t* text) {
    port_write_n(ctx, port, text, scheme_u16len(text));
}

void port_write_ascii(scheme_context* ctx, scheme_cell* port, const char* text) {
    char16_t buf[128];
    std::size_t n = 0;
    for (; *text; ++text) {
        buf[n++] = static_cast<unsigned char>(*text);
        if (n == 128) {
            port_write_n(ctx, port, buf, n);
            n = 0;
        }
    }
    port_write_n(ctx, port, buf, n);
}

scheme_cell* mk_output_string_port(scheme_context* ctx, int32_t capacity) {
    return mk_port(ctx, nullptr, SCHEME_PORT_OUTPUT | SCHEME_PORT_STRING, u"(string)", capacity);
}

void scheme_string_port_clear(scheme_context* ctx, scheme_cell* port) {
    auto* p = scheme_port(port);
    p->pos = p->end = p->buffer;
    if (p->buffer) p->buffer[0] = 0;
}

scheme_cell* scheme_open_input_file(scheme_context* ctx, const char16_t* path) {
    const scheme_host& h = ctx->host;
    if (!h.file_open || !h.file_read) return nullptr;
    void* f = h.file_open(h.user, path, "rb");
    if (!f) return nullptr;
    scheme_cell* port;
    try {
        port = mk_port(ctx, f, SCHEME_PORT_INPUT, path, kFileInputUnits);
    } catch (const scheme_fatal&) {
        if (h.file_close) h.file_close(h.user, f);
        throw;
    }
    // Sniff the encoding from the first bytes; they stay as the carry or
    // become the first units.
    auto* p = scheme_port(port);
    char head[1024];
    std::size_t got = h.file_read(h.user, f, head, sizeof(head));
    bool utf16 = false;
    std::size_t skip = 0;
    if (got >= 2 && static_cast<unsigned char>(head[0]) == 0xFF && static_cast<unsigned char>(head[1]) == 0xFE) {
        utf16 = true;
        skip = 2;
    } else if (std::memchr(head, 0, got)) {
        utf16 = true;
    }
    if (utf16) {
        p->flags |= SCHEME_PORT_UTF16;
        std::size_t units = (got - skip) / 2;
        for (std::size_t i = 0; i < units; ++i)
            p->buffer[i] = static_cast<char16_t>(static_cast<unsigned char>(head[skip + 2 * i]) |
                                                 static_cast<unsigned char>(head[skip + 2 * i + 1]) << 8);
        p->end = p->buffer + units;
        if ((got - skip) & 1) {
            p->carry[0] = head[got - 1];
            p->carry_len = 1;
        }
    } else {
        std::size_t used = 0, units = 0;
        if (h.mb_decode) {
            units = h.mb_decode(h.user, head, got, p->buffer, &used, got < sizeof(head));
        } else {
            for (; units < got; ++units) p->buffer[units] = static_cast<unsigned char>(head[units]);
            used = got;
        }
        p->end = p->buffer + units;
        std::size_t rest = got - used;
        if (rest <= sizeof(p->carry)) {
            std::memcpy(p->carry, head + used, rest);
            p->carry_len = static_cast<int32_t>(rest);
        }
    }
    *p->end = 0;
    return port;
}

void scheme_port_close(scheme_context* ctx, scheme_cell* port) {
    auto* p = scheme_port(port);
    if (p->flags & SCHEME_PORT_CLOSED) return;
    if (p->stream && p->stream != ctx->host.std_in && p->stream != ctx->host.std_out &&
        p->stream != ctx->host.std_err && ctx->host.file_close)
        ctx->host.file_close(ctx->host.user, p->stream);
    p->stream = nullptr;
    p->flags |= SCHEME_PORT_CLOSED;
}
