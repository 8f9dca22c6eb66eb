// The widgets that stand for the template's controls.
#include "platform/fltk/fltk_toolkit.h"

#include <algorithm>
#include <climits>
#include <cstdlib>

#include "platform/fltk/fltk_internal.h"

namespace fltk_backend {

namespace {

// A group box: an engraved frame whose top line runs through the middle of
// its label.  It holds no widgets; the controls inside it are its siblings,
// as on Windows.
class FrameGroup : public Fl_Group {
public:
    FrameGroup(int x, int y, int width, int height) : Fl_Group(x, y, width, height) {
        end();
        box(FL_NO_BOX);
    }

    void draw() override {
        fl_font(labelfont(), labelsize());
        const int textHeight = fl_height();
        const int top = y() + textHeight / 2;
        draw_box(FL_ENGRAVED_FRAME, x(), top, w(), h() - (top - y()), color());
        if (!label() || !*label()) return;
        int textWidth = 0;
        int ignored = 0;
        measure_label(textWidth, ignored);
        const int labelX = x() + textHeight / 2 + 2;
        fl_color(color());
        fl_rectf(labelX - 3, y(), textWidth + 6, textHeight);
        draw_label(labelX, y(), textWidth, textHeight, FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    }
};

// Laying out a text display's lines measures its font, which needs a
// display; the tests that build dialogs without one keep to the rest.
bool displayOpen() { return fl_display != nullptr; }

// A multi-line edit with a vertical scroll bar: the log of the uploader,
// which another thread appends to while the operator may be reading an
// earlier part.  The view is the text display's own, apart from the caret,
// so the caret can stay at the end where the lines go in while the view is
// wherever the scroll bar or the wheel put it.  Long lines wrap, as in the
// system's multi-line edit without horizontal scrolling, so there is no
// horizontal scroll bar.
class ScrollingEditWidget : public Fl_Text_Editor {
public:
    ScrollingEditWidget(int x, int y, int width, int height, Control& owner)
        : Fl_Text_Editor(x, y, width, height), control(owner) {
        scrollbar_align(FL_ALIGN_RIGHT);
        // Clicking a scroll bar leaves the focus where it was.
        mVScrollBar->clear_visible_focus();
        mHScrollBar->clear_visible_focus();
        if (displayOpen()) wrap_mode(WRAP_AT_BOUNDS, 0);
        buffer(&text);
    }

    ~ScrollingEditWidget() override {
        // The buffer goes before the display's own destructor would detach
        // from it: detach here.
        mBuffer->remove_modify_callback(buffer_modified_cb, this);
        mBuffer->remove_predelete_callback(buffer_predelete_cb, this);
        mBuffer = nullptr;
    }

    void resize(int x, int y, int width, int height) override {
        if (!displayOpen()) {
            Fl_Widget::resize(x, y, width, height);
            return;
        }
        Fl_Text_Editor::resize(x, y, width, height);
    }

    int handle(int event) override;

