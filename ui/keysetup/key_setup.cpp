#include "ui/keysetup/key_setup.h"

#include "base/settings_store.h"
#include "resource.h"
#include "service/http_exchange.h"
#include "service/response_scanning.h"
#include "service/service_endpoint.h"

const char kKeySetupFontFace[] = "Segoe UI";
const char kEnterUsernameText[] = "Enter Username";

const ControlPlace kKeySetupLayout[] = {
    {IDC_KEY_TITLE, 25, 8, 250, 22, 12},    {IDC_KEY_HEADING, 96, 160, 480, 38, 20},
    {IDC_KEY_LABEL, 102, 233, 200, 24, 13}, {IDC_KEY_FIELD, 108, 263, 348, 38, 14},
    {IDC_KEY_SETUP, 202, 472, 160, 40, 0},  {IDC_KEY_MINIMISE, 496, 12, 12, 12, 0},
    {IDC_KEY_CLOSE, 533, 12, 12, 12, 0},    {IDC_KEY_PASSWORD_TOGGLE, 530, 452, 40, 24, 0},
};
const int kKeySetupLayoutCount = sizeof kKeySetupLayout / sizeof kKeySetupLayout[0];

const ButtonFaces kKeySetupButtonFaces[] = {
    {IDC_KEY_SETUP, IDP_SETUP_PRESSED, IDP_SETUP, IDP_SETUP_HOVER, IDP_SETUP_PRESSED},
    {IDC_KEY_MINIMISE, IDP_MINIMISE_PRESSED_ALT, IDP_MINIMISE, IDP_MINIMISE_HOVER, IDP_MINIMISE_PRESSED},
    {IDC_KEY_CLOSE, IDP_CLOSE_PRESSED, IDP_CLOSE, IDP_CLOSE_HOVER, IDP_CLOSE_PRESSED},
    {IDC_KEY_PASSWORD_TOGGLE, IDP_PASSWORD_TOGGLE, IDP_PASSWORD_TOGGLE, IDP_PASSWORD_TOGGLE, IDP_PASSWORD_TOGGLE},
};
const int kKeySetupButtonFaceCount = sizeof kKeySetupButtonFaces / sizeof kKeySetupButtonFaces[0];

bool IsKeyAcceptable(const CString& key) { return IsHeaderSafe(key) && key.GetLength() < kSettingsBufferSize; }

bool SetUpKey(const CString& key, bool silent, const CString& app_name, Notifier& notifier,
              const AccountLookupFn& lookup) {
    if (key.IsEmpty()) {
        if (!silent) notifier.Show(kEnterUsernameText, app_name, kIconExclamation);
        return false;
    }
    if (!IsKeyAcceptable(key)) {
        if (!silent) notifier.Show(kInvalidKeyText, kServiceCaption, kIconHand);
        return false;
    }
    if (lookup(key, silent, notifier) < 0) return false;
    WriteSetting(kSettingsSection, "USERNAME", key.GetString());
    WriteSetting(kSettingsSection, "PASSWORD", key.GetString());
    return true;
}
