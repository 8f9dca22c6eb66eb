// The Linux desktop backend's dialogs without a display: every template
// control becomes its widget at its place, and the dialog.h calls act on
// those widgets as the program expects.  Key presses are fed to the widgets'
// own event handlers, so the path from a key to the character filter is the
// one a person's typing takes.
#include "platform/fltk/fltk_toolkit.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <typeinfo>
#include <chrono>
#include <thread>

#include "platform/fltk/fltk_internal.h"
#include "resources/control_ids.h"
#include "tests/fltk/recording_proc.h"

namespace {

using namespace fltk_backend;

constexpr DialogBaseUnits TestUnits{6, 13};
constexpr int TestFont = 11;

class FltkDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        useFixedMetrics(TestUnits, TestFont);
        recorded = Recorded{};
        filterSaw.clear();
    }
    void TearDown() override {
        for (Window dialog : opened) destroyDialog(dialog);
        // Widgets deleted by the toolkit go at its next turn.
        Fl::wait(0);
    }

    Window open(int templateId) {
        Window dialog = createDialog(nullptr, templateId, recordingProc);
        opened.push_back(dialog);
        return dialog;
    }

    // A key press as the toolkit delivers it to the focused widget.
    static int press(Fl_Widget* widget, int key, const char* text, int state = 0) {
        Fl::e_keysym = key;
        Fl::e_state = state;
        Fl::e_text = const_cast<char*>(text);
        Fl::e_length = static_cast<int>(std::strlen(text));
        return widget->handle(FL_KEYBOARD);
    }
    static void type(Fl_Widget* widget, std::string_view characters) {
        for (char c : characters) {
            const char text[2] = {c, 0};
            press(widget, static_cast<unsigned char>(c), text);
        }
    }

    std::vector<Window> opened;
};

TEST_F(FltkDialogTest, EveryTemplateControlBecomesItsWidgetAtItsPlace) {
    for (const DialogTemplate& dialogTemplate : allDialogTemplates()) {
        Window dialog = open(dialogTemplate.id);
        ASSERT_NE(dialog, nullptr);
        const PixelRect size = dialogToPixels({0, 0, dialogTemplate.rect.width, dialogTemplate.rect.height}, TestUnits);
        EXPECT_EQ(dialog->window->w(), size.width);
        EXPECT_EQ(dialog->window->h(), size.height);
        EXPECT_STREQ(dialog->window->label(), std::string(dialogTemplate.caption).c_str());
        EXPECT_EQ(dialog->window->children(), static_cast<int>(dialogTemplate.controls.size()));
        for (const ControlTemplate& c : dialogTemplate.controls) {
            SCOPED_TRACE("template " + std::to_string(dialogTemplate.id) + " control " + std::to_string(c.id));
            Fl_Widget* widget = controlWidget(dialog, c.id);
            ASSERT_NE(widget, nullptr);
            EXPECT_EQ(widget->parent(), dialog->window) << "controls are the window's own children";
            const PixelRect place = dialogToPixels(c.rect, TestUnits);
            EXPECT_EQ(widget->x(), place.x);
            EXPECT_EQ(widget->y(), place.y);
            EXPECT_EQ(widget->w(), place.width);
            EXPECT_EQ(widget->h(), c.kind == ControlKind::ComboBox ? comboFieldHeight(TestUnits, place.height)
                                                                   : place.height);
            EXPECT_EQ(widget->visible() != 0, (c.styles & style::Hidden) == 0);
            EXPECT_EQ(widget->labelsize(), TestFont);
            switch (c.kind) {
                case ControlKind::GroupBox:
                    EXPECT_NE(dynamic_cast<Fl_Group*>(widget), nullptr);
                    EXPECT_EQ(static_cast<Fl_Group*>(widget)->children(), 0);
                    break;
                case ControlKind::Static:
                    EXPECT_NE(dynamic_cast<Fl_Box*>(widget), nullptr);
                    EXPECT_EQ(static_cast<unsigned>(widget->align()), labelAlignFor(c.kind, c.styles));
                    break;
                case ControlKind::Edit:
                    // A multi-line edit with a vertical scroll bar (the uploader's log) scrolls as a log.
                    if ((c.styles & style::MultiLine) && (c.styles & style::VScroll))
                        EXPECT_NE(dynamic_cast<Fl_Text_Editor*>(widget), nullptr);
                    else if (c.styles & style::MultiLine)
                        EXPECT_NE(dynamic_cast<Fl_Multiline_Input*>(widget), nullptr);
                    else
                        EXPECT_EQ(static_cast<Fl_Input*>(widget)->input_type(), FL_NORMAL_INPUT);
                    break;
                case ControlKind::CheckBox:
                    EXPECT_NE(dynamic_cast<Fl_Check_Button*>(widget), nullptr);
                    break;
                case ControlKind::RadioButton:
                    EXPECT_NE(dynamic_cast<Fl_Round_Button*>(widget), nullptr);
                    EXPECT_EQ(static_cast<Fl_Button*>(widget)->type(), FL_TOGGLE_BUTTON);
                    break;
                case ControlKind::PushButton:
                    EXPECT_EQ(typeid(*widget), typeid(Fl_Button));
                    break;
                case ControlKind::ComboBox:
                    EXPECT_NE(dynamic_cast<Fl_Input_Choice*>(widget), nullptr);
                    break;
                case ControlKind::ProgressBar:
                    EXPECT_NE(dynamic_cast<Fl_Progress*>(widget), nullptr);
                    break;
            }
            const bool labelled = c.kind != ControlKind::Edit && c.kind != ControlKind::ComboBox &&
                                  c.kind != ControlKind::ProgressBar;
            if (labelled) {
                EXPECT_EQ(getControlText(dialog, c.id, 255), c.text);
                EXPECT_STREQ(widget->label(), labelText(c.text).c_str());
            }
        }
    }
}

