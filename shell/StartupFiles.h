#pragma once
// The two text files the main window reads at start-up: the currency list currs.lst, and a
// country's weather-city list in the weatcs folder (lines "name;code", closed by a ">" line).

#include "core/CurrenciesDb.h"

#include <vector>

// currs.lst: a count line, then count entries "code_name_rate#" with nothing between them. The
// list stops where the file ends, even when the count promises more.
std::vector<CurrencyListEntry> ReadCurrencyList(HANDLE file);

// The weather code of the line whose name field (the text before its first ";") is exactly
// name; false when no line before the closing ">" line, or the file's end, has that name.
bool FindCountryWeatherCode(HANDLE file, const CString& name, CString& code);
