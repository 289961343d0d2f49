// The embedded resources, loaded through the same Win32 calls the windows use:
// the country table, every dialog template, bitmap, PNG face, the loading GIF
// and the program icon.
#include "resource.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <gdiplus.h>
#include <ole2.h>
#include <olectl.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Bytes {
    const unsigned char* data = nullptr;
    DWORD size = 0;
};

Bytes ResourceBytes(int id, const char* type) {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), type);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(nullptr, found);
    if (!loaded) return {};
    return {static_cast<const unsigned char*>(LockResource(loaded)), SizeofResource(nullptr, found)};
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    if (start != text.size()) lines.push_back(text.substr(start));  // an unterminated tail
    return lines;
}

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::string field;
    std::istringstream in(line);
    while (std::getline(in, field, ',')) fields.push_back(field);
    if (!line.empty() && line.back() == ',') fields.push_back("");
    return fields;
}

// ---------------------------------------------------------------- country table

std::string CountryTable() {
    Bytes csv = ResourceBytes(IDR_COUNTRY_TABLE, "CSV");
    if (!csv.data) return {};
    return std::string(reinterpret_cast<const char*>(csv.data), csv.size);
}

TEST(CountryTable, Is7640BytesOf230LinesEachEndedByCrLf) {
    const std::string text = CountryTable();
    ASSERT_EQ(text.size(), 7640u);
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    const auto lines = SplitLines(text);
    ASSERT_EQ(lines.size(), 230u);
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].find_first_of("\r\n"), std::string::npos) << "stray line break in line " << i + 1;
        EXPECT_FALSE(lines[i].empty()) << "line " << i + 1;
    }
    EXPECT_EQ(lines[0], "Canada,Ca,1,(###)-###-####");
    EXPECT_EQ(lines[1], "USA,Us,1,(###)-###-####");
    EXPECT_EQ(lines[2], "Afghanistan,Af,93,(###)-###-####");
    EXPECT_EQ(lines[48], "\"Congo, Dem. Republic\",Cd,243,(###)-###-####");
    EXPECT_EQ(lines[229], "Zimbabwe,Zw,263,(###)-###-####");
}

TEST(CountryTable, NamesFollowTheTableOrder) {
    static const char* const kNames =
        "Canada;USA;Afghanistan;Albania;Algeria;American Samoa;Andorra;Angola;Anguilla;Antarctica;"
        "Antigua and Barbuda;Argentina;Armenia;Aruba;Australia;Austria;Azerbaijan;Bahamas;Bahrain;Bangladesh;"
        "Barbados;Belarus;Belgium;Belize;Benin;Bermuda;Bhutan;Bolivia;Bosnia-Herzegovina;Botswana;Brazil;"
        "Brunei Darussalam;Bulgaria;Burkina Faso;Burundi;Cambodia;Cameroon;Cape Verde;Cayman Islands;"
        "Central African Republic;Chad;Chile;China;Christmas Island;Cocos (Keeling) Islands;Colombia;Comoros;"
        "Congo;\"Congo, Dem. Republic\";Cook Islands;Costa Rica;Croatia;Cuba;Cyprus;Czech Rep.;Denmark;"
        "Djibouti;Dominica;Dominican Republic;Ecuador;Egypt;El Salvador;Equatorial Guinea;Eritrea;Estonia;"
        "Ethiopia;Falkland Islands (Malvinas);Faroe Islands;Fiji;Finland;France;French Guiana;Gabon;Gambia;"
        "Georgia;Germany;Ghana;Gibraltar;Great Britain;Greece;Greenland;Grenada;Guadeloupe (French);"
        "Guam (USA);Guatemala;Guinea;Guinea Bissau;Guyana;Haiti;Honduras;Hong Kong;Hungary;Iceland;India;"
        "Indonesia;Iran;Iraq;Ireland;Israel;Italy;Ivory Coast;Jamaica;Japan;Jordan;Kazakhstan;Kenya;Kiribati;"
        "Korea-North;Korea-South;Kuwait;Kyrgyzstan;Laos;Latvia;Lebanon;Lesotho;Liberia;Libya;Liechtenstein;"
        "Lithuania;Luxembourg;Macau;Macedonia;Madagascar;Malawi;Malaysia;Maldives;Mali;Malta;"
        "Marshall Islands;Martinique (French);Mauritania;Mauritius;Mayotte;Mexico;Micronesia;Moldova;Monaco;"
        "Mongolia;Montenegro;Montserrat;Morocco;Mozambique;Myanmar;Namibia;Nauru;Nepal;Netherlands;"
        "Netherlands Antilles;New Caledonia (French);New Zealand;Nicaragua;Niger;Nigeria;Niue;Norfolk Island;"
        "Northern Mariana Islands;Norway;Oman;Pakistan;Palau;Panama;Papua New Guinea;Paraguay;Peru;"
        "Philippines;Poland;Polynesia (French);Portugal;Puerto Rico;Qatar;Reunion (French);Romania;Russia;"
        "Rwanda;Saint Helena;Saint Kitts & Nevis Anguilla;Saint Lucia;Saint Pierre and Miquelon;"
        "Saint Vincent & Grenadines;Samoa;San Marino;Sao Tome and Principe;Saudi Arabia;Senegal;Serbia;"
        "Seychelles;Sierra Leone;Singapore;Slovakia;Slovenia;Solomon Islands;Somalia;South Africa;Spain;"
        "Sri Lanka;Sudan;Suriname;Swaziland;Sweden;Switzerland;Syria;Taiwan;Tajikistan;Tanzania;Thailand;"
        "Togo;Tokelau;Tonga;Trinidad and Tobago;Tunisia;Turkey;Turkmenistan;Turks and Caicos Islands;Tuvalu;"
        "U.K.;Uganda;Ukraine;United Arab Emirates;Uruguay;Uzbekistan;Vanuatu;Vatican;Venezuela;Vietnam;"
        "Virgin Islands (British);Virgin Islands (USA);Wallis and Futuna Islands;Yemen;Zambia;Zimbabwe";
    std::vector<std::string> expected;
    std::istringstream in(kNames);
    for (std::string name; std::getline(in, name, ';');) expected.push_back(name);
    ASSERT_EQ(expected.size(), 230u);

    const auto lines = SplitLines(CountryTable());
    ASSERT_EQ(lines.size(), 230u);
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const std::string name =
            line[0] == '"' ? line.substr(0, line.find('"', 1) + 1) : line.substr(0, line.find(','));
        EXPECT_EQ(name, expected[i]) << "line " << i + 1;
    }
}

