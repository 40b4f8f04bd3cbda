#include "ProgressWindow.h"

#include "platform/WindowFrame.h"
#include "windows/Controls.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>

#include <algorithm>

using windows::place;

ProgressWindow::ProgressWindow(QWidget* parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName("Form_Progress");
    setFixedSize(322, 151);
    // Two lines across the window: the longest progress text, that a write cannot be stopped,
    // is read whole in either language.
    Label1 = place(new QLabel(this), 20, 12, 282, 32);
    Label1->setObjectName("Label1");
    Label1->setWordWrap(true);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    ProgressBar1 = place(new QProgressBar(this), 20, 52, 282, 17);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
}

void ProgressWindow::showProgress(const std::string& caption, const std::string& label, int maximum)
{
    setWindowTitle(QString::fromStdString(caption));
    showLabel(label);
    ProgressBar1->setMaximum(maximum);
    showStep(0);
    platform::centreOn(*this, owner);
    show();
}

void ProgressWindow::showLabel(const std::string& label)
{
    Label1->setText(QString::fromStdString(label));
}

void ProgressWindow::showStep(int step)
{
    // The bar takes no value outside its range; below zero it is shown empty.
    ProgressBar1->setValue(std::clamp(step, 0, ProgressBar1->maximum()));
}

void ProgressWindow::hideProgress()
{
    hide();
}

void ProgressWindow::reject()
{
    if (onStop)
        onStop();
}

void ProgressWindow::closeEvent(QCloseEvent* event)
{
    event->ignore();
    if (onStop)
        onStop();
}