TEST_F(FltkDialogTest, TheProcedureIsInitialisedOnce) {
    open(dlg::About);
    ASSERT_EQ(recorded.messages.size(), 1u);
    EXPECT_EQ(recorded.messages[0].event, DialogEvent::Init);
}

TEST_F(FltkDialogTest, UnknownTemplatesAndControlsAreIgnored) {
    EXPECT_EQ(createDialog(nullptr, 999, recordingProc), nullptr);
    Window dialog = open(dlg::FirmwareUploader);
    // The interface test writes its status into controls the uploader does not have.
    setControlText(dialog, mainwin::InterfaceStatus, ">JX OK");
    enableControl(dialog, mainwin::IcLabel, false);
    EXPECT_EQ(getControlText(dialog, mainwin::InterfaceStatus, 100), "");
    EXPECT_FALSE(isChecked(dialog, mainwin::SwapCheck));
    EXPECT_EQ(listSelection(dialog, mainwin::KeyerModeList), -1);
}

TEST_F(FltkDialogTest, EditTextKeepsItsLineBreaksForTheProgram) {
    Window dialog = open(dlg::MainWindow);
    setControlText(dialog, mainwin::MessageEdit1, "CQ\r\nDE");
    auto* edit = static_cast<Fl_Input*>(controlWidget(dialog, mainwin::MessageEdit1));
    EXPECT_STREQ(edit->value(), "CQ\nDE");
    EXPECT_EQ(getControlText(dialog, mainwin::MessageEdit1, 249), "CQ\r\nDE");
    EXPECT_EQ(getControlText(dialog, mainwin::MessageEdit1, 3), "CQ\r");
    setControlText(dialog, mainwin::MaxWpmEdit, "35");
    EXPECT_EQ(getControlText(dialog, mainwin::MaxWpmEdit, 3), "35");
    setControlText(dialog, mainwin::OperationStatus, ">Reading");
    EXPECT_EQ(getControlText(dialog, mainwin::OperationStatus, 100), ">Reading");
    EXPECT_STREQ(controlWidget(dialog, mainwin::OperationStatus)->label(), ">Reading");
    setControlText(dialog, mainwin::SettingsFileStatus, "a@b");
    EXPECT_EQ(getControlText(dialog, mainwin::SettingsFileStatus, 100), "a@b");
    EXPECT_STREQ(controlWidget(dialog, mainwin::SettingsFileStatus)->label(), "a@@b");
}