// Fields as the window splits them: at every comma, no quote handling.
TEST(CountryTable, EveryLineHasCodePrefixAndTheSameMask) {
    const std::set<std::string> kNanpLines = {"Anguilla,1-264",
                                              "Antigua and Barbuda,1-268",
                                              "Bahamas,1-242",
                                              "Barbados,1-246",
                                              "Bermuda,1-441",
                                              "Cayman Islands,1-345",
                                              "Dominica,1-767",
                                              "Grenada,1-473",
                                              "Guam (USA),1-671",
                                              "Jamaica,1-876",
                                              "Montserrat,1-664",
                                              "Puerto Rico,1-787",
                                              "Saint Kitts & Nevis Anguilla,1-869",
                                              "Saint Lucia,1-758",
                                              "Saint Vincent & Grenadines,1-784",
                                              "Trinidad and Tobago,1-868",
                                              "Turks and Caicos Islands,1-649",
                                              "Virgin Islands (British),1-284",
                                              "Virgin Islands (USA),1-340"};
    const auto lines = SplitLines(CountryTable());
    ASSERT_EQ(lines.size(), 230u);
    std::set<std::string> nanp_seen;
    std::set<std::string> codes;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::vector<std::string> f = SplitFields(lines[i]);
        if (i == 48) {
            ASSERT_EQ(f.size(), 5u) << "the quoted line splits into five fields";
            f = {f[0] + "," + f[1], f[2], f[3], f[4]};
        }
        ASSERT_EQ(f.size(), 4u) << "line " << i + 1;
        const std::string& code = f[1];
        const std::string& prefix = f[2];
        EXPECT_EQ(f[3], "(###)-###-####") << "line " << i + 1;
        ASSERT_EQ(code.size(), 2u) << "line " << i + 1;
        EXPECT_TRUE(isupper(static_cast<unsigned char>(code[0])) && islower(static_cast<unsigned char>(code[1])))
            << "line " << i + 1 << ": " << code;
        EXPECT_TRUE(codes.insert(code).second) << "code " << code << " twice";
        if (prefix.size() == 5 && prefix.compare(0, 2, "1-") == 0) {
            EXPECT_EQ(prefix.find_first_not_of("0123456789", 2), std::string::npos) << lines[i];
            nanp_seen.insert(f[0] + "," + prefix);
        } else {
            EXPECT_FALSE(prefix.empty()) << "line " << i + 1;
            EXPECT_EQ(prefix.find_first_not_of("0123456789"), std::string::npos) << lines[i];
        }
    }
    EXPECT_EQ(nanp_seen, kNanpLines);
}

// ---------------------------------------------------------------- dialog templates

struct TemplateItem {
    int id = 0;
    std::string cls;  // lower case
    std::string text;
    DWORD style = 0, ex_style = 0;
};

struct DialogTemplate {
    bool ok = false;
    DWORD style = 0, ex_style = 0;
    int point_size = 0;
    std::string face, title;
    std::vector<TemplateItem> items;
};

// Reads an extended dialog template (what windres writes for DIALOGEX).
class TemplateReader {
public:
    explicit TemplateReader(const Bytes& bytes) : p_(bytes.data), end_(bytes.data + bytes.size) {}
    bool fail() const { return fail_; }
    const unsigned char* position() const { return p_; }
    uint16_t Word() {
        if (p_ + 2 > end_) return fail_ = true, 0;
        uint16_t v = Little(p_, 2);
        p_ += 2;
        return v;
    }
    uint32_t Dword() {
        if (p_ + 4 > end_) return fail_ = true, 0;
        uint32_t v = Little(p_, 4);
        p_ += 4;
        return v;
    }
    void Byte() { p_ + 1 > end_ ? void(fail_ = true) : void(++p_); }
    // a string or an ordinal (0xFFFF then a number)
    std::string SzOrOrd(int* ordinal = nullptr) {
        if (ordinal) *ordinal = -1;
        uint16_t first = Word();
        if (first == 0xFFFF) {
            uint16_t value = Word();
            if (ordinal) *ordinal = value;
            return {};
        }
        std::string text;
        for (uint16_t c = first; c != 0 && !fail_; c = Word()) text += static_cast<char>(c < 0x80 ? c : '?');
        return text;
    }
    void AlignDword(const unsigned char* base) {
        while ((p_ - base) % 4) ++p_;
        if (p_ > end_) fail_ = true;
    }
    void Skip(size_t n) { p_ + n > end_ ? void(fail_ = true) : void(p_ += n); }

private:
    static uint32_t Little(const unsigned char* p, int n) {
        uint32_t v = 0;
        for (int i = n - 1; i >= 0; --i) v = (v << 8) | p[i];
        return v;
    }
    const unsigned char* p_;
    const unsigned char* end_;
    bool fail_ = false;
};

