#include "document/TChildForm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "app/Dialogs.h"
#include "app/ImageList.h"
#include "app/TListingMemo.h"
#include "document/TPictureView.h"
#include "platform/NumberText.h"

namespace curvana {

TChildForm::TChildForm(DocumentHost& host, std::unique_ptr<PlotDocument> doc, QWidget* parent)
    : QMdiSubWindow(parent), host_(host), doc_(std::move(doc)) {
    setAttribute(Qt::WA_DeleteOnClose);
    // A system menu, minimise and close; no maximise.
    setWindowFlags(Qt::SubWindow | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QString::fromStdString(doc_->Caption));
    // The title bar shows the program's icon; without one of its own a document window would show
    // the toolkit's.
    setWindowIcon(ProgramIcon());
    // The main window's File > Close (Ctrl+W) closes the active document; the system menu's own
    // shortcuts would compete with it.
    for (QAction* action : systemMenu()->actions())
        action->setShortcut(QKeySequence());
    scroll_ = new QScrollArea;
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidgetResizable(false);
    scroll_->setBackgroundRole(QPalette::Button);
    view_ = new TPictureView(*doc_);
    scroll_->setWidget(view_);
    setWidget(scroll_);
    setFocusProxy(view_);
    view_->MousePressed = [this](QMouseEvent& e) {
        const QPoint at = e.position().toPoint();
        MarkerMouseDown(e.button(), at.x(), at.y());
    };
    view_->MouseMoved = [this](QMouseEvent& e) {
        const QPoint at = e.position().toPoint();
        MarkerMouseMove(at.x(), at.y());
    };
    view_->MouseReleased = [this](QMouseEvent&) { MarkerMouseUp(); };
    view_->KeyPressed = [this](QKeyEvent& e) { return KeyPress(e); };
    view_->WheelTurned = [this](QWheelEvent& e) { Wheel(e); };

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    auto item = [this](const char* name, const QString& caption, int tag) {
        QAction* a = PopupMenu1->addAction(caption);
        a->setObjectName(name);
        a->setProperty("Tag", tag);
        return a;
    };
    Delete1 = item("Delete1", "&Delete", 0);
    Color1 = item("Color1", "&Color", 0);
    N1 = PopupMenu1->addSeparator();
    N1->setObjectName("N1");
    Name1 = item("Name1", "Name", 0);
    X1 = item("X1", "X:", 1);
    Y1 = item("Y1", "Y:", 2);
    PopupExec = [](QMenu& menu, const QPoint& at) { return menu.exec(at); };
    StretchB();
}

// The main window may be on its way out when its document windows go: nothing here asks it.
TChildForm::~TChildForm() = default;

QString TChildForm::FullPath() const {
    return QString::fromStdString(doc_->DocumentFolder + doc_->Caption);
}

QSize TChildForm::FrameExtra() const {
    const QMargins m = contentsMargins();
    return {m.left() + m.right(), m.top() + m.bottom()};
}

void TChildForm::StretchB() {
    view_->FitToDocument();
    // The picture and its margins, or the least a window with its title bar can be.
    const QSize full = (view_->size() + FrameExtra()).expandedTo(minimumSizeHint());
    setMaximumSize(full);
    QMdiArea* area = mdiArea();
    if (!area) {
        resize(full);
        return;
    }
    // No larger than the area, and moved back as far as needed to show all of it.
    const QSize room = area->viewport()->size();
    resize(full.boundedTo(room).expandedTo(minimumSizeHint()));  // never below what the title bar needs
    move(std::clamp(x(), 0, std::max(0, room.width() - width())),
         std::clamp(y(), 0, std::max(0, room.height() - height())));
}

void TChildForm::FormPaint() {
    view_->Repaint();
}

bool TChildForm::Zoom(bool (PlotDocument::*step)(), std::optional<QPoint> globalPoint) {
    QWidget* port = scroll_->viewport();
    const auto anchor = [&] {
        return globalPoint ? port->mapFromGlobal(*globalPoint) : port->rect().center();
    };
    // The picture point at the middle of the client pixel under the anchor, in picture pixels.
    const QPoint before = view_->mapFrom(port, anchor());
    const double f = doc_->ZoomFactor();
    const double px = (before.x() + 0.5 - double(PlotDocument::MarginX)) / f;
    const double py = (before.y() + 0.5 - double(PlotDocument::MarginY)) / f;
    if (!((*doc_).*step)()) return false;
    StretchB();
    // The window may have changed its size: the anchor is where the pointer or the middle is now.
    const QPoint after = anchor();
    const double g = doc_->ZoomFactor();
    const auto scrollTo = [](QScrollBar* bar, double client, int at) {
        bar->setValue(int(std::clamp<double>(std::floor(client) - at, bar->minimum(), bar->maximum())));
    };
    scrollTo(scroll_->horizontalScrollBar(), double(PlotDocument::MarginX) + px * g, after.x());
    scrollTo(scroll_->verticalScrollBar(), double(PlotDocument::MarginY) + py * g, after.y());
    FormPaint();
    return true;
}

void TChildForm::ShowChange(const DisplayChange& change) {
    view_->Show(change);
    host_.DocumentEdited(*this);
}

void TChildForm::FormActivate() {
    doc_->Memo = host_.ListingMemo();
    const double values[4] = {doc_->XMin, doc_->XMax, doc_->YMin, doc_->YMax};
    for (int tag = 1; tag <= 4; ++tag)
        if (QLineEdit* edit = host_.ScaleEdit(tag))
            edit->setText(QString::fromStdString(FloatToStr(values[tag - 1])));
    doc_->UpDateMemo(0);
    if (host_.DocumentCount() > 1) {
        // A press into the window's picture that activated it only activates: that press is on its
        // way here now. Once it has been handled, or when the window was activated by its title
        // bar, the Window menu, the keyboard or by opening a file, the next press acts.
        doc_->IgnoreClick = true;
        QMetaObject::invokeMethod(
            this, [this] { doc_->IgnoreClick = false; }, Qt::QueuedConnection);
    }
}

void TChildForm::FormDeactivate() {
    for (int tag = 1; tag <= 4; ++tag)
        if (QLineEdit* edit = host_.ScaleEdit(tag))
            doc_->SetScaleValue(tag, StrToFloatOrZero(edit->text().toStdString()), false);
    doc_->CommitScaleValues();
    if (doc_->Memo == host_.ListingMemo()) doc_->Memo = nullptr;
}

void TChildForm::closeEvent(QCloseEvent* event) {
    if (closing_) {  // already let go
        event->accept();
        return;
    }
    if (!host_.DocumentCloseQuery(*this)) {
        event->ignore();
        return;
    }
    closing_ = true;
    QMdiSubWindow::closeEvent(event);
}

// ---------------------------------------------------------------------------------------------
// The mouse

namespace {

QString DataPointText(const TDataPoint& d, const char* between) {
    return QString::fromStdString(FloatToSigStr(d.X)) + between + QString::fromStdString(FloatToSigStr(d.Y));
}

}  // namespace

int TChildForm::HitMarker(TPoint p) const {
    const double z = doc_->ZoomFactor();
    for (std::size_t k = 0; k < doc_->MarkerList().size(); ++k)
        if (doc_->MarkerList()[k]->HitTest(p, z)) return int(k);
    return -1;
}

void TChildForm::MarkerMouseDown(Qt::MouseButton button, int x, int y) {
    PlotDocument& d = *doc_;
    d.UndoHistory().BreakMerge();  // nudges before the press and after it are changes of their own
    if (d.PopupIndex >= 0) {       // a context menu was closed without a command: this press only ends it
        d.PopupIndex = -1;
        return;
    }
    if (d.IgnoreClick) {  // the press that activated this window only activates it
        d.IgnoreClick = false;
        return;
    }
    if (!host_.IsActiveDocument(*this) || !d.InsidePicture(x, y)) return;
    const TPoint p = d.WindowToPicture(x, y);

    if ((d.TraceCurveMode || d.TraceSymbolsMode) && button == Qt::LeftButton) {
        host_.TraceAt(*this, p);
        return;
    }
    if (d.DeleteSeriesMode && button == Qt::LeftButton) {
        for (std::size_t i = 0; i < d.DataSeries.size(); ++i)
            if (d.DataSeries[i]->HitTest(p)) {
                ShowChange(d.DeleteSeries(int(i)));
                break;
            }
        return;
    }

    const int k = HitMarker(p);
    if (k >= 0) {
        d.DragIndex = -1;
        if (button == Qt::RightButton) {
            OpenMarkerMenu(k, x, y);
            return;
        }
        TMarker* m = d.MarkerList()[std::size_t(k)];
        view_->Show(d.Select(m));
        int series = 0, slot = 0;
        if (d.DeletePointMode) {
            if (d.FindSeriesMarker(m, series, slot) && d.DataSeries[std::size_t(series)]->Count() > 2)
                ShowChange(d.DeleteSeriesPoint(series, slot));
        } else if (d.DeleteSingleMode) {
            slot = d.SingleMarkerSlot(m);
            if (slot >= 0) ShowChange(d.DeleteSingleMarker(slot));
        } else {
            d.BeginDrag(k);
        }
        return;
    }

    if (button != Qt::LeftButton) return;
    if (d.AddPointMode) {
        ShowChange(d.AddPointToNearestSeries(p));
    } else if (d.AddSingleMode) {
        d.DragIndex = -1;
        ShowChange(d.AddSingleMarker(p));
    }
}

void TChildForm::AutoScroll(int x, int y) {
    bool scrolled = false;
    // The main window's document area: one line in the first direction the pointer is beyond it.
    if (QMdiArea* area = mdiArea()) {
        const QPoint at = view_->mapTo(area->viewport(), QPoint(x, y));
        const QRect r = area->viewport()->rect();
        QScrollBar* bar = nullptr;
        auto action = QAbstractSlider::SliderSingleStepAdd;
        if (at.x() < 0) {
            bar = area->horizontalScrollBar();
            action = QAbstractSlider::SliderSingleStepSub;
        } else if (at.x() > r.right()) {
            bar = area->horizontalScrollBar();
        } else if (at.y() < 0) {
            bar = area->verticalScrollBar();
            action = QAbstractSlider::SliderSingleStepSub;
        } else if (at.y() > r.bottom()) {
            bar = area->verticalScrollBar();
        }
        if (bar) {
            bar->triggerAction(action);
            scrolled = true;
        }
    }
    // The document window's own view of a picture larger than the window: one line along each
    // axis the pointer has left it by, so that the marker stays in sight as it is dragged on.
    const QPoint inView = view_->mapTo(scroll_->viewport(), QPoint(x, y));
    const QRect own = scroll_->viewport()->rect();
    auto step = [&scrolled](QScrollBar* bar, int position, int last) {
        const int before = bar->value();
        if (position < 0) bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        if (position > last) bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        scrolled = scrolled || bar->value() != before;
    };
    step(scroll_->horizontalScrollBar(), inView.x(), own.right());
    step(scroll_->verticalScrollBar(), inView.y(), own.bottom());
    if (!scrolled) return;
    // The window has moved under the pointer: show all of it again at once.
    view_->Repaint();
    view_->repaint();
}

void TChildForm::MarkerMouseMove(int x, int y) {
    PlotDocument& d = *doc_;
    if (d.DragIndex >= 0) AutoScroll(x, y);
    if (d.DragIndex >= 0 && d.InsidePicture(x, y)) {
        const TPoint p = d.WindowToPicture(x, y);
        view_->Show(d.DragTo(p));
        QToolTip::hideText();
    } else {
        const int k = HitMarker(d.WindowToPicture(x, y));
        if (k >= 0) {
            const TDataPoint at = d.ConvertXY(d.MarkerList()[std::size_t(k)]->Position());
            QToolTip::showText(view_->mapToGlobal(QPoint(x, y)), "(" + DataPointText(at, " , ") + ")", view_);
        } else {
            QToolTip::hideText();
        }
    }
    host_.ShowStatus(0, DataPointText(d.ConvertXY(d.WindowToPicture(x, y)), " , "));
}

void TChildForm::MarkerMouseUp() {
    const bool dragging = doc_->DragIndex >= 0;
    doc_->EndDrag();
    if (dragging) host_.DocumentEdited(*this);
}

// The arrow keys move the selected marker by one picture pixel, with Shift by ten, as a drag would;
// Escape clears the selection.
bool TChildForm::KeyPress(QKeyEvent& event) {
    PlotDocument& d = *doc_;
    int dx = 0, dy = 0;
    switch (event.key()) {
        case Qt::Key_Left:
            dx = -1;
            break;
        case Qt::Key_Right:
            dx = 1;
            break;
        case Qt::Key_Up:
            dy = -1;
            break;
        case Qt::Key_Down:
            dy = 1;
            break;
        case Qt::Key_Escape:
            if (!d.Selected) return false;
            view_->Show(d.Select(nullptr));
            return true;
        default:
            return false;
    }
    const int steps = event.modifiers() & Qt::ShiftModifier ? 10 : 1;
    ShowChange(d.NudgeSelected(dx, dy, steps));
    return true;
}

void TChildForm::Wheel(QWheelEvent& event) {
    const int turn = event.angleDelta().y();
    if (!(event.modifiers() & Qt::ControlModifier) || turn == 0) {
        event.ignore();  // the scroll area scrolls
        return;
    }
    event.accept();
    host_.ZoomDocument(*this, turn > 0, event.globalPosition().toPoint());
}

// ---------------------------------------------------------------------------------------------
// The marker context menu

void TChildForm::OpenMarkerMenu(int k, int x, int y) {
    PlotDocument& d = *doc_;
    const TMarker* m = d.MarkerList()[std::size_t(k)];
    const TDataPoint at = d.ConvertXY(m->Position());
    X1->setText("X: " + QString::fromStdString(FloatToSigStr(at.X)));
    Y1->setText("Y: " + QString::fromStdString(FloatToSigStr(at.Y)));
    if (k <= 3) {
        for (QAction* a : {Name1, Delete1, Color1, N1})
            a->setVisible(false);
    } else {
        Name1->setVisible(false);
        int series = 0, slot = 0;
        if (d.FindSeriesMarker(m, series, slot)) {
            const TMarkerLine& line = *d.DataSeries[std::size_t(series)];
            Delete1->setEnabled(line.Count() > 2);
            Name1->setVisible(true);
            QString name = QString::fromStdString(line.Name);
            Name1->setText(name.replace("&", "&&"));
        } else {
            Delete1->setEnabled(true);
        }
        for (QAction* a : {Delete1, Color1, N1})
            a->setVisible(true);
    }
    // At the pointer, which is where the press was.
    QAction* chosen = PopupExec(*PopupMenu1, view_->mapToGlobal(QPoint(x, y)));
    d.PopupIndex = k;
    // The command runs once the press that opened the menu is over.
    if (chosen)
        QMetaObject::invokeMethod(
            this, [this, chosen] { RunMenuCommand(chosen); }, Qt::QueuedConnection);
}

void TChildForm::RunMenuCommand(QAction* item) {
    if (item == Delete1)
        Delete1Click();
    else if (item == Color1)
        Color1Click();
    else if (item == Name1)
        Name1Click();
    else if (item == X1 || item == Y1)
        X1Click(item->property("Tag").toInt());
}

void TChildForm::Delete1Click() {
    PlotDocument& d = *doc_;
    const int k = d.PopupIndex;
    d.PopupIndex = -1;
    if (k <= 3 || k >= int(d.MarkerList().size())) return;
    const TMarker* m = d.MarkerList()[std::size_t(k)];
    int series = 0, slot = 0;
    if (d.FindSeriesMarker(m, series, slot)) {
        if (d.DataSeries[std::size_t(series)]->Count() > 2) {
            ShowChange(d.DeleteSeriesPoint(series, slot));
            return;
        }
    } else if ((slot = d.SingleMarkerSlot(m)) >= 0) {
        ShowChange(d.DeleteSingleMarker(slot));
        return;
    }
    // Nothing to delete: painted and listed all the same.
    d.UpDateMemo(0);
    view_->Show(DisplayChange{{}, true});
}

void TChildForm::Color1Click() {
    PlotDocument& d = *doc_;
    const int k = d.PopupIndex;
    if (k > 3 && k < int(d.MarkerList().size())) {
        if (const std::optional<QColor> chosen = host_.HostDialogs().ChooseColor(this, lastColor_)) {
            lastColor_ = *chosen;
            const TColor color =
                RGB(std::uint8_t(chosen->red()), std::uint8_t(chosen->green()), std::uint8_t(chosen->blue()));
            ShowChange(d.SetMarkerColor(*d.MarkerList()[std::size_t(k)], color));
        }
        d.MarkChanged();
    }
    d.PopupIndex = -1;
}

void TChildForm::Name1Click() {
    PlotDocument& d = *doc_;
    const int k = d.PopupIndex;
    d.PopupIndex = -1;
    if (k <= 3 || k >= int(d.MarkerList().size())) return;
    const TPoint at = d.MarkerList()[std::size_t(k)]->Position();
    for (std::size_t i = 0; i < d.DataSeries.size(); ++i) {
        if (!d.DataSeries[i]->HitTest(at)) continue;
        const QString name = host_.HostDialogs().InputBox(
            this, "Curvana", "Enter DataSeries Name:", QString::fromStdString(d.DataSeries[i]->Name));
        ShowChange(d.RenameSeries(int(i), name.toStdString()));
        return;
    }
}

void TChildForm::X1Click(int tag) {
    PlotDocument& d = *doc_;
    const int k = d.PopupIndex;
    d.PopupIndex = -1;
    // A box corner's values are those of the scale itself: shown, not typed.
    if (k <= 3 || k >= int(d.MarkerList().size())) return;
    TDataPoint value = d.ConvertXY(d.MarkerList()[std::size_t(k)]->Position());
    QAction* item = tag == 1 ? X1 : Y1;
    const QString text = host_.HostDialogs().InputBox(
        this, "Curvana", tag == 1 ? "Enter X-value:" : "Enter Y-value:", item->text().mid(3, 99));
    double typed = 0;
    if (TryStrToFloat(text.toStdString(), typed))
        (tag == 1 ? value.X : value.Y) = typed;
    else
        QApplication::beep();
    const TPoint p = d.DeConvertXY(value);
    if (p.X < 0 || p.X > d.Picture.Width() || p.Y < 0 || p.Y > d.Picture.Height()) return;
    ShowChange(d.MoveMarker(k, p, tag == 1 ? "Set X Value" : "Set Y Value"));
}

}  // namespace curvana
