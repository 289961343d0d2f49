// The key-setup window's decisions, without the window: where it sits, what
// the set-up action does with a key, and what it keeps. The window calls
// these and only adds the controls, the drawing and the message boxes.
#pragma once

#include "framework/cstring.h"
#include "framework/notifier.h"
#include "ui/common/window_layout.h"

#include <functional>

// Size of the window and its background bitmap.
constexpr int kKeySetupWidth = 565;
constexpr int kKeySetupHeight = 532;

// Top-left corner: centred in the full-screen area, lifted by this much.
constexpr int kKeySetupLift = 20;
constexpr WindowSize kKeySetupWindow = {kKeySetupWidth, kKeySetupHeight, kKeySetupLift};

// The controls placed at initialisation, in the order they are placed.
extern const ControlPlace kKeySetupLayout[];
extern const int kKeySetupLayoutCount;
// The four fonts, by character height.
constexpr int kKeySetupFontPixels[] = {12, 20, 13, 14};
constexpr int kKeySetupFontWeight = 500;
extern const char kKeySetupFontFace[];  // "Segoe UI"

// The faces of the image buttons.
extern const ButtonFaces kKeySetupButtonFaces[];
extern const int kKeySetupButtonFaceCount;

// Verifies a key with the service and reports to the user unless silent.
// Negative: failure (already reported); 0: accepted.
using AccountLookupFn = std::function<int(const CString& key, bool silent, Notifier& notifier)>;

extern const char kEnterUsernameText[];  // "Enter Username"

// Whether a key can be verified at all: one holding a control character
// could never travel in a header, and one the store cannot hold whole would
// be lost after it was reported as set up.
bool IsKeyAcceptable(const CString& key);

// The set-up action. The key is taken as typed (no trimming). An empty key
// asks for one ("Enter Username", captioned app_name); an unusable key is
// refused like a key the service rejects (kInvalidKeyText); otherwise the
// lookup decides. Only
// an accepted key is stored, as "USERNAME" and "PASSWORD". Returns whether it
// was stored. With silent set, no box is shown in any case.
bool SetUpKey(const CString& key, bool silent, const CString& app_name, Notifier& notifier,
              const AccountLookupFn& lookup);
