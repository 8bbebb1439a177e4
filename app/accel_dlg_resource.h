// Resource ids of the key-assignment dialog, shared by resources/keys.rc
// and the dialog's code.
#pragma once

#define IDD_ACCELERATOR 155
#define IDC_ACCEL_KEY_EDIT 2006
#define IDC_ACCEL_ASSIGN 2010
#define IDC_ACCEL_REMOVE 2013
#define IDC_ACCEL_CATEGORIES 2082
#define IDC_ACCEL_COMMANDS 2083
#define IDC_ACCEL_KEYS 2084
#define IDC_ACCEL_DEFAULTS 2085
#define IDC_ACCEL_INFO 2086
