#pragma once

#include <QColor>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QDialog;
class QPrinter;
class QUrl;
class QWidget;

namespace curvana {

// What a file dialog is asked to show.
struct FileDialogRequest {
    QString title;        // empty: the toolkit's own title
    QStringList filters;  // Qt form, "Bitmap Files (*.bmp)"
    int filterIndex = 0;  // the filter chosen at the start
    QString fileName;     // the proposed file, with or without a folder
    QString directory;    // the folder to start in when fileName has none
    bool confirmOverwrite = false;
    int helpContext = 0;
    // Called each time the user picks another file type, with the filter's index and the name in
    // the dialog's file-name box as it was before the pick; gives the name that replaces it.
    std::function<QString(int, const QString&)> filterChanged;
};

struct FileDialogResult {
    QString path;
    int filterIndex = 0;
};

enum class Answer { Yes, No, Cancel };

// Every modal interaction of the program goes through here: the Qt implementation opens the real
// dialogs; tests script the answers.
class Dialogs {
  public:
    virtual ~Dialogs() = default;

    // An error the user caused (an unreadable file, a missing recent file): title "Error", OK. The
    // details, when there are any, say more for whoever asks for them.
    virtual void ErrorBox(QWidget* parent, const QString& text, const QString& details = QString()) = 0;
    // A failure that no command handles: the program's standard error box, title "Curvana", OK.
    virtual void StandardErrorBox(QWidget* parent, const QString& text) = 0;
    // A warning question with Yes, No and Cancel; closing the box is Cancel.
    virtual Answer AskYesNoCancel(QWidget* parent, const QString& text) = 0;
    // Open and save dialogs; nothing when cancelled.
    virtual std::optional<FileDialogResult> OpenFileName(QWidget* parent,
                                                         const FileDialogRequest& request) = 0;
    virtual std::optional<FileDialogResult> SaveFileName(QWidget* parent,
                                                         const FileDialogRequest& request) = 0;
    // An input box: OK gives the edited text, Cancel the default text.
    virtual QString InputBox(QWidget* parent, const QString& caption, const QString& prompt,
                             const QString& defaultText) = 0;
    // The colour dialog starting at initial; nothing when cancelled.
    virtual std::optional<QColor> ChooseColor(QWidget* parent, const QColor& initial) = 0;
    // Runs one of the program's own dialog windows modally and gives its result.
    virtual int ExecModal(QDialog& dialog) = 0;
    // The print dialog for a printer; false when cancelled or when there is nothing to print on.
    virtual bool PrintDialog(QWidget* parent, QPrinter& printer) = 0;
    // The printer setup dialog: its choices of printer, paper and orientation stay with the printer.
    virtual void PageSetupDialog(QWidget* parent, QPrinter& printer) = 0;
    // Asks the desktop to open a web address with its default handler.
    virtual bool OpenUrl(const QUrl& url) = 0;
};

// A file filter as "Description|pattern;pattern|…" turned into Qt's list of "Description (pattern
// pattern)". A description's own "(…)" is replaced by the patterns, and "*.*" becomes "*" so that
// names without a dot are listed too.
QStringList FileFilterList(const QString& filter);

}  // namespace curvana
