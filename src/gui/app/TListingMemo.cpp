#include "app/TListingMemo.h"

#include <QMimeData>
#include <QTextBlock>

namespace curvana {

TListingMemo::TListingMemo(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

QTextCursor TListingMemo::CursorAtBlock(int i) const {
    return QTextCursor(document()->findBlockByNumber(i));
}

std::string TListingMemo::Line(int i) const {
    if (i < 0 || i >= Count()) return {};
    return lines_[std::size_t(i)];
}

void TListingMemo::Replace(int i, const std::string& text) {
    if (i < 0 || i >= Count()) return;
    QTextCursor cursor = CursorAtBlock(i);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    cursor.insertText(QString::fromStdString(text));
    lines_[std::size_t(i)] = text;
}

void TListingMemo::InsertBefore(int i, const std::string& text) {
    if (i < 0 || i > Count()) return;
    if (i == Count()) {
        Append(text);
        return;
    }
    QTextCursor cursor = CursorAtBlock(i);
    cursor.insertText(QString::fromStdString(text));
    cursor.insertBlock();
    lines_.insert(lines_.begin() + i, text);
}

void TListingMemo::Append(const std::string& text) {
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    if (!lines_.empty()) cursor.insertBlock();
    cursor.insertText(QString::fromStdString(text));
    lines_.push_back(text);
}

void TListingMemo::Delete(int i) {
    if (i < 0 || i >= Count()) return;
    if (Count() == 1) {
        Clear();
        return;
    }
    QTextCursor cursor;
    if (i == Count() - 1) {  // the last line goes with the line break before it
        cursor = CursorAtBlock(i - 1);
        cursor.movePosition(QTextCursor::EndOfBlock);
        cursor.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
    } else {
        cursor = CursorAtBlock(i);
        cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
    }
    cursor.removeSelectedText();
    lines_.erase(lines_.begin() + i);
}

void TListingMemo::Clear() {
    clear();
    lines_.clear();
}

QStringList TListingMemo::Lines() const {
    QStringList lines;
    for (int i = 0; i < Count(); ++i)
        lines << document()->findBlockByNumber(i).text();
    return lines;
}

QString TListingMemo::SelectedText() const {
    QString text = textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, "\r\n");
    return text;
}

QMimeData* TListingMemo::createMimeDataFromSelection() const {
    auto* data = new QMimeData;
    data->setText(SelectedText());
    return data;
}

}  // namespace curvana
