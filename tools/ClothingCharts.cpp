#include "tools/ClothingCharts.h"

#include "resources/resource.h"

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <limits>

namespace {

// The rows keep their spacing: they line up in the row font.
const ClothingChart kWomenBras = {IDS_CHART_WOMEN_BRAS,
                                  {L"USA         30   32   34   36   38   40   42  44",
                                   L"Europe    65   70   75   80   85   90   95   100",
                                   L"France    80   85   90   95   100 105 110 115",
                                   L"INTL        60   65   70   75   80   85   90   95"}};
const ClothingChart kWomenDresses = {IDS_CHART_WOMEN_DRESSES,
                                     {L"USA        3   5   7    9   11  12  13  14  15  16  18",
                                      L"Europe  36 38 38  40  40  42  42  44  44  46  48",
                                      L"UK          8  10 11  12  13  14  15  16  17  18  20",
                                      L"Japan     2   4   6    8    9   11  12  13  14  15  17"}};
const ClothingChart kMenShirts = {IDS_CHART_MEN_SHIRTS,
                                  {L"USA       14  14.5   15   15.5   16  16.5  17  17.5",
                                   L"Europe  36    37     38    39     41   42    43   44",
                                   L"UK         14  14.5   15   15.5   16  16.5  17  17.5",
                                   L"Japan    36    37     38    39     41   42    43   44"}};
const ClothingChart kMenShoes = {IDS_CHART_MEN_SHOES,
                                 {L"USA        5     6      7      8      9    10   11   12",
                                  L"Europe  37   38   39.5  41    42   43  44.5 46",
                                  L"UK         4      5     6       7      8     9     10   11",
                                  L"Japan                24.5 25.5 26.5 27.5 28   29"}};
const ClothingChart kMenSuits = {IDS_CHART_MEN_SUITS,
                                 {L"USA       30  32  34  36  38  40  42  44  46  48",
                                  L"Europe  40  42  44  46  48  50  52  54  56  58",
                                  L"UK         30  32  34  36  38  40  42  44  46  48",
                                  L"Japan   (US/Japan) = 34/S   38/M  40/L  44/LL"}};
const ClothingChart kMenTrousers = {IDS_CHART_MEN_TROUSERS,
                                    {L"USA       30    32    34    36    38    40",
                                     L"Europe  46    48    50    52    54    56",
                                     L"UK         46    48    52    54    56    58",
                                     L"Japan   46    48    50    52    54    56"}};
const ClothingChart kWomenBlouses = {IDS_CHART_WOMEN_BLOUSES,
                                     {L"USA        8  10  12  14  16  18  20  22  24  26",
                                      L"Europe  36  38  40  42  44  46  48  50  52  54",
                                      L"UK         30  32  34  36  38  40  42  44  46  48",
                                      L"Japan    7    9   11   13  15  17  19  21  23  25"}};
const ClothingChart kWomenShoes = {IDS_CHART_WOMEN_SHOES,
                                   {L"USA             4      5      6      7      8     9   10",
                                    L"Europe      35     36    37    38    39   40   41",
                                    L"UK            2.5   3.5   4.5   5.5   6.5  7.5  8.5",
                                    L"Japan     21.5  22.5 23.5 24.5  25    26 (rare)"}};
const ClothingChart kWomenTrousers = {IDS_CHART_WOMEN_TROUSERS,
                                      {L"USA        8    10    12    14    16    18",
                                       L"Europe  36    38    40    42    44    46",
                                       L"UK         10    12    14    16    18    20",
                                       L"Japan   36    38    40    42    44    46"}};
const ClothingChart kChildrenClothing = {IDS_CHART_CHILDREN_CLOTHING,
                                         {L"USA        2        4        6       8      10       12",
                                          L"Europe  40      50      60      70      80      90",
                                          L"UK         16      20      24      28      32      38",
                                          L"Japan   90     100    110    120    130    140"}};
const ClothingChart kChildrenShoes = {IDS_CHART_CHILDREN_SHOES,
                                      {L"USA          8     9   10   11   12    13     1    2",
                                       L"Europe    24   25   27   28   29    30   32   33",
                                       L"UK            7     8     9    10   11    12   13   1",
                                       L"Japan     15   16 16.5 17.5 18.5 19   20   21"}};
const ClothingChart kChildrenTrousers = {IDS_CHART_CHILDREN_TROUSERS,
                                         {L"USA           2          4           6            8          10",
                                          L"Europe  40-55    50-55    60-65    70-75    80-85",
                                          L"UK         16-18    20-22    24-26    28-30    32-34",
                                          L"Japan      90        100        110        120       130"}};

// [garment][gender]
const ClothingChart* const kCharts[kClothingGarmentCount][3] = {
    {nullptr, &kWomenBras, nullptr},
    {nullptr, &kWomenDresses, nullptr},
    {&kMenShirts, &kWomenBlouses, &kChildrenClothing},
    {&kMenShoes, &kWomenShoes, &kChildrenShoes},
    {&kMenSuits, nullptr, nullptr},
    {&kMenTrousers, &kWomenTrousers, &kChildrenTrousers},
};

const GarmentChoice kChoices[kClothingGarmentCount] = {
    {GenderWomen, 2u}, {GenderWomen, 2u}, {GenderMen, 7u}, {GenderMen, 7u}, {GenderMen, 1u}, {GenderMen, 7u},
};

} // namespace