DialogTemplate ReadDialogTemplate(int id) {
    DialogTemplate t;
    const Bytes bytes = ResourceBytes(id, MAKEINTRESOURCEA(5) /* RT_DIALOG */);
    if (!bytes.data) return t;
    TemplateReader r(bytes);
    if (r.Word() != 1 || r.Word() != 0xFFFF) return t;  // DIALOGEX only
    r.Dword();                                          // help ID
    t.ex_style = r.Dword();
    t.style = r.Dword();
    const int count = r.Word();
    for (int i = 0; i < 4; ++i) r.Word();
    r.SzOrOrd();  // menu
    r.SzOrOrd();  // class
    t.title = r.SzOrOrd();
    if (t.style & DS_SETFONT) {
        t.point_size = r.Word();
        r.Word();
        r.Byte();
        r.Byte();
        t.face = r.SzOrOrd();
    }
    static const char* const kAtoms[] = {"button", "edit", "static", "listbox", "scrollbar", "combobox"};
    for (int i = 0; i < count && !r.fail(); ++i) {
        r.AlignDword(bytes.data);
        TemplateItem item;
        r.Dword();  // help ID
        item.ex_style = r.Dword();
        item.style = r.Dword();
        for (int k = 0; k < 4; ++k) r.Word();
        item.id = static_cast<int>(r.Dword());
        int atom = -1;
        item.cls = r.SzOrOrd(&atom);
        if (atom >= 0x80 && atom <= 0x85) item.cls = kAtoms[atom - 0x80];
        for (char& c : item.cls) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        item.text = r.SzOrOrd();
        r.Skip(r.Word());  // creation data
        t.items.push_back(item);
    }
    t.ok = !r.fail();
    return t;
}

const TemplateItem* FindItem(const DialogTemplate& t, int id) {
    for (const TemplateItem& item : t.items)
        if (item.id == id) return &item;
    return nullptr;
}

// The top-level windows are borderless pop-ups, the panels and rows children;
// none has a caption or a frame.
TEST(DialogTemplates, HaveNoCaptionOrFrame) {
    struct Case {
        int id;
        bool child;
        DWORD must, ex_must;
        int point_size;
    } const cases[] = {
        {IDD_ABOUTBOX, false, WS_VISIBLE, 0, 9},
        {IDD_KEY_SETUP, false, WS_VISIBLE, WS_EX_TOOLWINDOW | WS_EX_APPWINDOW | WS_EX_TOPMOST, 9},
        {IDD_SEND_FAX, false, WS_VISIBLE | WS_SYSMENU | DS_CENTER | DS_SYSMODAL, WS_EX_CONTROLPARENT | WS_EX_APPWINDOW,
         9},
        {IDD_FAX_PANEL, true, 0, 0, 9},
        {IDD_FAX_ROW, true, 0, 0, 9},
        {IDD_CONTACTS, false, WS_VISIBLE, WS_EX_TOPMOST, 13},
        {IDD_CONTACT_PANEL, true, WS_VISIBLE, 0, 9},
        {IDD_CONTACT_ROW, true, 0, 0, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        const DialogTemplate t = ReadDialogTemplate(c.id);
        ASSERT_TRUE(t.ok);
        EXPECT_EQ(t.style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME | DS_MODALFRAME), 0u);
        EXPECT_EQ((t.style & WS_CHILD) != 0, c.child);
        EXPECT_EQ((t.style & WS_POPUP) != 0, !c.child);
        EXPECT_EQ(t.style & c.must, c.must);
        EXPECT_EQ(t.ex_style & c.ex_must, c.ex_must);
        EXPECT_EQ(t.title, "");
        EXPECT_EQ(t.face, "Segoe UI");
        EXPECT_EQ(t.point_size, c.point_size);
    }
    // rows are shown only once they are in place
    EXPECT_EQ(ReadDialogTemplate(IDD_FAX_ROW).style & WS_VISIBLE, 0u);
    EXPECT_EQ(ReadDialogTemplate(IDD_CONTACT_ROW).style & WS_VISIBLE, 0u);
}

struct ControlCase {
    int dialog;
    int id;
    const char* cls;  // lower case
    const char* text;
    bool visible;
    DWORD must;  // style bits that must be set (for buttons: with the button type)
};

constexpr DWORD kOwner = BS_OWNERDRAW;

