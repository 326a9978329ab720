#pragma once
// CTransparentPicture: shows the bitmap its static picture control holds, stretched to the
// control, with RGB(255, 0, 255) transparent so that the page behind shows through. The bitmap
// stays the static control's.

#include "platform/framework/Controls.h"
#include "platform/framework/MessageMap.h"

class CTransparentPicture : public CWnd {
public:
    CTransparentPicture() = default;

    // The colour that lets the background through.
    static constexpr COLORREF kTransparentColor = RGB(255, 0, 255);

protected:
    afx_msg void OnPaint();
    DECLARE_MESSAGE_MAP()
};
