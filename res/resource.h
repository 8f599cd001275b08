// Identifiers of the module's resources, shared by Tavren.rc, TavrenJ.rc and the module's code.
#pragma once

// Dialog templates
#define IDD_WRITE_DESIGN        13000
#define IDD_RENAME              13014
#define IDD_FILE_MANAGER        13016
#define IDD_COM_SET             13024
#define IDD_TRANSFER            13025

// Menus (five pop-up menus each: item, empty space, single item, new folder, check marks)
#define IDR_MENU_MACHINE        13015
#define IDR_MENU_PC             13017

// Bitmaps
#define IDB_PICTURES_SMALL      13003   // sixteen 16 x 16 pictures in one strip
#define IDB_PICTURES_LARGE      13004   // sixteen 48 x 48 pictures in one strip
#define IDB_CHECK_OFF           13005   // 16 x 16 empty check box
#define IDB_CHECK_ON            13006   // 16 x 16 ticked check box

// Icons
#define IDI_USB_DRIVE           5
#define IDI_COMPUTER            13001
#define IDI_NEW_FOLDER          13008
#define IDI_OPEN                13009
#define IDI_UP                  13010
#define IDI_STYLE_DETAILS       13011
#define IDI_STYLE_ICONS         13012
#define IDI_SEND                13013
#define IDI_DELETE              13019
#define IDI_RECEIVE             13021
#define IDI_MACHINE             13022
#define IDI_MACHINE_USB         13023

// Controls of Write a Design (13000)
#define IDC_WD_SEND             13000
#define IDC_WD_RENAME           13001
#define IDC_WD_NEW              13002
#define IDC_WD_OPEN             13003
#define IDC_WD_UP               13004
#define IDC_WD_STYLE            13005
#define IDC_WD_LOCATION         13006
#define IDC_WD_LIST             13007
#define IDC_WD_NAME             13008
#define IDC_TARGET_PICTURE      13029

// Controls of Rename (13014)
#define IDC_RENAME_NAME         13009

// Controls of File Manager (13016)
#define IDC_FM_PC_LIST          13011
#define IDC_FM_PC_LOCATION      13012
#define IDC_FM_PC_NEW           13013
#define IDC_FM_PC_OPEN          13014
#define IDC_FM_PC_UP            13015
#define IDC_FM_PC_STYLE         13016
#define IDC_FM_PC_DELETE        13017
#define IDC_FM_MACHINE_LIST     13018
#define IDC_FM_MACHINE_LOCATION 13019
#define IDC_FM_MACHINE_NEW      13020
#define IDC_FM_MACHINE_OPEN     13021
#define IDC_FM_MACHINE_UP       13022
#define IDC_FM_MACHINE_STYLE    13023
#define IDC_FM_MACHINE_DELETE   13024
#define IDC_FM_TO_MACHINE       13025
#define IDC_FM_TO_PC            13026
#define IDC_FM_PC_COUNT         13027
#define IDC_FM_MACHINE_COUNT    13028

// Controls of Connection Settings (13024)
#define IDC_CS_USB              13030
#define IDC_CS_WLAN             13031
#define IDC_CS_SEARCH           13032
#define IDC_CS_LIST             13033

// Controls of the transfer dialog (13025)
#define IDC_XFER_TEXT           13034
#define IDC_XFER_PROGRESS       13035

// Menu commands, machine side (menu 13015)
#define ID_MACHINE_OPEN         32785
#define ID_MACHINE_RENAME       32786
#define ID_MACHINE_DELETE       32787
#define ID_MACHINE_CHECKALL     32788
#define ID_MACHINE_UNCHECKALL   32789
#define ID_MACHINE_NEWFOLDER    32790
// Menu commands, PC side (menu 13017)
#define ID_PC_OPEN              32791
#define ID_PC_RENAME            32792
#define ID_PC_DELETE            32793
#define ID_PC_CHECKALL          32794
#define ID_PC_UNCHECKALL        32795
#define ID_PC_NEWFOLDER         32796

// Strings: communication errors
#define IDS_ERR_UNDEFINED       12500
#define IDS_ERR_CONNECT_CABLE   12501
#define IDS_ERR_NOT_SUPPORTED   12502
#define IDS_ERR_TIMEOUT         12503
#define IDS_ERR_ABORTED         12504
#define IDS_ERR_PORT            12505
#define IDS_ERR_RECONNECT       12506
#define IDS_ERR_BROKEN_PACKET   12507
#define IDS_ERR_SEND_PACKET     12508
#define IDS_ERR_INVALID_COMMAND 12509
#define IDS_ERR_MEMORY          12510
#define IDS_ERR_BROKEN_FILE     12511
#define IDS_ERR_NOT_FOUND       12512
#define IDS_ERR_NO_DRIVER       12513
#define IDS_ERR_MACHINE         12520   // 12521 + k for machine code 0x8001 + k
#define IDS_ERR_MACHINE_FIRST   12521
#define IDS_ERR_MACHINE_LAST    12552
#define IDS_CLOSING             12553

// Strings: titles and places
#define IDS_TITLE_LIST          13000
#define IDS_TITLE_SEND          13001
#define IDS_TITLE_RECEIVE       13002
#define IDS_TITLE_DELETE        13003
#define IDS_TITLE_CREATE_FOLDER 13004
#define IDS_TITLE_RENAME        13005
#define IDS_TITLE_DELETE_FOLDER 13006
#define IDS_TITLE_TRANSFER      13007
#define IDS_COLUMN_NAME         13010
#define IDS_DOCUMENTS           13020
#define IDS_COMPUTER            13021
#define IDS_DESKTOP             13022
#define IDS_MACHINE             13023
#define IDS_BUILTIN             13024
#define IDS_USB_DRIVE_1         13025
#define IDS_USB_DRIVE_2         13026
#define IDS_NOT_CONNECTED       13027
#define IDS_CAPTION_DELETING    13030
#define IDS_CAPTION_SAVE_AS     13031
#define IDS_CAPTION_ERROR       13032
#define IDS_CAPTION_CONFIRM     13033
#define IDS_CAPTION_COMM_ERROR  13034
#define IDS_NEW_FOLDER          13040
#define IDS_COLUMN_MACHINE_NAME 13050
#define IDS_COLUMN_IP_ADDRESS   13051

// Strings: progress texts (13500 + the title's offset) and messages
#define IDS_WAIT_LIST           13500
#define IDS_WAIT_SEND           13501
#define IDS_WAIT_RECEIVE        13502
#define IDS_WAIT_DELETE         13503
#define IDS_WAIT_CREATE_FOLDER  13504
#define IDS_WAIT_RENAME         13505
#define IDS_WAIT_DELETE_FOLDER  13506
#define IDS_WAIT_TRANSFER       13507
#define IDS_ASK_DELETE          13510
#define IDS_ASK_REPLACE         13511
#define IDS_CONNECT_ANY         13512
#define IDS_CONNECT_USB         13513
#define IDS_CONNECT_MACHINE     13514
#define IDS_NAME_EMPTY          13520
#define IDS_NAME_NO_STEM        13521
#define IDS_NAME_BAD_CHAR       13523
#define IDS_NAME_RESERVED       13524
#define IDS_MAX_CS              13525
#define IDS_FILE_ERROR          13526
#define IDS_TOO_MANY_LAYERS     13527
#define IDS_TOO_MANY_STITCHES   13528
#define IDS_NAME_UNSHOWABLE     13531
#define IDS_TOO_LARGE           13532
#define IDS_ASK_MODE_CHANGE     13533
#define IDS_FILES_NOT_FOUND     13700
