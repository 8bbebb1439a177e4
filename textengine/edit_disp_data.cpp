#include "textengine/edit_disp_data.h"

void CEditDispData::ResetSelection() {
    selAnchor = {-1, -1};
    initialRange[0] = initialRange[1] = {-1, -1};
    selStart = selEnd = {-1, -1};
    mouseSelection = MouseSelection::None;
    wordDrag = 0;
    boxSelection = 0;
    if (m_extension) m_extension->OnResetSelection();
}
