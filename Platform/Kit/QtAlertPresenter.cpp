#include "Platform/Kit/QtAlertPresenter.h"

#include "Platform/Foundation/DispatchQueue.h"
#include "Platform/Kit/Alert.h"

#include <QCheckBox>
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
std::unique_ptr<QMessageBox> makeBox(const Alert& alert, std::vector<QAbstractButton*>& buttons)
{
    auto box = std::make_unique<QMessageBox>();
    box->setIcon(iconFor(alert.alertStyle()));
    box->setText(QString::fromStdString(alert.messageText()));
    box->setInformativeText(QString::fromStdString(alert.informativeText()));
    // One role for all keeps the buttons in the order they were added.
    for (const std::string& title : alert.shownButtonTitles())
        buttons.push_back(box->addButton(QString::fromStdString(title), QMessageBox::ActionRole));
    box->setDefaultButton(static_cast<QPushButton*>(buttons.front()));
    if (alert.showsSuppressionButton()) {
        auto* check = new QCheckBox(QString::fromStdString(alert.suppressionButton().title));
        check->setChecked(alert.suppressionButton().state == StateValue::on);
        box->setCheckBox(check);
    }
    return box;
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
    const auto box = makeBox(alert, buttons);
    box->exec();
    readSuppression(alert, *box);
    return responseOf(*box, buttons);
}

void QtAlertPresenter::beginSheet(Alert& alert, Window*, std::function<void(ModalResponse)> completion)
{
    std::vector<QAbstractButton*> buttons;
    QMessageBox* box = makeBox(alert, buttons).release();
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    QObject::connect(box, &QMessageBox::finished, box, [box, buttons, &alert, completion = std::move(completion)] {
        readSuppression(alert, *box);
        const ModalResponse response = responseOf(*box, buttons);
        if (completion)
            Foundation::DispatchQueue::main().async([completion, response] { completion(response); });
    });
    box->open();
}

} // namespace Kit
