#include "app/THelpForm.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include "app/Dialogs.h"
#include "app/ImageList.h"

namespace curvana {

THelpForm::THelpForm(Dialogs& dialogs, QWidget* parent) : QWidget(parent, Qt::Window), dialogs_(dialogs) {
    setObjectName("HelpForm");
    setWindowTitle("Curvana Help");
    setWindowIcon(ProgramIcon());
    browser_ = new QTextBrowser;
    browser_->setOpenExternalLinks(true);
    auto* bar = new QToolBar;
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    bar->addAction("&Contents", this, &THelpForm::ShowContents);
    bar->addAction("&Index", this, &THelpForm::ShowIndex);
    bar->addSeparator();
    QAction* back = bar->addAction("&Back", browser_, &QTextBrowser::backward);
    QAction* forward = bar->addAction("&Forward", browser_, &QTextBrowser::forward);
    back->setShortcut(QKeySequence::Back);
    forward->setShortcut(QKeySequence::Forward);
    back->setEnabled(false);
    forward->setEnabled(false);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(browser_, 1);
    resize(560, 520);
}

void THelpForm::SetHelpFile(const QString& path) {
    file_ = path;
}

void THelpForm::ShowContents() {
    Show("contents");
}

void THelpForm::ShowIndex() {
    Show("index");
}

void THelpForm::ShowTopic(int context) {
    Show(QString::number(context));
}

void THelpForm::Show(const QString& anchor) {
    if (!QFileInfo(file_).isFile()) {
        dialogs_.StandardErrorBox(parentWidget(), "Cannot find the help file " + file_ + ".");
        return;
    }
    QUrl url = QUrl::fromLocalFile(QFileInfo(file_).absoluteFilePath());
    if (loaded_ != file_) {
        browser_->clearHistory();
        browser_->setSource(url, QTextDocument::HtmlResource);
        loaded_ = file_;
    }
    url.setFragment(anchor);
    browser_->setSource(url, QTextDocument::HtmlResource);
    browser_->scrollToAnchor(anchor);
    topic_ = anchor;
    if (!isVisible() && parentWidget()) {
        const QRect frame = parentWidget()->frameGeometry();
        move(frame.right() - width() / 2, frame.top() + 40);
        if (QScreen* screen = parentWidget()->screen()) {
            const QRect area = screen->availableGeometry();
            move(std::clamp(x(), area.left(), std::max(area.left(), area.right() - width())),
                 std::clamp(y(), area.top(), std::max(area.top(), area.bottom() - height())));
        }
    }
    show();
    raise();
    activateWindow();
}

}  // namespace curvana