const ControlCase kControls[] = {
    // key setup
    {IDD_KEY_SETUP, IDC_KEY_TITLE, "static", "Vantrel", true, 0},
    {IDD_KEY_SETUP, IDC_KEY_HEADING, "static", "Please enter app key", true, 0},
    {IDD_KEY_SETUP, IDC_KEY_LABEL, "static", "AUTHORIZATION KEY", true, 0},
    {IDD_KEY_SETUP, IDC_KEY_FIELD, "edit", "", true, ES_AUTOHSCROLL},
    {IDD_KEY_SETUP, IDC_KEY_SETUP, "button", "", false, BS_DEFPUSHBUTTON},
    {IDD_KEY_SETUP, IDC_KEY_MINIMISE, "button", "", false, kOwner},
    {IDD_KEY_SETUP, IDC_KEY_CLOSE, "button", "", false, kOwner},
    {IDD_KEY_SETUP, IDC_KEY_PASSWORD_LABEL, "static", "PASSWORD", false, 0},
    {IDD_KEY_SETUP, IDC_KEY_PASSWORD, "edit", "", false, ES_PASSWORD},
    {IDD_KEY_SETUP, IDC_KEY_PASSWORD_TOGGLE, "button", "", false, kOwner},
    // send fax: only the key button starts visible
    {IDD_SEND_FAX, IDC_SEND_TITLE, "static", "Vantrel", false, 0},
    {IDD_SEND_FAX, IDC_SEND_LOADING_TEXT, "static", "Loading", false, 0},
    {IDD_SEND_FAX, IDC_SEND_LOADING_PICTURE, "static", "", false, 0},
    {IDD_SEND_FAX, IDC_SEND_MINIMISE, "button", "", false, kOwner},
    {IDD_SEND_FAX, IDC_SEND_CLOSE, "button", "", false, kOwner},
    {IDD_SEND_FAX, IDC_SEND_KEY, "button", "", true, kOwner},
    {IDD_SEND_FAX, IDC_SEND_HEADING, "static", "Fax Number(s)", false, 0},
    {IDD_SEND_FAX, IDC_SEND_NUMBER_LABEL, "static", "FAX NUMBER", false, 0},
    {IDD_SEND_FAX, IDC_SEND_NUMBER, "edit", "", false, 0},
    {IDD_SEND_FAX, IDC_SEND_COUNTRY_LIST, "combobox", "", false,
     CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP},
    {IDD_SEND_FAX, IDC_SEND_FLAG, "button", "", false, BS_PUSHBUTTON | BS_BITMAP},
    {IDD_SEND_FAX, IDC_SEND_COUNTRY_MENU, "button", "", false, kOwner},
    {IDD_SEND_FAX, IDC_SEND_CONTACTS, "button", "", false, kOwner},
    {IDD_SEND_FAX, IDC_SEND_ADD, "button", "", false, kOwner},
    {IDD_SEND_FAX, IDC_SEND_COVER_HEADING, "static", "Cover Page", false, 0},
    {IDD_SEND_FAX, IDC_SEND_COVER_TURN_ON, "button", "", false, kOwner},
    {IDD_SEND_FAX, IDC_SEND_COVER_TURN_OFF, "button", "", false, kOwner},
    {IDD_SEND_FAX, IDC_SEND_DELIVER_TO_LABEL, "static", "DELIVER TO", false, 0},
    {IDD_SEND_FAX, IDC_SEND_DELIVER_TO, "edit", "", false, 0},
    {IDD_SEND_FAX, IDC_SEND_SUBJECT_LABEL, "static", "SUBJECT", false, 0},
    {IDD_SEND_FAX, IDC_SEND_SUBJECT, "edit", "", false, 0},
    {IDD_SEND_FAX, IDC_SEND_NOTES_LABEL, "static", "NOTES", false, 0},
    {IDD_SEND_FAX, IDC_SEND_NOTES, "edit", "", false, 0},
    {IDD_SEND_FAX, IDC_SEND_COVER_LABEL, "static", "COVER PAGE", false, 0},
    {IDD_SEND_FAX, IDC_SEND_COVER_LIST, "combobox", "", false,
     CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP},
    {IDD_SEND_FAX, IDC_SEND_SEND, "button", "", false, kOwner},
    // fax-number row
    {IDD_FAX_ROW, IDC_FAXROW_TEXT, "static", "", true, 0},
    {IDD_FAX_ROW, IDC_FAXROW_COUNT, "static", "", false, 0},
    {IDD_FAX_ROW, IDC_FAXROW_REMOVE, "button", "", true, kOwner},
    {IDD_FAX_ROW, IDC_FAXROW_KIND, "button", "", true, kOwner},
    {IDD_FAX_ROW, IDC_FAXROW_PEOPLE, "button", "", false, kOwner},
    // contact picker
    {IDD_CONTACTS, IDC_PICK_TITLE, "static", "Select Contacts", true, 0},
    {IDD_CONTACTS, IDC_PICK_CLOSE, "button", "", true, kOwner},
    {IDD_CONTACTS, IDC_PICK_SEARCH, "edit", "", true, ES_AUTOHSCROLL},
    {IDD_CONTACTS, IDC_PICK_NAME_HEADING, "static", "Name", true, 0},
    {IDD_CONTACTS, IDC_PICK_SORT_ASCENDING, "button", "", false, kOwner},
    {IDD_CONTACTS, IDC_PICK_SORT_DESCENDING, "button", "", true, kOwner},
    {IDD_CONTACTS, IDC_PICK_FAX_HEADING, "static", "Fax", true, 0},
    {IDD_CONTACTS, IDC_PICK_PAGE_SIZE, "static", "20", true, 0},
    {IDD_CONTACTS, IDC_PICK_PAGE_SIZE_UP, "button", "", true, kOwner},
    {IDD_CONTACTS, IDC_PICK_PAGE_SIZE_DOWN, "button", "", true, kOwner},
    {IDD_CONTACTS, IDC_PICK_RANGE, "static", "", true, 0},
    {IDD_CONTACTS, IDC_PICK_PREVIOUS, "button", "", true, kOwner},
    {IDD_CONTACTS, IDC_PICK_NEXT, "button", "", true, kOwner},
    {IDD_CONTACTS, IDC_PICK_SELECT, "button", "", true, kOwner},
    // contact row
    {IDD_CONTACT_ROW, IDC_CONROW_KIND, "button", "", true, kOwner},
    {IDD_CONTACT_ROW, IDC_CONROW_NAME, "static", "", true, 0},
    {IDD_CONTACT_ROW, IDC_CONROW_MEMBER_ICON, "button", "", false, kOwner},
    {IDD_CONTACT_ROW, IDC_CONROW_MEMBER_COUNT, "static", "", true, 0},
    {IDD_CONTACT_ROW, IDC_CONROW_FAX, "static", "", true, 0},
    {IDD_CONTACT_ROW, IDC_CONROW_HIDE_MEMBERS, "button", "", false, kOwner},
    {IDD_CONTACT_ROW, IDC_CONROW_SHOW_MEMBERS, "button", "", false, kOwner},
};

const int kDialogsWithControls[] = {IDD_KEY_SETUP, IDD_SEND_FAX, IDD_FAX_ROW, IDD_CONTACTS, IDD_CONTACT_ROW};

