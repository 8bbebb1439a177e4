// Frame windows: the program's main window kinds.
#pragma once

#include "framework/wnd.h"

class CFrameWnd : public CWnd {};

// A frame whose documents are child windows of its client area.
class CMDIFrameWnd : public CFrameWnd {};
