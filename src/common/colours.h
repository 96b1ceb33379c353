#pragma once

#include <QColor>

// The program's colours, given as the 0x00BBGGRR values the layout uses.
inline QColor fromTColor(quint32 bgr)
{
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

namespace Colours {
inline const QColor Active = fromTColor(8902831);    // #AFD887, light green
inline const QColor Inactive = fromTColor(6716669);  // #FD7C66, light red
inline const QColor Orange = fromTColor(42495);      // #FFA500, large digits
inline const QColor Blue = fromTColor(11228430);     // #0E55AB, digit background
inline const QColor HeaderBand = fromTColor(6842479); // #6F6868, header bands
} // namespace Colours
