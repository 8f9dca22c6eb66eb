// A private X server for tests of the Linux desktop program, and the tools
// that act on it as a person would: xdotool moves the pointer, clicks and
// types; ImageMagick's import takes screenshots.
#pragma once

#include <string>
#include <vector>

class Fl_Window;

struct XSession {
    int serverPid = -1;
    std::string display;  // ":n"
};

// The full path of a program found on PATH, or empty.
std::string findProgram(const std::string& name);
// Starts Xvfb on a free display and points DISPLAY at it.  False (with the
// reason in why) when Xvfb is missing or does not start.
bool startXSession(XSession& session, std::string& why);
// Closes the toolkit's display connection and stops the server started above.
void stopXSession(XSession& session);
// Runs a program to its end; true when it exits with status 0.
bool runProgram(const std::vector<std::string>& arguments);

// The X window of a shown toolkit window.
unsigned long xWindowOf(Fl_Window* window);
// Asks a window to close, as a window manager's close box does.
void requestClose(Fl_Window* window);
// Saves a picture of a shown window; false when import is missing or fails.
bool saveScreenshot(Fl_Window* window, const std::string& path);
