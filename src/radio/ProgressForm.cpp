#include "ProgressForm.h"

#include "platform/Widgets.h"
#include "platform/WindowFrame.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>

using platform::place;

TForm_Progress::TForm_Progress(QWidget* parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName("Form_Progress");
    setFixedSize(322, 151);
    Label1 = place(new QLabel(this), 20, 21, 229, 13);
    Label1->setObjectName("Label1");
    ProgressBar1 = place(new QProgressBar(this), 16, 48, 225, 17);
    ProgressBar1->setObjectName("ProgressBar1");
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
}

void TForm_Progress::showCentredOn(const QWidget* owner)
{
    if (owner) {
        const QRect frame = owner->frameGeometry();
        platform::placeOnScreen(*this, frame.center() - QPoint(width() / 2, height() / 2));
    }
    show();
}

void TForm_Progress::reject()
{
    if (onStop)
        onStop();
}

void TForm_Progress::closeEvent(QCloseEvent* event)
{
    event->ignore();
    if (onStop)
        onStop();
}
