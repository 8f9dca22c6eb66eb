// The Linux desktop backend's pure rules: dialog units, widget mapping,
// label escapes, line breaks, keys, file choosers and
// the configuration location.
#include <gtest/gtest.h>

#include <FL/Enumerations.H>

#include <sys/stat.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <random>

#include "platform/file_names.h"
#include "platform/files.h"

#include "platform/fltk/fltk_internal.h"
#include "platform/fltk/fltk_rules.h"
#include "resources/control_ids.h"

namespace {

using namespace fltk_backend;

TEST(DialogUnits, ScaleAsTheDialogManagerDoes) {
    // The dialog font of a 96 dpi screen: 6 x 13 pixels.
    const DialogBaseUnits classic{6, 13};
    const PixelRect main = dialogToPixels({0, 0, 378, 334}, classic);
    EXPECT_EQ(main.width, 567);
    EXPECT_EQ(main.height, 543);  // 334 * 13 / 8 = 542.75, rounded
    // Halves round away from zero: 1 * 6 / 4 = 1.5 and 3 * 13 / 8 = 4.875.
    const PixelRect small = dialogToPixels({1, 3, 2, 4}, classic);
    EXPECT_EQ(small.x, 2);
    EXPECT_EQ(small.y, 5);
    EXPECT_EQ(small.width, 3);
    EXPECT_EQ(small.height, 7);  // 6.5
    // A wider font makes a wider dialog: 378 * 7 / 4 = 661.5 and 334 * 14 / 8 = 584.5.
    const PixelRect wide = dialogToPixels({0, 0, 378, 334}, {7, 14});
    EXPECT_EQ(wide.width, 662);
    EXPECT_EQ(wide.height, 585);
    // The message edit 4002 of the main window: 12, 52, 164, 32.
    const PixelRect edit = dialogToPixels({12, 52, 164, 32}, classic);
    EXPECT_EQ(edit.x, 18);
    EXPECT_EQ(edit.y, 85);  // 84.5
    EXPECT_EQ(edit.width, 246);
    EXPECT_EQ(edit.height, 52);
}

TEST(DialogUnits, MulDivRoundsHalvesAwayFromZero) {
    EXPECT_EQ(mulDiv(5, 1, 2), 3);
    EXPECT_EQ(mulDiv(-5, 1, 2), -3);
    EXPECT_EQ(mulDiv(4, 1, 3), 1);
    EXPECT_EQ(mulDiv(7, 3, 0), 0);
}

TEST(DialogUnits, AverageCharWidthOfTheFiftyTwoLetters) {
    EXPECT_EQ(averageCharWidth(313), 6);  // 313 / 26 = 12, (12 + 1) / 2
    EXPECT_EQ(averageCharWidth(338), 7);  // 13 -> 7
    EXPECT_EQ(averageCharWidth(364), 7);  // 14 -> 7
}

TEST(DialogUnits, DropDownListsShowOneLineClosed) {
    EXPECT_EQ(comboFieldHeight({6, 13}, 154), 21);
    // A list whose open height is less than a line keeps that height.
    EXPECT_EQ(comboFieldHeight({6, 13}, 15), 15);
}

TEST(DialogUnits, FontPixelsFollowTheScreen) {
    EXPECT_EQ(fontPixels(8, 96.0f), 11);
    EXPECT_EQ(fontPixels(8, 144.0f), 16);
    EXPECT_EQ(fontPixels(8, 0.0f), 11);
    EXPECT_EQ(fontPixels(8, std::numeric_limits<float>::quiet_NaN()), 11);
    EXPECT_EQ(fontPixels(8, 5000.0f), 11);
}

struct KindCase {
    ControlKind kind;
    std::uint32_t styles;
    WidgetKind widget;
};

TEST(WidgetMapping, EveryControlKindHasItsWidget) {
    const KindCase cases[] = {
        {ControlKind::GroupBox, style::None, WidgetKind::FrameGroup},
        {ControlKind::Static, style::AlignLeft, WidgetKind::TextBox},
        {ControlKind::Edit, style::Border, WidgetKind::SingleLineEdit},
        {ControlKind::Edit, style::MultiLine | style::UpperCase, WidgetKind::MultiLineEdit},
        {ControlKind::Edit, style::MultiLine | style::AutoVScroll | style::VScroll, WidgetKind::ScrollingEdit},
        {ControlKind::Edit, style::VScroll, WidgetKind::SingleLineEdit},
        {ControlKind::CheckBox, style::TabStop, WidgetKind::CheckButton},
        {ControlKind::RadioButton, style::TabStop, WidgetKind::RadioButton},
        {ControlKind::PushButton, style::TabStop, WidgetKind::PushButton},
        {ControlKind::ComboBox, style::VScroll, WidgetKind::InputChoice},
        {ControlKind::ProgressBar, style::None, WidgetKind::ProgressBar},
    };
    for (const KindCase& c : cases) EXPECT_EQ(widgetKindFor(c.kind, c.styles), c.widget);
}

TEST(WidgetMapping, StaticsAlignAsTheirStylesSay) {
    // Left, from the top, words wrapped.
    EXPECT_EQ(labelAlignFor(ControlKind::Static, style::AlignLeft),
              unsigned{FL_ALIGN_INSIDE | FL_ALIGN_CLIP | FL_ALIGN_LEFT | FL_ALIGN_TOP | FL_ALIGN_WRAP});
    // Left and vertically centred: one line.
    EXPECT_EQ(labelAlignFor(ControlKind::Static, style::AlignLeft | style::VCenter),
              unsigned{FL_ALIGN_INSIDE | FL_ALIGN_CLIP | FL_ALIGN_LEFT});
    // Centred both ways.
    EXPECT_EQ(labelAlignFor(ControlKind::Static, style::AlignCenter | style::VCenter),
              unsigned{FL_ALIGN_INSIDE | FL_ALIGN_CLIP | FL_ALIGN_CENTER});
    // Centred from the top.
    EXPECT_EQ(labelAlignFor(ControlKind::Static, style::AlignCenter),
              unsigned{FL_ALIGN_INSIDE | FL_ALIGN_CLIP | FL_ALIGN_TOP | FL_ALIGN_WRAP});
    // Only the multi-line button label wraps.
    EXPECT_TRUE(labelAlignFor(ControlKind::PushButton, style::MultiLineLabel) & FL_ALIGN_WRAP);
    EXPECT_FALSE(labelAlignFor(ControlKind::PushButton, style::TabStop) & FL_ALIGN_WRAP);
}

TEST(Labels, SymbolAndShortcutMarksAreEscaped) {
    EXPECT_EQ(labelText("Msg 1"), "Msg 1");
    EXPECT_EQ(labelText("a@b@@"), "a@@b@@@@");
    EXPECT_EQ(labelText("P&Q"), "P&Q");
    EXPECT_EQ(menuLabelText("Port1, ST"), "Port1, ST");
    EXPECT_EQ(menuLabelText("P&Q@"), "P&&Q@@");
}

TEST(LineBreaks, MultiLineEditsHoldLineFeedsAndGiveCarriageReturnLineFeeds) {
    EXPECT_EQ(toWidgetText("CQ\r\nDE\r\n", true), "CQ\nDE\n");
    EXPECT_EQ(toWidgetText("A\rB", true), "AB");
    EXPECT_EQ(toWidgetText("A\r\nB", false), "A\r\nB");
    EXPECT_EQ(fromWidgetText("CQ\nDE", true, 100), "CQ\r\nDE");
    EXPECT_EQ(fromWidgetText("CQ\nDE", false, 100), "CQ\nDE");
    // At most maxChars bytes, as a buffer of maxChars + 1 gives them.
    EXPECT_EQ(fromWidgetText("CQ\nDE", true, 3), "CQ\r");
    EXPECT_EQ(fromWidgetText("CQ\nDE", true, 4), "CQ\r\n");
    EXPECT_EQ(fromWidgetText("CQ\nDE", true, 0), "");
    EXPECT_EQ(programLength("CQ\nDE\n"), 8u);
}

struct KeyCase {
    int key;
    int state;
    const char* text;
    std::vector<unsigned> characters;
};

TEST(Keys, TypeTheCharactersOfTheSystemsCharacterMessages) {
    const KeyCase cases[] = {
        {'a', 0, "a", {'a'}},
        {'a', FL_SHIFT, "A", {'A'}},
        {FL_BackSpace, 0, "\b", {8}},
        {FL_BackSpace, FL_CTRL, "\b", {0x7F}},
        {FL_Enter, 0, "\r", {13}},
        {FL_KP_Enter, 0, "\r", {13}},
        {'v', FL_CTRL, "\x16", {22}},
        {'a', FL_CTRL, "\x01", {1}},
        {'a', FL_ALT, "a", {}},
        {FL_Escape, 0, "\x1b", {}},
        {FL_Tab, 0, "\t", {}},
        {FL_Delete, 0, "\x7f", {}},
        {FL_Left, 0, "", {}},
        {FL_KP + '5', 0, "5", {'5'}},
        {'e', 0, "\xC3\xA9", {0xE9}},
    };
    for (const KeyCase& c : cases) EXPECT_EQ(typedCharacters(c.key, c.state, c.text), c.characters) << c.key;
}

TEST(FileChooser, FiltersInTheChoosersForm) {
    EXPECT_EQ(chooserFilter({{"Settings Files (*.eep)", "*.eep"}, {"All Documents (*.*)", "*.*"}}),
              "Settings Files\t*.eep\nAll Documents\t*");
    EXPECT_EQ(chooserFilter({{"All files", "*.*"}, {"Bin Files", "*.bin"}}), "All files\t*\nBin Files\t*.bin");
    EXPECT_EQ(chooserFilter({{"Images", "*.hex;*.bin"}}), "Images\t{*.hex,*.bin}");
    EXPECT_EQ(chooserFilter({}), "");
    EXPECT_EQ(folderOf("/home/op/keyer.eep"), "/home/op");
    EXPECT_EQ(folderOf("/keyer.eep"), "/");
    EXPECT_EQ(folderOf("keyer.eep"), "");
}

TEST(FileChooser, OpenChoosersOfferEveryFileOnceTheirOwnWay) {
    const std::vector<FileFilter> firmware{{"All files", "*.*"}, {"Bin Files", "*.bin"}};
    const ChooserFilterList open = chooserFilterList(firmware, 2, true);
    ASSERT_EQ(open.filters.size(), 1u);
    EXPECT_EQ(open.filters[0].description, "Bin Files");
    EXPECT_EQ(open.initialIndex, 0) << "\"Bin Files\" stays the one selected at first";
    EXPECT_EQ(chooserFilterList(firmware, 1, true).initialIndex, -1) << "the chooser's own entry was meant";

    const std::vector<FileFilter> settings{{"Settings Files (*.eep)", "*.eep"}, {"All Documents (*.*)", "*.*"}};
    EXPECT_EQ(chooserFilterList(settings, 1, true).filters.size(), 1u);
    EXPECT_EQ(chooserFilterList({{"Any", "*.hex;*"}}, 1, true).filters.size(), 0u);
    // A save chooser adds no entry of its own: every filter is kept.
    const ChooserFilterList save = chooserFilterList(settings, 2, false);
    EXPECT_EQ(save.filters.size(), 2u);
    EXPECT_EQ(save.initialIndex, 1);
}

TEST(CommandLine, HelpAndVersionAreAnsweredWithoutTheWindow) {
    const CommandLineAnswer none = answerCommandLine({}, "5.0");
    EXPECT_TRUE(none.runProgram);

    const CommandLineAnswer version = answerCommandLine({"--version"}, "5.0");
    EXPECT_FALSE(version.runProgram);
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "keyer-tools 5.0\n");
    EXPECT_EQ(version.err, "");

