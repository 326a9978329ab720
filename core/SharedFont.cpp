#include "core/SharedFont.h"

int SharedFontSizeBase = 0;
CString SharedFontFace = L"Arial";
