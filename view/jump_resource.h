// Resource ids of the line-jump dialog (resources/jump.rc and its code).
#pragma once

#define IDD_LINE_JUMP 142
#define IDC_LINE_JUMP_NUMBER 2022
