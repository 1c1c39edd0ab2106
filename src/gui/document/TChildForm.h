#pragma once

#include <QMdiSubWindow>
#include <memory>

#include "document/PlotDocument.h"

class QLineEdit;
class QScrollArea;

namespace curvana {

class TPictureView;
class TListingMemo;

// What a document window needs from the main window.
class DocumentHost {
  public:
    virtual ~DocumentHost() = default;
    // The closing rules: may ask about saving; false keeps the window open.
    virtual bool DocumentCloseQuery(class TChildForm& child) = 0;
    // The side panel the active document fills.
    virtual QLineEdit* ScaleEdit(int tag) const = 0;
    virtual TListingMemo* ListingMemo() const = 0;
    virtual int DocumentCount() const = 0;
};

// One plot document window: a picture with its calibration, markers and listing, shown at its zoom
// inside a margin and frame. It lives in the main window's document area and owns its document.
class TChildForm : public QMdiSubWindow {
    Q_OBJECT
  public:
    TChildForm(DocumentHost& host, std::unique_ptr<PlotDocument> doc, QWidget* parent = nullptr);
    ~TChildForm() override;

    PlotDocument& Document() { return *doc_; }
    const PlotDocument& Document() const { return *doc_; }
    TPictureView* View() const { return view_; }
    // The document's full path: its folder and its name.
    QString FullPath() const;
    // Whether the closing rules have let the window go (it is about to be destroyed).
    bool Closing() const { return closing_; }

    // Activation fills the side panel from the document; deactivation reads the scale edits back.
    void FormActivate();
    void FormDeactivate();
    // Sizes the window to the document's client area, as far as the main window's area has room
    // for it, keeps it inside that area, and repaints.
    void StretchB();
    void FormPaint();

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QSize FrameExtra() const;

    DocumentHost& host_;
    std::unique_ptr<PlotDocument> doc_;
    QScrollArea* scroll_ = nullptr;
    TPictureView* view_ = nullptr;
    bool closing_ = false;
};

}  // namespace curvana
