#include "Platform/Foundation/NumberFormatter.h"
#include "Platform/Kit/TextField.h"
#include "Platform/Kit/Window.h"
#include "tests/Support/Kit/KitTest.h"
#include "tests/Support/Kit/Snapshot.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace Kit;
using Kit::Testing::Snapshot;

namespace {

// Types as the keyboard does: one key event per character.
void type(QLineEdit& editor, const std::string& text)
{
    for (const QChar c : QString::fromStdString(text)) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&editor, &press);
    }
}

void press(QLineEdit& editor, int key)
{
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&editor, &event);
}

struct RecordingDelegate : TextFieldDelegate {
    void controlTextDidBeginEditing(TextField& field) override { events.push_back("begin " + field.stringValue()); }
    void controlTextDidChange(TextField& field) override { events.push_back("change " + field.stringValue()); }
    void controlTextDidEndEditing(TextField& field) override { events.push_back("end " + field.stringValue()); }
    std::vector<std::string> events;
};

class TextFieldTest : public Testing::KitTest {
protected:
    void SetUp() override
    {
        KitTest::SetUp();
        field_ = std::make_shared<TextField>(Rect {10, 10, 120, 24});
        field_->setDelegate(&delegate_);
        field_->setAction(Control::Action([this](Control& sender) { actions_.push_back(sender.stringValue()); }));
    }

    std::shared_ptr<TextField> field_;
    RecordingDelegate delegate_;
    std::vector<std::string> actions_;
};

} // namespace

TEST_F(TextFieldTest, AFormatterRefusesBadKeystrokesAndFinishedTextsAndKeepsTheLastGoodValue)
{
    auto formatter = std::make_shared<Foundation::NumberFormatter>();
    formatter->setMinimum(0);
    formatter->setMaximum(200);
    formatter->setAllowsFloats(false);
    field_->setFormatter(formatter);
    field_->setDoubleValue(42);
    ASSERT_NE(field_->fieldEditor(), nullptr);
    QLineEdit& editor = *field_->fieldEditor();
    EXPECT_EQ(editor.text(), "42");
    EXPECT_TRUE(delegate_.events.empty()); // values set by code tell the delegate nothing

    editor.selectAll();
    type(editor, "2");
    type(editor, "0");
    type(editor, "x"); // refused
    type(editor, "0");
    type(editor, "1"); // 2001: beyond the maximum, refused
    EXPECT_EQ(editor.text(), "200");
    EXPECT_EQ(delegate_.events, (std::vector<std::string> {"begin 2", "change 2", "change 20", "change 200"}));
    press(editor, Qt::Key_Return);
    EXPECT_DOUBLE_EQ(field_->doubleValue(), 200);
    EXPECT_EQ(actions_, std::vector<std::string> {"200"});
    EXPECT_EQ(delegate_.events.back(), "end 200");

    // A finished text the formatter refuses: the last good value comes back.
    editor.selectAll();
    press(editor, Qt::Key_Backspace);
    EXPECT_EQ(editor.text(), "");
    press(editor, Qt::Key_Return);
    EXPECT_EQ(editor.text(), "200");
    EXPECT_EQ(field_->stringValue(), "200");
    EXPECT_DOUBLE_EQ(field_->doubleValue(), 200);
    EXPECT_EQ(field_->integerValue(), 200);
}

TEST_F(TextFieldTest, TheDelegateHearsUserEditsOnlyAndMayRewriteTheText)
{
    // The way a number field corrects what is typed: the delegate writes the text back.
    struct Clamping : RecordingDelegate {
        void controlTextDidChange(TextField& field) override
        {
            RecordingDelegate::controlTextDidChange(field);
            if (field.integerValue() > 200)
                field.setStringValue("200");
        }
    } clamping;
    field_->setDelegate(&clamping);
    QLineEdit& editor = *field_->fieldEditor();
    field_->setStringValue("by code");
    EXPECT_TRUE(clamping.events.empty());
    editor.clear();
    type(editor, "2001");
    EXPECT_EQ(editor.text(), "200");
    EXPECT_EQ(editor.cursorPosition(), 3);
    EXPECT_EQ(field_->stringValue(), "200");
    type(editor, "5");
    EXPECT_EQ(editor.text(), "200");
    EXPECT_EQ(clamping.events.size(), 6u); // begin and five changes
}

