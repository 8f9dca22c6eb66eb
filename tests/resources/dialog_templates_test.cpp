#include <gtest/gtest.h>

#include <set>

#include "resources/control_ids.h"
#include "resources/dialog_templates.h"

namespace {

struct TemplateCase {
    int id;
    std::size_t controls;
    const char* caption;
    const char* font;
    DialogRect rect;
};

std::ostream& operator<<(std::ostream& out, const TemplateCase& c) { return out << c.id; }

class DialogTemplates : public ::testing::TestWithParam<TemplateCase> {};

TEST_P(DialogTemplates, HaveTheirCaptionSizeAndControls) {
    const DialogTemplate* t = findDialogTemplate(GetParam().id);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->controls.size(), GetParam().controls);
    EXPECT_EQ(t->caption, GetParam().caption);
    EXPECT_EQ(t->fontName, GetParam().font);
    EXPECT_EQ(t->fontPoints, 8);
    EXPECT_EQ(t->rect.width, GetParam().rect.width);
    EXPECT_EQ(t->rect.height, GetParam().rect.height);
    std::set<int> ids;
    for (const auto& c : t->controls) EXPECT_TRUE(ids.insert(c.id).second) << "duplicate control " << c.id;
}

INSTANTIATE_TEST_SUITE_P(
    Resources, DialogTemplates,
    ::testing::Values(TemplateCase{1001, 103, "Jaxtor 3 Tools Utility 5.0", "MS Shell Dlg", {0, 0, 378, 334}},
                      TemplateCase{1002, 3, "Comm Port Setup", "Tahoma", {0, 0, 130, 62}},
                      TemplateCase{1003, 7, "Jaxtor 3 Firmware Uploader", "Tahoma", {6, 18, 230, 174}},
                      TemplateCase{1004, 5, "VI3zurar 5.0 Help", "Tahoma", {0, 0, 262, 86}},
                      TemplateCase{1005, 15, "RTTY Mode Setup", "Tahoma", {0, 0, 138, 138}}));

TEST(DialogTemplatesMain, NamesItsWindowClass) {
    EXPECT_EQ(findDialogTemplate(dlg::MainWindow)->className, "JXtoolsClass");
    EXPECT_EQ(findDialogTemplate(dlg::About)->className, "");
    EXPECT_EQ(findDialogTemplate(9999), nullptr);
}

struct ControlCase {
    int dialog;
    int id;
    ControlKind kind;
    const char* text;
    DialogRect rect;
};

std::ostream& operator<<(std::ostream& out, const ControlCase& c) { return out << c.dialog << ':' << c.id; }

class TemplateControls : public ::testing::TestWithParam<ControlCase> {};

TEST_P(TemplateControls, SitWhereTheLayoutPutsThem) {
    const auto& p = GetParam();
    const ControlTemplate* c = findControl(*findDialogTemplate(p.dialog), p.id);
    ASSERT_NE(c, nullptr) << p.id;
    EXPECT_EQ(c->kind, p.kind);
    EXPECT_EQ(c->text, p.text);
    EXPECT_EQ(c->rect.x, p.rect.x);
    EXPECT_EQ(c->rect.y, p.rect.y);
    EXPECT_EQ(c->rect.width, p.rect.width);
    EXPECT_EQ(c->rect.height, p.rect.height);
}

using K = ControlKind;
INSTANTIATE_TEST_SUITE_P(
    Resources, TemplateControls,
    ::testing::Values(ControlCase{1001, 4056, K::GroupBox, "Message Editor", {4, 4, 224, 256}},
                      ControlCase{1001, 4006, K::Edit, "", {12, 196, 164, 32}},
                      ControlCase{1001, 4085, K::Edit, "", {12, 196, 164, 32}},
                      ControlCase{1001, 4091, K::Static, "Msg 12", {184, 208, 36, 12}},
                      ControlCase{1001, 4101, K::CheckBox, "FaveWpmOff", {240, 148, 56, 8}},
                      ControlCase{1001, 4100, K::Edit, "", {300, 172, 20, 12}},
                      ControlCase{1001, 4113, K::Static, "1stExtension", {324, 100, 44, 12}},
                      ControlCase{1001, 4053, K::ComboBox, "", {236, 204, 64, 95}},
                      ControlCase{1001, 4072, K::Edit, "", {236, 232, 64, 12}},
                      ControlCase{1001, 4074, K::Static, "Com: ?", {276, 288, 40, 16}},
                      ControlCase{1001, 4079, K::Static, "JX IC: ?", {216, 312, 52, 12}},
                      ControlCase{1001, 4051, K::PushButton, "Reset to Defaults", {156, 308, 52, 20}},
                      ControlCase{1001, 4, K::PushButton, "Exit", {332, 308, 40, 16}},
                      ControlCase{1002, 403, K::PushButton, "Exit", {68, 36, 50, 14}},
                      ControlCase{1003, 2, K::PushButton, "Load BIN File", {20, 148, 60, 15}},
                      ControlCase{1003, 4032, K::ProgressBar, "", {8, 24, 212, 9}},
                      ControlCase{1004, 4048, K::CheckBox, "Verbose Mode", {176, 64, 72, 10}},
                      ControlCase{1005, 4106, K::PushButton, "Ok", {80, 116, 48, 16}},
                      ControlCase{1005, 4076, K::ComboBox, "", {12, 64, 48, 48}}));

TEST(DialogTemplatesMain, MessageEditsAreUpperCaseMultiLine) {
    const auto& t = *findDialogTemplate(dlg::MainWindow);
    for (int id = 4001; id <= 4006; ++id) {
        const auto* c = findControl(t, id);
        EXPECT_TRUE(c->styles & style::MultiLine);
        EXPECT_TRUE(c->styles & style::UpperCase);
    }
    EXPECT_TRUE(findControl(t, 4096)->styles & style::DigitsOnly);
    EXPECT_TRUE(findControl(t, 4073)->styles & style::DigitsOnly);
    EXPECT_FALSE(findControl(t, 4039)->styles & style::DigitsOnly);
}

}  // namespace
