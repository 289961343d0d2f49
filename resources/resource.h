// Resource identifiers of the program.
//
// Control IDs are per window: the same number has different roles in
// different templates, so each window has its own names.
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// ---------------------------------------------------------------- dialogs
#define IDD_ABOUTBOX                 100
#define IDD_KEY_SETUP                126
#define IDD_SEND_FAX                 129
#define IDD_FAX_PANEL                130
#define IDD_FAX_ROW                  131
#define IDD_CONTACTS                 132
#define IDD_CONTACT_PANEL            133
#define IDD_CONTACT_ROW              134

// ---------------------------------------------------------------- icon
#define IDR_MAINFRAME                128

// ---------------------------------------------------------------- data
#define IDR_LOADING_GIF              146  // type "GIF", 74 x 8, 17 frames
#define IDR_COUNTRY_TABLE            407  // type "CSV", 230 lines

// Country menu commands and their flags (PNG, 16 x 16): row i of the
// country table has command and flag ID 171 + i.
#define ID_COUNTRY_FIRST             171
#define ID_COUNTRY_CANADA            171
#define ID_COUNTRY_USA               172
#define ID_COUNTRY_LAST              400
#define IDP_FLAG_FIRST               171
#define IDP_FLAG_LAST                400

// ---------------------------------------------------------------- bitmaps
#define IDB_KEY_SETUP_BACKGROUND     141  // 565 x 532
#define IDB_SEND_LOADING_BACKGROUND  147  // 565 x 532, stretched to 565 x 620
#define IDB_SEND_PAGE1_BACKGROUND    157  // 565 x 620, cover page off
#define IDB_SEND_PAGE2_BACKGROUND    158  // 565 x 620, cover page on
#define IDB_FAX_ROW_BACKGROUND       401  // 336 x 45, stretched to 498 x 35
#define IDB_FAX_PANEL_BACKGROUND     402  // 336 x 36, stretched to 433 x 80
#define IDB_CONTACTS_BACKGROUND      411  // 720 x 620
#define IDB_CONTACT_ROW_SELECTED     422  // 580 x 45, stretched to 648 x 45
#define IDB_CONTACT_ROW_MEMBER       423  // 580 x 45
#define IDB_CONTACT_ROW_NORMAL       424  // 580 x 45

// ---------------------------------------------------------------- PNG images
// Button faces come in threes: standard N, hover N - 1, pressed N + 1.
#define IDP_PASSWORD_TOGGLE          143  // 40 x 24
#define IDP_MINIMISE_PRESSED_ALT     145  // 12 x 12, pressed face of the key-setup window
#define IDP_CLOSE_HOVER              148  // 12 x 12
#define IDP_CLOSE                    149
#define IDP_CLOSE_PRESSED            150
#define IDP_SETUP_HOVER              151  // 160 x 40
#define IDP_SETUP                    152
#define IDP_SETUP_PRESSED            153
#define IDP_MINIMISE_HOVER           154  // 12 x 12
#define IDP_MINIMISE                 155
#define IDP_MINIMISE_PRESSED         156
#define IDP_ADD_HOVER                159  // 30 x 30
#define IDP_ADD                      160
#define IDP_ADD_PRESSED              161
#define IDP_REMOVE_HOVER             162  // 30 x 30
#define IDP_REMOVE                   163
#define IDP_REMOVE_PRESSED           164
#define IDP_KIND_NUMBER              165  // 16 x 16
#define IDP_COVER_OFF                166  // 88 x 26
#define IDP_COVER_ON                 167  // 88 x 26
#define IDP_SEND_HOVER               168  // 160 x 40
#define IDP_SEND                     169
#define IDP_SEND_PRESSED             170
#define IDP_KEY_HOVER                403  // 48 x 48
#define IDP_KEY                      404
#define IDP_KEY_PRESSED              405
#define IDP_COUNTRY_MENU             406  // 16 x 16
#define IDP_CONTACTS_HOVER           408  // 30 x 30
#define IDP_CONTACTS                 409
#define IDP_CONTACTS_PRESSED         410
#define IDP_SORT_DOWN                412  // 20 x 20
#define IDP_SORT_UP                  413  // 20 x 20
#define IDP_PREVIOUS_HOVER           414  // 45 x 45
#define IDP_PREVIOUS                 415
#define IDP_PREVIOUS_PRESSED         416
#define IDP_NEXT_HOVER               417  // 45 x 45
#define IDP_NEXT                     418
#define IDP_NEXT_PRESSED             419
#define IDP_PAGE_SIZE_DOWN           420  // 10 x 10
#define IDP_PAGE_SIZE_UP             421  // 10 x 10
#define IDP_KIND_ORGANISATION        425  // 20 x 20 (drawn at 16 x 16 in the fax rows)
#define IDP_KIND_MEMBER              426  // 20 x 20, also the people icon
#define IDP_KIND_PERSON              427  // 20 x 20
#define IDP_SHOW_MEMBERS_HOVER       428  // 16 x 16, chevron down
#define IDP_SHOW_MEMBERS             429
#define IDP_SHOW_MEMBERS_PRESSED     430
#define IDP_HIDE_MEMBERS_HOVER       431  // 16 x 16, chevron up
#define IDP_HIDE_MEMBERS             432
#define IDP_HIDE_MEMBERS_PRESSED     433
#define IDP_SELECT_HOVER             434  // 160 x 45
#define IDP_SELECT                   435
#define IDP_SELECT_PRESSED           436
#define IDP_CANCEL_HOVER             437  // 110 x 40
#define IDP_CANCEL                   438
#define IDP_CANCEL_PRESSED           439
#define IDP_CANCEL_DISABLED          440

