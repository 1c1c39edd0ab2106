#pragma once

#include <gtest/gtest.h>

#include <QDialog>
#include <QTest>
#include <QUrl>
#include <deque>
#include <functional>
#include <vector>

#include "app/Dialogs.h"

namespace curvana::test {

// One interaction the program had with the user: the message, question, proposed file name, modal
// window's title or web address, a file dialog's request, and an error box's details.
struct Interaction {
    enum Kind { Error, StandardError, Question, Open, Save, Input, Color, Modal, Url, Print, PageSetup };
    Kind kind;
    QString text;
    FileDialogRequest request = {};
    QString details = {};
};

// Dialogs for tests: every interaction is logged and answered from the queues the test fills. A
// question or file dialog without a scripted answer fails the test and counts as cancelled; input
// boxes and colour dialogs without one are cancelled.
class ScriptedDialogs : public Dialogs {
  public:
    std::vector<Interaction> log;
    std::deque<Answer> answers;
    std::deque<std::optional<QString>> files;  // nothing: the dialog is cancelled
    // The file type the user picks in the next file dialog (0 the first); without one the dialog
    // keeps the type it started with.
    std::deque<int> fileTypes;
    // Run on a modal window while it is shown (not modally); it should close the window. Without
    // one, the window is accepted as it is.
    std::deque<std::function<void(QDialog&)>> modalActions;
    // Input boxes give these texts; nothing: Cancel, which gives the default text.
    std::deque<std::optional<QString>> inputs;
    // Run on the printer by the print dialog; true prints. Without one the dialog is cancelled.
    std::deque<std::function<bool(QPrinter&)>> printDialogs;
    // Colour dialogs give these colours; nothing: Cancel.
    std::deque<std::optional<QColor>> colors;

    void ErrorBox(QWidget*, const QString& text, const QString& details = QString()) override {
        log.push_back({Interaction::Error, text, {}, details});
    }
    void StandardErrorBox(QWidget*, const QString& text) override {
        log.push_back({Interaction::StandardError, text});
    }
    Answer AskYesNoCancel(QWidget*, const QString& text) override {
        log.push_back({Interaction::Question, text});
        if (answers.empty()) ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return Take(answers, Answer::Cancel);
    }
    std::optional<FileDialogResult> OpenFileName(QWidget*, const FileDialogRequest& r) override {
        return File(Interaction::Open, r);
    }
    std::optional<FileDialogResult> SaveFileName(QWidget*, const FileDialogRequest& r) override {
        return File(Interaction::Save, r);
    }
    // Logged with the prompt as text, the caption as title and the default text as file name.
    QString InputBox(QWidget*, const QString& caption, const QString& prompt,
                     const QString& defaultText) override {
        FileDialogRequest shown;
        shown.title = caption;
        shown.fileName = defaultText;
        log.push_back({Interaction::Input, prompt, shown});
        return Take(inputs, std::optional<QString>()).value_or(defaultText);
    }
    // Logged with the colour the dialog starts at, as #rrggbb.
    std::optional<QColor> ChooseColor(QWidget*, const QColor& initial) override {
        log.push_back({Interaction::Color, initial.name()});
        return Take(colors, std::optional<QColor>());
    }
    int ExecModal(QDialog& dialog) override {
        log.push_back({Interaction::Modal, dialog.windowTitle()});
        dialog.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        Take(modalActions, [](QDialog& d) { d.accept(); })(dialog);
        if (dialog.isVisible()) {
            ADD_FAILURE() << "the scripted action left " << dialog.windowTitle().toStdString() << " open";
            dialog.reject();
        }
        return dialog.result();
    }
    bool PrintDialog(QWidget*, QPrinter& printer) override {
        log.push_back({Interaction::Print, QString()});
        return Take(printDialogs, std::function<bool(QPrinter&)>([](QPrinter&) { return false; }))(printer);
    }
    void PageSetupDialog(QWidget*, QPrinter&) override { log.push_back({Interaction::PageSetup, QString()}); }
    bool OpenUrl(const QUrl& url) override {
        log.push_back({Interaction::Url, url.toString()});
        return true;
    }

    // The texts of the logged interactions of one kind, in order.
    QStringList Texts(Interaction::Kind kind) const {
        QStringList texts;
        for (const Interaction& i : log)
            if (i.kind == kind) texts << i.text;
        return texts;
    }
    int Count(Interaction::Kind kind) const { return int(Texts(kind).size()); }

  private:
    template <class T, class D>
    static T Take(std::deque<T>& queue, D fallback) {
        if (queue.empty()) return fallback;
        T front = queue.front();
        queue.pop_front();
        return front;
    }
    std::optional<FileDialogResult> File(Interaction::Kind kind, const FileDialogRequest& request) {
        log.push_back({kind, request.fileName, request});
        if (files.empty()) ADD_FAILURE() << "unexpected file dialog for " << request.fileName.toStdString();
        const std::optional<QString> file = Take(files, std::optional<QString>());
        const int type = Take(fileTypes, request.filterIndex);
        if (type != request.filterIndex && request.filterChanged)
            request.filterChanged(type, request.fileName);
        if (!file) return std::nullopt;
        return FileDialogResult{*file, type};
    }
};

}  // namespace curvana::test
