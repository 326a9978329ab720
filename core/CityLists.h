#pragma once
// The lists of cities the user picks from (the clocks' and the map's city lists, Home City,
// Edit cities): their texts, which tell apart cities of one name, and the choice an open city
// list ends with, taken from the item the user picked.

#include "core/CitiesDb.h"
#include "platform/framework/BasicControls.h"
#include "platform/framework/ListControls.h"

#include <vector>

// The text a city list shows for each city, in CityIndex order: the city's name, and where more
// than one city has that name, the name and its country in brackets ("Sydney (Canada)"), so that
// the user sees which is which. Cities of one name are neighbours in the store's order (it sorts
// on name, ":", country), so a name is doubled when a neighbour has it.
std::vector<CString> ReadCityListLabels(CCitiesDb& cities);
// The same text for one city.
CString CityListLabel(CCitiesDb& cities, DWORD index);

// Fills an empty combo box or list box with every city's text in CityIndex order, so that an
// item's position is the city's CityIndex. The combo's list opens as wide as its widest text,
// and never wider than the screen. The list box is told the width its widest text needs (it
// scrolls sideways to it when made with WS_HSCROLL), which FillCityList returns.
void FillCityCombo(CComboBox& combo, CCitiesDb& cities);
int FillCityList(CListBox& list, CCitiesDb& cities);

// The first item a typed text names, letter case aside: the item whose whole text it is, else
// the first city of that name (its text but for the country in brackets that tells cities of one
// name apart), so that "Porto" finds Porto before "Porto Alegre" and "Sydney" finds
// "Sydney (Australia)"; -1 for none.
int FindNamedCity(CComboBox& combo, const CString& text);

// What the user did in one open city list, for the choice it ends with. A move in the open list
// (keys, the stylus) is only a highlight; the highlighted item is taken when the list closes
// with OK (Return, a tap on an item), or when the user typed a text that names it (its text or
// its city's name, in any case) and then leaves the list. Escape and a tap outside take nothing.
class CityListChoice {
public:
    void Opened() { m_picked = m_typed = false; }
    // CBN_EDITCHANGE: the open list highlights the city the typed text names, where the list's
    // own search (the first item beginning with the text) found a longer name.
    void Typed(CComboBox& combo);
    void Moved() { m_typed = false; }   // CBN_SELCHANGE while the list is open
    void Picked() { m_picked = true; }  // CBN_SELENDOK
    // The CityIndex the user took, or -1; the choice is over afterwards.
    int Take(CComboBox& combo);

private:
    bool m_picked = false;
    bool m_typed = false;
};
