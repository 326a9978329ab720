// The city lists' texts, their filling, and the choice an open city list ends with.

#include "core/CityLists.h"

#include "platform/framework/WaitCursor.h"
#include "platform/framework/WindowDC.h"

#include <algorithm>

namespace {

CString Label(const CString& name, const CString& country, bool doubled) {
    return doubled ? name + L" (" + country + L")" : name;
}

} // namespace

std::vector<CString> ReadCityListLabels(CCitiesDb& cities) {
    std::vector<CString> names, countries;
    {
        CWaitCursor wait;
        // Reading moves the store's cursor to the next city; a read that does not move it (a
        // record the store cannot read) ends the walk instead of repeating it.
        cities.SeekFirst();
        while (!cities.IsEOF()) {
            const DWORD index = cities.GetCurrentIndex();
            names.push_back(cities.GetName(index));
            countries.push_back(cities.GetCountry(index));
            if (cities.GetCurrentIndex() <= index) break;
        }
    }
    std::vector<CString> labels;
    labels.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        const bool doubled = (i > 0 && names[i - 1] == names[i]) || (i + 1 < names.size() && names[i + 1] == names[i]);
        labels.push_back(Label(names[i], countries[i], doubled));
    }
    return labels;
}

CString CityListLabel(CCitiesDb& cities, DWORD index) {
    const CString name = cities.GetName(index);
    const bool doubled = (index > 0 && cities.GetName(index - 1) == name) ||
                         (index + 1 < cities.GetRecordCount() && cities.GetName(index + 1) == name);
    return Label(name, cities.GetCountry(index), doubled);
}

void FillCityCombo(CComboBox& combo, CCitiesDb& cities, bool widenDropDown) {
    const std::vector<CString> labels = ReadCityListLabels(cities);
    for (const CString& label : labels) combo.AddString(label);
    if (!widenDropDown) return;
    CClientDC dc(&combo);
    CFont* font = combo.GetFont();
    CFont* old = font ? dc.SelectObject(font) : nullptr;
    int widest = 0;
    for (const CString& label : labels) widest = std::max(widest, static_cast<int>(dc.GetTextExtent(label).cx));
    if (old) dc.SelectObject(old);
    const int wanted = widest + ::GetSystemMetrics(SM_CXVSCROLL) + 2 * ::GetSystemMetrics(SM_CXEDGE);
    combo.SetDroppedWidth(static_cast<UINT>(std::min(wanted, ::GetSystemMetrics(SM_CXSCREEN))));
}

void FillCityList(CListBox& list, CCitiesDb& cities) {
    for (const CString& label : ReadCityListLabels(cities)) list.AddString(label);
}

namespace {

// The item a typed text names: its text or its city's name, in any case.
bool Names(CComboBox& combo, CCitiesDb& cities, int item, const CString& text) {
    CString label;
    combo.GetLBText(item, label);
    return text.CompareNoCase(label) == 0 || text.CompareNoCase(cities.GetName(static_cast<DWORD>(item))) == 0;
}

// The city a typed text names: the highlighted one when it does (the open list follows the
// typing), else the item of that whole text, else the first of that name.
int TypedCity(CComboBox& combo, CCitiesDb& cities, int highlighted) {
    CString text;
    combo.GetWindowText(text);
    if (text.IsEmpty()) return -1;
    if (highlighted >= 0 && Names(combo, cities, highlighted, text)) return highlighted;
    const int whole = combo.FindStringExact(-1, text);
    if (whole >= 0) return whole;
    const int first = combo.FindString(-1, text);
    return first >= 0 && Names(combo, cities, first, text) ? first : -1;
}

} // namespace

int CityListChoice::Take(CComboBox& combo, CCitiesDb& cities) {
    const int highlighted = combo.GetCurSel();
    const int taken = m_picked ? highlighted : m_typed ? TypedCity(combo, cities, highlighted) : -1;
    Opened();
    return taken;
}
