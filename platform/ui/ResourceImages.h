#pragma once
// Icons and bitmaps from a module's compiled resources. An icon resource is a group of image
// files (PNG or BMP) of several sizes, typically 16, 24 and 32 pixels; loading picks the image
// nearest the size asked for and scales it when it differs. A bitmap resource is one BMP file.
//
// Names are resource ids: MAKEINTRESOURCEW(id) or the text "#id". A null instance stands for the
// device's own standard icons (IDI_*).

#include "platform/ui/WinUser.h"

#ifndef IMAGE_BITMAP
#define IMAGE_BITMAP 0
#endif
#ifndef IMAGE_ICON
#define IMAGE_ICON 1
#endif
#ifndef IMAGE_CURSOR
#define IMAGE_CURSOR 2
#endif

#define LR_DEFAULTCOLOR 0x0000u
#define LR_MONOCHROME 0x0001u
#define LR_LOADFROMFILE 0x0010u
#define LR_DEFAULTSIZE 0x0040u
#define LR_SHARED 0x8000u

#define IDI_APPLICATION (reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>(32512)))
#define IDI_HAND (reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>(32513)))
#define IDI_QUESTION (reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>(32514)))
#define IDI_EXCLAMATION (reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>(32515)))
#define IDI_ASTERISK (reinterpret_cast<LPCWSTR>(static_cast<uintptr_t>(32516)))
#define IDI_WARNING IDI_EXCLAMATION
#define IDI_ERROR IDI_HAND
#define IDI_INFORMATION IDI_ASTERISK

// An icon of the standard size (SM_CXICON x SM_CYICON). Each call gives a new handle, which the
// caller may give back with DestroyIcon.
HICON LoadIconW(HINSTANCE instance, LPCWSTR name);
#define LoadIcon LoadIconW

// IMAGE_ICON or IMAGE_BITMAP. width/height 0: the standard icon size with LR_DEFAULTSIZE, otherwise
// the image's own size. LR_LOADFROMFILE: name is a device path of a picture file. Null, with
// ERROR_RESOURCE_NAME_NOT_FOUND, ERROR_RESOURCE_TYPE_NOT_FOUND, ERROR_FILE_NOT_FOUND or
// ERROR_INVALID_DATA, when there is nothing to load.
HANDLE LoadImageW(HINSTANCE instance, LPCWSTR name, UINT type, int width, int height, UINT flags);
#define LoadImage LoadImageW

// The bitmap at its own size (a new handle, deleted with DeleteObject).
HBITMAP LoadBitmapW(HINSTANCE instance, LPCWSTR name);
#define LoadBitmap LoadBitmapW
