#pragma once

#include "radio/ParameterView.h"

#include <QDialog>

#include <functional>

class QLabel;
class QProgressBar;

// The small progress window of a connect, read or write. Escape and the close box ask the
// running operation to stop (onStop); only the operation closes the window. Shown, it is
// centred on owner without blocking it.
class ProgressWindow : public QDialog, public radio::ProgressView
{
    Q_OBJECT
public:
    explicit ProgressWindow(QWidget* parent = nullptr);

    void showProgress(const std::string& caption, const std::string& label, int maximum) override;
    void showLabel(const std::string& label) override;
    void showStep(int step) override;
    void hideProgress() override;
    void reject() override;

    std::function<void()> onStop;
    const QWidget* owner = nullptr;
    QLabel* stepLabel;
    QProgressBar* progressBar;

protected:
    void closeEvent(QCloseEvent* event) override;
};
