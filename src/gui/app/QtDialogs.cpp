#include "app/QtDialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QUrl>

namespace curvana {

namespace {

void ShowBox(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text,
             const QString& details = QString()) {
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    if (!details.isEmpty()) box.setDetailedText(details);
    QApplication::setOverrideCursor(Qt::ArrowCursor);  // a busy cursor must not hide the box's button
    box.exec();
    QApplication::restoreOverrideCursor();
}

}  // namespace

std::optional<FileDialogResult> QtDialogs::RunFileDialog(QWidget* parent, const FileDialogRequest& request,
                                                         bool save) {
    QFileDialog dialog(parent, request.title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save) dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    dialog.setNameFilters(request.filters);
    if (request.filterIndex >= 0 && request.filterIndex < request.filters.size())
        dialog.selectNameFilter(request.filters[request.filterIndex]);
    if (!request.directory.isEmpty())
        dialog.setDirectory(request.directory);
    else if (!lastFolder_.isEmpty() && !request.fileName.contains('/'))
        dialog.setDirectory(lastFolder_);
    if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);
    // The connections below run while the dialog is shown, so what they use lives as long as it.
    QLineEdit* nameBox = nullptr;
    QString before;
    if (request.filterChanged) {
        // The dialog replaces the extension in its name box by itself before it reports the new
        // type, so the name is taken as it stood when the type list changed.
        nameBox = dialog.findChild<QLineEdit*>("fileNameEdit");
        auto* typeList = dialog.findChild<QComboBox*>("fileTypeCombo");
        if (typeList && nameBox)
            QObject::connect(typeList, &QComboBox::currentIndexChanged, &dialog,
                             [&before, nameBox] { before = nameBox->text(); });
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& filter) {
            QString name = nameBox ? before : QString();
            if (!nameBox && !dialog.selectedFiles().isEmpty())
                name = QFileInfo(dialog.selectedFiles().first()).fileName();
            const QString renamed = request.filterChanged(int(request.filters.indexOf(filter)), name);
            if (nameBox)
                nameBox->setText(renamed);
            else
                dialog.selectFile(renamed);
        });
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    const QString path = dialog.selectedFiles().first();
    lastFolder_ = QFileInfo(path).absolutePath();
    return FileDialogResult{path, int(request.filters.indexOf(dialog.selectedNameFilter()))};
}

void QtDialogs::ErrorBox(QWidget* parent, const QString& text, const QString& details) {
    ShowBox(parent, QMessageBox::Critical, "Error", text, details);
}

void QtDialogs::StandardErrorBox(QWidget* parent, const QString& text) {
    ShowBox(parent, QMessageBox::Critical, "Curvana", text);
}

Answer QtDialogs::AskYesNoCancel(QWidget* parent, const QString& text) {
    QMessageBox box(QMessageBox::Warning, "Warning", text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        default:
            return Answer::Cancel;
    }
}

std::optional<FileDialogResult> QtDialogs::OpenFileName(QWidget* parent, const FileDialogRequest& request) {
    return RunFileDialog(parent, request, false);
}

std::optional<FileDialogResult> QtDialogs::SaveFileName(QWidget* parent, const FileDialogRequest& request) {
    return RunFileDialog(parent, request, true);
}

QString QtDialogs::InputBox(QWidget* parent, const QString& caption, const QString& prompt,
                            const QString& defaultText) {
    bool ok = false;
    const QString text = QInputDialog::getText(parent, caption, prompt, QLineEdit::Normal, defaultText, &ok);
    return ok ? text : defaultText;
}

std::optional<QColor> QtDialogs::ChooseColor(QWidget* parent, const QColor& initial) {
    const QColor color = QColorDialog::getColor(initial, parent);
    if (!color.isValid()) return std::nullopt;
    return color;
}

int QtDialogs::ExecModal(QDialog& dialog) {
    return dialog.exec();
}

bool QtDialogs::PrintDialog(QWidget* parent, QPrinter& printer) {
    QPrintDialog dialog(&printer, parent);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    return dialog.exec() == QDialog::Accepted;
}

void QtDialogs::PageSetupDialog(QWidget* parent, QPrinter& printer) {
    QPageSetupDialog dialog(&printer, parent);
    dialog.exec();
}

bool QtDialogs::OpenUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

}  // namespace curvana