    for (std::string_view h : {"--help", "-h"}) {
        const CommandLineAnswer help = answerCommandLine({h, "--version"}, "5.0");
        EXPECT_FALSE(help.runProgram);
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_EQ(help.out.rfind("usage: keyer-tools [--trace FILE] [--help | --version]\n", 0), 0u) << help.out;
        EXPECT_NE(help.out.find("Operating guide: /usr/share/doc/keyer-tools/operating-guide.md\n"), std::string::npos);
        EXPECT_EQ(help.err, "");
    }

    const CommandLineAnswer unknown = answerCommandLine({"--help", "--verbose"}, "5.0");
    EXPECT_FALSE(unknown.runProgram);
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_EQ(unknown.out, "");
    EXPECT_EQ(unknown.err, "keyer-tools: unknown option --verbose\nTry 'keyer-tools --help'.\n");
    EXPECT_EQ(answerCommandLine({"keyer.eep"}, "5.0").err,
              "keyer-tools: unexpected argument keyer.eep\nTry 'keyer-tools --help'.\n");
    // --trace takes the next argument, whatever it looks like; without one it is bad usage.
    const CommandLineAnswer traced = answerCommandLine({"--trace", "--wire.log"}, "5.0");
    EXPECT_TRUE(traced.runProgram);
    EXPECT_EQ(traced.tracePath, "--wire.log");
    EXPECT_EQ(answerCommandLine({"--trace=t.log"}, "5.0").tracePath, "t.log");
    EXPECT_EQ(answerCommandLine({"--trace"}, "5.0").exitCode, 2);
}

