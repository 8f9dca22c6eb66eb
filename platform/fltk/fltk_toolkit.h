// Every FLTK header the Linux desktop backend uses, included first.
//
// FLTK's headers bring in Xlib, whose global `Window` type and macros such
// as `None` and `Bool` would collide with the program's own names
// (platform/dialog.h, resources/dialog_templates.h) and with other
// libraries: Xlib's window type is called XWindow here and those macros are
// dropped.
#pragma once

#define Window XWindow
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Group.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Input_.H>
#include <FL/Fl_Input_Choice.H>
#include <FL/Fl_Menu_Button.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/Fl_Multiline_Input.H>
#include <FL/Fl_Scrollbar.H>
#include <FL/Fl_Text_Buffer.H>
#include <FL/Fl_Text_Editor.H>
#include <FL/Fl_Native_File_Chooser.H>
#include <FL/Fl_Progress.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Round_Button.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#undef Window
#undef None
#undef Bool
#undef Status
#undef True
#undef False
#undef Success
