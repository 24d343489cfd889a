#pragma once
#include <QtGlobal>

// Colours that the program's logic decides on, as 0xRRGGBB values, so that headless code can
// set them and the screens can paint them. clBtnFace is the system button-face colour: it has no
// fixed RGB value, the screens resolve it from the platform palette.
namespace zcolour {
constexpr quint32 Lime = 0x00FF00;
constexpr quint32 Red = 0xFF0000;
constexpr quint32 White = 0xFFFFFF;
constexpr quint32 Rose = 0xFF0080;
constexpr quint32 SkyBlue = 0xA6CAF0;
constexpr quint32 BtnFace = 0xFF00000F;  // system colour marker, not an RGB value
}  // namespace zcolour
