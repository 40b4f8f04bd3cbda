#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

// The small progress window of a connect, read or write. It has no title-bar buttons and
// cannot be dismissed by the user: the exchange closes it.
class TForm_Progress : public QDialog
{
    Q_OBJECT
public:
    explicit TForm_Progress(QWidget* parent = nullptr);

    // Shows the window centred on the given one without blocking it.
    void showCentredOn(const QWidget* owner);
    void reject() override;

    QLabel* Label1;
    QProgressBar* ProgressBar1;

protected:
    void closeEvent(QCloseEvent* event) override;
};
