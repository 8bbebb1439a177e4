// wdev scheme [FILE...]: runs scripts in a fresh interpreter. Output port to
// standard output, error port to standard error (both UTF-8); exit 1 when
// any error was reported. Files are read only when they are regular files: a
// folder, pipe or device is an error, never a wait.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "scheme/scheme.h"
#include "textengine/bytestream.h"
#include "util/file_error_text.h"
#include "wdev_command.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace {

struct RunState {
    bool error = false;
};

// Why path can't be read as a file ("" when it can): opening checks the
// kind of file without waiting on a pipe or device.
std::string UnreadableReason(const char16_t* path) {
    CFileStream probe;
    if (probe.Open(path, CFileStream::ReadOnly)) return "";
    return PathToUtf8(FileErrorMessage(probe.Error()).c_str());
}

void* file_open(void*, const char16_t* path, const char* mode) {
    if (mode[0] == 'r' && !UnreadableReason(path).empty()) return nullptr;
#ifdef _WIN32
    wchar_t wmode[4] = {0};
    for (int i = 0; mode[i] && i < 3; ++i) wmode[i] = static_cast<wchar_t>(mode[i]);
    return _wfopen(reinterpret_cast<const wchar_t*>(path), wmode);
#else
    return std::fopen(PathToUtf8(path).c_str(), mode);
#endif
}

std::size_t file_read(void*, void* f, void* buf, std::size_t n) { return std::fread(buf, 1, n, static_cast<FILE*>(f)); }

void file_write(void*, void* f, const char16_t* text, std::size_t n) {
    auto* fp = static_cast<FILE*>(f);
    if (fp == stdout || fp == stderr) {
        std::string s = Utf16ToUtf8({text, n});
        std::fwrite(s.data(), 1, s.size(), fp);
    } else {
        std::fwrite(text, sizeof(char16_t), n, fp);
    }
}

void file_close(void*, void* f) { std::fclose(static_cast<FILE*>(f)); }

bool file_exists(void* u, const char16_t* path) {
    void* f = file_open(u, path, "rb");
    if (f) std::fclose(static_cast<FILE*>(f));
    return f != nullptr;
}

std::size_t mb_decode(void*, const char* bytes, std::size_t n, char16_t* out, std::size_t* used, bool at_end) {
    // Shift_JIS (CP932): ASCII and single-byte kana pass through one byte at a
    // time; a lead byte takes its trail byte with it.
    std::size_t i = 0, k = 0;
    while (i < n) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            out[k++] = c;
            ++i;
            continue;
        }
        bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
        std::size_t len = lead ? 2 : 1;
        if (i + len > n) {
            if (at_end) ++i;
            break;
        }
#ifdef _WIN32
        wchar_t w[2];
        int got = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes + i, static_cast<int>(len), w, 2);
        if (got == 1) out[k++] = static_cast<char16_t>(w[0]);
#else
        static iconv_t cd = iconv_open("UTF-16LE", "CP932");
        if (cd != reinterpret_cast<iconv_t>(-1)) {
            char in_buf[2] = {bytes[i], len == 2 ? bytes[i + 1] : '\0'};
            char out_buf[8];
            char* ip = in_buf;
            char* op = out_buf;
            std::size_t il = len, ol = sizeof(out_buf);
            if (iconv(cd, &ip, &il, &op, &ol) != static_cast<std::size_t>(-1) && op - out_buf == 2)
                out[k++] = static_cast<char16_t>(static_cast<unsigned char>(out_buf[0]) |
                                                 static_cast<unsigned char>(out_buf[1]) << 8);
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
#endif
        i += len;
    }
    *used = i;
    return k;
}

void fatal_box(void* user, const char16_t* text) {
    static_cast<RunState*>(user)->error = true;
    std::string s = Utf16ToUtf8(text);
    std::fprintf(stderr, "scheme fatal error: %s\n", s.c_str());
}

void write_out(scheme_context* ctx, const char16_t* text) {
    std::string s = Utf16ToUtf8(text);
    std::fwrite(s.data(), 1, s.size(), stdout);
}

void write_err(scheme_context* ctx, const char16_t* text) {
    static_cast<RunState*>(ctx->host_data)->error = true;
    std::string s = Utf16ToUtf8(text);
    std::fwrite(s.data(), 1, s.size(), stderr);
}

int run_scheme(const wdev::Args& args) {
    RunState state;
    scheme_host host;
    host.user = &state;
    host.fatal_box = fatal_box;
    host.file_open = file_open;
    host.file_read = file_read;
    host.file_write = file_write;
    host.file_close = file_close;
    host.file_exists = file_exists;
    host.mb_decode = mb_decode;
    host.std_in = stdin;
    host.std_out = stdout;
    host.std_err = stderr;
    scheme_context* ctx = scheme_create(&host);
    if (!ctx) {
        std::fprintf(stderr, "wdev: cannot create the interpreter\n");
        return 1;
    }
    ctx->host_data = &state;
    scheme_port(ctx->outport)->writer = write_out;
    scheme_port(ctx->errport)->writer = write_err;
    if (args.empty()) {
        std::string bytes;
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof(buf), stdin)) > 0) bytes.append(buf, n);
        std::u16string text;
        if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
            static_cast<unsigned char>(bytes[1]) == 0xFE) {
            for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
                text += static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                              static_cast<unsigned char>(bytes[i + 1]) << 8);
        } else {
            text.resize(bytes.size());
            std::size_t used = 0;
            text.resize(mb_decode(nullptr, bytes.data(), bytes.size(), text.data(), &used, true));
        }
        // the source ends at its first NUL, like every text handed to the interpreter
        scheme_eval_string(ctx, text.c_str());
    } else {
        for (const std::string& file : args) {
            std::u16string path = Utf8ToUtf16(file);
            const std::string reason = UnreadableReason(path.c_str());
            if (!reason.empty()) {
                std::fprintf(stderr, "wdev: cannot read %s: %s\n", file.c_str(), reason.c_str());
                state.error = true;
                continue;
            }
            if (scheme_load_file(ctx, path.c_str()) != 0) {
                std::string msg = Utf16ToUtf8(ctx->error_text);
                std::fprintf(stderr, "%s\n", msg.c_str());
                state.error = true;
            }
        }
    }
    std::fflush(stdout);
    scheme_destroy(ctx);
    return state.error ? 1 : 0;
}

wdev::Registrar reg({"scheme", "[FILE...]   run Scheme files (or standard input) in a fresh interpreter", run_scheme});

}  // namespace
