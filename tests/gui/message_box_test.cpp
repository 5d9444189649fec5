// The front end's boxes: the platform's flags become buttons, icons and default buttons;
// each button answers its platform code; the module's questions and trapped errors map
// those codes onto the answers the host contract asks for.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "case_name.h"
#include "front_end.h"
#include "message_box.h"

namespace {

using gui::Box;

struct FlagsCase {
    const char* name;
    std::int32_t flags;
    std::vector<std::int32_t> buttons;
    std::int32_t default_button;
    Box::Icon icon;
};

class PlatformFlags : public ::testing::TestWithParam<FlagsCase> {};

TEST_P(PlatformFlags, GiveTheButtonsIconAndDefault) {
    const FlagsCase& c = GetParam();
    const Box box = gui::platform_box("text", "title", c.flags);
    EXPECT_EQ(box.buttons, c.buttons);
    EXPECT_EQ(box.default_button, c.default_button);
    EXPECT_EQ(box.icon, c.icon);
}

INSTANTIATE_TEST_SUITE_P(
    Flags, PlatformFlags,
    ::testing::Values(
        FlagsCase{"ok", 0, {gui::kBoxOk}, gui::kBoxOk, Box::Icon::Information},
        FlagsCase{
            "ok cancel, critical", 1 | 16, {gui::kBoxOk, gui::kBoxCancel}, gui::kBoxOk, Box::Icon::Critical},
        FlagsCase{"abort retry ignore, third default",
                  2 | 48 | 512,
                  {gui::kBoxAbort, gui::kBoxRetry, gui::kBoxIgnore},
                  gui::kBoxIgnore,
                  Box::Icon::Warning},
        FlagsCase{"yes no cancel, question",
                  3 | 32,
                  {gui::kBoxYes, gui::kBoxNo, gui::kBoxCancel},
                  gui::kBoxYes,
                  Box::Icon::Question},
        FlagsCase{"yes no, second default",
                  4 | 256,
                  {gui::kBoxYes, gui::kBoxNo},
                  gui::kBoxNo,
                  Box::Icon::Information},
        FlagsCase{"retry cancel, default past the last button",
                  5 | 512,
                  {gui::kBoxRetry, gui::kBoxCancel},
                  gui::kBoxCancel,
                  Box::Icon::Information},
        FlagsCase{"unknown button set", 7, {gui::kBoxOk}, gui::kBoxOk, Box::Icon::Information}),
    scripted::ByName());

// The standard button each answer is shown as.
QMessageBox::StandardButton shown_as(std::int32_t answer) {
    const std::pair<std::int32_t, QMessageBox::StandardButton> buttons[] = {
        {gui::kBoxOk, QMessageBox::Ok},         {gui::kBoxCancel, QMessageBox::Cancel},
        {gui::kBoxAbort, QMessageBox::Abort},   {gui::kBoxRetry, QMessageBox::Retry},
        {gui::kBoxIgnore, QMessageBox::Ignore}, {gui::kBoxYes, QMessageBox::Yes},
        {gui::kBoxNo, QMessageBox::No}};
    for (const auto& [code, button] : buttons)
        if (code == answer) return button;
    return QMessageBox::NoButton;
}

// Once the box is on the screen: checks its buttons are the standard ones of their answers
// and the default is `default_answer`, then presses the button that answers `answer`
// (Escape when `answer` is 0).
void press_when_shown(std::int32_t answer, std::int32_t default_answer) {
    QTimer::singleShot(0, [answer, default_answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr) return;
        for (QAbstractButton* button : box->buttons())
            EXPECT_EQ(box->standardButton(button), shown_as(button->property("answer").toInt()));
        ASSERT_NE(box->defaultButton(), nullptr);
        EXPECT_EQ(box->defaultButton()->property("answer").toInt(), default_answer);
        if (answer == 0) {
            QTest::keyClick(box, Qt::Key_Escape);
        } else {
            for (QAbstractButton* button : box->buttons())
                if (button->property("answer").toInt() == answer) button->click();
        }
        if (box->isVisible()) box->reject();  // never wait for a person
    });
}

struct PressCase {
    const char* name;
    std::vector<std::int32_t> buttons;
    std::int32_t pressed;  // 0: closed with Escape
    std::int32_t answer;
};

class ShownBox : public ::testing::TestWithParam<PressCase> {};

TEST_P(ShownBox, AnswersTheCodeOfThePressedButton) {
    const PressCase& c = GetParam();
    Box box;
    box.title = "title";
    box.text = "line one\r\nline two";
    box.buttons = c.buttons;
    box.default_button = c.buttons.back();
    press_when_shown(c.pressed, box.default_button);
    EXPECT_EQ(gui::run_box(box, nullptr), c.answer);
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, ShownBox,
    ::testing::Values(
        PressCase{"abort", {gui::kBoxAbort, gui::kBoxRetry, gui::kBoxIgnore}, gui::kBoxAbort, gui::kBoxAbort},
        PressCase{"retry", {gui::kBoxAbort, gui::kBoxRetry, gui::kBoxIgnore}, gui::kBoxRetry, gui::kBoxRetry},
        PressCase{
            "ignore", {gui::kBoxAbort, gui::kBoxRetry, gui::kBoxIgnore}, gui::kBoxIgnore, gui::kBoxIgnore},
        PressCase{"escape on abort retry ignore",
                  {gui::kBoxAbort, gui::kBoxRetry, gui::kBoxIgnore},
                  0,
                  gui::kBoxAbort},
        PressCase{"yes", {gui::kBoxYes, gui::kBoxNo}, gui::kBoxYes, gui::kBoxYes},
        PressCase{"no", {gui::kBoxYes, gui::kBoxNo}, gui::kBoxNo, gui::kBoxNo},
        PressCase{"escape on yes no", {gui::kBoxYes, gui::kBoxNo}, 0, gui::kBoxNo},
        PressCase{"ok", {gui::kBoxOk}, gui::kBoxOk, gui::kBoxOk},
        PressCase{"cancel", {gui::kBoxOk, gui::kBoxCancel}, gui::kBoxCancel, gui::kBoxCancel}),
    scripted::ByName());

