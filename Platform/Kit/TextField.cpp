#include "Platform/Kit/TextField.h"

#include "Platform/Kit/QtBridge.h"
#include "Platform/Kit/Window.h"

#include <QEvent>
#include <QLineEdit>
#include <QPalette>

namespace Kit {

// Tells the field when its editor gets the keyboard focus.
class TextField::Editor final : public QObject {
public:
    explicit Editor(TextField& field) : field_(field) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::FocusIn)
            field_.focusArrived();
        return QObject::eventFilter(watched, event);
    }

private:
    TextField& field_;
};

TextField::TextField(const Rect& frame) : Control(frame, std::make_shared<TextFieldCell>())
{
    syncEditor();
}

TextField::~TextField()
{
    // The editor is a child of the view's widget; it must not call back while the field goes.
    if (editor_)
        QObject::disconnect(editor_, nullptr, nullptr, nullptr);
}

std::shared_ptr<TextField> TextField::labelWithString(std::string text)
{
    auto label = std::make_shared<TextField>();
    label->setEditable(false);
    label->setSelectable(false);
    label->setBezeled(false);
    label->setDrawsBackground(false);
    label->setTextColor(Colour::labelColor());
    label->setStringValue(std::move(text));
    return label;
}

TextFieldCell& TextField::textFieldCell() const
{
    return static_cast<TextFieldCell&>(cell());
}

void TextField::setCell(std::shared_ptr<Cell> cell)
{
    // A text field's cell is always a text-field cell.
    if (std::dynamic_pointer_cast<TextFieldCell>(cell))
        Control::setCell(std::move(cell));
    syncEditor();
}

void TextField::setStringValue(std::string value)
{
    Control::setStringValue(std::move(value));
    showValue();
}

void TextField::setDoubleValue(double value)
{
    Control::setDoubleValue(value);
    showValue();
}

void TextField::showValue()
{
    if (stringValue() != goodText_)
        invalidateIntrinsicContentSize();
    goodText_ = stringValue();
    lastText_ = goodText_;
    if (editor_ && editor_->text().toStdString() != goodText_)
        editor_->setText(QString::fromStdString(goodText_));
}

template <class Value>
void TextField::changeCell(void (TextFieldCell::*setter)(Value), Value value)
{
    (textFieldCell().*setter)(std::move(value));
    syncEditor();
    setNeedsDisplay();
}

void TextField::setEditable(bool editable) { changeCell(&TextFieldCell::setEditable, editable); }
void TextField::setSelectable(bool selectable) { changeCell(&TextFieldCell::setSelectable, selectable); }
void TextField::setBezeled(bool bezeled) { changeCell(&TextFieldCell::setBezeled, bezeled); }
void TextField::setBordered(bool bordered) { changeCell(&TextFieldCell::setBordered, bordered); }
void TextField::setDrawsBackground(bool draws) { changeCell(&TextFieldCell::setDrawsBackground, draws); }
void TextField::setBackgroundColor(Colour colour) { changeCell(&TextFieldCell::setBackgroundColor, std::move(colour)); }
void TextField::setTextColor(Colour colour) { changeCell(&TextFieldCell::setTextColor, std::move(colour)); }
void TextField::setPlaceholderString(std::string text) { changeCell(&TextFieldCell::setPlaceholderString, std::move(text)); }
void TextField::setLineBreakMode(LineBreakMode mode) { changeCell(&TextFieldCell::setLineBreakMode, mode); }

void TextField::setEnabled(bool enabled)
{
    Control::setEnabled(enabled);
    syncEditor();
}

void TextField::setPlaceholderAttributes(std::optional<Colour> colour, std::optional<Font> font)
{
    textFieldCell().setPlaceholderColor(std::move(colour));
    textFieldCell().setPlaceholderFont(std::move(font));
    syncEditor();
    setNeedsDisplay();
}

