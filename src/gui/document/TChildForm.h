#pragma once

#include <QColor>
#include <QMdiSubWindow>
#include <QPoint>
#include <functional>
#include <memory>
#include <optional>

#include "document/PlotDocument.h"

class QAction;
class QKeyEvent;
class QLineEdit;
class QMenu;
class QScrollArea;
class QWheelEvent;

namespace curvana {

class Dialogs;
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
    // Whether this is the document the main window's commands act on.
    virtual bool IsActiveDocument(const class TChildForm& child) const = 0;
    // Status bar panel 0 (the data point under the pointer) or 1 (the editing mode's prompt).
    virtual void ShowStatus(int panel, const QString& text) = 0;
    virtual Dialogs& HostDialogs() = 0;
    // The View menu's zoom in (true) or out (false), for this document, keeping the picture point at
    // a screen position (the pointer's) in place.
    virtual void ZoomDocument(class TChildForm& child, bool in, const QPoint& globalPoint) = 0;
    // The document changed (or may have): the Edit menu's undo and redo follow it.
    virtual void DocumentEdited(class TChildForm& child) = 0;
    // A click in Trace Curve or Trace Symbols mode at a picture point.
    virtual void TraceAt(class TChildForm& child, TPoint p) = 0;
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
    // Takes a zoom step of the document (false when it refuses it), then sizes and repaints the
    // window, keeping the picture point at a screen position where it was (the middle of the
    // window's view when none is given), as far as the view can scroll.
    bool Zoom(bool (PlotDocument::*step)(), std::optional<QPoint> globalPoint = std::nullopt);
    // Shows what an edit changed, and lets the main window follow the change.
    void ShowChange(const DisplayChange& change);

    // The mouse in the client area, in client pixels.
    void MarkerMouseDown(Qt::MouseButton button, int x, int y);
    void MarkerMouseMove(int x, int y);
    void MarkerMouseUp();

    // The marker context menu and its commands; each works on the marker at PopupIndex.
    QMenu* PopupMenu1;
    QAction *Delete1, *Color1, *N1, *Name1, *X1, *Y1;
    void Delete1Click();
    void Color1Click();
    void Name1Click();
    void X1Click(int tag);  // 1 the X value, 2 the Y value
    // Shows the menu at a screen point and gives the item chosen (none when it was dismissed).
    std::function<QAction*(QMenu&, const QPoint&)> PopupExec;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QSize FrameExtra() const;
    // The MarkerList position of the first marker that p (picture pixels) hits, or -1.
    int HitMarker(TPoint p) const;
    void OpenMarkerMenu(int k, int x, int y);
    void RunMenuCommand(QAction* item);
    void AutoScroll(int x, int y);
    bool KeyPress(QKeyEvent& event);
    void Wheel(QWheelEvent& event);

    DocumentHost& host_;
    std::unique_ptr<PlotDocument> doc_;
    QScrollArea* scroll_ = nullptr;
    TPictureView* view_ = nullptr;
    bool closing_ = false;
    QColor lastColor_ = Qt::black;  // the colour dialog opens with the colour last chosen in it
};

}  // namespace curvana
