#pragma once

#include <QPlainTextEdit>
#include <string>
#include <vector>

#include "document/Listing.h"

namespace curvana {

// The side panel's read-only data listing (Memo1): one text block per listing line. The document
// writes it line by line, and only the lines that differ are touched, so the user's selection and
// scroll position stay where nothing changed.
class TListingMemo : public QPlainTextEdit, public LineSink {
    Q_OBJECT
  public:
    explicit TListingMemo(QWidget* parent = nullptr);

    int Count() const override { return int(lines_.size()); }
    std::string Line(int i) const override;
    void Replace(int i, const std::string& text) override;
    void InsertBefore(int i, const std::string& text) override;
    void Append(const std::string& text) override;
    void Delete(int i) override;
    void Clear() override;

    // All lines, for tests and the commands that work from the listing's text.
    QStringList Lines() const;
    // The selected characters, lines ended by CR LF as in the listing's text.
    QString SelectedText() const;

  protected:
    // What a copy puts on the clipboard: the selection as plain text with CR LF line breaks.
    QMimeData* createMimeDataFromSelection() const override;

  private:
    QTextCursor CursorAtBlock(int i) const;

    // The lines as they stand in the text, so that comparing the listing with a new one during a
    // drag reads no text blocks.
    std::vector<std::string> lines_;
};

}  // namespace curvana
