// The edit-mode toolbar: one button per edit mode, its image the mode's
// short name, in front of the images of the toolbar's own bitmap.
#pragma once

#include "framework/bars.h"

class CEditModeTable;

class CEditModeBar : public CToolBar {
public:
    ~CEditModeBar() override;
    // The bar (id ID_EDIT_MODE_BAR, flat and transparent buttons) with a
    // masked colour image list that starts with the bar's bitmap.
    BOOL CreateBar(HWND parent);
    // One enabled button per mode (command 34101 + index) at the front,
    // then a separator; each image is the mode's short name.
    void MakeEditModeToolbarImages(const CEditModeTable& modes);

private:
    HIMAGELIST images_ = nullptr;
};
