// How portable code tells the user something: the Windows build shows a
// message box owned by the acting window, tests record what would be shown.
#pragma once

#include "framework/cstring.h"

#include <vector>

// Message box icons, with the values the Windows API gives them.
enum NotifierIcon : unsigned {
    kIconHand = 0x10,         // MB_ICONHAND / MB_ICONERROR
    kIconExclamation = 0x30,  // MB_ICONEXCLAMATION
    kIconInformation = 0x40,  // MB_ICONINFORMATION
};

class Notifier {
public:
    virtual ~Notifier() = default;
    // An OK box with text, caption and icon; returns when it is dismissed.
    virtual void Show(const CString& text, const CString& caption, unsigned icon) = 0;
};

// Remembers every box instead of showing it.
class RecordingNotifier : public Notifier {
public:
    struct Box {
        CString text;
        CString caption;
        unsigned icon;
    };
    void Show(const CString& text, const CString& caption, unsigned icon) override {
        boxes.push_back({text, caption, icon});
    }
    std::vector<Box> boxes;
};