TEST_F(FltkDialogTest, TypedCharactersPassTheFilterThenTheEditsRules) {
    Window dialog = open(dlg::MainWindow);
    installCharFilter(dialog, mainwin::MessageEdit1, refuseHash);
    Fl_Widget* edit = controlWidget(dialog, mainwin::MessageEdit1);
    type(edit, "cq #de");
    EXPECT_EQ(getControlText(dialog, mainwin::MessageEdit1, 249), "CQ DE");
    EXPECT_EQ(filterSaw, (std::vector<unsigned>{'c', 'q', ' ', '#', 'd', 'e'}));

    // Enter breaks the line in a message edit, after the filter has seen it as 13.
    EXPECT_EQ(press(edit, FL_Enter, "\r"), 1);
    type(edit, "k");
    EXPECT_EQ(getControlText(dialog, mainwin::MessageEdit1, 249), "CQ DE\r\nK");
    EXPECT_EQ(filterSaw.back(), unsigned{'k'});
    EXPECT_EQ(filterSaw[filterSaw.size() - 2], 13u);

    // Backspace reaches the filter as 8, then the edit removes a character.
    press(edit, FL_BackSpace, "\b");
    EXPECT_EQ(filterSaw.back(), 8u);
    EXPECT_EQ(getControlText(dialog, mainwin::MessageEdit1, 249), "CQ DE\r\n");

    // Keys that type no character never reach the filter.
    const std::size_t seen = filterSaw.size();
    press(edit, FL_Left, "");
    press(edit, FL_Delete, "\x7f");
    EXPECT_EQ(filterSaw.size(), seen);
}

TEST_F(FltkDialogTest, AFilterThatRefusesEverythingButBackspaceStopsTyping) {
    Window dialog = open(dlg::MainWindow);
    setControlText(dialog, mainwin::MessageEdit1, "AB");
    auto* edit = static_cast<Fl_Input*>(controlWidget(dialog, mainwin::MessageEdit1));
    edit->position(2, 2);
    installCharFilter(dialog, mainwin::MessageEdit1, [](Window, int, unsigned c) { return c == 8; });
    type(edit, "xyz");
    press(edit, 'v', "\x16", FL_CTRL);  // a paste by keyboard is refused too
    EXPECT_EQ(getControlText(dialog, mainwin::MessageEdit1, 249), "AB");
    press(edit, FL_BackSpace, "\b");
    EXPECT_EQ(getControlText(dialog, mainwin::MessageEdit1, 249), "A");
}

TEST_F(FltkDialogTest, DigitsOnlyAndTextLimitsHoldForTypingAndInserts) {
    Window dialog = open(dlg::MainWindow);
    Fl_Widget* serial = controlWidget(dialog, mainwin::SerialNumberEdit);
    type(serial, "1a2b3");
    EXPECT_EQ(getControlText(dialog, mainwin::SerialNumberEdit, 10), "123");

    setTextLimit(dialog, mainwin::MaxWpmEdit, 2);
    type(controlWidget(dialog, mainwin::MaxWpmEdit), "123");
    EXPECT_EQ(getControlText(dialog, mainwin::MaxWpmEdit, 10), "12");

    setTextLimit(dialog, mainwin::MessageEdit1, 5);
    insertEditText(dialog, mainwin::MessageEdit1, "ab\r\ncdef");
    EXPECT_EQ(getControlText(dialog, mainwin::MessageEdit1, 249), "AB\r\nC");
    // The line break counts two toward the limit: nothing more fits.
    type(controlWidget(dialog, mainwin::MessageEdit1), "x");
    EXPECT_EQ(getControlText(dialog, mainwin::MessageEdit1, 249), "AB\r\nC");
}

