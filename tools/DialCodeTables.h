#pragma once
// The two fixed tables of the dialing and area codes tool: the international dialing codes of
// 244 countries and territories with their UTC offsets, and 259 US area codes with their city and
// state. Built once at start-up from the program's own text and never changed. Trailing blanks
// are part of the texts and are shown as stored.

#include "platform/base/CString.h"

struct DialingCodeRow {
    CString country; // as shown in the "Country" column
    CString code;    // without the leading "+"
    CString offset;  // "+5.5", "-6", "+x" where unknown
};

struct AreaCodeRow {
    CString region; // "Ohio(OH)"
    CString city;
    CString code; // "+330"
};

inline constexpr int kDialingCodeRowCount = 244;
inline constexpr int kAreaCodeRowCount = 259;

// The tables in their fixed order; each holds exactly its row count.
const DialingCodeRow* DialingCodeTable();
const AreaCodeRow* AreaCodeTable();
