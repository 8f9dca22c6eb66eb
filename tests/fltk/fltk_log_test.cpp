// The uploader's log on a real (virtual) X display, where the text display
// lays out its lines: it scrolls as a log.  New lines from the upload thread
// keep the view at the end, unless the operator has scrolled back; scrolled
// to the end again, it follows again.  Every check is on line numbers the
// widget reports, never on pixels, so the font and the screen do not matter.
//
// Skips when Xvfb is not installed (scripts/test installs it).
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "platform/fltk/fltk_internal.h"
#include "resources/control_ids.h"
#include "tests/fltk/x_session.h"

namespace {

using namespace fltk_backend;

// One verbose line of an upload.
constexpr const char* LogLine = "0020 - ff3f ff3f ff3f ff3f ff3f ff3f ff3f ff3f 3c\r\n";

class FltkLogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { startXSession(session, skipReason); }
    static void TearDownTestSuite() { stopXSession(session); }

    void SetUp() override {
        if (session.serverPid < 0) GTEST_SKIP() << "No X display for the log test: " << skipReason;
        dialog = createDialog(nullptr, dlg::FirmwareUploader, nullptr);
        ASSERT_NE(dialog, nullptr);
        showDialog(dialog);
        ASSERT_TRUE(pumpUntil([this] { return dialog->window->shown() && dialog->window->visible(); }));
    }
    void TearDown() override {
        if (dialog) destroyDialog(dialog);
        Fl::wait(0);
    }

    // Runs the toolkit's loop until done() holds.  The limit only stops a
    // broken run from hanging; nothing depends on how long anything takes.
    static bool pumpUntil(const std::function<bool()>& done) {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!done()) {
            if (std::chrono::steady_clock::now() > limit) return false;
            Fl::wait(0.01);
        }
        return true;
    }

    // Lines appended as the upload worker appends them: from its own thread,
    // each insert waiting for the dialogs' thread.
    void appendFromWorker(int lines) {
        bool done = false;
        std::thread worker([&] {
            for (int i = 0; i < lines; ++i) insertEditText(dialog, uploader::LogEdit, LogLine);
            Fl::awake([](void* flag) { *static_cast<bool*>(flag) = true; }, &done);
        });
        const bool finished = pumpUntil([&] { return done; });
        worker.join();
        ASSERT_TRUE(finished);
    }

    // The mouse wheel over the log's text, dy lines' worth of notches
    // (negative: back towards the start).
    void wheel(int dy) {
        Fl_Widget* log = controlWidget(dialog, uploader::LogEdit);
        Fl::e_x = log->x() + log->w() / 3;
        Fl::e_y = log->y() + log->h() / 2;
        Fl::e_dx = 0;
        Fl::e_dy = dy;
        EXPECT_EQ(log->handle(FL_MOUSEWHEEL), 1);
    }

    EditView view() const { return editView(*findControlOf(dialog, uploader::LogEdit)); }

    static XSession session;
    static std::string skipReason;
    Window dialog = nullptr;
};

XSession FltkLogTest::session;
std::string FltkLogTest::skipReason;

TEST_F(FltkLogTest, NewLinesAreFollowedUntilTheOperatorScrollsBack) {
    const EditView empty = view();
    ASSERT_GT(empty.visibleLines, 2);
    EXPECT_EQ(empty.topLine, 1);
    EXPECT_EQ(empty.lastTopLine, 1);

    // Three views' worth of lines: the view is at the end, the last line in it.
    appendFromWorker(3 * empty.visibleLines);
    const EditView full = view();
    EXPECT_TRUE(full.scrollBarVisible);
    EXPECT_GT(full.lastTopLine, 1);
    EXPECT_EQ(full.topLine, full.lastTopLine);
    EXPECT_GE(full.topLine + full.visibleLines - 1, full.lineCount);
    EXPECT_TRUE(controlWidget(dialog, uploader::LogEdit)->visible_r());

    // Scrolled back: new lines leave the view where the operator put it.
    wheel(-3);
    const EditView back = view();
    ASSERT_LT(back.topLine, back.lastTopLine);
    appendFromWorker(4);
    EXPECT_EQ(view().topLine, back.topLine);
    EXPECT_GT(view().lastTopLine, back.lastTopLine);
    EXPECT_EQ(getControlText(dialog, uploader::LogEdit, 0xFFFF).size(), (3u * empty.visibleLines + 4) * 51);

    // Scrolled to the end again: the view follows again.
    wheel(10 * view().lineCount);
    ASSERT_EQ(view().topLine, view().lastTopLine);
    const int endBefore = view().lastTopLine;
    appendFromWorker(2);
    EXPECT_GT(view().lastTopLine, endBefore);
    EXPECT_EQ(view().topLine, view().lastTopLine);

    // Text set whole starts at the top; text that fits needs no scroll bar.
    setControlText(dialog, uploader::LogEdit, "one line\r\n");
    EXPECT_EQ(view().topLine, 1);
    EXPECT_EQ(view().lastTopLine, 1);
    EXPECT_FALSE(view().scrollBarVisible);
}

}  // namespace