TEST(DialogTemplates, HoldTheControlsTheWindowsUse) {
    for (int dialog_id : kDialogsWithControls) {
        const DialogTemplate t = ReadDialogTemplate(dialog_id);
        ASSERT_TRUE(t.ok) << dialog_id;
        size_t expected_count = 0;
        for (const ControlCase& c : kControls) {
            if (c.dialog != dialog_id) continue;
            ++expected_count;
            SCOPED_TRACE(::testing::Message() << "dialog " << dialog_id << " control " << c.id);
            const TemplateItem* item = FindItem(t, c.id);
            ASSERT_NE(item, nullptr);
            EXPECT_EQ(item->cls, c.cls);
            EXPECT_EQ(item->text, c.text);
            EXPECT_EQ((item->style & WS_VISIBLE) != 0, c.visible);
            if (item->cls == "button") {
                EXPECT_EQ(item->style & BS_TYPEMASK, c.must & BS_TYPEMASK);
                EXPECT_EQ(item->style & c.must & ~BS_TYPEMASK, c.must & ~BS_TYPEMASK);
            } else {
                EXPECT_EQ(item->style & c.must, c.must);
            }
            // Labels let clicks through to the window (dragging, row ticks);
            // only the fax row's number takes the mouse, for its tool tip.
            if (item->cls == "static") {
                const bool tool_tip = dialog_id == IDD_FAX_ROW && c.id == IDC_FAXROW_TEXT;
                EXPECT_EQ((item->style & SS_NOTIFY) != 0, tool_tip);
            }
            // fields sit on boxes painted by the background
            if (item->cls == "edit") {
                EXPECT_EQ(item->style & WS_BORDER, 0u);
            }
        }
        EXPECT_EQ(t.items.size(), expected_count) << "dialog " << dialog_id << " holds controls nobody uses";
    }
    const DialogTemplate send = ReadDialogTemplate(IDD_SEND_FAX);
    ASSERT_NE(FindItem(send, IDC_SEND_COVER_LIST), nullptr);
    EXPECT_EQ(FindItem(send, IDC_SEND_COVER_LIST)->ex_style & WS_EX_TRANSPARENT, static_cast<DWORD>(WS_EX_TRANSPARENT));
}

TEST(DialogTemplates, PanelsHaveNoControls) {
    for (int id : {IDD_FAX_PANEL, IDD_CONTACT_PANEL}) {
        const DialogTemplate t = ReadDialogTemplate(id);
        ASSERT_TRUE(t.ok);
        EXPECT_TRUE(t.items.empty()) << id;
    }
}

std::vector<int> TabStopOrder(const DialogTemplate& t) {
    std::vector<int> ids;
    for (const TemplateItem& item : t.items)
        if (item.style & WS_TABSTOP) ids.push_back(item.id);
    return ids;
}

// Creation order is the tab order until the windows place their controls.
TEST(DialogTemplates, TabStopsComeInTheWindowsOrder) {
    const std::vector<int> key_order = {IDC_KEY_FIELD, IDC_KEY_SETUP, IDC_KEY_MINIMISE, IDC_KEY_CLOSE,
                                        IDC_KEY_PASSWORD};
    EXPECT_EQ(TabStopOrder(ReadDialogTemplate(IDD_KEY_SETUP)), key_order);
    // (the hidden country list never takes part)
    const std::vector<int> send_order = {
        IDC_SEND_MINIMISE,   IDC_SEND_CLOSE,         IDC_SEND_KEY,           IDC_SEND_NUMBER,  IDC_SEND_CONTACTS,
        IDC_SEND_ADD,        IDC_SEND_COVER_TURN_ON, IDC_SEND_DELIVER_TO,    IDC_SEND_SUBJECT, IDC_SEND_NOTES,
        IDC_SEND_COVER_LIST, IDC_SEND_SEND,          IDC_SEND_COVER_TURN_OFF};
    std::vector<int> send = TabStopOrder(ReadDialogTemplate(IDD_SEND_FAX));
    send.erase(std::remove(send.begin(), send.end(), IDC_SEND_COUNTRY_LIST), send.end());
    EXPECT_EQ(send, send_order);
    const std::vector<int> pick_order = {IDC_PICK_CLOSE,           IDC_PICK_SEARCH,       IDC_PICK_SORT_ASCENDING,
                                         IDC_PICK_SORT_DESCENDING, IDC_PICK_PAGE_SIZE_UP, IDC_PICK_PAGE_SIZE_DOWN,
                                         IDC_PICK_PREVIOUS,        IDC_PICK_NEXT,         IDC_PICK_SELECT};
    EXPECT_EQ(TabStopOrder(ReadDialogTemplate(IDD_CONTACTS)), pick_order);
}

// Enter in the send window and in the picker's search box must give the
// dialog's own OK command, not a click on one of the image buttons.
TEST(DialogTemplates, OnlyTheKeySetupHasADefaultButton) {
    for (int id : {IDD_SEND_FAX, IDD_CONTACTS, IDD_FAX_ROW, IDD_CONTACT_ROW}) {
        for (const TemplateItem& item : ReadDialogTemplate(id).items) {
            if (item.cls == "button") {
                EXPECT_NE(item.style & BS_TYPEMASK, static_cast<DWORD>(BS_DEFPUSHBUTTON)) << item.id;
            }
        }
    }
}

