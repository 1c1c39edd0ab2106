#include "app/TPrefForm.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <algorithm>

#include "output/PreferenceRules.h"

namespace curvana {

namespace {

// The least room between a label and its field.
constexpr int kLabelGap = 8;

PreferenceField FieldOf(int tag) {
    return tag == 0 ? PreferenceField::Digits : PreferenceField::MarkerSize;
}

}  // namespace

TUpDown::TUpDown(int minimum, int maximum, int position, QWidget* parent)
    : QWidget(parent), minimum_(minimum), maximum_(maximum), position_(minimum) {
    SetPosition(position);
    up_ = new QToolButton(this);
    up_->setArrowType(Qt::UpArrow);
    down_ = new QToolButton(this);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up_, down_}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
    }
    connect(up_, &QToolButton::clicked, this, [this] { Step(1); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
    setFixedSize(16, 24);
    up_->setGeometry(0, 0, 16, 12);
    down_->setGeometry(0, 12, 16, 12);
}

void TUpDown::SetPosition(int position) {
    position_ = std::clamp(position, minimum_, maximum_);
}

void TUpDown::Step(int by) {
    SetPosition(position_ + by);
    emit Clicked();
}

TPrefForm::TPrefForm(std::function<void()> showHelp, QWidget* parent)
    : QDialog(parent), showHelp_(std::move(showHelp)) {
    setWindowTitle("Preferences");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setFixedSize(280, 130);

    Label1 = new QLabel("Number of significant digits", this);
    Label1->move(16, 20);
    Label2 = new QLabel("Size of markers", this);
    Label2->move(16, 52);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName("Edit1");
    Edit1->setGeometry(176, 16, 73, 21);
    Edit2 = new QLineEdit(this);
    Edit2->setObjectName("Edit2");
    Edit2->setGeometry(176, 48, 73, 21);
    UpDown1 = new TUpDown(1, 10, 1, this);
    UpDown1->setObjectName("UpDown1");
    UpDown1->move(248, 15);
    UpDown2 = new TUpDown(2, 20, 2, this);
    UpDown2->setObjectName("UpDown2");
    UpDown2->move(248, 47);
    // The labels may need more room than designed in the user's font: they are shown whole, and
    // the fields, their arrows and the two buttons on the right move over, the dialog growing
    // with them.
    for (QLabel* label : {Label1, Label2})
        label->resize(label->sizeHint());
    const int labelsEnd = 16 + std::max(Label1->width(), Label2->width());
    const int shift = std::max(0, labelsEnd + kLabelGap - 176);

    Button1 = new QPushButton("&Ok", this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(113, 96, 72, 25);
    Button1->setDefault(true);
    Button2 = new QPushButton("&Cancel", this);
    Button2->setObjectName("Button2");
    Button2->setGeometry(192, 96, 72, 25);
    Button2->setAutoDefault(false);
    for (QWidget* right : std::initializer_list<QWidget*>{Edit1, Edit2, UpDown1, UpDown2, Button1, Button2})
        right->move(right->x() + shift, right->y());
    setFixedSize(280 + shift, 130);
    BitBtn1 = new QPushButton(this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setGeometry(7, 96, 24, 25);
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    BitBtn1->setAutoDefault(false);

    connect(Edit1, &QLineEdit::textChanged, this, [this] { EditChange(0); });
    connect(Edit2, &QLineEdit::textChanged, this, [this] { EditChange(1); });
    connect(UpDown1, &TUpDown::Clicked, this, [this] { UpDownClick(0); });
    connect(UpDown2, &TUpDown::Clicked, this, [this] { UpDownClick(1); });
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        if (showHelp_) showHelp_();
    });

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TPrefForm::EditChange(int tag) {
    QLineEdit* edit = tag == 0 ? Edit1 : Edit2;
    const std::int32_t value = PreferenceFieldValue(FieldOf(tag), edit->text().toStdString());
    (tag == 0 ? UpDown1 : UpDown2)->SetPosition(value);
    const QString text = QString::number(value);
    if (edit->text() != text) edit->setText(text);
}

void TPrefForm::UpDownClick(int tag) {
    (tag == 0 ? Edit1 : Edit2)->setText(QString::number((tag == 0 ? UpDown1 : UpDown2)->Position()));
}

void TPrefForm::Load(std::int32_t digits, std::int32_t markerSize) {
    Edit1->setText(QString::number(digits));
    UpDown1->SetPosition(digits);
    Edit2->setText(QString::number(markerSize));
    UpDown2->SetPosition(markerSize);
}

std::int32_t TPrefForm::Digits() const {
    return PreferenceFieldValue(PreferenceField::Digits, Edit1->text().toStdString());
}

std::int32_t TPrefForm::MarkerSize() const {
    return PreferenceFieldValue(PreferenceField::MarkerSize, Edit2->text().toStdString());
}

}  // namespace curvana
