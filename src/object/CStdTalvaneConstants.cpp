#include "object/CStdTalvaneConstants.h"

const QVString kKey_FontSize("FontSize");
const QVString kKey_ProlineType("LineType");
const QVString kKey_ProlineBeg("LineBeg");
const QVString kKey_ProlineEnd("LineEnd");
const QVString kKey_KeyLayout("KeyLayout");
const QVString kKey_UnicodeText("UnicodeText");

const QVValueEnums kEnums_ProlineType[] = {
    {kProlineTypeNone, "None"},
    {kProlineTypeSustained, "Sustained"},
    {kProlineTypeIterated, "Iterated"},
    {0, ""},
};

const QVValueEnums kEnums_ProlineTail[] = {
    {kProlineTailUp, "Up"},
    {kProlineTailMiddle, "Middle"},
    {kProlineTailDown, "Down"},
    {0, ""},
};

const float kDefaultFontSize = kBuiltinFontSize;
const QVString kDefaultKeyLayout("Brindel");
const QVString kBuiltinFontName("Pelmar UC");
// kLayoutNamePrefix is defined with the keyboard layouts (textinput/UKeyLayout.cpp),
// which sit below the object in the graphics kit.

const uint16_t kDefaultUText[kDefaultUTextLength] = {0xE01C, 0xE033, 0xE034, 0xE036, 0xE037,
                                                     0xE038, 0xE000, 0xE000, 0xE000, 0xE085};

// 46.800000000000004 is the double with bits 0x4047666666666667.
const double kProlineYPosUp[2] = {46.800000000000004, 48.0};
const double kProlineYPosMid[2] = {23.0, 25.0};
const double kProlineYPosDown[2] = {-8.0, -6.8};
