#pragma once
// The input panel (the on-screen keyboard at the bottom of the screen): its state, the space it
// takes and the calls that raise and lower it.

#include "platform/ui/WinUser.h"

#define SIPF_OFF 0x00000000u
#define SIPF_ON 0x00000001u
#define SIPF_DOCKED 0x00000002u
#define SIPF_LOCKED 0x00000004u

struct SIPINFO {
    DWORD cbSize;
    DWORD fdwFlags;
    RECT rcVisibleDesktop; // the part of the work area the panel leaves visible
    RECT rcSipRect;        // the panel's rectangle on the screen
    DWORD dwImDataSize;
    void* pvImData;
};
typedef SIPINFO* PSIPINFO;

enum SIPSTATE { SIP_UP = 0, SIP_DOWN = 1, SIP_FORCEDOWN = 2, SIP_UNCHANGED = 3, SIP_INPUTDIALOG = 4 };

// Fills info (cbSize must be set to sizeof(SIPINFO)).
BOOL SipGetInfo(SIPINFO* info);
// SIPF_ON raises the panel, SIPF_OFF lowers it.
BOOL SipShowIM(DWORD flags);
// A window's wish for the panel: SIP_UP raises it, SIP_DOWN and SIP_FORCEDOWN lower it.
BOOL SHSipPreference(HWND hwnd, SIPSTATE state);
// The shell's form of SystemParametersInfoW for SPI_GETSIPINFO / SPI_SETSIPINFO.
BOOL SHSipInfo(UINT action, UINT param, PVOID value, UINT winIni);