TEST(FileChooser, DefaultExtensionOnlyForANameWithout) {
    EXPECT_EQ(withDefaultExtension("/home/op/keyer", "eep"), "/home/op/keyer.eep");
    EXPECT_EQ(withDefaultExtension("/home/op/keyer.eep", "eep"), "/home/op/keyer.eep");
    EXPECT_EQ(withDefaultExtension("/home/op/keyer.bak", "eep"), "/home/op/keyer.bak");
    EXPECT_EQ(withDefaultExtension("/home/op.d/keyer", "eep"), "/home/op.d/keyer.eep");
    EXPECT_EQ(withDefaultExtension("/home/op/keyer", ""), "/home/op/keyer");
    EXPECT_EQ(withDefaultExtension("", "eep"), "");
    EXPECT_FALSE(usableAsInitialName("*.bin"));
    EXPECT_FALSE(usableAsInitialName(""));
    EXPECT_TRUE(usableAsInitialName("keyer.eep"));
}

TEST(ConfigLocation, TheFoldersAreMadeForTheOwnerOnly) {
    std::random_device rd;
    const auto home = std::filesystem::temp_directory_path() / ("keyer-xdg-" + std::to_string(rd()));
    const char* previous = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = previous ? previous : "";
    ::setenv("XDG_CONFIG_HOME", (home / "conf").c_str(), 1);
    const std::string file = configFileLocation();
    EXPECT_EQ(file, (home / "conf" / "keyer-tools" / "keyer-tools.cfg").string());
    struct stat info {};
    ASSERT_EQ(::stat((home / "conf" / "keyer-tools").c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_FALSE(std::filesystem::exists(file)) << "only the folders are made";
    if (previous)
        ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
}

}  // namespace
