#include "Platform/Kit/QtOpenPanelPresenter.h"

#include <QFileDialog>
#include <QStringList>

namespace Kit {

ModalResponse QtOpenPanelPresenter::run(OpenPanel& panel)
{
    QFileDialog dialog;
    dialog.setWindowTitle(QString::fromStdString(panel.title));
    dialog.setLabelText(QFileDialog::LookIn, QString::fromStdString(panel.message));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (panel.canChooseDirectories && !panel.canChooseFiles)
        dialog.setFileMode(QFileDialog::Directory);
    else
        dialog.setFileMode(panel.allowsMultipleSelection ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    if (panel.allowedFileTypes) {
        QStringList patterns;
        for (const std::string& type : *panel.allowedFileTypes)
            patterns << QString::fromStdString("*." + type);
        dialog.setNameFilter(patterns.join(' '));
    }
    if (panel.directoryURL)
        dialog.setDirectory(QString::fromStdString(panel.directoryURL->string()));
    dialog.setOption(QFileDialog::ReadOnly, !panel.canCreateDirectories);
    if (panel.showsHiddenFiles)
        dialog.setFilter(dialog.filter() | QDir::Hidden);
    if (dialog.exec() != QDialog::Accepted)
        return ModalResponseCancel;
    std::vector<std::filesystem::path> urls;
    for (const QString& file : dialog.selectedFiles())
        urls.emplace_back(file.toStdString());
    panel.setURLs(std::move(urls));
    return ModalResponseOK;
}

} // namespace Kit