// Every template makes a real dialog. The copies are created hidden: mapping
// and unmapping top-level windows is slow without a window manager.
INT_PTR CALLBACK QuietDialogProc(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

HWND CreateHidden(int id, HWND parent) {
    const Bytes bytes = ResourceBytes(id, MAKEINTRESOURCEA(5));
    if (bytes.size < 16) return nullptr;
    std::vector<unsigned char> copy(bytes.data, bytes.data + bytes.size);
    DWORD style;
    memcpy(&style, copy.data() + 12, 4);
    style &= ~static_cast<DWORD>(WS_VISIBLE);
    memcpy(copy.data() + 12, &style, 4);
    return CreateDialogIndirectParamA(GetModuleHandleA(nullptr), reinterpret_cast<LPCDLGTEMPLATEA>(copy.data()), parent,
                                      QuietDialogProc, 0);
}

TEST(DialogTemplates, CreateRealDialogs) {
    HWND host = CreateWindowExA(0, "STATIC", "host", WS_POPUP, 0, 0, 800, 700, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(host, nullptr);
    for (int id : {IDD_ABOUTBOX, IDD_KEY_SETUP, IDD_SEND_FAX, IDD_FAX_PANEL, IDD_FAX_ROW, IDD_CONTACTS,
                   IDD_CONTACT_PANEL, IDD_CONTACT_ROW}) {
        SCOPED_TRACE(id);
        const DialogTemplate t = ReadDialogTemplate(id);
        HWND dialog = CreateHidden(id, (t.style & WS_CHILD) ? host : nullptr);
        ASSERT_NE(dialog, nullptr);
        for (const ControlCase& c : kControls) {
            if (c.dialog == id) {
                EXPECT_NE(GetDlgItem(dialog, c.id), nullptr) << c.id;
            }
        }
        HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
        LOGFONTA face = {};
        ASSERT_TRUE(font && GetObjectA(font, sizeof face, &face));
        EXPECT_STREQ(face.lfFaceName, "Segoe UI");
        if (id == IDD_KEY_SETUP) {
            EXPECT_EQ(LOWORD(SendMessageA(dialog, DM_GETDEFID, 0, 0)), IDC_KEY_SETUP);
        }
        DestroyWindow(dialog);
    }
    DestroyWindow(host);
}

// ---------------------------------------------------------------- bitmaps

TEST(Bitmaps, HaveTheSizesOfTheirWindows) {
    struct Case {
        int id, width, height;
    } const cases[] = {
        {IDB_KEY_SETUP_BACKGROUND, 565, 532},  {IDB_SEND_LOADING_BACKGROUND, 565, 532},
        {IDB_SEND_PAGE1_BACKGROUND, 565, 620}, {IDB_SEND_PAGE2_BACKGROUND, 565, 620},
        {IDB_FAX_ROW_BACKGROUND, 336, 45},     {IDB_FAX_PANEL_BACKGROUND, 336, 36},
        {IDB_CONTACTS_BACKGROUND, 720, 620},   {IDB_CONTACT_ROW_SELECTED, 580, 45},
        {IDB_CONTACT_ROW_MEMBER, 580, 45},     {IDB_CONTACT_ROW_NORMAL, 580, 45},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        HBITMAP bitmap = LoadBitmapA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(c.id));
        ASSERT_NE(bitmap, nullptr);
        BITMAP info = {};
        ASSERT_TRUE(GetObjectA(bitmap, sizeof info, &info));
        EXPECT_EQ(info.bmWidth, c.width);
        EXPECT_EQ(info.bmHeight, c.height);
        DeleteObject(bitmap);

        Bytes raw = ResourceBytes(c.id, MAKEINTRESOURCEA(2) /* RT_BITMAP */);
        ASSERT_GE(raw.size, sizeof(BITMAPINFOHEADER));
        BITMAPINFOHEADER header;
        memcpy(&header, raw.data, sizeof header);
        EXPECT_EQ(header.biBitCount, 24);
        EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
    }
    // the selected row must look different from the normal one
    Bytes normal = ResourceBytes(IDB_CONTACT_ROW_NORMAL, MAKEINTRESOURCEA(2));
    Bytes selected = ResourceBytes(IDB_CONTACT_ROW_SELECTED, MAKEINTRESOURCEA(2));
    ASSERT_EQ(normal.size, selected.size);
    EXPECT_NE(memcmp(normal.data, selected.data, normal.size), 0);
}

// ---------------------------------------------------------------- PNG faces

uint32_t BigEndian32(const unsigned char* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}

struct PngHeader {
    bool ok = false;
    uint32_t width = 0, height = 0;
    int depth = 0, colour_type = 0;
};

PngHeader ReadPngHeader(const Bytes& png) {
    static const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PngHeader h;
    if (png.size < 33 || memcmp(png.data, kSignature, 8) != 0 || memcmp(png.data + 12, "IHDR", 4) != 0) return h;
    h.ok = BigEndian32(png.data + 8) == 13;
    h.width = BigEndian32(png.data + 16);
    h.height = BigEndian32(png.data + 20);
    h.depth = png.data[24];
    h.colour_type = png.data[25];
    return h;
}

TEST(PngImages, AreRgbaAtTheSizeOfTheirButton) {
    struct Case {
        int first, last, width, height;
    } const cases[] = {
        {IDP_PASSWORD_TOGGLE, IDP_PASSWORD_TOGGLE, 40, 24},
        {IDP_MINIMISE_PRESSED_ALT, IDP_MINIMISE_PRESSED_ALT, 12, 12},
        {IDP_CLOSE_HOVER, IDP_CLOSE_PRESSED, 12, 12},
        {IDP_SETUP_HOVER, IDP_SETUP_PRESSED, 160, 40},
        {IDP_MINIMISE_HOVER, IDP_MINIMISE_PRESSED, 12, 12},
        {IDP_ADD_HOVER, IDP_ADD_PRESSED, 30, 30},
        {IDP_REMOVE_HOVER, IDP_REMOVE_PRESSED, 30, 30},
        {IDP_KIND_NUMBER, IDP_KIND_NUMBER, 16, 16},
        {IDP_COVER_OFF, IDP_COVER_ON, 88, 26},
        {IDP_SEND_HOVER, IDP_SEND_PRESSED, 160, 40},
        {IDP_FLAG_FIRST, IDP_FLAG_LAST, 16, 16},
        {IDP_KEY_HOVER, IDP_KEY_PRESSED, 48, 48},
        {IDP_COUNTRY_MENU, IDP_COUNTRY_MENU, 16, 16},
        {IDP_CONTACTS_HOVER, IDP_CONTACTS_PRESSED, 30, 30},
        {IDP_SORT_DOWN, IDP_SORT_UP, 20, 20},
        {IDP_PREVIOUS_HOVER, IDP_PREVIOUS_PRESSED, 45, 45},
        {IDP_NEXT_HOVER, IDP_NEXT_PRESSED, 45, 45},
        {IDP_PAGE_SIZE_DOWN, IDP_PAGE_SIZE_UP, 10, 10},
        {IDP_KIND_ORGANISATION, IDP_KIND_PERSON, 20, 20},
        {IDP_SHOW_MEMBERS_HOVER, IDP_HIDE_MEMBERS_PRESSED, 16, 16},
        {IDP_SELECT_HOVER, IDP_SELECT_PRESSED, 160, 45},
    };
    for (const Case& c : cases) {
        for (int id = c.first; id <= c.last; ++id) {
            SCOPED_TRACE(id);
            const PngHeader h = ReadPngHeader(ResourceBytes(id, "PNG"));
            ASSERT_TRUE(h.ok);
            EXPECT_EQ(h.width, static_cast<uint32_t>(c.width));
            EXPECT_EQ(h.height, static_cast<uint32_t>(c.height));
            EXPECT_EQ(h.depth, 8);
            EXPECT_EQ(h.colour_type, 6) << "32-bit RGBA";
        }
    }
    // A button's three faces differ from each other.
    for (int standard : {IDP_CLOSE, IDP_SETUP, IDP_MINIMISE, IDP_ADD, IDP_REMOVE, IDP_SEND, IDP_KEY, IDP_CONTACTS,
                         IDP_PREVIOUS, IDP_NEXT, IDP_SHOW_MEMBERS, IDP_HIDE_MEMBERS, IDP_SELECT}) {
        Bytes n = ResourceBytes(standard, "PNG"), hover = ResourceBytes(standard - 1, "PNG"),
              pressed = ResourceBytes(standard + 1, "PNG");
        auto same = [](const Bytes& a, const Bytes& b) { return a.size == b.size && !memcmp(a.data, b.data, a.size); };
        EXPECT_FALSE(same(n, hover)) << standard;
        EXPECT_FALSE(same(n, pressed)) << standard;
        EXPECT_FALSE(same(hover, pressed)) << standard;
    }
}

// The buttons draw their faces with GDI+ over the captured window
// background: every face must decode, and its edge must let that background
// through.
class PngDecoding : public ::testing::Test {
protected:
    void SetUp() override {
        Gdiplus::GdiplusStartupInput input;
        ASSERT_EQ(Gdiplus::GdiplusStartup(&token_, &input, nullptr), Gdiplus::Ok);
    }
    void TearDown() override { Gdiplus::GdiplusShutdown(token_); }
    ULONG_PTR token_ = 0;
};

TEST_F(PngDecoding, EveryFaceDecodesWithATransparentEdge) {
    std::vector<int> ids;
    for (int id = 140; id <= 440; ++id) {
        if (FindResourceA(nullptr, MAKEINTRESOURCEA(id), "PNG")) ids.push_back(id);
    }
    ASSERT_GE(ids.size(), 230u + 40u);
    for (int id : ids) {
        SCOPED_TRACE(id);
        const Bytes png = ResourceBytes(id, "PNG");
        const PngHeader header = ReadPngHeader(png);
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, png.size);
        ASSERT_NE(block, nullptr);
        memcpy(GlobalLock(block), png.data, png.size);
        GlobalUnlock(block);
        IStream* stream = nullptr;
        ASSERT_TRUE(SUCCEEDED(CreateStreamOnHGlobal(block, TRUE, &stream)));
        {
            Gdiplus::Bitmap bitmap(stream, FALSE);
            ASSERT_EQ(bitmap.GetLastStatus(), Gdiplus::Ok);
            ASSERT_EQ(bitmap.GetWidth(), header.width);
            ASSERT_EQ(bitmap.GetHeight(), header.height);
            Gdiplus::Color corner;
            bitmap.GetPixel(0, 0, &corner);
            EXPECT_EQ(corner.GetAlpha(), 0);
            bool drawn = false;
            for (UINT y = 0; y < bitmap.GetHeight() && !drawn; ++y) {
                for (UINT x = 0; x < bitmap.GetWidth() && !drawn; ++x) {
                    Gdiplus::Color c;
                    bitmap.GetPixel(x, y, &c);
                    drawn = c.GetAlpha() == 255;
                }
            }
            EXPECT_TRUE(drawn) << "an empty face";
        }
        stream->Release();
    }
}

