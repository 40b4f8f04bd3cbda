#include "AboutDialog.h"

#include "windows/Artwork.h"
#include "windows/Controls.h"

#include <QFrame>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

using windows::place;

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName("AboutBox");
    setWindowTitle("About");
    setWindowIcon(windows::aboutIcon());
    setFixedSize(326, 303);
    auto* panel = place(new QFrame(this), 0, 6, 326, 249);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(2);
    auto blue = [](QLabel* label, int pixels) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, Qt::blue);
        label->setPalette(palette);
        label->setFont(windows::pixelFont(label->font().family(), pixels));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    };
    titleLabel = blue(place(new QLabel(" ", panel), 72, 10, 193, 26), 21);
    titleLabel->setObjectName("Label1");
    productName
        = blue(place(new QLabel("TRANSCEIVER  DEMO  SOFTWARE", panel), 72, 40, 193, 25), 11);
    productName->setObjectName("ProductName");
    versionLabel = blue(place(new QLabel("Version 1.02", panel), 128, 56, 120, 18), 15);
    versionLabel->setObjectName("Version");
    picture = place(new QLabel(panel), 9, 88, 303, 129);
    picture->setObjectName("ProgramIcon");
    picture->setScaledContents(true);
    picture->setPixmap(QPixmap::fromImage(windows::aboutPicture()));
    bottomLine = place(new QLabel(" ", panel), 72, 224, 193, 16);
    bottomLine->setObjectName("BottomLine");
    okButton = place(new QPushButton("OK", this), 239, 268, 75, 25);
    okButton->setObjectName("OKButton");
    okButton->setDefault(true);
    connect(okButton, &QPushButton::clicked, this, &QWidget::hide);
}
