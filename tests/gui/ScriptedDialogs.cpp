#include "ScriptedDialogs.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QTest>
#include <QUrl>

namespace curvana::test {

void ScriptedDialogs::ErrorBox(QWidget*, const QString& text) {
    log.push_back({Interaction::Error, text, {}});
}

void ScriptedDialogs::StandardErrorBox(QWidget*, const QString& text) {
    log.push_back({Interaction::StandardError, text, {}});
}

Answer ScriptedDialogs::AskYesNoCancel(QWidget*, const QString& text) {
    log.push_back({Interaction::Question, text, {}});
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return Answer::Cancel;
    }
    const Answer a = answers.front();
    answers.pop_front();
    return a;
}

std::optional<FileDialogResult> ScriptedDialogs::NextFile(Interaction::Kind kind,
                                                          const FileDialogRequest& request) {
    log.push_back({kind, request.fileName, request});
    if (files.empty()) {
        ADD_FAILURE() << "unexpected file dialog proposing " << request.fileName.toStdString();
        return std::nullopt;
    }
    const std::optional<QString> file = files.front();
    files.pop_front();
    if (!file) return std::nullopt;
    return FileDialogResult{*file, request.filterIndex};
}

std::optional<FileDialogResult> ScriptedDialogs::OpenFileName(QWidget*, const FileDialogRequest& request) {
    return NextFile(Interaction::Open, request);
}

std::optional<FileDialogResult> ScriptedDialogs::SaveFileName(QWidget*, const FileDialogRequest& request) {
    return NextFile(Interaction::Save, request);
}

QString ScriptedDialogs::InputBox(QWidget*, const QString&, const QString& prompt,
                                  const QString& defaultText) {
    log.push_back({Interaction::Input, prompt, {}});
    if (inputs.empty()) return defaultText;
    const QString text = inputs.front();
    inputs.pop_front();
    return text;
}

std::optional<QColor> ScriptedDialogs::ChooseColor(QWidget*, const QColor&) {
    log.push_back({Interaction::Color, {}, {}});
    if (colors.empty()) return std::nullopt;
    const std::optional<QColor> c = colors.front();
    colors.pop_front();
    return c;
}

int ScriptedDialogs::ExecModal(QDialog& dialog) {
    log.push_back({Interaction::Modal, dialog.windowTitle(), {}});
    dialog.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    if (modalActions.empty()) {
        dialog.accept();
    } else {
        const std::function<void(QDialog&)> action = modalActions.front();
        modalActions.pop_front();
        action(dialog);
        if (dialog.isVisible()) {
            ADD_FAILURE() << "the scripted action left " << dialog.windowTitle().toStdString() << " open";
            dialog.reject();
        }
    }
    return dialog.result();
}

bool ScriptedDialogs::OpenUrl(const QUrl& url) {
    log.push_back({Interaction::Url, url.toString(), {}});
    return true;
}

QStringList ScriptedDialogs::Texts(Interaction::Kind kind) const {
    QStringList texts;
    for (const Interaction& i : log)
        if (i.kind == kind) texts << i.text;
    return texts;
}

bool ScriptedDialogs::AllAnswersUsed() const {
    return answers.empty() && files.empty() && inputs.empty() && colors.empty() && modalActions.empty();
}

}  // namespace curvana::test
