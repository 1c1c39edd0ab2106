#include "document/TChildForm.h"

#include <QAction>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QScrollArea>
#include <algorithm>

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

void TChildForm::FormActivate() {
    doc_->Memo = host_.ListingMemo();
    const double values[4] = {doc_->XMin, doc_->XMax, doc_->YMin, doc_->YMax};
    for (int tag = 1; tag <= 4; ++tag)
        if (QLineEdit* edit = host_.ScaleEdit(tag))
            edit->setText(QString::fromStdString(FloatToStr(values[tag - 1])));
    doc_->UpDateMemo(0);
    if (host_.DocumentCount() > 1) doc_->IgnoreClick = true;
}

void TChildForm::FormDeactivate() {
    double* values[4] = {&doc_->XMin, &doc_->XMax, &doc_->YMin, &doc_->YMax};
    for (int tag = 1; tag <= 4; ++tag)
        if (QLineEdit* edit = host_.ScaleEdit(tag))
            *values[tag - 1] = StrToFloatOrZero(edit->text().toStdString());
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

}  // namespace curvana