// ---------------------------------------------------------------- loading GIF

uint16_t Little16(const unsigned char* p) { return uint16_t(p[0] | (p[1] << 8)); }

struct GifFrame {
    size_t start = 0, length = 0;  // graphic control extension through image data
    int delay = -1, disposal = -1;
    int left = 0, top = 0, width = 0, height = 0;
};

// Walks the block chain; returns false on a malformed chain.
bool ReadGif(const Bytes& gif, size_t* preamble, std::vector<GifFrame>* frames) {
    if (gif.size < 13 || memcmp(gif.data, "GIF89a", 6) != 0) return false;
    size_t pos = 13;
    if (gif.data[10] & 0x80) pos += 3u << ((gif.data[10] & 7) + 1);
    *preamble = pos;
    auto skip_sub_blocks = [&](size_t p) -> size_t {
        while (p < gif.size && gif.data[p] != 0) p += gif.data[p] + 1u;
        return p < gif.size ? p + 1 : 0;
    };
    GifFrame pending;
    bool have_control = false;
    while (pos < gif.size) {
        const unsigned char kind = gif.data[pos];
        if (kind == 0x3B) return pos + 1 == gif.size;
        if (kind == 0x21 && pos + 1 < gif.size) {
            const unsigned char label = gif.data[pos + 1];
            if (label == 0xF9) {
                if (pos + 8 > gif.size) return false;
                pending = GifFrame();
                pending.start = pos;
                pending.disposal = (gif.data[pos + 3] >> 2) & 7;
                pending.delay = Little16(gif.data + pos + 4);
                have_control = true;
                pos += 8;
            } else {
                pos = skip_sub_blocks(pos + 2);
                if (!pos) return false;
            }
        } else if (kind == 0x2C) {
            if (pos + 10 > gif.size || !have_control) return false;
            pending.left = Little16(gif.data + pos + 1);
            pending.top = Little16(gif.data + pos + 3);
            pending.width = Little16(gif.data + pos + 5);
            pending.height = Little16(gif.data + pos + 7);
            size_t p = pos + 10;
            if (gif.data[pos + 9] & 0x80) p += 3u << ((gif.data[pos + 9] & 7) + 1);
            p = skip_sub_blocks(p + 1);
            if (!p) return false;
            pending.length = p - pending.start;
            frames->push_back(pending);
            have_control = false;
            pos = p;
        } else {
            return false;
        }
    }
    return false;
}