// ---------------------------------------------------------------- key setup (126)
#define IDC_KEY_FIELD                1000
#define IDC_KEY_MINIMISE             1006
#define IDC_KEY_PASSWORD             1007
#define IDC_KEY_CLOSE                1008
#define IDC_KEY_SETUP                1009
#define IDC_KEY_PASSWORD_TOGGLE      1010
#define IDC_KEY_TITLE                1047
#define IDC_KEY_HEADING              1048
#define IDC_KEY_LABEL                1049
#define IDC_KEY_PASSWORD_LABEL       1050

// ---------------------------------------------------------------- send fax (129)
#define IDC_SEND_MINIMISE            1006
#define IDC_SEND_ADD                 1007
#define IDC_SEND_CLOSE               1008
#define IDC_SEND_COVER_TURN_OFF      1009
#define IDC_SEND_SEND                1010
#define IDC_SEND_COVER_TURN_ON       1011
#define IDC_SEND_FLAG                1012
#define IDC_SEND_COUNTRY_MENU        1013
#define IDC_SEND_CONTACTS            1014
#define IDC_SEND_TITLE               1047
#define IDC_SEND_LOADING_TEXT        1048
#define IDC_SEND_HEADING             1049
#define IDC_SEND_NUMBER_LABEL        1050
#define IDC_SEND_LOADING_PICTURE     1051
#define IDC_SEND_COVER_HEADING       1052
#define IDC_SEND_NUMBER              1053
#define IDC_SEND_DELIVER_TO_LABEL    1054
#define IDC_SEND_SUBJECT_LABEL       1055
#define IDC_SEND_NOTES_LABEL         1056
#define IDC_SEND_KEY                 1057
#define IDC_SEND_COUNTRY_LIST        1058
#define IDC_SEND_DELIVER_TO          1059
#define IDC_SEND_SUBJECT             1060
#define IDC_SEND_NOTES               1061
#define IDC_SEND_COVER_LIST          1062
#define IDC_SEND_COVER_LABEL         1063
// Made by the window while a fax goes up, over the send button's place.
#define IDC_SEND_PROGRESS            1064
#define IDC_SEND_CANCEL              1065

// ---------------------------------------------------------------- fax-number row (131)
#define IDC_FAXROW_TEXT              1050
#define IDC_FAXROW_COUNT             1051
#define IDC_FAXROW_REMOVE            1054
#define IDC_FAXROW_KIND              1055
#define IDC_FAXROW_PEOPLE            1056

// ---------------------------------------------------------------- contact picker (132)
#define IDC_PICK_SELECT              1006
#define IDC_PICK_CLOSE               1008
#define IDC_PICK_SORT_ASCENDING      1009  // shown while descending, wears IDP_SORT_DOWN
#define IDC_PICK_SORT_DESCENDING     1010  // shown while ascending, wears IDP_SORT_UP
#define IDC_PICK_PAGE_SIZE_UP        1011
#define IDC_PICK_PAGE_SIZE_DOWN      1012
#define IDC_PICK_PREVIOUS            1013
#define IDC_PICK_NEXT                1014
#define IDC_PICK_TITLE               1047
#define IDC_PICK_NAME_HEADING        1048
#define IDC_PICK_FAX_HEADING         1049
#define IDC_PICK_PAGE_SIZE           1050
#define IDC_PICK_RANGE               1051
#define IDC_PICK_SEARCH              1053

// ---------------------------------------------------------------- contact row (134)
#define IDC_CONROW_NAME              1050
#define IDC_CONROW_FAX               1051
#define IDC_CONROW_MEMBER_COUNT      1052
#define IDC_CONROW_SHOW_MEMBERS      1054
#define IDC_CONROW_KIND              1055
#define IDC_CONROW_MEMBER_ICON       1056
#define IDC_CONROW_HIDE_MEMBERS      1057
