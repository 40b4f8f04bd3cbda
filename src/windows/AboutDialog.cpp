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
    Label1 = blue(place(new QLabel(" ", panel), 72, 10, 193, 26), 21);
    Label1->setObjectName("Label1");
    ProductName
        = blue(place(new QLabel("TRANSCEIVER  DEMO  SOFTWARE", panel), 72, 40, 193, 25), 11);
    ProductName->setObjectName("ProductName");
    Version = blue(place(new QLabel("Version 1.02", panel), 128, 56, 120, 18), 15);
    Version->setObjectName("Version");
    ProgramIcon = place(new QLabel(panel), 9, 88, 303, 129);
    ProgramIcon->setObjectName("ProgramIcon");
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setPixmap(QPixmap::fromImage(windows::aboutPicture()));
    BottomLine = place(new QLabel(" ", panel), 72, 224, 193, 16);
    BottomLine->setObjectName("BottomLine");
    OKButton = place(new QPushButton("OK", this), 239, 268, 75, 25);
    OKButton->setObjectName("OKButton");
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QWidget::hide);
}
