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
    stepLabel = place(new QLabel(this), 20, 12, 282, 32);
    stepLabel->setObjectName("Label1");
    stepLabel->setWordWrap(true);
    stepLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    progressBar = place(new QProgressBar(this), 20, 52, 282, 17);
    progressBar->setObjectName("ProgressBar1");
    progressBar->setRange(0, 100);
    progressBar->setValue(0);
    progressBar->setTextVisible(false);
}

void ProgressWindow::showProgress(const std::string& caption, const std::string& label, int maximum)
{
    setWindowTitle(QString::fromStdString(caption));
    showLabel(label);
    progressBar->setMaximum(maximum);
    showStep(0);
    platform::centreOn(*this, owner);
    show();
}

void ProgressWindow::showLabel(const std::string& label)
{
    stepLabel->setText(QString::fromStdString(label));
}

void ProgressWindow::showStep(int step)
{
    // The bar takes no value outside its range; below zero it is shown empty.
    progressBar->setValue(std::clamp(step, 0, progressBar->maximum()));
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
