// The widgets that stand for the template's controls.
#include "platform/fltk/fltk_toolkit.h"

#include <algorithm>
#include <climits>

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

// The program length of an edit's text without its selection, which the
// next insert replaces.
std::size_t lengthLeft(const Fl_Input_& input) {
    const std::string_view value(input.value(), static_cast<std::size_t>(input.size()));
    const auto from = static_cast<std::size_t>(std::min(input.position(), input.mark()));
    const auto to = static_cast<std::size_t>(std::max(input.position(), input.mark()));
    return programLength(value) - programLength(value.substr(from, to - from));
}

// An edit: every typed character passes the control's character filter and
// then the edit's own rules (upper case, digits only, text limit) before it
// is inserted.  Pasted text sees only the edit's rules, as on Windows.
template <class Base>
class EditWidget : public Base {
public:
    EditWidget(int x, int y, int width, int height, Control& owner)
        : Base(x, y, width, height), control(owner) {}

    int handle(int event) override {
        if (event == FL_KEYBOARD) return keyPressed();
        if (event == FL_PASTE) {
            if (this->readonly()) return Base::handle(event);
            insertTyped(std::string_view(Fl::event_text() ? Fl::event_text() : "",
                                         static_cast<std::size_t>(std::max(0, Fl::event_length()))));
            return 1;
        }
        return Base::handle(event);
    }

private:
    int keyPressed() {
        const int key = Fl::event_key();
        // Enter in a one-line edit and Esc anywhere belong to the dialog.
        if ((key == FL_Enter || key == FL_KP_Enter) && !(control.styles & style::MultiLine)) return 0;
        if (key == FL_Escape) return 0;
        const std::vector<unsigned> characters = typedCharacters(
            key, Fl::event_state(),
            std::string_view(Fl::event_text() ? Fl::event_text() : "",
                              static_cast<std::size_t>(std::max(0, Fl::event_length()))));
        if (characters.empty()) return Base::handle(FL_KEYBOARD);
        bool passOn = false;
        for (unsigned c : characters) {
            const TypedOutcome outcome = typeIntoEdit(control, c);
            if (outcome == TypedOutcome::EraseBack || outcome == TypedOutcome::EditCommand) passOn = true;
        }
        return passOn ? Base::handle(FL_KEYBOARD) : 1;
    }

    void insertTyped(std::string_view text) {
        const std::size_t left = lengthLeft(*this);
        const std::string widgetText = toWidgetText(
            insertionText(control.editStyle(), text, left, control.textLimit, TextEncoding::Utf8), control.editStyle().multiLine);
        if (widgetText.empty()) return;
        this->replace(this->position(), this->mark(), widgetText.data(), static_cast<int>(widgetText.size()));
        this->set_changed();
    }

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
    auto* input = static_cast<Fl_Input_*>(control.widget);
    const std::size_t left = lengthLeft(*input);
    const TypedResult result = typedCharacter(control.editStyle(), character, left, control.textLimit, TextEncoding::Utf8);
    if (result.outcome == TypedOutcome::Insert) {
        const std::string text = toWidgetText(result.text, control.editStyle().multiLine);
        input->replace(input->position(), input->mark(), text.data(), static_cast<int>(text.size()));
        input->set_changed();
    }
    return result.outcome;
}

void insertIntoEdit(Control& control, std::string_view text) {
    auto* input = static_cast<Fl_Input_*>(control.widget);
    const std::string value(input->value(), static_cast<std::size_t>(input->size()));
    const auto from = static_cast<std::size_t>(std::min(input->position(), input->mark()));
    const auto to = static_cast<std::size_t>(std::max(input->position(), input->mark()));
    const std::size_t left = lengthLeft(*input);
    const std::string inserted =
        toWidgetText(insertionText(control.editStyle(), text, left, control.textLimit, TextEncoding::Utf8),
                     control.editStyle().multiLine);
    const std::string replaced = value.substr(0, from) + inserted + value.substr(to);
    // Setting the whole value forgets the undo buffer: this change cannot be undone.
    input->value(replaced.data(), static_cast<int>(replaced.size()));
    const auto caret = static_cast<int>(from + inserted.size());
    input->position(caret, caret);
}

}  // namespace fltk_backend
