// Resource IDs of the control and framework tests.
#pragma once

#define IDD_SKIN 200
#define IDD_FRAME 210
#define IDD_CHILD 211

#define IDC_LABEL 1001
#define IDC_EDIT 1002
#define IDC_IMAGE_BUTTON 1003
#define IDC_PLAIN_BUTTON 1004
#define IDC_GO 1101
#define IDC_TEXT 1102
#define IDC_OWNERDRAW 1103
#define IDC_MISSING 1199
#define IDC_CHILD_BUTTON 1201

#define IDB_QUAD_SMALL 301
#define IDB_QUAD_LARGE 302
#define IDB_MAGENTA 303
#define IDB_NOT_THERE 399

#define IDP_RED 311
#define IDP_GREEN 312
#define IDP_BLUE 313
#define IDP_HALF_CLEAR 314
#define IDP_SMALL_GREEN 315
#define IDP_TEXT 316