// Decodes one frame the way the picture box does: a one-frame GIF through OLE.
std::vector<uint32_t> DecodeFrame(const Bytes& gif, size_t preamble, const GifFrame& frame) {
    std::vector<unsigned char> single(gif.data, gif.data + preamble);
    single.insert(single.end(), gif.data + frame.start, gif.data + frame.start + frame.length);
    single.push_back(0x3B);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, single.size());
    if (!block) return {};
    memcpy(GlobalLock(block), single.data(), single.size());
    GlobalUnlock(block);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(block, TRUE, &stream))) {
        GlobalFree(block);
        return {};
    }
    IPicture* picture = nullptr;
    HRESULT hr = OleLoadPicture(stream, static_cast<LONG>(single.size()), FALSE, IID_IPicture,
                                reinterpret_cast<void**>(&picture));
    stream->Release();
    if (FAILED(hr) || !picture) return {};

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 74;
    info.bmiHeader.biHeight = -8;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, dib);
    OLE_XSIZE_HIMETRIC hm_width = 0;
    OLE_YSIZE_HIMETRIC hm_height = 0;
    picture->get_Width(&hm_width);
    picture->get_Height(&hm_height);
    std::vector<uint32_t> pixels;
    if (SUCCEEDED(picture->Render(dc, 0, 0, 74, 8, 0, hm_height, hm_width, -hm_height, nullptr))) {
        GdiFlush();
        const uint32_t* p = static_cast<const uint32_t*>(bits);
        pixels.assign(p, p + 74 * 8);
    }
    SelectObject(dc, old);
    DeleteObject(dib);
    DeleteDC(dc);
    picture->Release();
    return pixels;
}

class LoadingGif : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
    void TearDown() override { OleUninitialize(); }
};

TEST_F(LoadingGif, Has17FramesOf74x8ShownFor9HundredthsEach) {
    const Bytes gif = ResourceBytes(IDR_LOADING_GIF, "GIF");
    ASSERT_NE(gif.data, nullptr);
    EXPECT_EQ(Little16(gif.data + 6), 74);
    EXPECT_EQ(Little16(gif.data + 8), 8);
    size_t preamble = 0;
    std::vector<GifFrame> frames;
    ASSERT_TRUE(ReadGif(gif, &preamble, &frames));
    ASSERT_EQ(frames.size(), 17u);
    for (size_t i = 0; i < frames.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(frames[i].width, 74);
        EXPECT_EQ(frames[i].height, 8);
        EXPECT_EQ(frames[i].left, 0);
        EXPECT_EQ(frames[i].top, 0);
        EXPECT_EQ(frames[i].delay, 9);
        EXPECT_EQ(frames[i].disposal, 2);
    }
}

TEST_F(LoadingGif, EveryFrameDecodesAndTheBarMoves) {
    const Bytes gif = ResourceBytes(IDR_LOADING_GIF, "GIF");
    size_t preamble = 0;
    std::vector<GifFrame> frames;
    ASSERT_TRUE(ReadGif(gif, &preamble, &frames));
    ASSERT_EQ(frames.size(), 17u);
    std::vector<std::vector<uint32_t>> pictures;
    for (const GifFrame& frame : frames) {
        pictures.push_back(DecodeFrame(gif, preamble, frame));
        ASSERT_EQ(pictures.back().size(), 74u * 8u) << "frame " << pictures.size() - 1 << " does not decode";
    }
    for (size_t i = 0; i + 1 < pictures.size(); ++i) EXPECT_NE(pictures[i], pictures[i + 1]) << "frames " << i;
    // a frame is not one flat colour
    std::set<uint32_t> colours(pictures[8].begin(), pictures[8].end());
    EXPECT_GT(colours.size(), 2u);
}

// ---------------------------------------------------------------- icon

TEST(ProgramIcon, LoadsAtTheUsualSizes) {
    for (int size : {16, 32, 48}) {
        HICON icon = static_cast<HICON>(
            LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, size, size, 0));
        ASSERT_NE(icon, nullptr) << size;
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(icon, &info));
        BITMAP colour = {};
        ASSERT_TRUE(info.hbmColor && GetObjectA(info.hbmColor, sizeof colour, &colour));
        EXPECT_EQ(colour.bmWidth, size);
        EXPECT_EQ(colour.bmHeight, size);
        DeleteObject(info.hbmColor);
        DeleteObject(info.hbmMask);
        DestroyIcon(icon);
    }
}

}  // namespace
