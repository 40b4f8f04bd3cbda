#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QProgressBar;

// The small progress window of a connect, read or write. Escape and the close box ask the
// running operation to stop (onStop); only the operation closes the window.
class TForm_Progress : public QDialog
{
    Q_OBJECT
public:
    explicit TForm_Progress(QWidget* parent = nullptr);

    // Shows the window centred on the given one without blocking it.
    void showCentredOn(const QWidget* owner);
    void reject() override;

    std::function<void()> onStop;
    QLabel* Label1;
    QProgressBar* ProgressBar1;

protected:
    void closeEvent(QCloseEvent* event) override;
};
