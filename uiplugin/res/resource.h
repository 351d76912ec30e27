// Resource ids of the plug-in. Read by windres and by C++ code: plain #defines only.
#define IDD_IMPORT_EXPORT 106
#define IDD_FONT_SUBSTITUTION 107
#define IDB_PANEL 110

// Import/export page.
#define IDC_IMPORT_PROPERTIES 1007
#define IDC_EXPORT_PROPERTIES 1008

// Font substitution page.
#define IDC_FONT_LIST 1008
#define IDC_TRUETYPE_NAME 1011
#define IDC_DEVICE_FONT 1012
#define IDC_REPLACE_ALL 1013
#define IDC_ENABLE_SUBSTITUTION 1014
#define IDC_SAVE_FONTS 1016

// Display texts of the driver's device options, referred to by number from outside the plug-in.
#define IDS_LINE_FEEDS_1 1
#define IDS_LINE_FEEDS_2 2
#define IDS_LINE_FEEDS_3 3
#define IDS_MINI_PRINTER 4
#define IDS_KIOSK_PRINTER 5
#define IDS_DEVICE_TYPE 6

// Texts the pages show in the user's language.
#define IDS_FAMILY_COLUMN 200
#define IDS_DEVICE_FONT_COLUMN 201
#define IDS_FONT_SUBSTITUTION 202
#define IDS_TABLE_TOO_LARGE 203
#define IDS_PRIVILEGE_ERROR 210
#define IDS_NO_PRIVILEGE 211
#define IDS_TRANSFER_FAILED 212
#define IDS_EXPORT_TITLE 213
#define IDS_IMPORT_TITLE 214
#define IDS_REG_FILES 215
#define IDS_EXPORT_CAPTION 216
#define IDS_EXPORTED 217
#define IDS_IMPORT_CAPTION 218
#define IDS_IMPORTED 219