TEST(BoxText, ShowsModuleLineEndsAsLines) {
    EXPECT_EQ(gui::dialog_text("a\r\nb\rc\nd"), "a\nb\nc\nd");
}

struct QuestionCase {
    const char* name;
    std::int32_t default_button;  // as the module passes it
    std::int32_t pressed;
    std::int32_t expected_default;
    std::int16_t answer;
};

class ModuleQuestion : public ::testing::TestWithParam<QuestionCase> {};

TEST_P(ModuleQuestion, IsAYesNoBoxAnsweringNonZeroForYes) {
    const QuestionCase& c = GetParam();
    gui::FrontEnd front_end;
    front_end.set_answerer([&](const Box&) { return c.pressed; });
    EXPECT_EQ(front_end.ShowMessage(113, 4, "File già importato. Forza?", "", "caption", c.default_button),
              c.answer);
    ASSERT_EQ(front_end.boxes().size(), 1U);
    const Box& box = front_end.boxes()[0].box;
    EXPECT_EQ(box.code, 113);
    EXPECT_EQ(box.title, "caption");
    EXPECT_EQ(box.buttons, (std::vector<std::int32_t>{gui::kBoxYes, gui::kBoxNo}));
    EXPECT_EQ(box.default_button, c.expected_default);
    EXPECT_EQ(box.icon, Box::Icon::Question);
}

INSTANTIATE_TEST_SUITE_P(Answers, ModuleQuestion,
                         ::testing::Values(QuestionCase{"yes", 0, gui::kBoxYes, gui::kBoxYes, 1},
                                           QuestionCase{"no", 0, gui::kBoxNo, gui::kBoxYes, 0},
                                           QuestionCase{"no by default", 256, gui::kBoxNo, gui::kBoxNo, 0}),
                         scripted::ByName());

TEST(ModuleMessage, PlainKindsAreOneButtonBoxesWithTheirDetail) {
    gui::FrontEnd front_end;
    front_end.set_answerer([](const Box&) { return gui::kBoxOk; });
    EXPECT_NE(front_end.ShowMessage(107, 3, "Importazione ESEGUITA con successo.", "", "c", 0), 0);
    front_end.ShowMessage(110, 2, "ERRORE", "detail", "c", 0);
    ASSERT_EQ(front_end.boxes().size(), 2U);
    EXPECT_EQ(front_end.boxes()[0].box.buttons, std::vector<std::int32_t>{gui::kBoxOk});
    EXPECT_EQ(front_end.boxes()[0].box.icon, Box::Icon::Information);
    EXPECT_EQ(front_end.boxes()[1].box.icon, Box::Icon::Critical);
    EXPECT_EQ(front_end.boxes()[1].box.detail, "detail");
}

struct ErrorCase {
    const char* name;
    std::int32_t pressed;
    std::int32_t answer;
};

class TrappedError : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(TrappedError, AsksAbortRetryIgnoreAndAnswersThreeToFive) {
    const ErrorCase& c = GetParam();
    gui::FrontEnd front_end;
    front_end.set_answerer([&](const Box&) { return c.pressed; });
    const ado::ProviderErrors providers = {{-1, "engine said no", "sqlite", "", 0},
                                           {-1, "the description", "", "", 0}};
    EXPECT_EQ(front_end.ShowError("", "VerificaTabelle", host::ErrorInfo{3021, "the description", "src"},
                                  providers),
              c.answer);
    const Box& box = front_end.boxes().at(0).box;
    EXPECT_EQ(box.buttons, (std::vector<std::int32_t>{gui::kBoxAbort, gui::kBoxRetry, gui::kBoxIgnore}));
    EXPECT_EQ(box.default_button, gui::kBoxAbort);
    EXPECT_NE(box.text.find("VerificaTabelle"), std::string::npos);
    EXPECT_NE(box.text.find("3021"), std::string::npos);
    EXPECT_EQ(box.detail, "engine said no");  // the description is not repeated
}

INSTANTIATE_TEST_SUITE_P(Answers, TrappedError,
                         ::testing::Values(ErrorCase{"abort", gui::kBoxAbort, 3},
                                           ErrorCase{"retry", gui::kBoxRetry, 4},
                                           ErrorCase{"ignore", gui::kBoxIgnore, 5},
                                           ErrorCase{"anything else aborts", gui::kBoxOk, 3}),
                         scripted::ByName());

}  // namespace
