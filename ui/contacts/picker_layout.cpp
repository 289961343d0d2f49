#include "ui/contacts/picker_layout.h"

#include "resource.h"

const unsigned kPickerBackground = IDB_CONTACTS_BACKGROUND;

const ControlPlace kPickerLayout[] = {
    {IDC_PICK_TITLE, 292, 17, 200, 18, 16},         {IDC_PICK_CLOSE, 684, 12, 12, 12, 0},
    {IDC_PICK_SEARCH, 74, 100, 600, 24, 20},        {IDC_PICK_NAME_HEADING, 87, 170, 50, 26, 16},
    {IDC_PICK_SORT_ASCENDING, 140, 170, 20, 20, 0}, {IDC_PICK_SORT_DESCENDING, 140, 170, 20, 20, 0},
    {IDC_PICK_FAX_HEADING, 420, 170, 50, 20, 16},   {kPickerPanelId, 30, 200, 650, 350, 0},
    {IDC_PICK_PAGE_SIZE, 44, 568, 30, 23, 13},      {IDC_PICK_PAGE_SIZE_UP, 77, 565, 10, 10, 0},
    {IDC_PICK_PAGE_SIZE_DOWN, 77, 576, 10, 10, 0},  {IDC_PICK_RANGE, 105, 568, 75, 23, 13},
    {IDC_PICK_PREVIOUS, 191, 556, 45, 45, 0},       {IDC_PICK_NEXT, 239, 556, 45, 45, 0},
    {IDC_PICK_SELECT, 536, 556, 160, 45, 0},
};
const int kPickerLayoutCount = sizeof kPickerLayout / sizeof kPickerLayout[0];

const ButtonFaces kPickerButtonFaces[] = {
    {IDC_PICK_CLOSE, IDP_CLOSE_PRESSED, IDP_CLOSE, IDP_CLOSE_HOVER, IDP_CLOSE_PRESSED},
    {IDC_PICK_SORT_ASCENDING, IDP_SORT_DOWN, IDP_SORT_DOWN, IDP_SORT_DOWN, IDP_SORT_DOWN},
    {IDC_PICK_SORT_DESCENDING, IDP_SORT_UP, IDP_SORT_UP, IDP_SORT_UP, IDP_SORT_UP},
    {IDC_PICK_PAGE_SIZE_UP, IDP_PAGE_SIZE_UP, IDP_PAGE_SIZE_UP, IDP_PAGE_SIZE_UP, IDP_PAGE_SIZE_UP},
    {IDC_PICK_PAGE_SIZE_DOWN, IDP_PAGE_SIZE_DOWN, IDP_PAGE_SIZE_DOWN, IDP_PAGE_SIZE_DOWN, IDP_PAGE_SIZE_DOWN},
    {IDC_PICK_PREVIOUS, IDP_PREVIOUS_PRESSED, IDP_PREVIOUS, IDP_PREVIOUS_HOVER, IDP_PREVIOUS_PRESSED},
    {IDC_PICK_NEXT, IDP_NEXT_PRESSED, IDP_NEXT, IDP_NEXT_HOVER, IDP_NEXT_PRESSED},
    {IDC_PICK_SELECT, IDP_SELECT_PRESSED, IDP_SELECT, IDP_SELECT_HOVER, IDP_SELECT_PRESSED},
};
const int kPickerButtonFaceCount = sizeof kPickerButtonFaces / sizeof kPickerButtonFaces[0];

std::vector<ShowChange> PickerViewChanges(PickerView view) {
    switch (view) {
    case PickerView::kOpening:
        return {{kPickerPanelId, false},          {IDC_PICK_TITLE, true},
                {IDC_PICK_NAME_HEADING, true},    {IDC_PICK_FAX_HEADING, true},
                {IDC_PICK_CLOSE, true},           {IDC_PICK_SEARCH, true},
                {IDC_PICK_SORT_ASCENDING, false}, {IDC_PICK_SORT_DESCENDING, true},
                {IDC_PICK_PAGE_SIZE, true},       {IDC_PICK_RANGE, true},
                {IDC_PICK_PAGE_SIZE_UP, true},    {IDC_PICK_PAGE_SIZE_DOWN, true},
                {IDC_PICK_PREVIOUS, true},        {IDC_PICK_NEXT, true},
                {IDC_PICK_SELECT, true}};
    case PickerView::kListShown:
        return {{kPickerPanelId, true}};
    case PickerView::kNothingListed:
        return {{kPickerPanelId, false}};
    case PickerView::kAscendingOrder:
        return {{IDC_PICK_SORT_ASCENDING, false}, {IDC_PICK_SORT_DESCENDING, true}};
    case PickerView::kDescendingOrder:
        return {{IDC_PICK_SORT_ASCENDING, true}, {IDC_PICK_SORT_DESCENDING, false}};
    }
    return {};
}

std::vector<ControlPlace> ContactRowLayout(int indent) {
    return {
        {IDC_CONROW_KIND, indent + 8, 10, 20, 20, 0},
        {IDC_CONROW_NAME, indent + 40, 8, 250, 30, 0},
        {IDC_CONROW_MEMBER_ICON, indent + 290, 10, 20, 20, 0},
        {IDC_CONROW_MEMBER_COUNT, indent + 311, 8, 50, 30, 0},
        {IDC_CONROW_FAX, 400, 8, 150, 30, 0},
        {IDC_CONROW_HIDE_MEMBERS, 576, 12, 16, 16, 0},
        {IDC_CONROW_SHOW_MEMBERS, 576, 12, 16, 16, 0},
    };
}

const ButtonFaces kRowMemberButtonFaces[] = {
    {IDC_CONROW_HIDE_MEMBERS, IDP_HIDE_MEMBERS_PRESSED, IDP_HIDE_MEMBERS, IDP_HIDE_MEMBERS_HOVER,
     IDP_HIDE_MEMBERS_PRESSED},
    {IDC_CONROW_SHOW_MEMBERS, IDP_SHOW_MEMBERS_PRESSED, IDP_SHOW_MEMBERS, IDP_SHOW_MEMBERS_HOVER,
     IDP_SHOW_MEMBERS_PRESSED},
};
const int kRowMemberButtonFaceCount = sizeof kRowMemberButtonFaces / sizeof kRowMemberButtonFaces[0];

ButtonFaces PictureFaces(int id, unsigned picture) { return {id, picture, picture, picture, picture}; }