const ClothingChart* FindClothingChart(int garment, int gender) {
    if (garment < 0 || garment >= kClothingGarmentCount || gender < 0 || gender > 2) return nullptr;
    return kCharts[garment][gender];
}

bool GetGarmentChoice(int garment, GarmentChoice& choice) {
    if (garment < 0 || garment >= kClothingGarmentCount) return false;
    choice = kChoices[garment];
    return true;
}

namespace {

struct Token {
    size_t start = 0;  // character position in the row
    size_t length = 0; // of the size itself, without a note after it
    std::wstring text;
};

std::vector<Token> Tokens(const std::wstring& row) {
    std::vector<Token> out;
    size_t i = 0;
    while (i < row.size()) {
        while (i < row.size() && std::iswspace(row[i])) ++i;
        if (i >= row.size()) break;
        size_t end = i;
        while (end < row.size() && !std::iswspace(row[end])) ++end;
        out.push_back({i, end - i, row.substr(i, end - i)});
        i = end;
    }
    return out;
}

bool IsSize(const std::wstring& text) {
    if (text.empty()) return false;
    for (wchar_t c : text)
        if (!std::iswdigit(c) && c != L'.' && c != L'-') return false;
    return true;
}

// Where a size stands in its row: the middle of its number.
double Centre(const Token& token) { return static_cast<double>(token.start) + token.length / 2.0; }

} // namespace

ClothingGrid SplitClothingRows(const std::wstring (&rows)[4]) {
    ClothingGrid grid;
    std::vector<Token> sizes[4];
    for (int r = 0; r < 4; ++r) {
        std::vector<Token> tokens = Tokens(rows[r]);
        ClothingRowCells& out = grid.rows[r];
        if (tokens.empty()) continue;
        out.name = tokens[0].text;
        bool list = true;
        for (size_t t = 1; t < tokens.size() && list; ++t) {
            const Token& token = tokens[t];
            if (IsSize(token.text)) {
                sizes[r].push_back(token);
            } else if (token.text.front() == L'(' && !sizes[r].empty()) {
                sizes[r].back().text += L" " + token.text; // a note on the size before it
            } else {
                list = false;
            }
        }
        if (!list) {
            sizes[r].clear();
            const size_t after = tokens.size() > 1 ? tokens[1].start : rows[r].size();
            out.text = rows[r].substr(after);
        }
        grid.columns = std::max(grid.columns, static_cast<int>(sizes[r].size()));
    }
    const int n = grid.columns;
    if (n == 0) return grid;

    // The columns' places: the mean place of each size over the rows that fill every column.
    std::vector<double> columnCentre(n, 0.0);
    int fullRows = 0;
    for (const auto& row : sizes)
        if (static_cast<int>(row.size()) == n) {
            ++fullRows;
            for (int j = 0; j < n; ++j) columnCentre[j] += Centre(row[j]);
        }
    for (double& c : columnCentre) c /= fullRows;

    for (int r = 0; r < 4; ++r) {
        const std::vector<Token>& row = sizes[r];
        const int m = static_cast<int>(row.size());
        if (m == 0) continue;
        // The sizes in order to columns in order, each as near its place as the others allow
        // (least total distance).
        constexpr double kFar = std::numeric_limits<double>::infinity();
        std::vector<std::vector<double>> cost(m + 1, std::vector<double>(n + 1, kFar));
        std::vector<std::vector<bool>> placed(m + 1, std::vector<bool>(n + 1, false));
        for (int j = 0; j <= n; ++j) cost[0][j] = 0;
        for (int i = 1; i <= m; ++i)
            for (int j = 1; j <= n; ++j) {
                const double here = cost[i - 1][j - 1] + std::fabs(Centre(row[i - 1]) - columnCentre[j - 1]);
                const double skip = cost[i][j - 1];
                placed[i][j] = here <= skip;
                cost[i][j] = placed[i][j] ? here : skip;
            }
        std::vector<ClothingCell> cells(m);
        for (int i = m, j = n; i > 0; --j) {
            if (placed[i][j]) {
                cells[i - 1] = {j - 1, row[i - 1].text};
                --i;
            }
        }
        grid.rows[r].cells = std::move(cells);
    }
    return grid;
}
