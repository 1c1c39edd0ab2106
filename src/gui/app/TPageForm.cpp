#include "app/TPageForm.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/PdfReader.h"

namespace curvana {

TPageForm::TPageForm(int pageCount, int dpi, std::function<void()> showHelp, QWidget* parent)
    : QDialog(parent), Label2(nullptr), SpinEdit2(nullptr), showHelp_(std::move(showHelp)) {
    setWindowTitle("Open Page");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    auto* fields = new QFormLayout;
    SpinEdit1 = new QSpinBox(this);
    SpinEdit1->setObjectName("SpinEdit1");
    SpinEdit1->setRange(1, std::max(1, pageCount));
    SpinEdit1->setValue(1);
    SpinEdit1->setEnabled(pageCount > 1);
    Label1 = new QLabel(QString("&Page (1 to %1):").arg(std::max(1, pageCount)), this);
    Label1->setBuddy(SpinEdit1);
    fields->addRow(Label1, SpinEdit1);
    if (dpi > 0) {
        SpinEdit2 = new QSpinBox(this);
        SpinEdit2->setObjectName("SpinEdit2");
        SpinEdit2->setRange(kPdfMinDpi, kPdfMaxDpi);
        SpinEdit2->setValue(dpi);
        Label2 = new QLabel(QString("&Resolution (%1 to %2 dpi):").arg(kPdfMinDpi).arg(kPdfMaxDpi), this);
        Label2->setBuddy(SpinEdit2);
        fields->addRow(Label2, SpinEdit2);
    }
    auto* buttons = new QDialogButtonBox(this);
    Button1 = buttons->addButton(QDialogButtonBox::Ok);
    Button2 = buttons->addButton(QDialogButtonBox::Cancel);
    BitBtn1 = buttons->addButton(QDialogButtonBox::Help);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        if (showHelp_) showHelp_();
    });
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    (SpinEdit1->isEnabled() ? SpinEdit1 : SpinEdit2 ? SpinEdit2 : static_cast<QWidget*>(Button1))->setFocus();
}

int TPageForm::Page() const {
    return SpinEdit1->value();
}

int TPageForm::Dpi() const {
    return SpinEdit2 ? SpinEdit2->value() : kPdfDefaultDpi;
}

}  // namespace curvana
