#pragma once

#include <deque>
#include <functional>
#include <vector>

#include "app/Dialogs.h"

class QDialog;

namespace curvana::test {

// One interaction the program had with the user.
struct Interaction {
    enum Kind { Error, StandardError, Question, Open, Save, Input, Color, Modal, Url };
    Kind kind;
    QString text;  // message, question, input prompt, modal dialog's title or the web address
    FileDialogRequest request;
};

// Dialogs for tests: every interaction is logged, and the answers come from queues filled by the
// test. A question or file dialog without a scripted answer fails the test and is cancelled.
class ScriptedDialogs : public Dialogs {
  public:
    std::vector<Interaction> log;
    std::deque<Answer> answers;
    std::deque<std::optional<QString>> files;  // nothing: the dialog is cancelled
    std::deque<QString> inputs;
    std::deque<std::optional<QColor>> colors;
    // Run on a modal dialog while it is shown (not modally); it should close the dialog. A modal
    // dialog without an action is accepted as it is.
    std::deque<std::function<void(QDialog&)>> modalActions;

    void ErrorBox(QWidget* parent, const QString& text) override;
    void StandardErrorBox(QWidget* parent, const QString& text) override;
    Answer AskYesNoCancel(QWidget* parent, const QString& text) override;
    std::optional<FileDialogResult> OpenFileName(QWidget* parent, const FileDialogRequest& request) override;
    std::optional<FileDialogResult> SaveFileName(QWidget* parent, const FileDialogRequest& request) override;
    QString InputBox(QWidget* parent, const QString& caption, const QString& prompt,
                     const QString& defaultText) override;
    std::optional<QColor> ChooseColor(QWidget* parent, const QColor& initial) override;
    int ExecModal(QDialog& dialog) override;
    bool OpenUrl(const QUrl& url) override;

    // The texts of the logged interactions of one kind, in order.
    QStringList Texts(Interaction::Kind kind) const;
    int Count(Interaction::Kind kind) const { return int(Texts(kind).size()); }
    // All queues used up?
    bool AllAnswersUsed() const;

  private:
    std::optional<FileDialogResult> NextFile(Interaction::Kind kind, const FileDialogRequest& request);
};

}  // namespace curvana::test
