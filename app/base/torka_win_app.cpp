#include "app/base/torka_win_app.h"

#include <memory>

#include "app/base/ini_file_win.h"
#include "app/base/ini_registry_win.h"
#include "app/profile/ini_format.h"
#include "app/base/winutil.h"
#include "framework/resource_text.h"
#include "framework/seams.h"
#include "framework/wide.h"

namespace {

void ShowStartupError(const wchar_t* text) { ShowMessageBox(nullptr, text, L"Error", MB_OK | MB_ICONWARNING); }

}  // namespace

CTorkaWinApp::CTorkaWinApp() : m_pIniProfile(std::make_unique<CIniProfile>()) {}

int CTorkaWinApp::GetProfileInt(const wchar_t* section, const wchar_t* key, int defaultValue) {
    return m_pIniProfile->GetInt(AsU16(section), AsU16(key), defaultValue);
}

BOOL CTorkaWinApp::WriteProfileInt(const wchar_t* section, const wchar_t* key, int value) {
    m_pIniProfile->WriteInt(AsU16(section), AsU16(key), value);
    return TRUE;
}

void CTorkaWinApp::OpenSettingsFiles(const std::wstring& programDir) {
    const std::wstring mainPath = programDir + L"wendrel.ini";
    const std::wstring localPath = programDir + L"wendrel_local.ini";
    auto file = std::make_unique<CWinIniFile>(mainPath);
    CWinIniFile& mutex = *file;
    const bool locked = mutex.Lock();
    // Only a name nothing holds is migrated to: a folder, pipe or device of
    // that name is a settings file that cannot be read.
    const bool nameFree = ::GetFileAttributesW(mainPath.c_str()) == INVALID_FILE_ATTRIBUTES &&
                          (::GetLastError() == ERROR_FILE_NOT_FOUND || ::GetLastError() == ERROR_PATH_NOT_FOUND);
    if (nameFree && !ImportRegistry(mainPath, localPath))
        ShowStartupError(L"レジストリからINIファイルへの移行に失敗しました");
    if (!nameFree || IsFileExist(mainPath.c_str())) {
        m_pIniProfile->SetPath(ToU16(mainPath));
        m_pIniProfile->SetFileAccess(std::move(file));
        if (!m_pIniProfile->Load())
            ShowStartupError(L"INIファイルから設定を取得できませんでした。\nデフォルトの設定で起動します。");
    }
    if (locked) mutex.Unlock();  // the store owns the file access now, or file still does
    UpgradeIniFile(localPath.c_str());
}

bool CTorkaWinApp::LoadSettingsFile(const std::wstring& path) {
    m_pIniProfile->SetPath(ToU16(path));
    m_pIniProfile->SetFileAccess(std::make_unique<CWinIniFile>(path));
    return m_pIniProfile->Load();
}

void CTorkaWinApp::UpgradeIniFile(const wchar_t* localPath) {
    SetProfileFile(localPath);
    if (!IsFileExist(localPath)) {
        CreateFileWithContents(localPath, Utf16LeFileBytes(u"\n"));
        return;
    }
    std::string bytes;
    if (ReadWholeFile(localPath, bytes) != IniReadResult::Ok) return;  // never replace what could not be read
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xFE)
        return;
    ReplaceFileContents(localPath, ConvertToUtf16LeLf(bytes));
}

CString CTorkaWinApp::LoadPromptString(UINT id) { return LoadResourceString(id); }

void CTorkaWinApp::UpdateAllDocViews(LPARAM hint, CCmdTarget* hintObject) {
    for (const auto& docTemplate : GetDocTemplates())
        for (CDocument* document : docTemplate->GetDocuments()) document->UpdateAllViews(nullptr, hint, hintObject);
}