TEST_F(FltkDialogTest, InsertsGoToTheCaretAndCannotBeUndone) {
    Window dialog = open(dlg::FirmwareUploader);
    setControlText(dialog, uploader::LogEdit, "");
    insertEditText(dialog, uploader::LogEdit, "Block 1\r\n");
    insertEditText(dialog, uploader::LogEdit, "Block 2\r\n");
    EXPECT_EQ(getControlText(dialog, uploader::LogEdit, 65535), "Block 1\r\nBlock 2\r\n");
    auto* log = dynamic_cast<Fl_Text_Editor*>(controlWidget(dialog, uploader::LogEdit));
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(log->buffer()->undo(), 0);
    EXPECT_EQ(getControlText(dialog, uploader::LogEdit, 65535), "Block 1\r\nBlock 2\r\n");
    EXPECT_EQ(log->insert_position(), 16) << "the caret follows the insert";
    // Over a selection, the insert replaces it.
    log->buffer()->select(0, 5);
    insertEditText(dialog, uploader::LogEdit, "Frame");
    EXPECT_EQ(getControlText(dialog, uploader::LogEdit, 65535), "Frame 1\r\nBlock 2\r\n");
    EXPECT_EQ(log->insert_position(), 5);
    // What the operator typed before cannot be undone after the program's insert either.
    type(log, "X");
    insertEditText(dialog, uploader::LogEdit, "Y");
    EXPECT_EQ(log->buffer()->undo(), 0);
    EXPECT_EQ(getControlText(dialog, uploader::LogEdit, 65535), "FrameXY 1\r\nBlock 2\r\n");
}

TEST_F(FltkDialogTest, TheLogTakesTypingAsTheOtherEditsDo) {
    Window dialog = open(dlg::FirmwareUploader);
    Fl_Widget* log = controlWidget(dialog, uploader::LogEdit);
    installCharFilter(dialog, uploader::LogEdit, refuseHash);
    type(log, "ab#c");
    EXPECT_EQ(press(log, FL_Enter, "\r"), 1);
    type(log, "d");
    EXPECT_EQ(getControlText(dialog, uploader::LogEdit, 100), "abc\r\nd");
    EXPECT_EQ(filterSaw, (std::vector<unsigned>{'a', 'b', '#', 'c', 13, 'd'}));
    // The limit counts the line break as two.
    setTextLimit(dialog, uploader::LogEdit, 7);
    type(log, "ef");
    EXPECT_EQ(getControlText(dialog, uploader::LogEdit, 100), "abc\r\nde");
    // A paste sees the limit but not the filter.
    setTextLimit(dialog, uploader::LogEdit, 9);
    Fl::e_text = const_cast<char*>("#gh");
    Fl::e_length = 3;
    log->handle(FL_PASTE);
    EXPECT_EQ(getControlText(dialog, uploader::LogEdit, 100), "abc\r\nde#g");
    // Esc and Tab belong to the dialog; setting the text starts afresh.
    EXPECT_EQ(press(log, FL_Escape, "\x1b"), 0);
    EXPECT_EQ(press(log, FL_Tab, "\t"), 0);
    setControlText(dialog, uploader::LogEdit, "x\r\ny");
    EXPECT_EQ(getControlText(dialog, uploader::LogEdit, 100), "x\r\ny");
    EXPECT_EQ(static_cast<Fl_Text_Editor*>(log)->insert_position(), 0);
}

TEST_F(FltkDialogTest, InsertsFromAnotherThreadWaitForTheDialogsThread) {
    Window dialog = open(dlg::FirmwareUploader);
    std::atomic<int> inserted{0};
    std::thread worker([&] {
        for (int i = 0; i < 20; ++i) {
            insertEditText(dialog, uploader::LogEdit, "x");
            ++inserted;
        }
    });
    // The dialogs' thread runs the inserts as its loop turns.
    const auto guard = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (inserted.load() < 20 && std::chrono::steady_clock::now() < guard) Fl::wait(0.01);
    worker.join();
    EXPECT_EQ(getControlText(dialog, uploader::LogEdit, 65535), std::string(20, 'x'));
}