void TextField::syncEditor()
{
    const TextFieldCell& cell = textFieldCell();
    if (!cell.isEditable()) {
        if (editor_) {
            if (editing_)
                finishEditing(false);
            delete editor_;
            editor_ = nullptr;
            editorWatch_.reset();
        }
        return;
    }
    if (!editor_) {
        editor_ = new QLineEdit(qtWidget());
        editor_->setFrame(false);
        editorWatch_ = std::make_unique<Editor>(*this);
        editor_->installEventFilter(editorWatch_.get());
        QObject::connect(editor_, &QLineEdit::textEdited, editor_, [this](const QString& text) { userEdited(text.toStdString()); });
        QObject::connect(editor_, &QLineEdit::returnPressed, editor_, [this] { finishEditing(true); });
        QObject::connect(editor_, &QLineEdit::editingFinished, editor_, [this] {
            if (editing_)
                finishEditing(false);
        });
        editor_->setText(QString::fromStdString(stringValue()));
        lastText_ = stringValue();
        goodText_ = lastText_;
        editor_->show();
    }
    editor_->setFont(QtBridge::font(cell.font()));
    QPalette palette = editor_->palette();
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Text, QtBridge::colour(cell.textColor()));
    palette.setColor(QPalette::PlaceholderText,
        QtBridge::colour(cell.placeholderColor().value_or(cell.textColor().withAlphaComponent(0.35))));
    editor_->setPalette(palette);
    editor_->setPlaceholderText(QString::fromStdString(cell.placeholderString()));
    editor_->setEnabled(isEnabled());
    placeEditor();
}

void TextField::placeEditor()
{
    if (!editor_)
        return;
    const Rect b = bounds();
    const Rect title = textFieldCell().titleRect(b);
    editor_->setGeometry(QtBridge::rect(title.offsetBy(-b.x(), -b.y())).toRect());
}

void TextField::qtGeometryDidChange()
{
    placeEditor();
    Control::qtGeometryDidChange();
}

bool TextField::becomeFirstResponder()
{
    if (editor_ && !editor_->hasFocus())
        editor_->setFocus(Qt::TabFocusReason);
    return Control::becomeFirstResponder();
}

void TextField::focusArrived()
{
    // The window keeps its first responder; the field hears of every focus it gets.
    Window* w = window();
    if (w && w->firstResponder() != this)
        w->makeFirstResponder(this);
    else
        becomeFirstResponder();
}

void TextField::userEdited(const std::string& text)
{
    if (formatter() && !formatter()->isPartialStringValid(text)) {
        // The keystroke is refused: the text before it comes back.
        editor_->setText(QString::fromStdString(lastText_));
        return;
    }
    cell().setStringValue(text);
    lastText_ = text;
    setNeedsDisplay();
    if (!editing_) {
        editing_ = true;
        if (delegate_)
            delegate_->controlTextDidBeginEditing(*this);
    }
    if (delegate_)
        delegate_->controlTextDidChange(*this);
}

void TextField::finishEditing(bool sendsAction)
{
    if (!editing_ && !sendsAction)
        return;
    const std::string text = editor_ ? editor_->text().toStdString() : stringValue();
    if (const auto& format = formatter()) {
        const Foundation::Result<double> value = format->value(text);
        if (value.ok()) {
            cell().setDoubleValue(*value);
        } else {
            // A refused text: the last good value stays.
            cell().setStringValue(goodText_);
            if (const auto good = format->value(goodText_); good.ok())
                cell().setDoubleValue(*good);
        }
    } else {
        cell().setStringValue(text);
    }
    showValue();
    setNeedsDisplay();
    const bool wasEditing = editing_;
    editing_ = false;
    if (wasEditing && delegate_)
        delegate_->controlTextDidEndEditing(*this);
    if (sendsAction)
        sendAction();
}

AccessibilityRole TextField::accessibilityRole() const
{
    if (isEditable())
        return AccessibilityRole::textField;
    return accessibilityLabel().empty() ? AccessibilityRole::none : AccessibilityRole::staticText;
}

Size TextField::intrinsicContentSize() const
{
    return textFieldCell().cellSize();
}

Size TextField::sizeThatFits(Size size) const
{
    const TextFieldCell& cell = textFieldCell();
    const Size single = cell.cellSize();
    const bool wraps = cell.lineBreakMode() == LineBreakMode::byWordWrapping
        || cell.lineBreakMode() == LineBreakMode::byCharWrapping;
    if (!wraps || cell.usesSingleLineMode() || !(size.width > 0) || single.width <= size.width)
        return single;
    // Several lines within the width: the insets around the text stay.
    const std::string text = stringValue().empty() ? placeholderString() : stringValue();
    const Size line = font().sizeOf(text);
    const Size insets {single.width - line.width, single.height - line.height};
    const Size wrapped = font().wrappedSizeOf(text, size.width - insets.width);
    return {wrapped.width + insets.width, wrapped.height + insets.height};
}

void TextField::draw(const Rect&)
{
    textFieldCell().draw(bounds(), editor_ == nullptr);
}

} // namespace Kit
