#include "view/printer_access.h"

#include <winspool.h>

#include <algorithm>
#include <cstring>

namespace {

// An opened printer, closed when it goes.
class PrinterHandle {
public:
    explicit PrinterHandle(const std::wstring& name) {
        if (!::OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &handle_, nullptr)) handle_ = nullptr;
    }
    ~PrinterHandle() {
        if (handle_) ::ClosePrinter(handle_);
    }
    PrinterHandle(const PrinterHandle&) = delete;
    PrinterHandle& operator=(const PrinterHandle&) = delete;
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_ = nullptr;
};

std::size_t DevModeSize(const DEVMODEW* dm) { return dm ? std::size_t(dm->dmSize) + dm->dmDriverExtra : 0; }

}  // namespace

bool EnumPrinterNames(std::vector<std::wstring>& names, DWORD& error) {
    names.clear();
    constexpr DWORD flags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    // Ask for the size first; the list may grow between the two calls.
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD needed = 0;
        DWORD count = 0;
        if (::EnumPrintersW(flags, nullptr, 1, nullptr, 0, &needed, &count)) return true;  // no printers
        if ((error = ::GetLastError()) != ERROR_INSUFFICIENT_BUFFER || needed == 0) return false;
        std::vector<BYTE> buffer(needed);
        if (!::EnumPrintersW(flags, nullptr, 1, buffer.data(), needed, &needed, &count)) {
            if ((error = ::GetLastError()) == ERROR_INSUFFICIENT_BUFFER) continue;
            return false;
        }
        const auto* info = reinterpret_cast<const PRINTER_INFO_1W*>(buffer.data());
        for (DWORD i = 0; i < count; ++i)
            if (info[i].pName) names.emplace_back(info[i].pName);
        error = 0;
        return true;
    }
    return false;
}

std::wstring DefaultPrinterName() {
    DWORD size = 0;
    ::GetDefaultPrinterW(nullptr, &size);
    if (size == 0) return {};
    std::wstring name(size, L'\0');
    if (!::GetDefaultPrinterW(name.data(), &size)) return {};
    name.resize(wcslen(name.c_str()));
    return name;
}

std::wstring SystemErrorText(DWORD error) {
    wchar_t* text = nullptr;
    const DWORD n =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message;
    if (n && text) message.assign(text, n);
    if (text) ::LocalFree(text);
    while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' '))
        message.pop_back();
    if (message.empty()) message = L"エラー " + std::to_wstring(error);
    return message;
}

bool CPrinterInfo::Fetch(const std::wstring& name, DWORD& error) {
    Release();
    PrinterHandle printer(name);
    if (!printer.Get()) {
        error = ::GetLastError();
        return false;
    }
    for (int attempt = 0; attempt < 3; ++attempt) {
        DWORD needed = 0;
        ::GetPrinterW(printer.Get(), 2, nullptr, 0, &needed);
        if (needed == 0) break;
        std::vector<BYTE> block(needed);
        if (::GetPrinterW(printer.Get(), 2, block.data(), needed, &needed)) {
            record_ = std::move(block);
            name_ = name;
            return true;
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
    }
    error = ::GetLastError();
    if (error == 0) error = ERROR_INVALID_PRINTER_NAME;
    return false;
}

void CPrinterInfo::Release() {
    name_.clear();
    record_.clear();
    devMode_.clear();
}

DEVMODEW* CPrinterInfo::DevMode() const {
    if (record_.empty()) return nullptr;
    if (!devMode_.empty()) return reinterpret_cast<DEVMODEW*>(const_cast<BYTE*>(devMode_.data()));
    return reinterpret_cast<const PRINTER_INFO_2W*>(record_.data())->pDevMode;
}

std::vector<BYTE> CPrinterInfo::CopyDevMode() const {
    const DEVMODEW* dm = DevMode();
    if (!dm) return {};
    const auto* bytes = reinterpret_cast<const BYTE*>(dm);
    return std::vector<BYTE>(bytes, bytes + DevModeSize(dm));
}

bool CPrinterInfo::MergeDevMode(const DEVMODEW* input, bool prompt, HWND owner, DWORD& error) {
    error = 0;
    if (record_.empty()) {
        error = ERROR_INVALID_PRINTER_NAME;
        return false;
    }
    PrinterHandle printer(name_);
    if (!printer.Get()) {
        error = ::GetLastError();
        return false;
    }
    auto* deviceName = const_cast<wchar_t*>(name_.c_str());
    // The driver says how big its settings are, private part included.
    const LONG size = ::DocumentPropertiesW(owner, printer.Get(), deviceName, nullptr, nullptr, 0);
    if (size <= 0) {
        error = ::GetLastError();
        if (error == 0) error = ERROR_INVALID_DATA;
        return false;
    }
    // Settings from elsewhere (another run's copy) are handed over no
    // bigger than the driver's own size.
    std::vector<BYTE> in;
    if (!input) input = DevMode();
    if (input) {
        const std::size_t n = DevModeSize(input);
        in.assign(std::max<std::size_t>(n, std::size_t(size)), 0);
        std::memcpy(in.data(), input, n);
    }
    std::vector<BYTE> out(std::size_t(size), 0);
    DWORD mode = DM_OUT_BUFFER;
    if (!in.empty()) mode |= DM_IN_BUFFER;
    if (prompt) mode |= DM_IN_PROMPT;
    const LONG result = ::DocumentPropertiesW(owner, printer.Get(), deviceName, reinterpret_cast<DEVMODEW*>(out.data()),
                                              in.empty() ? nullptr : reinterpret_cast<DEVMODEW*>(in.data()), mode);
    if (result != IDOK) {
        if (result < 0) {
            error = ::GetLastError();
            if (error == 0) error = ERROR_INVALID_DATA;
        }
        return false;
    }
    devMode_ = std::move(out);
    return true;
}

HDC CPrinterInfo::CreateDC() const {
    if (record_.empty()) return nullptr;
    return ::CreateDCW(nullptr, name_.c_str(), nullptr, DevMode());
}