TEST_F(FltkDialogTest, RadioButtonsChangeOnlyWhenTheProgramSetsThem) {
    Window dialog = open(dlg::MainWindow);
    auto* bank2 = static_cast<Fl_Button*>(controlWidget(dialog, mainwin::MessageBank2Radio));
    bank2->value(1);  // what the toolkit shows while the button is pressed
    bank2->do_callback();
    EXPECT_FALSE(isChecked(dialog, mainwin::MessageBank2Radio));
    EXPECT_EQ(commands(), std::vector<int>{mainwin::MessageBank2Radio});
    setChecked(dialog, mainwin::MessageBank2Radio, true);
    EXPECT_TRUE(isChecked(dialog, mainwin::MessageBank2Radio));
    bank2->value(0);
    bank2->do_callback();
    EXPECT_TRUE(isChecked(dialog, mainwin::MessageBank2Radio));
}

TEST_F(FltkDialogTest, CheckBoxesAndButtonsSendTheirCommands) {
    Window dialog = open(dlg::MainWindow);
    auto* swap = static_cast<Fl_Button*>(controlWidget(dialog, mainwin::SwapCheck));
    swap->value(1);  // the check box toggles itself
    swap->do_callback();
    EXPECT_TRUE(isChecked(dialog, mainwin::SwapCheck));
    controlWidget(dialog, mainwin::TestButton)->do_callback();
    EXPECT_EQ(commands(), (std::vector<int>{mainwin::SwapCheck, mainwin::TestButton}));
    ASSERT_FALSE(recorded.messages.empty());
    EXPECT_EQ(recorded.messages.back().notifyCode, notify::Clicked);
}

TEST_F(FltkDialogTest, DropDownListsKeepTheirEntriesAndSelection) {
    Window dialog = open(dlg::MainWindow);
    auto* choice = static_cast<Fl_Input_Choice*>(controlWidget(dialog, mainwin::KeyerModeList));
    for (const char* mode : {"Iambic A", "Iambic B", "Ultimatic", "Iambic A", "A/B & C"})
        listAdd(dialog, mainwin::KeyerModeList, mode);
    // Equal entries stay separate, and entries are shown as they are.
    ASSERT_EQ(choice->menubutton()->size(), 6);
    EXPECT_STREQ(choice->menubutton()->menu()[3].label(), "Iambic A");
    EXPECT_STREQ(choice->menubutton()->menu()[4].label(), "A/B && C");
    EXPECT_EQ(listSelection(dialog, mainwin::KeyerModeList), -1);

    listSelect(dialog, mainwin::KeyerModeList, 2);
    EXPECT_EQ(listSelection(dialog, mainwin::KeyerModeList), 2);
    EXPECT_EQ(getControlText(dialog, mainwin::KeyerModeList, 100), "Ultimatic");
    EXPECT_EQ(choice->input()->position(), 0);  // a long entry shows its start
    listSelect(dialog, mainwin::KeyerModeList, 9);
    EXPECT_EQ(listSelection(dialog, mainwin::KeyerModeList), -1);
    EXPECT_EQ(getControlText(dialog, mainwin::KeyerModeList, 100), "");

    // Picking an entry with the mouse: selection, text, then the notification.
    choice->menubutton()->value(1);
    choice->menubutton()->do_callback();
    EXPECT_EQ(listSelection(dialog, mainwin::KeyerModeList), 1);
    EXPECT_EQ(getControlText(dialog, mainwin::KeyerModeList, 100), "Iambic B");
    EXPECT_EQ(choice->input()->position(), 0);
    ASSERT_FALSE(recorded.messages.empty());
    EXPECT_EQ(recorded.messages.back().controlId, mainwin::KeyerModeList);
    EXPECT_EQ(recorded.messages.back().notifyCode, notify::ListSelectionChange);

    // Typing over the field leaves no valid selection.
    choice->input()->do_callback();
    EXPECT_EQ(listSelection(dialog, mainwin::KeyerModeList), -1);

    listSelect(dialog, mainwin::KeyerModeList, 0);
    setControlText(dialog, mainwin::KeyerModeList, "Bug");
    EXPECT_EQ(listSelection(dialog, mainwin::KeyerModeList), -1);
    EXPECT_EQ(getControlText(dialog, mainwin::KeyerModeList, 100), "Bug");

    listClear(dialog, mainwin::KeyerModeList);
    EXPECT_EQ(choice->menubutton()->size(), 1);
    EXPECT_EQ(getControlText(dialog, mainwin::KeyerModeList, 100), "");
}

