#include "app/TQSForm.h"

#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <span>

#include "app/BitmapImage.h"
#include "app/Dialogs.h"
#include "app/ImageList.h"
#include "app/StartupSettings.h"
#include "gif/GifBitmap.h"
#include "gif/GifDecoder.h"

// The resources live in the program's static library; they are registered before first use.
static void InitResources() {
    Q_INIT_RESOURCE(resources);
}

namespace curvana {

const char* const TQSForm::kInstructions =
    "To get started quickly follow the steps below:\r\r1) Open a plot in bitmap format\r2) Align the "
    "MarkerBox with the axes of the plot\r3) Enter the min/max values of the MarkerBox on\r    the left side "
    "of the screen\r4) Add DataSeries and/or Single Markers\r5) Align them with the curves of the plot\r6) "
    "Export the data in the format you prefer";

namespace {

// The picture stored under resource type GIF and name QS, through the program's GIF decoder.
QPixmap QuickStartPicture() {
    InitResources();
    QFile file(":/GIF/QS");
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray bytes = file.readAll();
    try {
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
        return QPixmap::fromImage(
            ToQImage(GifToBitmap(DecodeGif(std::span(data, std::size_t(bytes.size()))))));
    } catch (const GifError&) {
        return {};
    }
}

}  // namespace

TQSForm::TQSForm(SettingsStore& settings, Dialogs& dialogs, QWidget* parent)
    : QDialog(parent), settings_(settings), dialogs_(dialogs) {
    setObjectName("QSForm");
    setWindowTitle("Quick Start Tutorial");
    setWindowIcon(ProgramIcon());
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);

    Panel1 = new QFrame;
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel1->setLineWidth(2);
    Panel1->setAutoFillBackground(true);
    Panel1->setBackgroundRole(QPalette::Base);
    Image1 = new QLabel;
    Image1->setFixedSize(30, 39);
    Image1->setPixmap(QuickStartPicture());
    Label1 = new QLabel("To get started follow the steps below:");
    auto* inside = new QHBoxLayout(Panel1);
    inside->setContentsMargins(14, 14, 14, 14);
    inside->setSpacing(10);
    inside->addWidget(Image1, 0, Qt::AlignTop);
    inside->addWidget(Label1, 1, Qt::AlignTop);

    CheckBox1 = new QCheckBox("Don't show this tutorial at startup again.");
    Button1 = new QPushButton("Ok");
    Button1->setDefault(true);
    Button1->setMinimumWidth(75);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(CheckBox1, 1);
    bottom->addWidget(Button1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 6);
    layout->addWidget(Panel1, 1);
    layout->addLayout(bottom);

    // Creation: the instructions (each \r starts a line), then the check box from the settings.
    Label1->setText(QString(kInstructions).replace('\r', '\n'));
    try {
        CheckBox1->setChecked(ReadQuickStartChoice(settings_));
    } catch (const SettingsError& e) {
        CheckBox1->setChecked(false);
        dialogs_.StandardErrorBox(this, QString::fromStdString(e.what()));
    }

    // At least the designed 354 by 197, more when the fonts ask for it; centred on the desktop.
    setFixedSize(sizeHint().expandedTo(QSize(354, 197)));
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TQSForm::StoreChoice() {
    try {
        WriteQuickStartChoice(settings_, CheckBox1->isChecked());
    } catch (const SettingsError& e) {
        dialogs_.StandardErrorBox(this, QString::fromStdString(e.what()));
    }
}

}  // namespace curvana