    // The scroll bar's range is the lines the view can start at.
    int lastTopLine() const { return static_cast<int>(mVScrollBar->maximum()); }
    // Text that fits is shown from the top, and is at its end there too.
    bool atEnd() const { return mTopLineNum >= lastTopLine() || mNBufferLines < mNVisibleLines; }
    void scrollToEnd() {
        if (displayOpen()) scroll(mNBufferLines + 2, 0);
    }
    void scrollToTop() {
        if (displayOpen()) scroll(1, 0);
    }
    void showCaret() {
        if (displayOpen()) show_insert_position();
    }
    EditView view() const {
        return {mTopLineNum, mNVisibleLines, mNBufferLines + 1, lastTopLine(), mVScrollBar->visible() != 0};
    }

private:
    Control& control;
    Fl_Text_Buffer text;
};

ScrollingEditWidget* scrollingEdit(const Control& control) {
    return dynamic_cast<ScrollingEditWidget*>(control.widget);
}

// The part of an edit's text that the next insert replaces: the selection,
// or the empty range at the caret.
struct EditRange {
    std::size_t from = 0;
    std::size_t to = 0;
};

EditRange replacedRange(const Control& control) {
    if (ScrollingEditWidget* edit = scrollingEdit(control)) {
        int start = 0;
        int end = 0;
        if (edit->buffer()->selection_position(&start, &end))
            return {static_cast<std::size_t>(start), static_cast<std::size_t>(end)};
        const auto caret = static_cast<std::size_t>(edit->insert_position());
        return {caret, caret};
    }
    const auto* input = static_cast<const Fl_Input_*>(control.widget);
    return {static_cast<std::size_t>(std::min(input->position(), input->mark())),
            static_cast<std::size_t>(std::max(input->position(), input->mark()))};
}

// The program length of an edit's text without the range an insert replaces.
std::size_t lengthLeft(const Control& control, EditRange range) {
    const std::string value = editWidgetText(control);
    return programLength(value) - programLength(std::string_view(value).substr(range.from, range.to - range.from));
}

enum class Change { Typed, Program };

// Puts widget text in place of a range, the caret after it.  What the
// operator types can be undone and brings the caret into view; what the
// program inserts cannot be undone, and a scrolling edit follows it only
// when its view was at the end.
void replaceRange(Control& control, EditRange range, std::string_view widgetText, Change change) {
    const auto from = static_cast<int>(range.from);
    const auto to = static_cast<int>(range.to);
    const auto caret = static_cast<int>(range.from + widgetText.size());
    const std::string inserted(widgetText);
    if (ScrollingEditWidget* edit = scrollingEdit(control)) {
        Fl_Text_Buffer* buffer = edit->buffer();
        const bool following = edit->atEnd();
        if (change == Change::Program) buffer->canUndo(0);  // also forgets what could be undone so far
        buffer->replace(from, to, inserted.c_str());
        if (change == Change::Program) buffer->canUndo(1);
        buffer->unselect();
        edit->insert_position(caret);
        if (change == Change::Typed) {
            edit->set_changed();
            edit->showCaret();
        } else if (following) {
            edit->scrollToEnd();
        }
        return;
    }
    auto* input = static_cast<Fl_Input_*>(control.widget);
    if (change == Change::Typed) {
        input->replace(from, to, inserted.data(), static_cast<int>(inserted.size()));
        input->set_changed();
        return;
    }
    const std::string value = editWidgetText(control);
    const std::string replaced = value.substr(0, range.from) + inserted + value.substr(range.to);
    // Setting the whole value forgets the undo buffer: this change cannot be undone.
    input->value(replaced.data(), static_cast<int>(replaced.size()));
    input->position(caret, caret);
}

std::string_view eventText() {
    return {Fl::event_text() ? Fl::event_text() : "", static_cast<std::size_t>(std::max(0, Fl::event_length()))};
}

// Pasted text sees only the edit's rules, as on Windows.
void insertPasted(Control& control, std::string_view text) {
    const EditRange range = replacedRange(control);
    const std::string widgetText = toWidgetText(
        insertionText(control.editStyle(), text, lengthLeft(control, range), control.textLimit, TextEncoding::Utf8),
        control.editStyle().multiLine);
    if (!widgetText.empty()) replaceRange(control, range, widgetText, Change::Typed);
}

// A key press in an edit: every typed character passes the control's
// character filter and then the edit's own rules (upper case, digits only,
// text limit) before it goes in.  Keys that type nothing, backspace and the
// edit's own control keys (copy, cut, paste, undo) go on to the widget
// through passOn.
template <class PassOn>
int editKeyPressed(Control& control, PassOn passOn) {
    const int key = Fl::event_key();
    // Enter in a one-line edit and Esc anywhere belong to the dialog.
    if ((key == FL_Enter || key == FL_KP_Enter) && !(control.styles & style::MultiLine)) return 0;
    if (key == FL_Escape) return 0;
    const std::vector<unsigned> characters = typedCharacters(key, Fl::event_state(), eventText());
    if (characters.empty()) return passOn();
    bool passed = false;
    for (unsigned c : characters) {
        const TypedOutcome outcome = typeIntoEdit(control, c);
        if (outcome == TypedOutcome::EraseBack || outcome == TypedOutcome::EditCommand) passed = true;
    }
    return passed ? passOn() : 1;
}

int ScrollingEditWidget::handle(int event) {
    if (event == FL_KEYBOARD) {
        // Tab moves on to the next control, as it does from the other edits.
        if (Fl::event_key() == FL_Tab) return 0;
        return editKeyPressed(control, [this] { return Fl_Text_Editor::handle(FL_KEYBOARD); });
    }
    if (event == FL_PASTE) {
        insertPasted(control, eventText());
        return 1;
    }
    return Fl_Text_Editor::handle(event);
}

template <class Base>
class EditWidget : public Base {
public:
    EditWidget(int x, int y, int width, int height, Control& owner)
        : Base(x, y, width, height), control(owner) {}

