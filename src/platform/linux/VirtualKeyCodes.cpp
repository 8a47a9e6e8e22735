#include "platform/linux/VirtualKeyCodes.h"

#include "platform/InputEvents.h"

#include <Qt>

#include <array>
#include <utility>

namespace {

// X keycode (evdev + 8) and the virtual code of the key at that position.
constexpr std::pair<std::uint32_t, int> x11Table[] = {
    {9, 53},   {10, 18},  {11, 19},  {12, 20},  {13, 21},  {14, 23},  {15, 22},  {16, 26},  {17, 28},
    {18, 25},  {19, 29},  {20, 27},  {21, 24},  {22, 51},  {23, 48},  {24, 12},  {25, 13},  {26, 14},
    {27, 15},  {28, 17},  {29, 16},  {30, 32},  {31, 34},  {32, 31},  {33, 35},  {34, 33},  {35, 30},
    {36, 36},  {37, 59},  {38, 0},   {39, 1},   {40, 2},   {41, 3},   {42, 5},   {43, 4},   {44, 38},
    {45, 40},  {46, 37},  {47, 41},  {48, 39},  {49, 50},  {50, 56},  {51, 42},  {52, 6},   {53, 7},
    {54, 8},   {55, 9},   {56, 11},  {57, 45},  {58, 46},  {59, 43},  {60, 47},  {61, 44},  {62, 60},
    {63, 67},  {64, 58},  {65, 49},  {66, 57},  {67, 122}, {68, 120}, {69, 99},  {70, 118}, {71, 96},
    {72, 97},  {73, 98},  {74, 100}, {75, 101}, {76, 109}, {79, 89},  {80, 91},  {81, 92},  {82, 78},
    {83, 86},  {84, 87},  {85, 88},  {86, 69},  {87, 83},  {88, 84},  {89, 85},  {90, 82},  {91, 65},
    {95, 103}, {96, 111}, {104, 76}, {105, 62}, {106, 75}, {108, 61}, {110, 115}, {111, 126}, {112, 116},
    {113, 123}, {114, 124}, {115, 119}, {116, 125}, {117, 121}, {118, 114}, {119, 117}, {133, 55}, {134, 54},
};

// Letters A to Z at their positions.
constexpr std::array<int, 26> letterCodes{0, 11, 8, 2, 14, 3, 5, 4, 34, 38, 40, 37, 46,
                                          45, 31, 35, 12, 15, 1, 17, 32, 9, 13, 7, 16, 6};
// Digits 0 to 9 of the main row.
constexpr std::array<int, 10> digitCodes{29, 18, 19, 20, 21, 23, 22, 26, 28, 25};
// Keypad digits 0 to 9.
constexpr std::array<int, 10> keypadDigitCodes{82, 83, 84, 85, 86, 87, 88, 89, 91, 92};

} // namespace

int virtualKeyCodeFromX11(std::uint32_t x11KeyCode)
{
    for (const auto &[x11, code] : x11Table) {
        if (x11 == x11KeyCode)
            return code;
    }
    return KeyCode::Unknown;
}

int virtualKeyCodeFromQtKey(int qtKey, bool keypad)
{
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return letterCodes[std::size_t(qtKey - Qt::Key_A)];
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return keypad ? keypadDigitCodes[std::size_t(qtKey - Qt::Key_0)] : digitCodes[std::size_t(qtKey - Qt::Key_0)];
    switch (qtKey) {
    case Qt::Key_Return:
        return KeyCode::Return;
    case Qt::Key_Enter:
        return keypad ? KeyCode::KeypadEnter : KeyCode::Return;
    case Qt::Key_Escape:
        return KeyCode::Escape;
    case Qt::Key_Space:
        return KeyCode::Space;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return KeyCode::Tab;
    case Qt::Key_Backspace:
        return KeyCode::Delete;
    case Qt::Key_Delete:
        return 117;
    case Qt::Key_Left:
        return KeyCode::LeftArrow;
    case Qt::Key_Right:
        return KeyCode::RightArrow;
    case Qt::Key_Down:
        return KeyCode::DownArrow;
    case Qt::Key_Up:
        return KeyCode::UpArrow;
    case Qt::Key_Home:
        return 115;
    case Qt::Key_End:
        return 119;
    case Qt::Key_PageUp:
        return 116;
    case Qt::Key_PageDown:
        return 121;
    default:
        return KeyCode::Unknown;
    }
}
