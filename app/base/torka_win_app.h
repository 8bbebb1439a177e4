// The application base shared by the editor and the grep program: it owns
// the settings store, reads and writes integers through it, and at start-up
// finds, migrates and loads the settings file and readies the framework's
// own profile file.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "app/profile/ini_profile.h"
#include "framework/app.h"

class CTorkaWinApp : public CWinApp {
public:
    CTorkaWinApp();
    CTorkaWinApp(const CTorkaWinApp&) = delete;
    CTorkaWinApp& operator=(const CTorkaWinApp&) = delete;

    // The settings store: empty (no path, no entries) until start-up.
    const std::unique_ptr<CIniProfile> m_pIniProfile;

    // The entry's integer value, or defaultValue when it is absent. These
    // read and write the settings store, not the framework's profile file.
    int GetProfileInt(const wchar_t* section, const wchar_t* key, int defaultValue);
    // Changes the store only; nothing reaches the disk before Save. Returns TRUE.
    BOOL WriteProfileInt(const wchar_t* section, const wchar_t* key, int value);

    // Start-up, before anything reads a setting: "wendrel.ini" and
    // "wendrel_local.ini" in programDir (with its trailing backslash). When
    // "wendrel.ini" is missing the old registry settings are moved into
    // both files first. The store's mutex exists, and is held, before the
    // file is looked at, so two first starts don't both migrate. A failed
    // migration or load is told in a box, and start-up goes on with the
    // defaults; a file that could not be read is then never saved over.
    void OpenSettingsFiles(const std::wstring& programDir);
    // For a program that only reads the settings (the grep program): loads
    // the file at path under the same mutex. True when it was read.
    bool LoadSettingsFile(const std::wstring& path);

    // Makes localPath the framework's profile file and turns it into
    // UTF-16LE with FF FE and LF line ends: created with the signature and
    // one line end when missing, converted (through a temporary file, the
    // old one untouched on failure) when in another encoding.
    void UpgradeIniFile(const wchar_t* localPath);

    // The string resource of a command id (the editor gives edit-mode
    // commands texts of their own).
    virtual CString LoadPromptString(UINT id);
    // UpdateAllViews with no sender on every document of every template.
    void UpdateAllDocViews(LPARAM hint, CCmdTarget* hintObject = nullptr);
};