    int handle(int event) override {
        if (event == FL_KEYBOARD) return editKeyPressed(control, [this] { return Base::handle(FL_KEYBOARD); });
        if (event == FL_PASTE) {
            if (this->readonly()) return Base::handle(event);
            insertPasted(control, eventText());
            return 1;
        }
        return Base::handle(event);
    }

private:
    Control& control;
};

using SingleLineEdit = EditWidget<Fl_Input>;
using MultiLineEdit = EditWidget<Fl_Multiline_Input>;

void buttonClicked(Fl_Widget*, void* data) {
    auto* control = static_cast<Control*>(data);
    deliverCommand(control->dialog, control->id, notify::Clicked);
}

// Radio buttons are not automatic: a click shows nothing by itself, the
// procedure sets the state.
void radioClicked(Fl_Widget* widget, void* data) {
    auto* control = static_cast<Control*>(data);
    static_cast<Fl_Button*>(widget)->value(control->checked ? 1 : 0);
    deliverCommand(control->dialog, control->id, notify::Clicked);
}

void listPicked(Fl_Widget* widget, void* data) {
    auto* control = static_cast<Control*>(data);
    const int index = static_cast<Fl_Menu_Button*>(widget)->value();
    if (index < 0 || index >= static_cast<int>(control->entries.size())) return;
    control->selection = index;
    auto* choice = static_cast<Fl_Input_Choice*>(control->widget);
    choice->value(control->entries[static_cast<std::size_t>(index)].c_str());
    choice->input()->position(0);  // the start of a long entry, the COM number first
    deliverCommand(control->dialog, control->id, notify::ListSelectionChange);
}

// Typing over a list's field leaves no valid selection.
void listTyped(Fl_Widget*, void* data) { static_cast<Control*>(data)->selection = -1; }

void ignoreCallback(Fl_Widget*, void*) {}

void applyFont(Fl_Widget* widget, int fontPixels) {
    widget->labelfont(FL_HELVETICA);
    widget->labelsize(fontPixels);
}

}  // namespace

Fl_Widget* createControlWidget(Control& control, const ControlTemplate& controlTemplate, DialogBaseUnits units,
                               int fontPixels) {
    const PixelRect r = dialogToPixels(controlTemplate.rect, units);
    const auto align = static_cast<Fl_Align>(labelAlignFor(controlTemplate.kind, controlTemplate.styles));
    control.text = std::string(controlTemplate.text);
    const std::string label = labelText(controlTemplate.text);
    Fl_Widget* widget = nullptr;

    switch (widgetKindFor(controlTemplate.kind, controlTemplate.styles)) {
        case WidgetKind::FrameGroup: {
            widget = new FrameGroup(r.x, r.y, r.width, r.height);
            break;
        }
        case WidgetKind::TextBox: {
            auto* box = new Fl_Box(r.x, r.y, r.width, r.height);
            // A flat box repaints its background, so a shorter new text leaves nothing behind.
            box->box(FL_FLAT_BOX);
            widget = box;
            break;
        }
        case WidgetKind::SingleLineEdit:
        case WidgetKind::MultiLineEdit: {
            Fl_Input* input = nullptr;
            if (controlTemplate.styles & style::MultiLine)
                input = new MultiLineEdit(r.x, r.y, r.width, r.height, control);
            else
                input = new SingleLineEdit(r.x, r.y, r.width, r.height, control);
            input->box((controlTemplate.styles & style::Border) ? FL_DOWN_BOX : FL_FLAT_BOX);
            input->textfont(FL_HELVETICA);
            input->textsize(fontPixels);
            // The edit counts its own limit (a line break is two characters there).
            input->maximum_size(INT_MAX / 2);
            input->callback(ignoreCallback);
            input->when(FL_WHEN_NEVER);
            widget = input;
            break;
        }
        case WidgetKind::ScrollingEdit: {
            auto* edit = new ScrollingEditWidget(r.x, r.y, r.width, r.height, control);
            edit->box((controlTemplate.styles & style::Border) ? FL_DOWN_BOX : FL_FLAT_BOX);
            edit->textfont(FL_HELVETICA);
            edit->textsize(fontPixels);
            edit->callback(ignoreCallback);
            edit->when(FL_WHEN_NEVER);
            widget = edit;
            break;
        }
        case WidgetKind::CheckButton: {
            auto* check = new Fl_Check_Button(r.x, r.y, r.width, r.height);
            check->callback(buttonClicked, &control);
            widget = check;
            break;
        }
        case WidgetKind::RadioButton: {
            auto* radio = new Fl_Round_Button(r.x, r.y, r.width, r.height);
            radio->type(FL_TOGGLE_BUTTON);
            radio->callback(radioClicked, &control);
            widget = radio;
            break;
        }
        case WidgetKind::PushButton: {
            auto* button = new Fl_Button(r.x, r.y, r.width, r.height);
            button->callback(buttonClicked, &control);
            widget = button;
            break;
        }
        case WidgetKind::InputChoice: {
            auto* choice = new Fl_Input_Choice(r.x, r.y, r.width, comboFieldHeight(units, r.height));
            choice->textfont(FL_HELVETICA);
            choice->textsize(fontPixels);
            choice->menubutton()->textfont(FL_HELVETICA);
            choice->menubutton()->textsize(fontPixels);
            choice->menubutton()->callback(listPicked, &control);
            choice->input()->callback(listTyped, &control);
            choice->input()->when(FL_WHEN_CHANGED);
            choice->callback(ignoreCallback);
            choice->when(FL_WHEN_NEVER);
            widget = choice;
            break;
        }
        case WidgetKind::ProgressBar: {
            auto* progress = new Fl_Progress(r.x, r.y, r.width, r.height);
            progress->minimum(0.0f);
            progress->maximum(100.0f);
            progress->value(0.0f);
            progress->color(FL_BACKGROUND2_COLOR);
            progress->selection_color(fl_rgb_color(0x2f, 0x7d, 0x32));
            widget = progress;
            break;
        }
    }

    applyFont(widget, fontPixels);
    const bool labelled = controlTemplate.kind != ControlKind::Edit && controlTemplate.kind != ControlKind::ComboBox &&
                          controlTemplate.kind != ControlKind::ProgressBar;
    if (labelled) {
        widget->copy_label(label.c_str());
        widget->align(align);
    }
    if (controlTemplate.styles & style::Hidden) widget->hide();
    control.widget = widget;
    return widget;
}

void rebuildMenu(Control& control) {
    auto* choice = static_cast<Fl_Input_Choice*>(control.widget);
    control.menuLabels.clear();
    for (const std::string& entry : control.entries) control.menuLabels.push_back(menuLabelText(entry));
    control.menuItems.assign(control.menuLabels.size() + 1, Fl_Menu_Item{});
    for (std::size_t i = 0; i < control.menuLabels.size(); ++i) {
        control.menuItems[i].text = control.menuLabels[i].c_str();
        control.menuItems[i].labelsize_ = choice->menubutton()->textsize();
        control.menuItems[i].labelfont_ = FL_HELVETICA;
    }
    choice->menubutton()->menu(control.menuItems.data());
}

TypedOutcome typeIntoEdit(Control& control, unsigned character) {
    if (control.filter && !control.filter(control.dialog, control.id, character)) return TypedOutcome::Refuse;
    const EditRange range = replacedRange(control);
    const TypedResult result =
        typedCharacter(control.editStyle(), character, lengthLeft(control, range), control.textLimit, TextEncoding::Utf8);
    if (result.outcome == TypedOutcome::Insert)
        replaceRange(control, range, toWidgetText(result.text, control.editStyle().multiLine), Change::Typed);
    return result.outcome;
}

void insertIntoEdit(Control& control, std::string_view text) {
    const EditRange range = replacedRange(control);
    const std::string inserted =
        toWidgetText(insertionText(control.editStyle(), text, lengthLeft(control, range), control.textLimit,
                                   TextEncoding::Utf8),
                     control.editStyle().multiLine);
    replaceRange(control, range, inserted, Change::Program);
}

std::string editWidgetText(const Control& control) {
    if (ScrollingEditWidget* edit = scrollingEdit(control)) {
        char* copy = edit->buffer()->text();
        std::string value = copy ? copy : "";
        std::free(copy);
        return value;
    }
    const auto* input = static_cast<const Fl_Input_*>(control.widget);
    return {input->value(), static_cast<std::size_t>(input->size())};
}

void setEditWidgetText(Control& control, std::string_view widgetText) {
    const std::string value(widgetText);
    if (ScrollingEditWidget* edit = scrollingEdit(control)) {
        Fl_Text_Buffer* buffer = edit->buffer();
        buffer->canUndo(0);
        buffer->text(value.c_str());
        buffer->canUndo(1);
        edit->insert_position(0);
        edit->scrollToTop();
        return;
    }
    auto* input = static_cast<Fl_Input_*>(control.widget);
    input->value(value.data(), static_cast<int>(value.size()));
    input->position(0, 0);
}

EditView editView(const Control& control) {
    const ScrollingEditWidget* edit = scrollingEdit(control);
    return edit ? edit->view() : EditView{};
}

}  // namespace fltk_backend
