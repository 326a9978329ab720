#pragma once
// The clothing size charts: ready-made title and four row texts per garment and gender, and the
// gender buttons each garment offers.

#include "platform/base/WinTypes.h"

#include <string>
#include <vector>

enum ClothingGarment { GarmentBras = 0, GarmentDresses, GarmentShirts, GarmentShoes, GarmentSuits, GarmentTrousers };
enum ClothingGender { GenderMen = 0, GenderWomen, GenderChildren };

inline constexpr int kClothingGarmentCount = 6;

struct ClothingChart {
    UINT titleId;         // string id of the title
    const wchar_t* rows[4]; // the rows, top to bottom
};

// The chart of a garment for a gender; null when the garment has no chart for it (or either
// value is out of range).
const ClothingChart* FindClothingChart(int garment, int gender);

// What choosing a garment shows: its chart's gender and which of the three buttons are enabled
// (bit 0 men, bit 1 women, bit 2 children).
struct GarmentChoice {
    ClothingGender gender;
    unsigned enabledButtons;
};
// False for a garment out of range.
bool GetGarmentChoice(int garment, GarmentChoice& choice);

// A chart's four rows split for drawing in columns. Each row is its sizing system's name and its
// sizes, each with the column it lines up under: the columns are those of the rows with the most
// sizes, and a shorter row's sizes go, in order, to the columns nearest where its blanks put
// them. A note in brackets stays with the size before it ("26 (rare)"). A row that is not a list
// of sizes ("(US/Japan) = 34/S ...") keeps the text after its name whole, and has no cells.
struct ClothingCell {
    int column = 0;
    std::wstring text;
};
struct ClothingRowCells {
    std::wstring name;
    std::vector<ClothingCell> cells;
    std::wstring text; // a row that is not a list of sizes: what follows the name
};
struct ClothingGrid {
    int columns = 0;
    ClothingRowCells rows[4];
};
ClothingGrid SplitClothingRows(const std::wstring (&rows)[4]);
