#pragma once

#include "app/Dialogs.h"

namespace curvana {

// The real dialogs: message boxes, Qt's own file dialog (so that the file-type notification
// works), input box, colour dialog.
class QtDialogs : public Dialogs {
  public:
    void ErrorBox(QWidget* parent, const QString& text, const QString& details = QString()) override;
    void StandardErrorBox(QWidget* parent, const QString& text) override;
    Answer AskYesNoCancel(QWidget* parent, const QString& text) override;
    std::optional<FileDialogResult> OpenFileName(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<FileDialogResult> SaveFileName(QWidget* parent, const FileDialogRequest& request) override;
    QString InputBox(QWidget* parent, const QString& caption, const QString& prompt,
                     const QString& defaultText) override;
    std::optional<QColor> ChooseColor(QWidget* parent, const QColor& initial) override;
    int ExecModal(QDialog& dialog) override;
    bool PrintDialog(QWidget* parent, QPrinter& printer) override;
    void PageSetupDialog(QWidget* parent, QPrinter& printer) override;
    bool OpenUrl(const QUrl& url) override;

  private:
    std::optional<FileDialogResult> RunFileDialog(QWidget* parent, const FileDialogRequest& request,
                                                  bool save);

    QString lastFolder_;  // where the last file dialog was confirmed; the next one starts there
};

}  // namespace curvana
