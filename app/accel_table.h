// The editor's key bindings: a growable table of Windows ACCEL records with
// its INI section ACCELERATOR, the 73 default bindings, and the key texts
// shown in menus and the key-assignment dialog ("Ctrl+Shift+F2", "ENTER").
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class CIniProfile;

// fVirt bits of a binding: FVIRTKEY | FNOINVERT always, then the modifiers.
constexpr BYTE kAccelBase = FVIRTKEY | FNOINVERT;  // 3
constexpr BYTE kAccelShift = FSHIFT;               // 4
constexpr BYTE kAccelCtrl = FCONTROL;              // 8
constexpr BYTE kAccelAlt = FALT;                   // 16

// "Alt+", "Ctrl+", "Shift+" in this order, then the key's name.
std::wstring KeyToString(WORD key, bool alt, bool ctrl, bool shift);
// The binding a key text names; false when the text names no key.
bool StringToKey(const std::wstring& text, BYTE& fVirt, WORD& key);

class CAcceleratorTable {
public:
    // Every binding an INI file can hold; ACCEL_CNT is clamped to it.
    static constexpr int kMaxEntries = 4096;

    void Clear() { entries_.clear(); }
    int GetCount() const { return static_cast<int>(entries_.size()); }
    const ACCEL* GetData() const { return entries_.data(); }
    const ACCEL& GetAt(int i) const { return entries_[static_cast<size_t>(i)]; }

    // ACCELERATOR: a missing ACCEL_CNT (or -1) gives the defaults, 0 or
    // less none; entries with no command, no key or no fVirt are dropped.
    void LoadProfile(const CIniProfile& profile);
    // Writes ACCEL_CNT and every entry (the caller saves the store).
    void StoreProfile(CIniProfile& profile) const;
    // StoreProfile and the store saved, under the wait cursor; false when
    // the file could not be written.
    bool SaveProfile(CIniProfile& profile) const;
    void LoadDefault();

    bool Add(WORD key, WORD command, BYTE fVirt);
    // Removes the first binding of this key and fVirt.
    void Remove(WORD key, BYTE fVirt);
    // The first binding of command at or after start: its index + 1 and its
    // key text, or -1.
    int FindCommand(WORD command, int start, std::wstring& keyText) const;
    // Every key text of command joined by ", "; 0 when there is one, -1
    // (and an empty text) when none.
    int GetCommandKeys(WORD command, std::wstring& keys) const;
    // The command bound to this key and fVirt, or 0.
    WORD FindKey(WORD key, BYTE fVirt) const;
    void Copy(const CAcceleratorTable& other) { entries_ = other.entries_; }

    // A new accelerator table from the bindings (null when there are none).
    HACCEL CreateHandle() const;

private:
    std::vector<ACCEL> entries_;
};
