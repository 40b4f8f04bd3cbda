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
    Radio_Chinese = place(new QRadioButton("中 文", this), x + 40, 24, 81, 49);
    Radio_Chinese->setObjectName("Radio_Chinese");
    Radio_Chinese->setFont(windows::pixelFont(font().family(), 19));
    Radio_Chinese->setChecked(true);
    Radio_English = place(new QRadioButton("English", this), x + 40, 72, 89, 49);
    Radio_English->setObjectName("Radio_English");
    Radio_English->setFont(windows::pixelFont(font().family(), 16));
    BitBtn1 = place(new QPushButton("OK", this), x + 52, 136, 57, 33);
    BitBtn1->setObjectName("BitBtn1");
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogOkButton));
    BitBtn1->setDefault(true);
}

void LanguageWindow::closeEvent(QCloseEvent* event)
{
    // This is the application's main window: closing it ends the message loop.
    event->accept();
    QApplication::quit();
}
