// The portable part of a text's display state: the selection and the wrap
// settings shared by every window that shows the text. The editor control
// attaches its window-system part (pens, views, caches) as an extension.
#pragma once

#include <climits>
#include <memory>

#include "textengine/edit_pos.h"
#include "textengine/layout.h"

class CEditData;

// A selection by the mouse: none, the button down (the first move only arms
// dragging), or dragging.
enum class MouseSelection { None, Pressed, Dragging };

// How rows are cut. The numbers are those of the settings record (LINE_MODE).
enum class WrapMode : int { None = 0, WindowWidth = 1, FixedColumns = 2 };
// The mode stored as n; a number that is no mode wraps nowhere.
inline WrapMode WrapModeFromNumber(int n) {
    return n == 1 ? WrapMode::WindowWidth : n == 2 ? WrapMode::FixedColumns : WrapMode::None;
}
inline int WrapModeNumber(WrapMode mode) { return static_cast<int>(mode); }

// The window-system side of the display data, owned by it.
class CEditDispExtension {
public:
    virtual ~CEditDispExtension() = default;
    // The selection is being dropped (release cached device contexts etc.).
    virtual void OnResetSelection() {}
};

class CEditDispData {
public:
    explicit CEditDispData(CEditData* owner) : m_owner(owner) {}

    CEditData* GetOwner() const { return m_owner; }
    // Drops the selection without redrawing.
    void ResetSelection();

    CEditDispExtension* GetExtension() const { return m_extension.get(); }
    void SetExtension(std::unique_ptr<CEditDispExtension> ext) { m_extension = std::move(ext); }

    int displayRows = 0;
    WrapMode wrapMode = WrapMode::None;
    int wrapColumns = INT_MAX;
    int wrapWidth = INT_MAX;   // pixels; INT_MAX = no wrapping
    MouseSelection mouseSelection = MouseSelection::None;
    EditPos selAnchor{-1, -1};
    EditPos initialRange[2] = {{-1, -1}, {-1, -1}};
    EditPos selStart{-1, -1};  // ordered; line -1 = no selection
    EditPos selEnd{-1, -1};
    int boxX[2] = {0, 0};
    int boxSelection = 0;
    int boxRequest = 0;
    int wordDrag = 0;

private:
    CEditData* m_owner;
    std::unique_ptr<CEditDispExtension> m_extension;

    // Layout support
public:
    CCharWidthTable widths;            // of the font the text is shown in
    CTextMetrics* metrics = nullptr;   // measures that font (box columns); set by the editor control
};
