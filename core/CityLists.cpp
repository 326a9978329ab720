// The city lists' texts, their filling, and the choice an open city list ends with.

#include "core/CityLists.h"

#include "core/CommonHelpers.h"
#include "platform/framework/WaitCursor.h"

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

void FillCityCombo(CComboBox& combo, CCitiesDb& cities) {
    const std::vector<CString> labels = ReadCityListLabels(cities);
    for (const CString& label : labels) combo.AddString(label);
    const int wanted = WidestText(combo, labels) + kListTextMargins + ::GetSystemMetrics(SM_CXVSCROLL) +
                       2 * ::GetSystemMetrics(SM_CXEDGE);
    combo.SetDroppedWidth(static_cast<UINT>(std::min(wanted, ::GetSystemMetrics(SM_CXSCREEN))));
}

int FillCityList(CListBox& list, CCitiesDb& cities) {
    for (const CString& label : ReadCityListLabels(cities)) list.AddString(label);
    return FitListExtentToTexts(list);
}

namespace {

// Whether an item's text is the typed text, or the typed name with its country in brackets.
bool LabelNames(const CString& label, const CString& text) {
    if (label.CompareNoCase(text) == 0) return true;
    const int length = text.GetLength();
    return label.GetLength() > length + 2 && label.Left(length).CompareNoCase(text) == 0 &&
           label.Mid(length, 2) == L" (" && label.Right(1) == L")";
}

CString TypedText(CComboBox& combo) {
    CString text;
    combo.GetWindowText(text);
    return text;
}

} // namespace

int FindNamedCity(CComboBox& combo, const CString& text) {
    if (text.IsEmpty()) return -1;
    const int whole = combo.FindStringExact(-1, text);
    if (whole >= 0) return whole;
    const int noted = combo.FindString(-1, text + L" (");
    if (noted < 0) return -1;
    CString label;
    combo.GetLBText(noted, label);
    return LabelNames(label, text) ? noted : -1;
}

void CityListChoice::Typed(CComboBox& combo) {
    m_typed = true;
    if (!combo.GetDroppedState()) return;
    const int named = FindNamedCity(combo, TypedText(combo));
    if (named < 0 || named == combo.GetCurSel()) return;
    // Moved in the list itself: the field keeps the text as typed.
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    if (combo.GetComboBoxInfo(&info) && info.hwndList)
        ::SendMessage(info.hwndList, LB_SETCURSEL, static_cast<WPARAM>(named), 0);
}

int CityListChoice::Take(CComboBox& combo) {
    const int highlighted = combo.GetCurSel();
    int taken = -1;
    if (m_picked) {
        taken = highlighted;
    } else if (m_typed) {
        // The city the typed text names: the highlighted one when it does (the open list follows
        // the typing), else the first it names.
        const CString text = TypedText(combo);
        CString label;
        if (highlighted >= 0) combo.GetLBText(highlighted, label);
        taken = highlighted >= 0 && LabelNames(label, text) ? highlighted : FindNamedCity(combo, text);
    }
    Opened();
    return taken;
}
