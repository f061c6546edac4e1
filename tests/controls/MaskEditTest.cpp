#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QVBoxLayout>

#include "controls/MaskEdit.h"

namespace cinevan {
namespace {

// A time box as the Edit Movie Link dialog uses it, beside a second control to move to.
class MaskEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto* layout = new QVBoxLayout(&window_);
        layout->addWidget(edit_);
        layout->addWidget(other_);
        edit_->SetEditMask("!90:00:00;1;_");
        edit_->ShowError = [this](QWidget*, const QString& text) { errors_.append(text); };
        window_.show();
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    }

    QWidget window_;
    TMaskEdit* edit_ = new TMaskEdit(&window_);
    QLineEdit* other_ = new QLineEdit(&window_);
    QStringList errors_;
    int exits_ = 0;
};

TEST_F(MaskEditTest, TextKeepsSeparatorsAndABlankForTheOptionalHourDigit) {
    EXPECT_EQ(edit_->inputMask(), "09:99:99;_");
    EXPECT_EQ(edit_->MaskedText(), "  :  :  ");
    edit_->SetMaskedText("00:01:30");
    EXPECT_EQ(edit_->MaskedText(), "00:01:30");
    EXPECT_EQ(edit_->displayText(), "00:01:30");
    edit_->SetMaskedText("1:05:09");
    EXPECT_EQ(edit_->displayText(), "_1:05:09");
    EXPECT_EQ(edit_->MaskedText(), " 1:05:09");
    EXPECT_EQ(edit_->FirstMissingPosition(), -1);
    edit_->SetMaskedText(" 2:00:00");
    EXPECT_EQ(edit_->MaskedText(), " 2:00:00");
}

TEST_F(MaskEditTest, TypedDigitsFillThePositions) {
    edit_->setFocus();
    edit_->selectAll();
    QTest::keyClicks(edit_, "012345");
    EXPECT_EQ(edit_->MaskedText(), "01:23:45");
    EXPECT_TRUE(edit_->isModified());
}

TEST_F(MaskEditTest, LeavingAnIncompleteChangedBoxIsRefused) {
    QObject::connect(edit_, &TMaskEdit::Exited, [this] { ++exits_; });
    edit_->SetMaskedText("00:01:30");
    edit_->setFocus();
    QTest::keyClick(edit_, Qt::Key_End);
    QTest::keyClick(edit_, Qt::Key_Backspace);
    QTest::keyClick(edit_, Qt::Key_Backspace);
    ASSERT_EQ(edit_->FirstMissingPosition(), 6);
    other_->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    EXPECT_TRUE(edit_->hasFocus());
    EXPECT_EQ(edit_->cursorPosition(), 6);
    EXPECT_EQ(errors_, QStringList{"Invalid input value.  Use escape key to abandon changes"});
    EXPECT_EQ(exits_, 0);

    QTest::keyClick(edit_, Qt::Key_Escape);
    EXPECT_EQ(edit_->MaskedText(), "00:01:30") << "Escape abandons the change";
    other_->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(other_->hasFocus());
    EXPECT_EQ(exits_, 1);
    EXPECT_EQ(errors_.size(), 1);
}

TEST_F(MaskEditTest, AnUnchangedBoxIsNotChecked) {
    QObject::connect(edit_, &TMaskEdit::Exited, [this] { ++exits_; });
    edit_->setText("");
    edit_->setFocus();
    other_->setFocus(Qt::TabFocusReason);
    EXPECT_TRUE(other_->hasFocus());
    EXPECT_EQ(exits_, 1);
    EXPECT_TRUE(errors_.isEmpty());
}

TEST_F(MaskEditTest, NoErrorOnceTheWindowClosedMeanwhile) {
    edit_->setFocus();
    QTest::keyClick(edit_, Qt::Key_1);
    other_->setFocus(Qt::TabFocusReason);
    window_.hide();
    QApplication::processEvents();
    EXPECT_TRUE(errors_.isEmpty());
}

}  // namespace
}  // namespace cinevan
