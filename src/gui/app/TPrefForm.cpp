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
    return PreferenceField(tag);
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
    Label1 = new QLabel("Number of significant digits", this);
    Label1->move(16, 20);
    Label2 = new QLabel("Size of markers", this);
    Label2->move(16, 52);
    TracingHeading = new QLabel("Tracing", this);
    TracingHeading->setObjectName("TracingHeading");
    QFont bold = TracingHeading->font();
    bold.setBold(true);
    TracingHeading->setFont(bold);
    TracingHeading->move(16, 86);
    Label3 = new QLabel("Step between markers (pixels)", this);
    Label3->move(16, 112);
    Label4 = new QLabel("Colour tolerance", this);
    Label4->move(16, 144);
    Label5 = new QLabel("Largest gap bridged (pixels)", this);
    Label5->move(16, 176);
    QLineEdit** edits[5] = {&Edit1, &Edit2, &Edit3, &Edit4, &Edit5};
    TUpDown** arrows[5] = {&UpDown1, &UpDown2, &UpDown3, &UpDown4, &UpDown5};
    const int rows[5] = {16, 48, 108, 140, 172};
    for (int tag = 0; tag < 5; ++tag) {
        QLineEdit* edit = *edits[tag] = new QLineEdit(this);
        edit->setObjectName(QString("Edit%1").arg(tag + 1));
        edit->setGeometry(176, rows[tag], 73, 21);
        const PreferenceField field = FieldOf(tag);
        TUpDown* arrow = *arrows[tag] =
            new TUpDown(PreferenceMinimum(field), PreferenceMaximum(field), PreferenceMinimum(field), this);
        arrow->setObjectName(QString("UpDown%1").arg(tag + 1));
        arrow->move(248, rows[tag] - 1);
    }
    // The labels may need more room than designed in the user's font: they are shown whole, and
    // the fields, their arrows and the two buttons on the right move over, the dialog growing
    // with them.
    int labelsEnd = 0;
    for (QLabel* label : {Label1, Label2, TracingHeading, Label3, Label4, Label5}) {
        label->resize(label->sizeHint());
        labelsEnd = std::max(labelsEnd, 16 + label->width());
    }
    const int shift = std::max(0, labelsEnd + kLabelGap - 176);

    Button1 = new QPushButton("&Ok", this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(113, 212, 72, 25);
    Button1->setDefault(true);
    Button2 = new QPushButton("&Cancel", this);
    Button2->setObjectName("Button2");
    Button2->setGeometry(192, 212, 72, 25);
    Button2->setAutoDefault(false);
    for (QWidget* right : std::initializer_list<QWidget*>{Edit1, Edit2, Edit3, Edit4, Edit5, UpDown1, UpDown2,
                                                          UpDown3, UpDown4, UpDown5, Button1, Button2})
        right->move(right->x() + shift, right->y());
    setFixedSize(280 + shift, 246);
    BitBtn1 = new QPushButton(this);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setGeometry(7, 212, 24, 25);
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogHelpButton));
    BitBtn1->setAutoDefault(false);

    for (int tag = 0; tag < 5; ++tag) {
        connect(EditOf(tag), &QLineEdit::textChanged, this, [this, tag] { EditChange(tag); });
        connect(UpDownOf(tag), &TUpDown::Clicked, this, [this, tag] { UpDownClick(tag); });
    }
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn1, &QPushButton::clicked, this, [this] {
        if (showHelp_) showHelp_();
    });

    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

QLineEdit* TPrefForm::EditOf(int tag) const {
    QLineEdit* const edits[5] = {Edit1, Edit2, Edit3, Edit4, Edit5};
    return edits[tag];
}

TUpDown* TPrefForm::UpDownOf(int tag) const {
    TUpDown* const arrows[5] = {UpDown1, UpDown2, UpDown3, UpDown4, UpDown5};
    return arrows[tag];
}

std::int32_t TPrefForm::Value(int tag) const {
    return PreferenceFieldValue(FieldOf(tag), EditOf(tag)->text().toStdString());
}

void TPrefForm::EditChange(int tag) {
    QLineEdit* edit = EditOf(tag);
    const std::int32_t value = Value(tag);
    UpDownOf(tag)->SetPosition(value);
    const QString text = QString::number(value);
    if (edit->text() != text) edit->setText(text);
}

void TPrefForm::UpDownClick(int tag) {
    EditOf(tag)->setText(QString::number(UpDownOf(tag)->Position()));
}

void TPrefForm::Load(std::int32_t digits, std::int32_t markerSize) {
    Edit1->setText(QString::number(digits));
    UpDown1->SetPosition(digits);
    Edit2->setText(QString::number(markerSize));
    UpDown2->SetPosition(markerSize);
}

void TPrefForm::LoadTracing(const TraceSettings& settings) {
    const int values[3] = {settings.Step, settings.Tolerance, settings.Gap};
    for (int tag = 2; tag < 5; ++tag) {
        EditOf(tag)->setText(QString::number(values[tag - 2]));
        UpDownOf(tag)->SetPosition(values[tag - 2]);
    }
}

std::int32_t TPrefForm::Digits() const {
    return Value(0);
}

std::int32_t TPrefForm::MarkerSize() const {
    return Value(1);
}

TraceSettings TPrefForm::Tracing() const {
    TraceSettings settings;
    settings.Step = Value(2);
    settings.Tolerance = Value(3);
    settings.Gap = Value(4);
    return settings;
}

}  // namespace curvana
