#include "Classes/Views/LabelField.h"
#include "Classes/Views/NumericTextField.h"
#include "Classes/Views/StoryboardBuilder.h"
#include "Classes/Views/TextView.h"
#include "Classes/Views/ValueField.h"
#include "tests/Views/ViewsTest.h"

#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include <string>
#include <utility>
#include <vector>

using namespace Aerlo;
using Kit::Testing::Snapshot;

namespace {

class TextFieldsTest : public Testing::ViewsTest {
protected:
    std::shared_ptr<NumericTextField> makeNumericField()
    {
        Kit::View& content = makeWindow({200, 40});
        auto field = makeFromStoryboard<NumericTextField>({10, 10, 120, 22});
        content.addSubview(field);
        return field;
    }

    static void type(NumericTextField& field, const std::string& characters)
    {
        for (char c : characters) {
            const QString text(QChar::fromLatin1(c));
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
            QCoreApplication::sendEvent(field.fieldEditor(), &press);
        }
    }
    static void paste(NumericTextField& field, const std::string& text)
    {
        field.fieldEditor()->selectAll();
        field.fieldEditor()->insert(QString::fromStdString(text));
    }
};

class OtherDelegate : public Kit::TextFieldDelegate {
public:
    void controlTextDidChange(Kit::TextField&) override { ++changes; }
    int changes = 0;
};

TEST(NumericTextFieldFilter, KeepsWholeNumbersFromZeroTo200AndClearsEverythingElse)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},
        {"2", "2"},
        {"20", "20"},
        {"200", "200"},
        {"07", "7"},
        {"000", "0"},
        {"-", ""},
        {"+", ""},
        {"-5", "0"},
        {"+42", "42"},
        {"1a", ""},
        {"1 ", ""},
        {" 1", ""},
        {"1.5", ""},
        {"300", "200"},
        {"201", "200"},
        {"12345678901234567890", ""},
        {"9223372036854775807", "200"},
        {"-9223372036854775808", "0"},
        {"9223372036854775808", ""},
        {"--1", ""},
        {"+-1", ""},
        {"١", ""},
    };
    for (const auto& [typed, shown] : cases)
        EXPECT_EQ(NumericTextField::filtered(typed), shown) << "typed: " << typed;
}

TEST_F(TextFieldsTest, TypingIsCorrectedKeystrokeByKeystroke)
{
    auto field = makeNumericField();
    ASSERT_NE(field->fieldEditor(), nullptr);
    std::vector<std::string> shown;
    for (char c : std::string("201")) {
        type(*field, std::string(1, c));
        shown.push_back(field->fieldEditor()->text().toStdString());
    }
    EXPECT_EQ(shown, (std::vector<std::string> {"2", "20", "200"}));
    EXPECT_EQ(field->stringValue(), "200");

    paste(*field, "");
    type(*field, "07");
    EXPECT_EQ(field->fieldEditor()->text().toStdString(), "7");

    paste(*field, "");
    type(*field, "-");
    EXPECT_EQ(field->fieldEditor()->text().toStdString(), "");

    type(*field, "1x");
    EXPECT_EQ(field->fieldEditor()->text().toStdString(), "") << "the whole text goes, not only the letter";
}

TEST_F(TextFieldsTest, PastedTextsAreFilteredWhole)
{
    auto field = makeNumericField();
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"-5", "0"}, {"+42", "42"}, {"12345678901234567890", ""}, {"300", "200"}, {"abc", ""}};
    for (const auto& [pasted, shown] : cases) {
        paste(*field, pasted);
        EXPECT_EQ(field->fieldEditor()->text().toStdString(), shown) << "pasted: " << pasted;
        EXPECT_EQ(field->stringValue(), shown);
    }
}

TEST_F(TextFieldsTest, TheFieldTakesBackItsDelegateWhenItGetsTheFocus)
{
    auto field = makeNumericField();
    OtherDelegate other;
    field->setDelegate(&other);
    type(*field, "5");
    EXPECT_EQ(other.changes, 1);
    EXPECT_EQ(field->stringValue(), "5");

    QFocusEvent focusIn(QEvent::FocusIn, Qt::MouseFocusReason);
    QCoreApplication::sendEvent(field->fieldEditor(), &focusIn);
    EXPECT_NE(field->delegate(), &other);
    type(*field, "00");
    EXPECT_EQ(field->fieldEditor()->text().toStdString(), "200");
    EXPECT_EQ(other.changes, 1);
}

TEST_F(TextFieldsTest, ReadOnlyFieldsAreConfiguredAsSpecified)
{
    const LabelField label({0, 0, 100, 16}, "CPU Core 1");
    const ValueField value({0, 0, 60, 22}, "45°C");
    const TextView title({0, 0, 100, 18});
    for (const Kit::TextField* field :
         {static_cast<const Kit::TextField*>(&label), static_cast<const Kit::TextField*>(&value),
          static_cast<const Kit::TextField*>(&title)}) {
        EXPECT_FALSE(field->isEditable());
        EXPECT_FALSE(field->isSelectable());
        EXPECT_FALSE(field->isBezeled());
        EXPECT_FALSE(field->drawsBackground());
        EXPECT_TRUE(field->wantsLayer());
        EXPECT_EQ(field->backgroundColor(), Kit::Colour::clear());
        EXPECT_EQ(field->fieldEditor(), nullptr);
    }
    EXPECT_EQ(label.stringValue(), "CPU Core 1");
    EXPECT_EQ(label.textColor(), Kit::Colour::secondaryLabelColor());
    EXPECT_EQ(label.alignment(), Kit::TextAlignment::natural);
    EXPECT_EQ(label.font(), Kit::Font::systemFont(12));
    EXPECT_TRUE(label.textFieldCell().usesSingleLineMode());
    EXPECT_TRUE(label.textFieldCell().truncatesLastVisibleLine());

    EXPECT_EQ(value.stringValue(), "45°C");
    EXPECT_EQ(value.textColor(), Kit::Colour::textColor());
    EXPECT_EQ(value.alignment(), Kit::TextAlignment::right);
    EXPECT_EQ(value.font(), Kit::Font::systemFont(13));
    EXPECT_TRUE(value.textFieldCell().usesSingleLineMode());
    EXPECT_FALSE(value.textFieldCell().truncatesLastVisibleLine());

    EXPECT_EQ(title.textColor(), Kit::Colour::labelColor());
    EXPECT_FALSE(title.textFieldCell().usesSingleLineMode());
}

TEST_F(TextFieldsTest, ALongLabelShowsOneLineCutAtItsEnd)
{
    Kit::View& content = makeWindow({140, 40});
    auto label = std::make_shared<LabelField>(Kit::Rect {10, 12, 120, 16},
                                              "A very long sensor name that cannot fit in its row at all");
    content.addSubview(label);
    EXPECT_TRUE(label->textFieldCell().truncatesTail());
    const Snapshot shot = Snapshot::of(content);
    shot.save("views", "label-field-truncated");
    const auto ink = shot.inkBounds();
    ASSERT_TRUE(ink.has_value());
    // One line, inside the field.
    EXPECT_GE(ink->minX(), 10 - 0.5);
    EXPECT_LE(ink->maxX(), 130 + 0.5);
    EXPECT_GE(ink->minY(), 12 - 0.5);
    EXPECT_LE(ink->maxY(), 28 + 0.5);
}

} // namespace
