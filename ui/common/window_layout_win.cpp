#include "ui/common/window_layout_win.h"

#include "controls/bitmap_dialog.h"

#include <cstring>

void MakeFont(CFont& font, const CFont* base, const FontLook& look) {
    LOGFONTA description{};
    if (base && base->m_hObject) base->GetLogFont(&description);
    std::strncpy(description.lfFaceName, look.face, LF_FACESIZE - 1);
    description.lfFaceName[LF_FACESIZE - 1] = '\0';
    description.lfHeight = CBitmapDialog::FontHeight(look.pixels);
    description.lfWidth = 0;
    description.lfWeight = look.weight;
    if (look.quality) description.lfQuality = look.quality;
    font.CreateFontIndirect(&description);
}

void LoadFaces(CGdipButton& button, const ButtonFaces& faces) {
    button.LoadAlternateImage(faces.alternate, "PNG");
    button.LoadStandardImage(faces.standard, "PNG");
    button.LoadHoverImage(faces.hover, "PNG");
    button.LoadDisabledImage(faces.disabled, "PNG");
}

void PlaceCentred(CWnd& window, const WindowSize& size, const CWnd* z_order) {
    const WindowPlace place =
        CentredPlace(::GetSystemMetrics(SM_CXFULLSCREEN), ::GetSystemMetrics(SM_CYFULLSCREEN), size);
    window.SetWindowPos(z_order, place.left, place.top, size.width, size.height, 0);
}
