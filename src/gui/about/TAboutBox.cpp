#include "about/TAboutBox.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "about/TDigitizeAnimation.h"
#include "app/ImageList.h"

namespace curvana {

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName("AboutBox");
    setWindowTitle("About");
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    Logo = new QLabel;
    Logo->setPixmap(LogoPixmap(64));
    Logo->setFixedSize(64, 64);
    ProductName = new QLabel("Curvana");
    QFont big = ProductName->font();
    big.setPointSizeF(big.pointSizeF() * 1.8);
    big.setBold(true);
    ProductName->setFont(big);
    Version = new QLabel(QString("Version %1").arg(CURVANA_VERSION));
    auto* about = new QLabel(
        "Digitizes plotted graphs: calibrate the axes of a scanned chart,\n"
        "place markers on its curves and take the values with you.\n\n"
        "Morvane");
    Animation = new TDigitizeAnimation;
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(14, 14, 14, 10);
    grid->setHorizontalSpacing(14);
    grid->addWidget(Logo, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(ProductName, 0, 1);
    grid->addWidget(Version, 1, 1);
    grid->addWidget(about, 2, 1);
    grid->addWidget(Animation, 3, 0, 1, 2);
    grid->addWidget(buttons, 4, 0, 1, 2);
    setFixedSize(sizeHint());
}

}  // namespace curvana
