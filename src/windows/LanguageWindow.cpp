#include "LanguageWindow.h"

#include "platform/WindowFrame.h"
#include "windows/Artwork.h"
#include "windows/Controls.h"

#include <QApplication>
#include <QCloseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>

#include <algorithm>

using windows::place;

LanguageWindow::LanguageWindow(QWidget* parent)
    : QWidget(parent,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
            | Qt::MSWindowsFixedSizeDialogHint)
{
    setObjectName("Form2");
    setWindowTitle("WELCOM");
    setWindowIcon(windows::applicationIcon());
    // The choices take 155 x 185 pixels. A window manager that draws its buttons whatever the
    // window asks for would cut the caption of a window so narrow, so the window is as wide as
    // its caption needs and the choices stay together in the middle.
    const int width = std::max(155, platform::captionWidth(windowTitle()));
    const int x = (width - 155) / 2;
    setFixedSize(width, 185);
    platform::centreOn(*this, nullptr);
    chineseRadio = place(new QRadioButton("中 文", this), x + 40, 24, 81, 49);
    chineseRadio->setObjectName("Radio_Chinese");
    chineseRadio->setFont(windows::pixelFont(font().family(), 19));
    chineseRadio->setChecked(true);
    englishRadio = place(new QRadioButton("English", this), x + 40, 72, 89, 49);
    englishRadio->setObjectName("Radio_English");
    englishRadio->setFont(windows::pixelFont(font().family(), 16));
    okButton = place(new QPushButton("OK", this), x + 52, 136, 57, 33);
    okButton->setObjectName("BitBtn1");
    okButton->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    okButton->setDefault(true);
}

void LanguageWindow::closeEvent(QCloseEvent* event)
{
    // This is the application's main window: closing it ends the message loop.
    event->accept();
    QApplication::quit();
}