TEST_F(TextFieldTest, FocusInMakesTheFieldFirstResponder)
{
    struct Counting : TextField {
        bool becomeFirstResponder() override
        {
            ++becomes;
            return TextField::becomeFirstResponder();
        }
        int becomes = 0;
    };
    auto field = std::make_shared<Counting>();
    QFocusEvent focus(QEvent::FocusIn);
    QApplication::sendEvent(field->fieldEditor(), &focus);
    EXPECT_EQ(field->becomes, 1);

    // In a window the field becomes the window's first responder.
    Window window({0, 0, 200, 40}, Window::borderless);
    window.setContentView(field);
    QApplication::sendEvent(field->fieldEditor(), &focus);
    EXPECT_EQ(field->becomes, 2);
    EXPECT_EQ(window.firstResponder(), field.get());
    QApplication::sendEvent(field->fieldEditor(), &focus);
    EXPECT_EQ(field->becomes, 3);
}

TEST_F(TextFieldTest, TheFieldEditorSitsAtTheCellsTitleRectAndGoesWhenNotEditable)
{
    // A cell that centres its text vertically moves the editor with it.
    struct Centred : TextFieldCell {
        Rect titleRect(const Rect& bounds) const override
        {
            const double height = font().lineHeight();
            return {bounds.x() + 2, bounds.midY() - height / 2, bounds.width() - 4, height};
        }
    };
    field_->setCell(std::make_shared<Centred>());
    field_->setFrame({0, 0, 120, 40});
    const QRect placed = field_->fieldEditor()->geometry();
    EXPECT_EQ(placed.x(), 2);
    EXPECT_NEAR(placed.center().y(), 20, 1);
    field_->setEditable(false);
    EXPECT_EQ(field_->fieldEditor(), nullptr);
    EXPECT_FALSE(field_->handlesQtMouseEvents());
}

TEST_F(TextFieldTest, ALabelIsPaintedAndCutAtItsEnd)
{
    auto label = TextField::labelWithString("Left fan speed sensor with a long name");
    label->setFrame({0, 0, 120, 18});
    label->setLineBreakMode(LineBreakMode::byTruncatingTail);
    EXPECT_EQ(label->fieldEditor(), nullptr);
    EXPECT_FALSE(label->isEditable());
    const auto shot = Snapshot::of(*label, 2);
    shot.save("kit", "label-truncated");
    const auto ink = shot.inkBounds();
    ASSERT_TRUE(ink.has_value());
    EXPECT_LE(ink->maxX(), 120);
    EXPECT_GT(ink->width(), 80);
    EXPECT_GT(label->intrinsicContentSize().width, 120);
    EXPECT_EQ(label->sizeThatFits({}), label->intrinsicContentSize());
}

TEST_F(TextFieldTest, LineFeedsStartLinesOutsideSingleLineModeAndOnlyWrappingModesWrap)
{
    const std::string text = "8 GB 2667 MHz DDR4 (slot 0/ch A)\n8 GB 2667 MHz DDR4 (slot 1/ch B)";
    auto label = TextField::labelWithString(text);
    const double lineHeight = label->font().lineHeight();
    const Size twoLines = label->intrinsicContentSize();
    EXPECT_EQ(twoLines.height, 2 * lineHeight);
    EXPECT_LT(twoLines.width, label->font().widthOf(text));
    label->setFrame({0, 0, twoLines.width, twoLines.height});
    const auto shot = Snapshot::of(*label, 2);
    const auto ink = shot.inkBounds();
    ASSERT_TRUE(ink.has_value());
    EXPECT_GT(ink->height(), lineHeight);
    EXPECT_FALSE(shot.isClear({0, 0, twoLines.width, lineHeight / 2}));

    label->textFieldCell().setUsesSingleLineMode(true);
    EXPECT_EQ(label->intrinsicContentSize().height, lineHeight);
    label->setFrame({0, 0, label->intrinsicContentSize().width, 2 * lineHeight});
    const auto single = Snapshot::of(*label, 2);
    EXPECT_TRUE(single.isClear({0, 0, single.size().width, lineHeight - 1}));

    // A long line is clipped unless the mode wraps it.
    label->textFieldCell().setUsesSingleLineMode(false);
    label->setStringValue("Processor text that is much wider than its field");
    label->setFrame({0, 0, 90, 3 * lineHeight});
    EXPECT_TRUE(Snapshot::of(*label, 2).isClear({0, 0, 90, 2 * lineHeight - 1}));
    label->setLineBreakMode(LineBreakMode::byWordWrapping);
    EXPECT_FALSE(Snapshot::of(*label, 2).isClear({0, 0, 90, 2 * lineHeight - 1}));
}
