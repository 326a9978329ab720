#pragma once
// The information text of a city on the world map: name, country, position, daylight-saving
// state and window, and the UTC offset, six lines joined by "\n".

#include "worldmap/SunTimes.h"

#include "platform/base/CString.h"
#include "platform/base/WinTypes.h"

class CCitiesDb;

// The text for the city at cityIndex. window is the city's own daylight-saving window for the
// current year (as the clocks evaluate its rule); instant is the moment the state is judged
// at: the selected city's current date and whole hour as the map shows them.
CString BuildCityInfoText(CCitiesDb& cities, DWORD cityIndex, const CityDstWindow& window, time_t instant);

// "5h30" for 530, "-10h" for -10: the offset text as stored, "h" before the minutes.
CString FormatOffsetText(const CString& offsetText);

// Shows a city information text in the box the map uses, owned by owner.
void ShowCityInfoText(HWND owner, const CString& text);