TEST_F(FltkDialogTest, ShowEnableAndProgress) {
    Window dialog = open(dlg::FirmwareUploader);
    showControl(dialog, uploader::StatusLine, false);
    EXPECT_FALSE(controlWidget(dialog, uploader::StatusLine)->visible());
    showControl(dialog, uploader::StatusLine, true);
    EXPECT_TRUE(controlWidget(dialog, uploader::StatusLine)->visible());
    enableControl(dialog, uploader::ProgramButton, false);
    EXPECT_FALSE(controlWidget(dialog, uploader::ProgramButton)->active());
    enableControl(dialog, uploader::ProgramButton, true);
    EXPECT_TRUE(controlWidget(dialog, uploader::ProgramButton)->active());
    auto* bar = static_cast<Fl_Progress*>(controlWidget(dialog, uploader::ProgressBar));
    setProgress(dialog, uploader::ProgressBar, 42);
    EXPECT_EQ(bar->value(), 42.0f);
    setProgress(dialog, uploader::ProgressBar, 250);
    EXPECT_EQ(bar->value(), 100.0f);
    setProgress(dialog, uploader::ProgressBar, -3);
    EXPECT_EQ(bar->value(), 0.0f);
}

TEST_F(FltkDialogTest, EnterAndEscapeAreTheDialogManagersCommands) {
    Window dialog = open(dlg::RttySetup);
    // Focus on a check box: Enter is command 1, Esc command 2.  (Focus is
    // set as the toolkit records it; moving it for real needs a display.)
    Fl::focus_ = controlWidget(dialog, rtty::EnableCheck);
    press(controlWidget(dialog, rtty::EnableCheck), FL_Enter, "\r");
    press(dialog->window, FL_Enter, "\r");
    press(dialog->window, FL_Escape, "\x1b");
    // Focus on a push button: Enter clicks it.
    Fl::focus_ = controlWidget(dialog, rtty::CancelButton);
    press(dialog->window, FL_KP_Enter, "\r");
    // Disabling it takes the focus away: Enter is command 1 again.
    enableControl(dialog, rtty::CancelButton, false);
    EXPECT_EQ(Fl::focus(), nullptr);
    press(dialog->window, FL_Enter, "\r");
    EXPECT_EQ(commands(), (std::vector<int>{IdOk, IdCancel, rtty::CancelButton, IdOk}));

    // Enter in a one-line edit leaves it to the dialog.
    Window main = open(dlg::MainWindow);
    EXPECT_EQ(press(controlWidget(main, mainwin::MaxWpmEdit), FL_Enter, "\r"), 0);
    EXPECT_EQ(press(controlWidget(main, mainwin::MaxWpmEdit), FL_Escape, "\x1b"), 0);
}

