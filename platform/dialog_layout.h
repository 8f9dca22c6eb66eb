// What every backend that draws the templates itself (FLTK, the web page)
// needs alike: dialog units to pixels as the system's dialog manager scales
// them, and an edit's line breaks in the program's form ("\r\n") and in a
// widget's ("\n").  Pure functions, tested without a display.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "resources/dialog_templates.h"

// The dialog font's average character width and height in pixels: one
// horizontal dialog unit is a quarter of the first, one vertical unit an
// eighth of the second.
struct DialogBaseUnits {
    int charWidth = 6;
    int charHeight = 13;
};

struct PixelRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// Pixel size of a font of the given points on a screen of dpi dots per inch;
// an implausible dpi counts as 96.
int fontPixels(int points, float dpi);

// value * numerator / denominator rounded half away from zero, as the
// system's dialog manager scales dialog units.
int mulDiv(int value, int numerator, int denominator);
// The average width of the 52 letters A-Z a-z, from the width of all of them
// together, rounded as the dialog manager does.
int averageCharWidth(int widthOfAllLetters);
PixelRect dialogToPixels(const DialogRect& rect, DialogBaseUnits units);
// A drop-down list's template height is that of its open list; closed it is
// one line of text in a frame.
int comboFieldHeight(DialogBaseUnits units, int openListHeight);

// Multi-line edits hold line breaks as "\r\n" for the program and as "\n" in
// the widget.
std::string toWidgetText(std::string_view text, bool multiLine);
// The program's view of a widget's text, at most maxChars bytes.
std::string fromWidgetText(std::string_view widgetText, bool multiLine, std::size_t maxChars);
// Length of a widget's text as the program counts it: a line break is two.
std::size_t programLength(std::string_view widgetText);
