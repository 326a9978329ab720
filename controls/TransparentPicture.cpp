#include "controls/TransparentPicture.h"

#include "platform/framework/GdiObjects.h"
#include "platform/framework/WindowDC.h"

BEGIN_MESSAGE_MAP(CTransparentPicture, CWnd)
    ON_WM_PAINT()
END_MESSAGE_MAP()

void CTransparentPicture::OnPaint() {
    CPaintDC dc(this);
    CRect client;
    GetClientRect(&client);
    const int w = client.Width();
    const int h = client.Height();
    // With no bitmap the control is wholly transparent: the page shows through.
    auto held = reinterpret_cast<HBITMAP>(SendMessage(STM_GETIMAGE, IMAGE_BITMAP));
    BITMAP info{};
    if (w <= 0 || h <= 0 || !held || !::GetObjectW(held, sizeof(info), &info)) return;

    // The picture stretched over the transparent colour.
    CDC image;
    image.CreateCompatibleDC(&dc);
    CBitmap imageBitmap;
    imageBitmap.CreateCompatibleBitmap(&dc, w, h);
    CBitmap* oldImage = image.SelectObject(&imageBitmap);
    image.FillSolidRect(0, 0, w, h, kTransparentColor);
    CDC picture;
    picture.CreateCompatibleDC(&dc);
    HGDIOBJ oldPicture = ::SelectObject(picture, held);
    image.StretchBlt(0, 0, w, h, &picture, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    ::SelectObject(picture, oldPicture);

    // Mask: 1 where the image has exactly the transparent colour.
    CDC mask;
    mask.CreateCompatibleDC(&dc);
    CBitmap maskBitmap;
    maskBitmap.CreateBitmap(w, h, 1, 1, nullptr);
    CBitmap* oldMask = mask.SelectObject(&maskBitmap);
    const COLORREF oldBack = image.SetBkColor(kTransparentColor);
    mask.BitBlt(0, 0, w, h, &image, 0, 0, SRCCOPY);
    image.SetBkColor(oldBack);

    constexpr DWORD kKeepDestination = 0x00AA0029; // D
    constexpr DWORD kImageAndNotMask = 0x00220326; // D AND NOT S
    if (!::MaskBlt(dc, 0, 0, w, h, image, 0, 0, maskBitmap, 0, 0, MAKEROP4(kKeepDestination, SRCCOPY))) {
        // The same through a scratch image: screen AND mask, OR the image without its
        // transparent pixels.
        CDC scratch;
        scratch.CreateCompatibleDC(&dc);
        CBitmap scratchBitmap;
        scratchBitmap.CreateCompatibleBitmap(&dc, w, h);
        CBitmap* oldScratch = scratch.SelectObject(&scratchBitmap);
        scratch.BitBlt(0, 0, w, h, &dc, 0, 0, SRCCOPY);
        scratch.BitBlt(0, 0, w, h, &mask, 0, 0, SRCAND);
        image.BitBlt(0, 0, w, h, &mask, 0, 0, kImageAndNotMask);
        scratch.BitBlt(0, 0, w, h, &image, 0, 0, SRCPAINT);
        dc.BitBlt(0, 0, w, h, &scratch, 0, 0, SRCCOPY);
        scratch.SelectObject(oldScratch);
    }
    mask.SelectObject(oldMask);
    image.SelectObject(oldImage);
}