TEST_F(FltkDialogTest, EscapeInEveryWidgetOfTheMainWindowAndTheUploaderIsCommandTwoAndNeverAClose) {
    for (int templateId : {dlg::MainWindow, dlg::FirmwareUploader}) {
        Window dialog = open(templateId);
        std::vector<Fl_Widget*> widgets;
        for (const ControlTemplate& c : findDialogTemplate(templateId)->controls) {
            Fl_Widget* widget = controlWidget(dialog, c.id);
            widgets.push_back(widget);
            // A drop-down list is a field and an arrow button: each can hold the focus.
            if (auto* choice = dynamic_cast<Fl_Input_Choice*>(widget)) {
                widgets.push_back(choice->input());
                widgets.push_back(choice->menubutton());
            }
            // The log's scroll bars are its children.
            if (auto* log = dynamic_cast<Fl_Text_Editor*>(widget))
                for (int i = 0; i < log->children(); ++i) widgets.push_back(log->child(i));
        }
        for (Fl_Widget* widget : widgets) {
            recorded.messages.clear();
            Fl::focus_ = widget;
            // The toolkit's own dispatch: the focus and its parents, then the
            // shortcut round, then the window's callback.
            Fl::e_keysym = FL_Escape;
            Fl::e_state = 0;
            Fl::e_text = const_cast<char*>("\x1b");
            Fl::e_length = 1;
            Fl::handle(FL_KEYBOARD, dialog->window);
            ASSERT_EQ(recorded.messages.size(), 1u) << "widget at " << widget->x() << "," << widget->y();
            EXPECT_EQ(recorded.messages[0].event, DialogEvent::Command);
            EXPECT_EQ(recorded.messages[0].controlId, IdCancel);
            EXPECT_FALSE(dialog->ended);
        }
    }
    Fl::focus_ = nullptr;
}

TEST_F(FltkDialogTest, TheCloseBoxIsTheCloseEventAndThenCancel) {
    Window dialog = open(dlg::About);
    recorded.messages.clear();
    dialog->window->do_callback();
    ASSERT_EQ(recorded.messages.size(), 1u);
    EXPECT_EQ(recorded.messages[0].event, DialogEvent::Close);

    // A procedure that leaves the close event alone gets Cancel.
    recorded.handleClose = false;
    recorded.messages.clear();
    dialog->window->do_callback();
    EXPECT_EQ(commands(), std::vector<int>{IdCancel});

    // ... unless a Cancel button is there and disabled.
    Window uploaderDialog = open(dlg::FirmwareUploader);
    enableControl(uploaderDialog, uploader::LoadButton, false);
    recorded.messages.clear();
    uploaderDialog->window->do_callback();
    EXPECT_TRUE(commands().empty());
}

TEST_F(FltkDialogTest, AnEndedDialogHearsNothingMore) {
    Window dialog = open(dlg::About);
    endDialog(dialog, 5);
    EXPECT_TRUE(dialog->ended);
    EXPECT_EQ(dialog->result, 5);
    endDialog(dialog, 6);
    EXPECT_EQ(dialog->result, 5);
    recorded.messages.clear();
    sendCommand(dialog, about::OkButton);
    controlWidget(dialog, about::VerboseCheck)->do_callback();
    EXPECT_TRUE(recorded.messages.empty());
}

struct TimerLog {
    Window dialog = nullptr;
    std::vector<int> ticks;
    int stopAfter = 0;
};
TimerLog timerLog;

bool timerProc(Window dialog, const DialogMessage& message) {
    if (message.event != DialogEvent::Timer) return false;
    timerLog.ticks.push_back(message.timerId);
    if (static_cast<int>(timerLog.ticks.size()) == timerLog.stopAfter) stopTimer(dialog, message.timerId);
    return true;
}

TEST_F(FltkDialogTest, TimersTickUntilStopped) {
    timerLog = TimerLog{};
    timerLog.stopAfter = 3;
    Window dialog = createDialog(nullptr, dlg::About, timerProc);
    opened.push_back(dialog);
    startTimer(dialog, 7, 5);
    const auto guard = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (timerLog.ticks.size() < 3 && std::chrono::steady_clock::now() < guard) Fl::wait(0.01);
    // Stopped from inside its own tick: no tick follows.
    for (int i = 0; i < 5; ++i) Fl::wait(0.01);
    EXPECT_EQ(timerLog.ticks, (std::vector<int>{7, 7, 7}));

    // A dialog's timers end with it.
    timerLog.stopAfter = 0;
    startTimer(dialog, 8, 1);
    destroyDialog(dialog);
    opened.clear();
    for (int i = 0; i < 5; ++i) Fl::wait(0.01);
    EXPECT_EQ(timerLog.ticks.size(), 3u);
}

}  // namespace
