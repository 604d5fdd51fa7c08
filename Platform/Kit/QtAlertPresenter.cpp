#include "Platform/Kit/QtAlertPresenter.h"

#include "Platform/Foundation/DispatchQueue.h"
#include "Platform/Kit/Alert.h"
#include "Platform/Kit/QtBridge.h"
#include "Platform/Kit/View.h"
#include "Platform/Kit/Window.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>

#include <memory>
#include <vector>

namespace Kit {

namespace {

QMessageBox::Icon iconFor(AlertStyle style)
{
    switch (style) {
    case AlertStyle::informational:
        return QMessageBox::Information;
    case AlertStyle::critical:
        return QMessageBox::Critical;
    case AlertStyle::warning:
        break;
    }
    return QMessageBox::Warning;
}

// A message box for the alert; `buttons` gets its buttons in the alert's order.
std::unique_ptr<QMessageBox> makeBox(const Alert& alert, std::vector<QAbstractButton*>& buttons, QWidget* parent)
{
    auto box = std::make_unique<QMessageBox>(parent);
    box->setIcon(iconFor(alert.alertStyle()));
    if (alert.icon().isValid())
        box->setIconPixmap(QPixmap::fromImage(QtBridge::image(alert.icon())));
    box->setText(QString::fromStdString(alert.messageText()));
    box->setInformativeText(QString::fromStdString(alert.informativeText()));
    // One role for all keeps the buttons in the order they were added.
    for (const std::string& title : alert.shownButtonTitles())
        buttons.push_back(box->addButton(QString::fromStdString(title), QMessageBox::ActionRole));
    box->setDefaultButton(static_cast<QPushButton*>(buttons.front()));
    // Without a cancel button Esc does nothing.
    if (const auto cancel = alert.cancelButtonIndex())
        box->setEscapeButton(buttons[*cancel]);
    if (alert.showsSuppressionButton()) {
        auto* check = new QCheckBox(QString::fromStdString(alert.suppressionButton().title));
        check->setChecked(alert.suppressionButton().state == StateValue::on);
        box->setCheckBox(check);
    }
    // The accessory view goes below the texts, across the box.
    if (View* accessory = alert.accessoryView())
        if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
            QWidget* widget = accessory->qtWidget();
            widget->setFixedSize(static_cast<int>(accessory->frame().width()),
                                 static_cast<int>(accessory->frame().height()));
            grid->addWidget(widget, grid->rowCount(), 0, 1, grid->columnCount());
            widget->show();
        }
    return box;
}

// Gives the accessory view's widget back before the box goes (the box would delete its children).
void releaseAccessory(const Alert& alert, QMessageBox& box)
{
    if (View* accessory = alert.accessoryView()) {
        QWidget* widget = accessory->qtWidget();
        if (widget->parentWidget() == &box || box.isAncestorOf(widget)) {
            box.layout()->removeWidget(widget);
            widget->hide();
            widget->setParent(nullptr);
        }
    }
}

// 1000 + the index of the clicked button; cancel when the box was closed another way.
ModalResponse responseOf(const QMessageBox& box, const std::vector<QAbstractButton*>& buttons)
{
    for (size_t i = 0; i < buttons.size(); ++i)
        if (box.clickedButton() == buttons[i])
            return AlertFirstButtonReturn + static_cast<ModalResponse>(i);
    return ModalResponseCancel;
}

void readSuppression(Alert& alert, const QMessageBox& box)
{
    if (alert.showsSuppressionButton() && box.checkBox())
        alert.suppressionButton().state = box.checkBox()->isChecked() ? StateValue::on : StateValue::off;
}

} // namespace

ModalResponse QtAlertPresenter::runModal(Alert& alert)
{
    std::vector<QAbstractButton*> buttons;
    const auto box = makeBox(alert, buttons, nullptr);
    box->exec();
    readSuppression(alert, *box);
    releaseAccessory(alert, *box);
    return responseOf(*box, buttons);
}

void QtAlertPresenter::beginSheet(Alert& alert, Window* window, std::function<void(ModalResponse)> completion)
{
    std::vector<QAbstractButton*> buttons;
    // On its window, modal for that window only (a sheet); without one, for the application.
    QMessageBox* box = makeBox(alert, buttons, window ? window->qtWidget() : nullptr).release();
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(window ? Qt::WindowModal : Qt::ApplicationModal);
    QObject::connect(box, &QMessageBox::finished, box, [box, buttons, &alert, completion = std::move(completion)] {
        readSuppression(alert, *box);
        releaseAccessory(alert, *box);
        const ModalResponse response = responseOf(*box, buttons);
        if (completion)
            Foundation::DispatchQueue::main().async([completion, response] { completion(response); });
    });
    box->open();
}

} // namespace Kit
