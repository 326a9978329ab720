#pragma once
// pack.dat, the file of the packing lists: single-byte text lines ended by CR LF. A ">" line
// starts a category (its name on the next line), a "*" line starts a list (its name on the next
// line), every other line of a list is an item, its text followed by "1" (checked) or "0", and a
// last line "<" without line end closes the data.

#include "platform/base/CString.h"

#include <string>
#include <vector>

struct PackItem {
    CString text;
    bool checked = false;
};

struct PackList {
    CString name;
    std::vector<PackItem> items;
};

struct PackCategory {
    CString name;
    std::vector<PackList> lists; // list 0 first
};

using PackData = std::vector<PackCategory>;

inline constexpr int kMaxPackCategories = 10;
inline constexpr int kMaxPackLists = 10; // list 0 and nine further lists

// The categories of the file's text (each byte widened to one character). False when the text
// holds no data (empty, or not starting with a ">" line). A text that breaks the format or ends
// early keeps everything read before that point; a category left without a list gets an empty
// "All Items" list. Categories and lists beyond the limits are left out. damaged (when given)
// tells whether the text broke the format, ended before its "<" or went beyond the limits.
bool ParsePackingList(const std::wstring& text, PackData& data, bool* damaged = nullptr);
// The file's bytes for the categories.
std::string FormatPackingList(const PackData& data);

// Reads the file (created empty when missing). False when it holds no data or cannot be read.
bool ReadPackingListFile(LPCWSTR path, PackData& data, bool* damaged = nullptr);
// Replaces the whole file (written beside it, then renamed over it); false, with the old file
// kept whole, when it cannot be written.
bool WritePackingListFile(LPCWSTR path, const PackData& data);

// The set a first start shows: category "All" with the single empty list "All Items".
PackData DefaultPackingList();
