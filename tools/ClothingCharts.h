#pragma once
// The clothing size charts: ready-made title and four row texts per garment and gender, and the
// gender buttons each garment offers.

#include "platform/base/WinTypes.h"

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
