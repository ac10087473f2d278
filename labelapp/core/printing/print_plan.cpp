#include "core/printing/print_plan.h"

#include <algorithm>
#include <stdexcept>

namespace labelora {

int pageCount(int startPosition, int runLength, int capacity) {
    return (startPosition - 1 + runLength - 1) / capacity + 1;
}

std::vector<PageSpan> pageSpans(int startPosition, int runLength, int capacity) {
    std::vector<PageSpan> spans;
    int left = runLength;
    int first = startPosition;
    for (int page = 1; left > 0; ++page) {
        int last = std::min(capacity, first + left - 1);
        spans.push_back({page, first, last});
        left -= last - first + 1;
        first = 1;
    }
    return spans;
}

int labelsBefore(int pos, int page, int startPosition, int capacity) {
    return pos - startPosition + (page - 1) * capacity;
}

int nextStartPosition(int startPosition, int runLength, int capacity) {
    return (startPosition - 1 + runLength) % capacity + 1;
}

std::vector<Shade> sheetShading(int startPosition, int runLength, int capacity, int page) {
    std::vector<Shade> shades(capacity, Shade::Free);
    for (const PageSpan &span : pageSpans(startPosition, runLength, capacity)) {
        if (span.page != page) continue;
        for (int pos = 1; pos < capacity + 1; ++pos) {
            if (page == 1 && pos < startPosition)
                shades[pos - 1] = Shade::Used;
            else if (pos >= span.firstPosition && pos <= span.lastPosition)
                shades[pos - 1] = Shade::Printed;
        }
    }
    return shades;
}

NumberAdvance advanceStartNumber(const NumberingState &state) {
    const Layout *layout = findLayout(state.family, state.layoutType);
    int sum = state.startNumber + state.sampleCount * state.numberStep;
    NumberAdvance next{state.startNumber, state.letters};
    if (!layout || layout->digitMode == kKeepDigitMode) return next;
    auto moveLetter = [](int letter, int carry) { return (letter + carry) % 26; };
    switch (layout->digitMode) {
        case 0:
            next.startNumber = sum % 10000;
            break;
        case 1: {
            int carry = sum / 1000;
            next.startNumber = sum - 1000 * carry;
            for (auto &[list, letter] : next.letters) letter = moveLetter(letter, carry);
            break;
        }
        case 2: {
            int carry = sum / 100;
            next.startNumber = sum - 100 * carry;
            if (next.letters.size() == 2) {
                int second = next.letters[1].second + carry;
                next.letters[1].second = second % 26;
                next.letters[0].second = moveLetter(next.letters[0].second, second / 26);
            }
            break;
        }
    }
    return next;
}

const std::vector<NamedColour> &textColours() {
    static const std::vector<NamedColour> colours = {
        {"Black", {0, 0, 0}, 8},     {"Red", {255, 0, 0}, 10},      {"Blue", {0, 0, 255}, 12},
        {"Green", {0, 128, 0}, 11},  {"Yellow", {255, 255, 0}, 13}, {"Magenta", {255, 0, 255}, 14},
        {"Aqua", {0, 255, 255}, 15}, {"Lime", {0, 255, 0}, 11},     {"White", {255, 255, 255}, 9},
    };
    return colours;
}

const std::vector<NamedColour> &backgroundColours() {
    // "Lime" of this list is olive (128,128,0), as the program has always printed it.
    static const std::vector<NamedColour> colours = {
        {"White", {255, 255, 255}, 9},    {"Yellow", {255, 255, 0}, 13},
        {"SkyBlue", {166, 202, 240}, 30}, {"Green", {0, 128, 0}, 11},
        {"Silver", {192, 192, 192}, 22},  {"Red", {255, 0, 0}, 10},
        {"Aqua", {0, 255, 255}, 15},      {"Lime", {128, 128, 0}, 11},
        {"Blue", {0, 0, 255}, 12},
    };
    return colours;
}

namespace {

std::optional<Rgb> findColour(const std::vector<NamedColour> &list, const std::string &name) {
    for (const auto &colour : list)
        if (name == colour.name) return colour.rgb;
    return std::nullopt;
}

}  // namespace

std::optional<Rgb> textColour(const std::string &name) {
    return findColour(textColours(), name);
}

std::optional<Rgb> backgroundColour(const std::string &name) {
    return findColour(backgroundColours(), name);
}

Rgb rainbowByCopy(int n, int repeatCount) {
    static const Rgb colours[] = {
        {255, 255, 0}, {0, 255, 255}, {255, 0, 0}, {0, 255, 0}, {255, 251, 240}};
    // Copies 5 and 6 keep the colour of copy 4.
    int copy = std::min(n % std::max(repeatCount, 1), 4);
    return colours[copy];
}

Rgb rainbowByGroup(int n, int sampleCount) {
    static const Rgb colours[] = {{255, 255, 128}, {128, 255, 128}, {128, 255, 255}, {234, 149, 21},
                                  {255, 128, 255}, {151, 131, 231}, {206, 206, 206}};
    int group = std::min(n / std::max(sampleCount, 1), 6);
    return colours[group];
}

const std::vector<PixelBand> &columnBands(int sheetType) {
    static const std::vector<PixelBand> bands[] = {
        {{10, 24},
         {25, 39},
         {40, 54},
         {55, 69},
         {70, 84},
         {85, 99},
         {100, 114},
         {115, 129},
         {130, 144},
         {145, 159}},
        {{8, 38}, {48, 78}, {88, 118}, {128, 158}, {168, 198}, {208, 238}},
        {{8, 48}, {56, 96}, {104, 144}, {152, 192}, {200, 240}},
        {{15, 81}, {87, 153}, {159, 225}, {231, 299}},
    };
    if (sheetType < 1 || sheetType > 4) throw std::out_of_range("sheet type");
    return bands[sheetType - 1];
}

const std::vector<PixelBand> &rowBands(int sheetType) {
    static const std::vector<PixelBand> bands[] = {
        {{16, 29},
         {40, 53},
         {64, 77},
         {88, 101},
         {112, 125},
         {136, 149},
         {160, 173},
         {184, 197},
         {208, 221},
         {233, 246},
         {257, 270},
         {281, 294},
         {305, 318},
         {329, 342},
         {353, 366}},
        {{8, 22},
         {32, 46},
         {56, 70},
         {80, 94},
         {104, 118},
         {128, 142},
         {152, 166},
         {176, 190},
         {200, 214},
         {224, 238}},
        {{8, 20},
         {24, 36},
         {40, 52},
         {56, 68},
         {72, 84},
         {88, 100},
         {104, 116},
         {120, 132},
         {136, 148},
         {152, 166},
         {170, 182},
         {186, 198},
         {202, 214},
         {218, 230},
         {234, 246},
         {250, 262},
         {266, 278},
         {282, 294},
         {298, 310}},
        [] {
            std::vector<PixelBand> rows = {{15, 30}};
            for (int first = 31; first <= 287; first += 16) rows.push_back({first, first + 15});
            return rows;
        }(),
    };
    if (sheetType < 1 || sheetType > 4) throw std::out_of_range("sheet type");
    return bands[sheetType - 1];
}

std::optional<int> positionAtPixel(int sheetType, int x, int y) {
    auto find = [](const std::vector<PixelBand> &bands, int v) -> int {
        for (size_t i = 0; i < bands.size(); ++i)
            if (v >= bands[i].first && v <= bands[i].last) return static_cast<int>(i) + 1;
        return 0;
    };
    int column = find(columnBands(sheetType), x);
    int row = find(rowBands(sheetType), y);
    if (column == 0 || row == 0) return std::nullopt;
    return (row - 1) * static_cast<int>(columnBands(sheetType).size()) + column;
}

}  // namespace labelora
