#pragma once
// The two text files the main window reads at start-up: the currency list currs.lst, and a
// country's weather-city list in the weatcs folder (lines "name;code", closed by a ">" line).

#include "core/CurrenciesDb.h"

#include <vector>

// currs.lst: a count line, then count entries "code_name_rate#" with nothing between them. The
// list stops where the file ends, even when the count promises more. Each entry is read up to its
// "#": one that does not hold exactly two "_" keeps what can be read of it in its own place.
// damaged (when given) tells whether the file ended before its count or held such an entry.
std::vector<CurrencyListEntry> ReadCurrencyList(HANDLE file, bool* damaged = nullptr);

// The weather code of the line whose name field (the text before its first ";") is exactly
// name; false when no line before the closing ">" line, or the file's end, has that name.
// damaged (when given) tells whether a line before the name's (or the end) held no ";", or the
// name's line holds no code.
bool FindCountryWeatherCode(HANDLE file, const CString& name, CString& code, bool* damaged = nullptr);
