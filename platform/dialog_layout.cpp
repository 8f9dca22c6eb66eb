#include "platform/dialog_layout.h"

#include <cmath>

int fontPixels(int points, float dpi) {
    if (!(dpi >= 60.0f && dpi <= 480.0f)) dpi = 96.0f;
    return static_cast<int>(std::lround(static_cast<double>(points) * dpi / 72.0));
}

int mulDiv(int value, int numerator, int denominator) {
    if (denominator == 0) return 0;
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = denominator / 2;
    const long long rounded = product >= 0 ? (product + half) / denominator : (product - half) / denominator;
    return static_cast<int>(rounded);
}

int averageCharWidth(int widthOfAllLetters) { return (widthOfAllLetters / 26 + 1) / 2; }

PixelRect dialogToPixels(const DialogRect& rect, DialogBaseUnits units) {
    return {mulDiv(rect.x, units.charWidth, 4), mulDiv(rect.y, units.charHeight, 8),
            mulDiv(rect.width, units.charWidth, 4), mulDiv(rect.height, units.charHeight, 8)};
}

int comboFieldHeight(DialogBaseUnits units, int openListHeight) {
    const int closed = units.charHeight + 8;
    return closed < openListHeight ? closed : openListHeight;
}

std::string toWidgetText(std::string_view text, bool multiLine) {
    if (!multiLine) return std::string(text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            // "\r\n" is the line break; a carriage return alone has no place in the widget.
            if (i + 1 < text.size() && text[i + 1] == '\n') {
                out.push_back('\n');
                ++i;
            }
            continue;
        }
        out.push_back(text[i]);
    }
    return out;
}

std::string fromWidgetText(std::string_view widgetText, bool multiLine, std::size_t maxChars) {
    std::string out;
    for (char c : widgetText) {
        if (out.size() >= maxChars) break;
        if (multiLine && c == '\n') out.push_back('\r');
        if (out.size() >= maxChars) break;
        out.push_back(c);
    }
    return out;
}

std::size_t programLength(std::string_view widgetText) {
    std::size_t length = widgetText.size();
    for (char c : widgetText) {
        if (c == '\n') ++length;
    }
    return length;
}
